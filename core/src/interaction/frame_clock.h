#pragma once
// The stopwatch that times transition frames. Behind an interface so that
// tests can drive the adaptive timing with a clock of their own.
#include <chrono>

namespace kvx {

class FrameClock {
 public:
  virtual ~FrameClock() = default;
  virtual void restart() = 0;
  // Milliseconds since the last restart.
  virtual double elapsedMs() = 0;
};

class SteadyFrameClock final : public FrameClock {
 public:
  void restart() override { start_ = std::chrono::steady_clock::now(); }
  double elapsedMs() override {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace kvx
