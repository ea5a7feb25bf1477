// Depth range, projection kind and orthographic box of a frame.
#include "interaction/manipulation.h"
#include "interaction/predefined_views.h"
#include "interaction/projection.h"

#include <gtest/gtest.h>

namespace kvx {
namespace {

struct ProjectionCase : ::testing::Test {
  scene s;
  SceneView camera;
  void SetUp() override {
    s.radius = 2;
    camera.camera[CAM_FOV] = 30;
    const Quat front = *predefinedOrientation(kvx_BaseSDK::VIEW_FRONT, true);
    storeQuat(front, camera.rotation);
  }
  void eyeAt(float z) { camera.camera[CAM_EYE + 2] = z; }
};

TEST_F(ProjectionCase, EyeOutsideTheSceneClipsAtItsSphere) {
  eyeAt(10);
  const Projection p = computeProjection(s, camera, 5, 200, 100, false);
  EXPECT_NEAR(p.nearPlane, 10 - 2 - 0.00001, 1e-6);
  EXPECT_DOUBLE_EQ(p.farPlane, 2 * 5 + 2 * 2);
}

TEST_F(ProjectionCase, EyeInsideTheSceneUsesTheViewRadius) {
  eyeAt(1);
  const Projection p = computeProjection(s, camera, 5, 200, 100, false);
  EXPECT_DOUBLE_EQ(p.nearPlane, 2 * 5 * 0.01);
  EXPECT_DOUBLE_EQ(p.farPlane, 1 + 2);
}

TEST_F(ProjectionCase, PointSizedSceneStillGetsAValidDepthRange) {
  s.radius = 0;
  eyeAt(0);
  const Projection p = computeProjection(s, camera, 0, 200, 100, false);
  EXPECT_GT(p.nearPlane, 0);
  EXPECT_GT(p.farPlane, p.nearPlane);
}

TEST_F(ProjectionCase, AxisOrientationsAreOrthographicUnlessAnimating) {
  eyeAt(10);
  EXPECT_FALSE(computeProjection(s, camera, 5, 200, 100, false).perspective);
  EXPECT_TRUE(computeProjection(s, camera, 5, 200, 100, true).perspective);
  for (float& c : camera.rotation) c = -c;
  EXPECT_FALSE(computeProjection(s, camera, 5, 200, 100, false).perspective);
  camera.rotation[0] += 0.001f;
  EXPECT_TRUE(computeProjection(s, camera, 5, 200, 100, false).perspective);
}

TEST_F(ProjectionCase, OrthographicBoxFollowsTheWiderSide) {
  eyeAt(10);
  const double k = 30.0 / 30 * 0.5 * 5;
  Projection wide = computeProjection(s, camera, 5, 200, 100, false);
  EXPECT_DOUBLE_EQ(wide.box[1], k * 2);
  EXPECT_DOUBLE_EQ(wide.box[3], k);
  Projection tall = computeProjection(s, camera, 5, 100, 200, false);
  EXPECT_DOUBLE_EQ(tall.box[1], k);
  EXPECT_DOUBLE_EQ(tall.box[3], k * 2);
  EXPECT_DOUBLE_EQ(tall.box[0], -k);
}

}  // namespace
}  // namespace kvx
