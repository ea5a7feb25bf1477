// How the step count of a transition follows the measured frame time.
#include "interaction/transition.h"

#include <gtest/gtest.h>

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
