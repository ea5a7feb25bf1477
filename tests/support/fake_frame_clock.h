#pragma once
// A frame clock that tests drive: every reading advances it by one frame's
// time, so the frame loop sees frames that took exactly that long.
#include "interaction/frame_clock.h"

#include <memory>

namespace kvx::test {

class FakeFrameClock final : public FrameClock {
 public:
  explicit FakeFrameClock(double msPerFrame) : msPerFrame_(std::make_shared<double>(msPerFrame)) {}
  void restart() override { now_ = 0; }
  double elapsedMs() override { return now_ += *msPerFrame_; }
  // Changes the frame time of later frames, also after the clock is handed over.
  std::shared_ptr<double> frameTime() const { return msPerFrame_; }

 private:
  std::shared_ptr<double> msPerFrame_;
  double now_ = 0;
};

}  // namespace kvx::test
