#pragma once
// The preview window of a conversion task: a small stay-on-top tool window
// that shows the frames a task is about to encode, with their time as its
// caption. Fed from the task's worker; the window lives in the main thread.

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/gfx/Bitmap.h"
#include "platform/ui/Form.h"

class TPreviewer;

class TPreviewerForm : public TForm {
public:
    TPreviewerForm(TPreviewer& previewer, const TBitmap& frame);

protected:
    void Dispatch(TMessage& message) override;
    void Paint() override;

private:
    TPreviewer& previewer_;
};

class TPreviewer {
public:
    TPreviewer() = default;
    // Frees the window in the main thread.
    ~TPreviewer();
    TPreviewer(const TPreviewer&) = delete;
    TPreviewer& operator=(const TPreviewer&) = delete;

    // Shows the frame with its number and time (microseconds). False, and
    // nothing shown, once the user has closed the window.
    bool ShowFrame(const TBitmap& bitmap, int32_t frameNumber, int64_t pts);

    bool Closed() const { return closed_; }
    TPreviewerForm* Form() const { return form_.get(); }
    int32_t FrameNumber() const { return frameNumber_; }
    int64_t PTS() const { return pts_; }
    // The frame shown last, which the window repaints from.
    const TBitmap& Frame() const { return frame_; }

private:
    friend class TPreviewerForm;
    void ShowInMainThread();

    std::unique_ptr<TPreviewerForm> form_;
    std::atomic<bool> closed_{false};
    TBitmap frame_;
    int32_t frameNumber_ = 0;
    int64_t pts_ = 0;
};
