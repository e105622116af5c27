#include "receive/hand_over.h"

namespace drwa::receive {

void HandOverQueue::RunOnHostThread(const std::function<void()>& work) {
    Request request{&work};
    std::unique_lock lock(mutex_);
    pending_.push_back(&request);
    host_.notify_one();
    workers_.wait(lock, [&] { return request.done; });
}

void HandOverQueue::Serve() {
    std::unique_lock lock(mutex_);
    while (!pending_.empty()) {
        Request* request = pending_.front();
        pending_.pop_front();
        lock.unlock();
        // The host is called without the lock: it may take its time, and other
        // workers may queue meanwhile.
        (*request->work)();
        lock.lock();
        request->done = true;
        workers_.notify_all();
    }
}

void HandOverQueue::Wait(int timeout_ms) {
    std::unique_lock lock(mutex_);
    host_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                   [&] { return woken_ || !pending_.empty(); });
    woken_ = false;
}

void HandOverQueue::Notify() {
    std::lock_guard lock(mutex_);
    woken_ = true;
    host_.notify_one();
}

}  // namespace drwa::receive
