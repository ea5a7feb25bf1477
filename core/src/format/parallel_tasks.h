#pragma once
// Runs tasks 0..count-1 on the machine's cores: the calling thread and up to
// hardware_concurrency() - 1 helpers take indices from one counter. Each
// thread makes its own state (a compressor, a work buffer) once.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace kvx {

// Returns false when a task failed or memory ran short; the remaining tasks
// are then skipped.
template <typename MakeState, typename Task>
bool runParallelTasks(size_t count, MakeState makeState, Task task) {
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  auto work = [&]() noexcept {
    try {
      auto state = makeState();
      for (size_t i; !failed.load(std::memory_order_relaxed) && (i = next.fetch_add(1)) < count;)
        if (!task(state, i)) failed = true;
    } catch (const std::bad_alloc&) {
      failed = true;
    }
  };
  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> helpers;
  try {
    helpers.reserve(cores);
    for (size_t n = 1; n < std::min(cores, count); ++n) helpers.emplace_back(work);
  } catch (const std::exception&) {
    // Fewer helpers: the calling thread still takes every task left.
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  return !failed;
}

}  // namespace kvx
