#include "imaging/core/QkView.h"

#include <algorithm>

#include "imaging/core/QkBitmap.h"
#include "platform/core/Exceptions.h"

TQkView::TQkView(TComponent* owner) : TCustomControl(owner)
{
    SetControlStyle(ControlStyle() | csAcceptsControls | csOpaque | csReplicatable);
}

TQkView::~TQkView() { ReleaseBitmapChangeHandlers(); }

void TQkView::ReleaseBitmapChangeHandlers()
{
    CallHandlers(true);
    handlers_.clear();
}

void TQkView::SetBorderStyle(TBorderStyle value)
{
    if (value == borderStyle_)
        return;
    borderStyle_ = value;
    RecreateWnd();
}

void TQkView::SetCtl3D(bool value)
{
    if (value == ctl3D_)
        return;
    ctl3D_ = value;
    RecreateWnd();
}

void TQkView::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    if (borderStyle_ == bsSingle) {
        if (ctl3D_)
            params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            params.Style |= WS_BORDER;
    }
    // The view repaints what a resize uncovers itself.
    params.WindowClassStyle &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TQkView::Dispatch(TMessage& message)
{
    TCustomControl::Dispatch(message);
    if (message.Msg == CM_MOUSEENTER && OnMouseEnter)
        OnMouseEnter(this);
    else if (message.Msg == CM_MOUSELEAVE && OnMouseLeave)
        OnMouseLeave(this);
}

TBitmapChangeHandle TQkView::RegisterBitmapChangeHandler(TBitmapChangeEvent handler)
{
    handlers_.push_back({++lastHandle_, std::move(handler)});
    return lastHandle_;
}

void TQkView::UnregisterBitmapChangeHandler(TBitmapChangeHandle handle)
{
    std::erase_if(handlers_, [handle](const THandlerRecord& record) { return record.Handle == handle; });
}

void TQkView::CallBitmapChangeHandlers() { CallHandlers(false); }

void TQkView::CallHandlers(bool destroying)
{
    // A copy, so that handlers may unregister while the list is walked.
    const std::vector<THandlerRecord> records = handlers_;
    for (const THandlerRecord& record : records) {
        const bool stillRegistered = std::any_of(handlers_.begin(), handlers_.end(),
                                                 [&](const THandlerRecord& r) { return r.Handle == record.Handle; });
        if (stillRegistered && record.Handler)
            record.Handler(this, destroying);
    }
}

int32_t TQkView::EndPaintLock()
{
    const int32_t count = EndPaintLockNoRefresh();
    if (count == 0)
        Update();
    return count;
}

int32_t TQkView::EndPaintLockNoRefresh()
{
    paintLock_ = std::max(paintLock_ - 1, 0);
    return paintLock_;
}

TCanvas* GetViewCanvas(TQkView& view) { return view.Canvas(); }

void TQkView::SetDpiX(int32_t value)
{
    if (value != 0)
        dpiX_.store(value, std::memory_order_relaxed);
}

void TQkView::SetDpiY(int32_t value)
{
    if (value != 0)
        dpiY_.store(value, std::memory_order_relaxed);
}

void TQkView::SetDpi(int32_t x, int32_t y)
{
    SetDpiX(x);
    SetDpiY(y);
}

// ---- The image view's layered-file steps ----

namespace {

[[noreturn]] void NoLayerList() { throw Exception("The view has no layer list"); }

TQkTemporaryViewFactory& TemporaryViewFactory()
{
    static TQkTemporaryViewFactory factory;
    return factory;
}

} // namespace

int32_t IBrelvixView::AddLayer(std::unique_ptr<TQkBitmap>) { NoLayerList(); }

void IBrelvixView::RemoveAllLayers() { NoLayerList(); }

void IBrelvixView::FlattenLayersTo(TQkBitmap&) { NoLayerList(); }

void IBrelvixView::FlattenLayers() { NoLayerList(); }

bool IBrelvixView::LoadLayersFromFile(const std::string&) { NoLayerList(); }

void SetTemporaryViewFactory(TQkTemporaryViewFactory factory) { TemporaryViewFactory() = std::move(factory); }

std::unique_ptr<TQkView> CreateTemporaryView()
{
    const TQkTemporaryViewFactory& factory = TemporaryViewFactory();
    return factory ? factory() : nullptr;
}
