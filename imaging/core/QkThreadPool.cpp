#include "imaging/core/QkThreadPool.h"

TQkThreadPool::~TQkThreadPool() { WaitAll(); }

void TQkThreadPool::Add(std::unique_ptr<TThread> thread)
{
    threads_.push_back(std::move(thread));
    threads_.back()->Start();
}

void TQkThreadPool::WaitAll()
{
    for (std::unique_ptr<TThread>& thread : threads_) {
        thread->WaitFor();
        thread.reset();
    }
    threads_.clear();
}
