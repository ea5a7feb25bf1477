#pragma once
// An event that wakes one waiter and clears itself, as the download thread
// and the control's timer share it.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace glimmer {

class AutoResetEvent {
 public:
  void set() {
    {
      std::lock_guard lock(mutex_);
      signalled_ = true;
    }
    changed_.notify_one();
  }
  void reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
  }
  // True when the event was signalled within `timeout`; it is cleared again.
  bool wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, timeout, [this] { return signalled_; })) return false;
    signalled_ = false;
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

}  // namespace glimmer
