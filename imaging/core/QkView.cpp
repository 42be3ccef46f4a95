#include "imaging/core/QkView.h"

#include <algorithm>

TQkView::TQkView(TComponent* owner) : TCustomControl(owner) {}

TQkView::~TQkView()
{
    CallHandlers(true);
    handlers_.clear();
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

int32_t TQkView::EndPaintLockNoRefresh()
{
    paintLock_ = std::max(paintLock_ - 1, 0);
    return paintLock_;
}

TCanvas* GetViewCanvas(TQkView& view) { return view.Canvas(); }

void TQkView::SetDpiX(int32_t value)
{
    if (value != 0)
        dpiX_ = value;
}

void TQkView::SetDpiY(int32_t value)
{
    if (value != 0)
        dpiY_ = value;
}

void TQkView::SetDpi(int32_t x, int32_t y)
{
    SetDpiX(x);
    SetDpiY(y);
}
