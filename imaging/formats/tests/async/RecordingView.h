#pragma once
// An image view with a bitmap of its own that records the messages workers
// post to it, and a gate a test opens to let a blocked reader go on.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkView.h"
#include "imaging/formats/async/QkIOWorkers.h"
#include "platform/ui/WindowSystem.h"

struct TRecordedMessage {
    uint32_t Msg;
    WPARAM WParam;
    friend bool operator==(const TRecordedMessage&, const TRecordedMessage&) = default;
};

class TRecordingView : public TQkView {
public:
    TRecordingView() : TQkView(nullptr), image(2, 2, qk24RGB) {}
    // As an image view does: the components hear of the end while the
    // image still exists.
    ~TRecordingView() override { ReleaseBitmapChangeHandlers(); }
    TQkBitmap* GetImageBitmap() override { return &image; }
    void DoImageChange() override { imageChangeThreads.push_back(std::this_thread::get_id()); }
    void WndProc(TMessage& message) override
    {
        if (message.Msg >= QKM_IOREFRESH && message.Msg <= QKM_IOFINISHWORK) {
            messages.push_back({message.Msg, message.WParam});
            if (message.Msg == QKM_IOREFRESH)
                widthWhenRefreshed = image.GetWidth();
        }
        TQkView::WndProc(message);
    }

    TQkBitmap image;
    std::vector<TRecordedMessage> messages;
    std::vector<std::thread::id> imageChangeThreads;
    int32_t widthWhenRefreshed = 0;
};

// Runs every message posted so far.
inline void DeliverPostedMessages()
{
    TQueuedMessage queued;
    while (WindowSystem().PeekMessage(queued))
        WindowSystem().DispatchMessage(queued);
}

class TGate {
public:
    void Open()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void Wait()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};
