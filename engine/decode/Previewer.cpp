#include "engine/decode/Previewer.h"

#include "engine/FFUtils.h"
#include "engine/MyUtils.h"
#include "platform/ui/WindowSystem.h"

TPreviewerForm::TPreviewerForm(TPreviewer& previewer, const TBitmap& frame) : TForm(nullptr), previewer_(previewer)
{
    SetFormStyle(fsStayOnTop);
    SetBorderStyle(bsToolWindow);
    SetPosition(poScreenCenter);
    // The window keeps the size of the first frame.
    SetClientSize(frame.Width(), frame.Height());
    // Closing only hides the window; the task stops feeding it.
    OnCloseQuery = [this](TObject*, bool&) { previewer_.closed_ = true; };
}

void TPreviewerForm::Dispatch(TMessage& message)
{
    // The window is dragged by its picture.
    if (message.Msg == WM_LBUTTONDOWN) {
        Perform(WM_NCLBUTTONDOWN, static_cast<WPARAM>(HTCAPTION), PointToLParam(GetCursorPos()));
        return;
    }
    TForm::Dispatch(message);
}

void TPreviewerForm::Paint() { Canvas()->Draw(0, 0, const_cast<TBitmap*>(&previewer_.Frame())); }

TPreviewer::~TPreviewer()
{
    if (form_)
        MainThreadCall([this] { form_.reset(); });
}

bool TPreviewer::ShowFrame(const TBitmap& bitmap, int32_t frameNumber, int64_t pts)
{
    if (closed_)
        return false;
    MainThreadCall([&] {
        // A copy: the task converts its next frame into the same bitmap while
        // the window may still repaint this one.
        frame_.Assign(&bitmap);
        frameNumber_ = frameNumber;
        pts_ = pts;
        ShowInMainThread();
    });
    return true;
}

void TPreviewer::ShowInMainThread()
{
    if (!form_) {
        form_ = std::make_unique<TPreviewerForm>(*this, frame_);
        form_->Show();
    }
    form_->SetCaption(TimeToText(pts_));
    form_->Invalidate();
}
