#pragma once
// Worker threads started together and waited for together.

#include <memory>
#include <vector>

#include "platform/core/Threads.h"

class TQkThreadPool {
public:
    TQkThreadPool() = default;
    // Waits for every thread.
    ~TQkThreadPool();
    TQkThreadPool(const TQkThreadPool&) = delete;
    TQkThreadPool& operator=(const TQkThreadPool&) = delete;

    // Takes a thread that has not been started and starts it.
    void Add(std::unique_ptr<TThread> thread);
    // Waits for each thread in order and frees it; the pool is then empty.
    void WaitAll();
    size_t Count() const { return threads_.size(); }

private:
    std::vector<std::unique_ptr<TThread>> threads_;
};
