// How the step count of a transition follows the measured frame time.
#include "interaction/transition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace kvx {
namespace {

TEST(AdaptSteps, FramesOnTimeKeepTheCounts) {
  const StepCounts steps = adaptSteps({90, 50}, 10, 40, 400, 900);
  EXPECT_EQ(steps.total, 90);
  EXPECT_EQ(steps.remaining, 50);
}

TEST(AdaptSteps, SlowFramesShortenTheRemainingSteps) {
  // 90 steps at 30 ms would take 2700 ms of the 900 expected: after 10 frames
  // (300 ms) the new plan is 30 steps with 20 left, smoothed: (7*90+30)/8, (7*80+20)/8.
  const StepCounts steps = adaptSteps({90, 80}, 30, 10, 300, 900);
  EXPECT_EQ(steps.total, 82);
  EXPECT_EQ(steps.remaining, 72);
}

TEST(AdaptSteps, AFirstFrameFarOffTheMarkIsTakenAsItIs) {
  // One frame, 2000 ms off: no smoothing.
  const StepCounts steps = adaptSteps({90, 89}, 100, 1, 100, 900);
  EXPECT_EQ(steps.total, 9);
  EXPECT_EQ(steps.remaining, 8);
}

TEST(AdaptSteps, StopsThreeHundredMillisecondsAfterTheExpectedEnd) {
  EXPECT_EQ(adaptSteps({90, 30}, 10, 20, 1199, 900).remaining, 30);
  EXPECT_EQ(adaptSteps({90, 30}, 10, 20, 1201, 900).remaining, 0);
}

TEST(AdaptSteps, NothingIsMeasuredBeforeTheFirstFrame) {
  const StepCounts steps = adaptSteps({90, 90}, 1000, 0, 0, 900);
  EXPECT_EQ(steps.total, 90);
}

TEST(MustEndNow, ShowsTheTargetWhenTheNextFrameWouldPassHalfAgainTheExpectedTime) {
  // A transition expected to last 900 ms may end at 1350 ms at the latest;
  // the frame about to be drawn and one more like it must fit before that.
  const struct {
    double elapsedMs, frameMs;
    bool endNow;
  } cases[] = {
      {0, 10, false},    {800, 10, false},   {1340, 10, true},  // fast frames run to the planned end
      {0, 600, false},   {100, 600, false},  {200, 600, true},  // 200 + 2 * 600 > 1350
      {0, 700, true},                                           // a frame that slow ends it at once
      {1000, 175, false}, {1000, 176, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(mustEndNow(c.elapsedMs, c.frameMs, 900), c.endNow) << c.elapsedMs << " ms elapsed, " << c.frameMs << " ms a frame";
}

// A transition planned at the 10 ms of the frames before it, played on
// frames of a steady, slower time with the loop's rules: the target shows
// within 1.5 times the nominal duration, or after the two frames it takes
// to measure any frame at all.
TEST(MustEndNow, FramesSlowerThanPlannedEndWithinHalfAgainTheNominalDuration) {
  for (const double nominal : {900.0, 2600.0})
    for (const float frameMs : {5.0f, 40.0f, 120.0f, 333.0f, 500.0f, 899.0f, 1300.0f}) {
      StepCounts steps{stepsFor(nominal, 10), stepsFor(nominal, 10)};
      const double expected = steps.total * 10.0;
      double elapsed = 0;
      long frames = 0;
      while (steps.remaining > 0) {
        --steps.remaining;
        if (frames >= 1) {
          steps = adaptSteps(steps, measuredFrameTime(elapsed, frames), frames, elapsed, expected);
          if (mustEndNow(elapsed, frameMs, expected)) steps.remaining = 0;
        }
        elapsed += frameMs;
        ++frames;
      }
      EXPECT_LE(elapsed, std::max(1.5 * nominal, 2.0 * frameMs)) << frameMs << " ms a frame, " << nominal << " nominal";
    }
}

TEST(FrameTime, IsElapsedPerFrameWithinItsLimits) {
  EXPECT_FLOAT_EQ(measuredFrameTime(300, 10), 30);
  EXPECT_FLOAT_EQ(measuredFrameTime(0, 10), 10);
  EXPECT_FLOAT_EQ(measuredFrameTime(300, 0), 10);
  EXPECT_FLOAT_EQ(measuredFrameTime(0.0001, 1), 1);
  EXPECT_FLOAT_EQ(measuredFrameTime(5e6, 1), 1);
}

TEST(StepsFor, NeverSwitchesTransitionsOff) {
  EXPECT_EQ(stepsFor(900, 10), 90);
  EXPECT_EQ(stepsFor(2600, 10), 260);
  EXPECT_EQ(stepsFor(900, 5000), 1);
}

TEST(ViewSnapshots, SameViewIgnoresTheSignOfTheRotation) {
  ViewSnapshot a, b;
  b.rotation[3] = -1;
  EXPECT_TRUE(sameView(a, b));
  b.pan[0] = 0.1f;
  EXPECT_FALSE(sameView(a, b));
}

TEST(Interpolation, EasesAndFollowsChangedBounds) {
  EXPECT_FLOAT_EQ(ease(0.5f), 0.5f);
  EXPECT_FLOAT_EQ(ease(0.25f), 0.15625f);
  ViewSnapshot start, target;
  target.fieldOfView = 64;
  target.bounds[1] = 2, target.bounds[3] = 2, target.bounds[5] = 2;  // cube 0..2
  kvx_ManipInfo view = {};
  interpolateView(start, target, 0.5f, true, view);
  EXPECT_FLOAT_EQ(view.fieldOfView, 48);
  EXPECT_FLOAT_EQ(view.bounds[1], 1);
  EXPECT_FLOAT_EQ(view.center[0], 0.5f);
  EXPECT_FLOAT_EQ(view.viewRadius, std::sqrt(3.0f));
}

}  // namespace
}  // namespace kvx
