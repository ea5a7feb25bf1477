// The cutting-plane and measurement records, the plane equation and the
// section built from it.
#include "interaction/cut_section.h"
#include "kvx_sdk.h"
#include "render_scenes.h"
#include "sdk/plugin_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kvx::test {
namespace {

struct CutPlaneRecord : ::testing::Test {
  kvx_GL_Plugin sdk;
  kvx_ManipInfo manip = {};
  void SetUp() override {
    const float bounds[6] = {-1, 3, 0, 2, -5, 5};
    std::copy_n(bounds, 6, manip.bounds);
    sdk.state().manip = &manip;
  }
};

TEST(CutPlaneWithoutLiveView, IsRefused) {
  kvx_GL_Plugin sdk;
  kvx_CutPlane plane;
  float min = 1, max = 1;
  EXPECT_FALSE(sdk.SetCutPlane(kvx_CutPlane::X_PLAN));
  EXPECT_FALSE(sdk.GetCutPlaneData(&plane));
  EXPECT_FALSE(sdk.GetCutPlaneRange(&min, &max));
  kvx_Measure measure;
  measure.distance = 3;
  EXPECT_FALSE(sdk.GetMeasureData(&measure));
  EXPECT_EQ(measure.distance, 0) << "cleared";
}

TEST_F(CutPlaneRecord, IsCreatedByTheFirstSetCutPlane) {
  EXPECT_TRUE(sdk.SetCutPlaneOrient(true)) << "without a record only the section cache is cleared";
  ASSERT_TRUE(sdk.SetCutPlane(kvx_CutPlane::Y_PLAN));
  ASSERT_NE(manip.cutPlane, nullptr);
  kvx_CutPlane plane;
  ASSERT_TRUE(sdk.GetCutPlaneData(&plane));
  EXPECT_EQ(plane.plan, kvx_CutPlane::Y_PLAN);
  EXPECT_FALSE(plane.inverted);
  EXPECT_FLOAT_EQ(plane.position, 0.5f);
  EXPECT_FALSE(plane.transparent);
  EXPECT_FALSE(sdk.GetCutPlaneData(nullptr));
}

TEST_F(CutPlaneRecord, PositionOutsideZeroToOneIsRefused) {
  sdk.SetCutPlane(kvx_CutPlane::X_PLAN);
  EXPECT_FALSE(sdk.SetCutPlanePos(1.5f));
  EXPECT_FALSE(sdk.SetCutPlanePos(-0.01f));
  EXPECT_FALSE(sdk.SetCutPlanePos(std::numeric_limits<float>::quiet_NaN()));
  EXPECT_FLOAT_EQ(manip.cutPlane->position, 0.5f);
  EXPECT_TRUE(sdk.SetCutPlanePos(1));
  EXPECT_FLOAT_EQ(manip.cutPlane->position, 1);
}

TEST_F(CutPlaneRecord, EveryChangeOfThePlaneDropsTheSection) {
  sdk.SetCutPlane(kvx_CutPlane::X_PLAN);
  auto& cache = sdk.state().sectionCache;
  for (int step = 0; step < 3; ++step) {
    cache = {1, 2, 3, 4, 5, 6};
    if (step == 0) sdk.SetCutPlane(kvx_CutPlane::Z_PLAN);
    if (step == 1) sdk.SetCutPlaneOrient(true);
    if (step == 2) sdk.SetCutPlanePos(0.25f);
    EXPECT_TRUE(cache.empty()) << "step " << step;
  }
  cache = {1, 2, 3, 4, 5, 6};
  sdk.SetCutPlaneTransp(true);
  EXPECT_TRUE(manip.cutPlane->transparent);
  EXPECT_FALSE(cache.empty()) << "transparency does not move the plane";
}

TEST_F(CutPlaneRecord, RangeIsTheBoundsOfTheCutAxis) {
  float min = 7, max = 7;
  sdk.SetCutPlane(kvx_CutPlane::NONE_PLAN);
  EXPECT_FALSE(sdk.GetCutPlaneRange(&min, &max));
  EXPECT_EQ(min, 0);
  EXPECT_EQ(max, 0);
  struct Case {
    kvx_CutPlane::CurrentPlan plan;
    float min, max;
  } cases[] = {{kvx_CutPlane::X_PLAN, -1, 3}, {kvx_CutPlane::Y_PLAN, 0, 2}, {kvx_CutPlane::Z_PLAN, -5, 5}};
  for (const Case& c : cases) {
    sdk.SetCutPlane(c.plan);
    ASSERT_TRUE(sdk.GetCutPlaneRange(&min, &max));
    EXPECT_EQ(min, c.min);
    EXPECT_EQ(max, c.max);
  }
  EXPECT_FALSE(sdk.GetCutPlaneRange(nullptr, &max));
}

TEST(CutPlaneEquation, KeepsTheLowSideUnlessInverted) {
  const float bounds[6] = {0, 10, 0, 4, -2, 2};
  kvx_CutPlane plane = {kvx_CutPlane::X_PLAN, false, 0.3f, false};
  auto e = cutPlaneEquation(plane, bounds);
  ASSERT_TRUE(e);
  auto visible = [&](double x) { return e->n[0] * x + e->d >= 0; };
  EXPECT_TRUE(visible(2.9));
  EXPECT_FALSE(visible(3.1));
  plane.inverted = true;
  e = cutPlaneEquation(plane, bounds);
  EXPECT_FALSE(visible(2.9));
  EXPECT_TRUE(visible(3.1));
  for (int plan : {-1, 0, 4}) {
    plane.plan = static_cast<kvx_CutPlane::CurrentPlan>(plan);
    EXPECT_FALSE(cutPlaneEquation(plane, bounds)) << plan;
  }
}

TEST(Section, CutsEachCrossedTriangleOnce) {
  // A square in z = 0 from (0, 0) to (2, 2), cut at x = 1: both triangles
  // of the quad are crossed.
  auto s = sceneWith(objectOf(quads_list, {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}}));
  const float bounds[6] = {0, 2, 0, 2, 0, 0};
  const kvx_CutPlane plane = {kvx_CutPlane::X_PLAN, false, 0.5f, false};
  const std::vector<float> section = buildSection(*s, *cutPlaneEquation(plane, bounds), bounds);
  ASSERT_EQ(section.size(), 2u * 2 * 3);
  for (size_t i = 0; i < section.size(); i += 3) {
    EXPECT_NEAR(section[i], 1.0003, 1e-4) << "moved a hair into the cut-away side";
    EXPECT_GE(section[i + 1], 0);
    EXPECT_LE(section[i + 1], 2);
    EXPECT_EQ(section[i + 2], 0);
  }
}

TEST(Section, PlaneMissingTheGeometryGivesNothing) {
  auto s = sceneWith(unitSquare());
  const float bounds[6] = {0, 1, 0, 1, -1, 1};
  const kvx_CutPlane plane = {kvx_CutPlane::Z_PLAN, false, 0.9f, false};
  EXPECT_TRUE(buildSection(*s, *cutPlaneEquation(plane, bounds), bounds).empty());
}

}  // namespace
}  // namespace kvx::test
