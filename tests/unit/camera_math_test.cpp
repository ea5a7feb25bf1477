// Quaternion helpers, pointer drags and the fitted view, against hand-computed values.
#include "interaction/manipulation.h"
#include "interaction/predefined_views.h"
#include "interaction/quaternion.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kvx {
namespace {

void expectQuat(const Quat& actual, const Quat& expected, float tolerance = 1e-5f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
  EXPECT_NEAR(actual.w, expected.w, tolerance);
}

const float kHalfRoot2 = std::sqrt(0.5f);

TEST(Trackball, SamePointIsTheIdentity) { EXPECT_EQ(trackball(0.3f, -0.2f, 0.3f, -0.2f), Quat{}); }

TEST(Trackball, SmallDragOnTheSphereTurnsAboutTheVerticalAxis) {
  // p1 = (0, 0, 0.8), p2 = (0.1, 0, sqrt(0.63)); |p1 - p2| * 0.625 = 0.0626226 = sin(angle / 2).
  expectQuat(trackball(0, 0, 0.1f, 0), {0, -0.0626226f, 0, 0.9980373f});
}

TEST(Trackball, DragOutsideTheBallUsesTheHyperbolicSheet) {
  // (1, 0) lies beyond t = 0.8 / sqrt 2: height t^2 / d = 0.32. p1 = (0, 0, 0.8).
  const float s = std::sqrt(1 + 0.48f * 0.48f) * 0.625f;
  expectQuat(trackball(0, 0, 1, 0), {0, -s, 0, std::sqrt(1 - s * s)});
}

TEST(Trackball, LongDragIsClampedToHalfATurn) {
  const Quat q = trackball(-3, 0, 3, 0);
  EXPECT_NEAR(q.w, 0, 1e-6f);
}

TEST(Composition, AppliesTheIncrementAfterTheCurrentRotation) {
  resetCompositionCount();
  const Quat aboutX = {kHalfRoot2, 0, 0, kHalfRoot2}, aboutY = {0, kHalfRoot2, 0, kHalfRoot2};
  expectQuat(composeRotation(aboutX, aboutY), {0.5f, 0.5f, -0.5f, 0.5f});
  expectQuat(composeRotation(aboutY, aboutX), {0.5f, 0.5f, 0.5f, 0.5f});
  const Quat aboutZ = {0, 0, kHalfRoot2, kHalfRoot2};
  expectQuat(composeRotation(aboutZ, aboutZ), {0, 0, 1, 0});
}

TEST(Composition, EveryNinetyEighthDividesBySumOfSquares) {
  resetCompositionCount();
  Quat q = {0, 0, 0, 2};
  for (int i = 1; i < 98; ++i) q = composeRotation(Quat{}, q);
  EXPECT_EQ(q, (Quat{0, 0, 0, 2}));
  q = composeRotation(Quat{}, q);
  EXPECT_EQ(q, (Quat{0, 0, 0, 0.5f}));
  q = composeRotation(Quat{}, q);
  EXPECT_EQ(q, (Quat{0, 0, 0, 0.5f}));
}

TEST(EulerAngles, MatchHandComputedQuaternions) {
  expectQuat(eulerToQuat(0, 0, 0), {0, 0, 0, 1});
  expectQuat(eulerToQuat(180, 0, 0), {0, 0, 1, 0});
  expectQuat(eulerToQuat(0, 180, 0), {0, 1, 0, 0});
  expectQuat(eulerToQuat(0, 0, 180), {1, 0, 0, 0});
  // Fitted view of a scene without the Z-up flag: halves 22.5 and 33.75 degrees.
  expectQuat(eulerToQuat(45, 0, 67.5f), {0.5132843f, 0.2126078f, 0.3181896f, 0.7681777f});
  expectQuat(fittedOrientation(false), eulerToQuat(45, 0, 67.5f));
  expectQuat(fittedOrientation(true), eulerToQuat(180, 135, 157.5f));
}

TEST(Slerp, InterpolatesAlongTheShortArc) {
  const Quat from = {};
  Quat to = {0, 0, 1, 0};
  expectQuat(slerp(from, to, 0), from);
  expectQuat(slerp(from, to, 0.5f), {0, 0, kHalfRoot2, kHalfRoot2});
  expectQuat(slerp(from, to, 1), to);
  Quat opposite = {0, 0, -kHalfRoot2, -kHalfRoot2};  // the same orientation as +45 degrees about z... negated
  expectQuat(slerp(from, opposite, 1), {0, 0, kHalfRoot2, kHalfRoot2});
  EXPECT_EQ(opposite, (Quat{0, 0, kHalfRoot2, kHalfRoot2}));  // negated in place for later frames
}

TEST(Slerp, NearlyEqualOrientationsMixLinearly) {
  const Quat from = {};
  Quat to = {0.01f, 0, 0, 0.99995f};
  expectQuat(slerp(from, to, 0.5f), {0.005f, 0, 0, 0.999975f});
}

TEST(PredefinedViews, AxisOrientationsAndTheirNegationsAreRecognised) {
  for (bool zUp : {false, true})
    for (int view = 0; view < 6; ++view) {
      const Quat q = *predefinedOrientation(view, zUp);
      EXPECT_TRUE(isAxisOrientation(q, zUp)) << view;
      EXPECT_TRUE(isAxisOrientation({-q.x, -q.y, -q.z, -q.w}, zUp)) << view;
      EXPECT_FALSE(isAxisOrientation({q.x + 0.00001f, q.y, q.z, q.w}, zUp)) << view;
    }
  EXPECT_FALSE(predefinedOrientation(6, false));
  EXPECT_FALSE(predefinedOrientation(-1, true));
  EXPECT_FALSE(isAxisOrientation(fittedOrientation(false), false));
  EXPECT_EQ(predefinedOrientation(2, false)->x, 0.707106f);
}

TEST(Eye, DirectionAndUpAreColumnsOfTheRotation) {
  float eye[3], up[3];
  const Quat front = *predefinedOrientation(kvx_BaseSDK::VIEW_FRONT, true);  // identity
  eyeDirection(front, eye);
  upVector(front, up);
  EXPECT_FLOAT_EQ(eye[2], 1);
  EXPECT_FLOAT_EQ(up[1], 1);
  const Quat top = *predefinedOrientation(kvx_BaseSDK::VIEW_TOP, true);
  eyeDirection(top, eye);
  EXPECT_NEAR(eye[1], 1, 1e-5f);  // looking down from +y
}

struct Drag : ::testing::Test {
  kvx_ManipInfo view = {};
  kvx_FrameInfo frame = {200, 100, 0, 0, 0, 0};
  void drag(int sx, int sy, int cx, int cy) {
    frame.startX = sx, frame.startY = sy, frame.currentX = cx, frame.currentY = cy;
  }
  void SetUp() override {
    view.rotation[3] = 1;
    view.fieldOfView = 32;
    view.viewRadius = 10;
  }
};

TEST_F(Drag, RotationWithoutMovementKeepsTheRotation) {
  resetCompositionCount();
  view.rotation[0] = 0.6f, view.rotation[3] = 0.8f;
  drag(40, 30, 40, 30);
  rotateView(view, frame);
  EXPECT_FLOAT_EQ(view.rotation[0], 0.6f);
  EXPECT_FLOAT_EQ(view.rotation[3], 0.8f);
}

TEST_F(Drag, RotationComposesTheTrackballIncrement) {
  resetCompositionCount();
  drag(100, 50, 110, 50);  // from the centre to (0.1, 0) normalised
  rotateView(view, frame);
  expectQuat(toQuat(view.rotation), trackball(0, 0, 0.1f, 0));
}

TEST_F(Drag, PanScalesWithRadiusFieldOfViewAndAspect) {
  drag(100, 50, 120, 40);
  panView(view, frame);
  // x: -(0 - 0.2) * 2 * 1 * 5 = 2; y: 1 * (0 - -0.2) * 5 = 1.
  EXPECT_FLOAT_EQ(view.panX, 2);
  EXPECT_FLOAT_EQ(view.panY, 1);
}

TEST_F(Drag, ZoomFollowsTheLongerDirection) {
  struct Case {
    int sx, sy, cx, cy;
    float fov;
  } cases[] = {
      {100, 50, 50, 50, 32 * (1 - 50.0f / 200)},   // horizontal
      {100, 50, 100, 25, 32 * (1 - 25.0f / 100)},  // vertical
      {100, 90, 100, -60, 32 * (1 - 150.0f / 100)},  // past the window: negative, not clamped
      {100, 50, 100, 5000, 179},                   // clamped above
  };
  for (const Case& c : cases) {
    view.fieldOfView = 32;
    drag(c.sx, c.sy, c.cx, c.cy);
    zoomView(view, frame);
    EXPECT_FLOAT_EQ(view.fieldOfView, c.fov) << c.cx << "," << c.cy;
  }
}

TEST(FitView, FramesTheSceneBounds) {
  scene s;
  auto object = std::make_unique<SceneObject>();
  Vertex a, b;
  a.x = -1, a.y = 0, a.z = 2;
  b.x = 3, b.y = 3, b.z = 2;
  object->geometry->vertices = {a, b};
  s.AddObjet(object);
  kvx_ManipInfo view = {};
  view.panX = 5;
  fitView(view, s);
  EXPECT_FLOAT_EQ(view.center[0], 1);
  EXPECT_FLOAT_EQ(view.center[1], 1.5f);
  EXPECT_FLOAT_EQ(view.center[2], 2);
  EXPECT_FLOAT_EQ(view.viewRadius, 5);  // the whole diagonal
  EXPECT_EQ(view.panX, 0);
  EXPECT_EQ(view.fieldOfView, 32);
  expectQuat(toQuat(view.rotation), fittedOrientation(false));
  s.sceneFlags |= KVX_SCENE_Z_UP;
  fitView(view, s);
  expectQuat(toQuat(view.rotation), fittedOrientation(true));
}

TEST(FitView, KeepsTheBoundsOfADegenerateScene) {
  scene s;
  auto object = std::make_unique<SceneObject>();
  object->geometry->vertices.resize(1);
  s.AddObjet(object);
  kvx_ManipInfo view = {};
  const float kept[6] = {-1, 1, -2, 2, -3, 3};
  std::copy(kept, kept + 6, view.bounds);
  fitView(view, s);
  EXPECT_TRUE(std::equal(kept, kept + 6, view.bounds));
  EXPECT_FLOAT_EQ(view.viewRadius, std::sqrt(4.0f + 16 + 36));
}

TEST(LiveCamera, WritesAndReadsBackTheView) {
  kvx_ManipInfo view = {};
  storeQuat(eulerToQuat(10, 20, 30), view.rotation);
  view.center[0] = 1, view.center[1] = 2, view.center[2] = 3;
  view.viewRadius = 4, view.fieldOfView = 25, view.panX = 0.5f, view.panY = -0.5f;
  SceneView camera;
  liveCamera(view, camera);
  float direction[3];
  eyeDirection(toQuat(view.rotation), direction);
  EXPECT_NEAR(camera.camera[CAM_EYE] - 1, 8 * direction[0], 1e-5f);
  kvx_ManipInfo back = {};
  kvx_FrameInfo frame = {10, 10, 1, 2, 3, 4};
  applyCamera(camera, back, &frame);
  EXPECT_NEAR(back.viewRadius, 4, 1e-5f);
  EXPECT_EQ(back.fieldOfView, 25);
  EXPECT_EQ(back.panY, -0.5f);
  EXPECT_TRUE(std::equal(view.rotation, view.rotation + 4, back.rotation));
  EXPECT_TRUE(std::equal(view.center, view.center + 3, back.center));
  EXPECT_EQ(frame.startX + frame.startY + frame.currentX + frame.currentY, 0);
}

}  // namespace
}  // namespace kvx
