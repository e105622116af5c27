// The way from a receive worker to the host: only the host's thread may call
// the host, so a worker queues its call here and waits while the host's
// thread, which serves the queue whenever it pumps, carries it out.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace drwa::receive {

class HandOverQueue {
  public:
    // Worker side: blocks until the host's thread has run `work`.
    void RunOnHostThread(const std::function<void()>& work);

    // Host side: runs every queued request, in order.
    void Serve();
    // Host side: waits up to `timeout_ms` for a request or a Notify.
    void Wait(int timeout_ms);
    // Any side: wakes the host's Wait (a worker finished, say).
    void Notify();

  private:
    struct Request {
        const std::function<void()>* work;
        bool done = false;
    };
    std::mutex mutex_;                 // guards everything below
    std::condition_variable host_;     // the host waits here
    std::condition_variable workers_;  // workers wait here for their request
    std::deque<Request*> pending_;
    bool woken_ = false;
};

}  // namespace drwa::receive
