// The master's view read into a view-state message and the message put
// back into a slave's live view.
#include "conf_dpy_data.h"
#include "conference_doubles.h"
#include "log_capture.h"
#include "sdk/plugin_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <cmath>

namespace kvx::test {
namespace {

using conf::TlmFullManipInfo;
using F = TlmFullManipInfo;

struct ViewSync : ::testing::Test {
  RecordingSdk sdk;
  StandInFrame frame;
  kvx_ManipInfo manip = {};
  kvx_FrameInfo frameInfo = {800, 600, 0, 0, 0, 0};
  conf::ConfDpyData data{&frame, &sdk, &manip, &frameInfo};

  void SetUp() override {
    sdk.state().manip = &manip;
    sdk.state().frame = &frameInfo;
    const float bounds[6] = {-1, 3, 0, 2, -5, 5};
    std::copy_n(bounds, 6, manip.bounds);
    const float center[3] = {1, 1, 0};  // as a fitted view has them
    std::copy_n(center, 3, manip.center);
    manip.viewRadius = std::sqrt(16.f + 4 + 100);
    manip.fieldOfView = 32;
    manip.rotation[3] = 1;
  }
  TlmFullManipInfo read() {
    TlmFullManipInfo m;
    EXPECT_EQ(data.getData(&m), 0);
    return m;
  }
};

TEST_F(ViewSync, DisplayFlagsTravelInTheirOwnBits) {
  struct Case {
    uint8_t displayFlags;
    uint32_t f;
  };
  const Case cases[] = {{0x01, 0x40}, {0x02, 0x80}, {0x04, 0x100}, {0x08, 0x200},
                        {0x10, 0x400}, {0x20, 0x800}, {0x40, 0x2000}, {0x7f, 0x2fc0}};
  for (const Case& c : cases) {
    manip.displayFlags = c.displayFlags;
    EXPECT_EQ(read().f, c.f) << int(c.displayFlags);
    TlmFullManipInfo m;
    m.f = c.f;
    manip.displayFlags = 0x80;  // not carried: cleared on a slave
    ASSERT_EQ(data.applyData(&m), 0);
    EXPECT_EQ(manip.displayFlags, c.displayFlags);
  }
}

TEST_F(ViewSync, CheckMarksFollowTheFlagsAnd605FollowsTheLaterBit) {
  struct Case {
    uint32_t f;
    std::map<int, bool> checks;
  };
  const Case cases[] = {
      {0x40 | 0x100, {{600, true}, {604, false}, {601, true}, {602, false}, {605, false}}},
      {0x400, {{600, false}, {604, false}, {601, false}, {602, false}, {605, false}}},
      {0x800, {{605, true}}},
      {0x80 | 0x200 | 0x400 | 0x800, {{604, true}, {602, true}, {605, true}}},
  };
  for (const Case& c : cases) {
    TlmFullManipInfo m;
    m.f = c.f;
    ASSERT_EQ(data.applyData(&m), 0);
    for (const auto& [command, checked] : c.checks) EXPECT_EQ(frame.checks[command], checked) << command << " f " << c.f;
  }
}

TEST_F(ViewSync, ViewFieldsRoundTripAndCentreComesFromTheBounds) {
  manip.panX = 0.25f, manip.panY = -0.5f, manip.fieldOfView = 41;
  const float q[4] = {0.1f, 0.2f, 0.3f, 0.927361f};
  std::copy_n(q, 4, manip.rotation);
  const TlmFullManipInfo m = read();
  EXPECT_FLOAT_EQ(m.tx, 0.25f);
  EXPECT_FLOAT_EQ(m.ty, -0.5f);
  EXPECT_FLOAT_EQ(m.z, 41);
  EXPECT_FLOAT_EQ(m.q[2], 0.3f);
  EXPECT_FLOAT_EQ(m.bounds[5], 5);

  kvx_ManipInfo slave = {};
  kvx_FrameInfo slaveFrame = {800, 600, 0, 0, 0, 0};
  conf::ConfDpyData slaveData(&frame, &sdk, &slave, &slaveFrame);
  sdk.state().manip = &slave;
  ASSERT_EQ(slaveData.applyData(&m), 0);
  EXPECT_FLOAT_EQ(slave.panY, -0.5f);
  EXPECT_FLOAT_EQ(slave.rotation[3], 0.927361f);
  EXPECT_FLOAT_EQ(slave.center[0], 1);
  EXPECT_FLOAT_EQ(slave.center[1], 1);
  EXPECT_FLOAT_EQ(slave.center[2], 0);
  EXPECT_FLOAT_EQ(slave.viewRadius, std::sqrt(16.f + 4 + 100));
}

TEST_F(ViewSync, CameraViewWithItsOwnCentreReachesTheSlaveUnchanged) {
  const float center[3] = {2, 0.5f, -1};
  std::copy_n(center, 3, manip.center);
  manip.viewRadius = 4;
  kvx_CutPlane plane = {kvx_CutPlane::X_PLAN, false, 0.25f, false};  // cuts at x = 0
  manip.cutPlane = &plane;
  const TlmFullManipInfo m = read();

  kvx_ManipInfo slave = {};
  kvx_FrameInfo slaveFrame = {800, 600, 0, 0, 0, 0};
  conf::ConfDpyData slaveData(&frame, &sdk, &slave, &slaveFrame);
  sdk.state().manip = &slave;
  ASSERT_EQ(slaveData.applyData(&m), 0);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(slave.center[i], center[i], 1e-5) << i;
  EXPECT_NEAR(slave.viewRadius, 4, 1e-5);
  ASSERT_NE(slave.cutPlane, nullptr);
  const float cutAt = slave.bounds[0] + slave.cutPlane->position * (slave.bounds[1] - slave.bounds[0]);
  EXPECT_NEAR(cutAt, 0, 1e-5) << "the plane cuts where the master's does";
}

TEST_F(ViewSync, PointerScalesBetweenViewportsOfDifferentSizes) {
  struct Case {
    kvx_FrameInfo master, slave;
    float nx, ny, viewHeight;
    int x, y;
  };
  const Case cases[] = {
      {{800, 600, 0, 0, 500, 150}, {800, 600, 0, 0, 0, 0}, 100, 0.25f, 600, 500, 150},
      {{800, 600, 0, 0, 500, 150}, {400, 300, 0, 0, 0, 0}, 100, 0.25f, 600, 250, 75},
      {{800, 600, 0, 0, 300, 600}, {1000, 300, 0, 0, 0, 0}, -100, 1, 600, 450, 300},
      {{0, 0, 0, 0, 7, 9}, {400, 300, 0, 0, 0, 0}, 0, 0, 1, 200, 0},
  };
  for (const Case& c : cases) {
    frameInfo = c.master;
    const TlmFullManipInfo m = read();
    EXPECT_FLOAT_EQ(m.nx, c.nx);
    EXPECT_FLOAT_EQ(m.ny, c.ny);
    EXPECT_FLOAT_EQ(m.viewHeight, c.viewHeight);
    frameInfo = c.slave;
    sdk.cursorShown.clear();
    ASSERT_EQ(data.applyData(&m), 0);
    EXPECT_EQ(frameInfo.currentX, c.x);
    EXPECT_EQ(frameInfo.currentY, c.y);
    EXPECT_EQ(sdk.cursorShown, std::vector<bool>{true}) << "the slave shows the master's pointer";
  }
  sdk.cursorShown.clear();
  read();
  EXPECT_EQ(sdk.cursorShown, std::vector<bool>{false}) << "the master hides the remote pointer";
}

// A damaged or hostile view state must not overflow the pointer position.
TEST_F(ViewSync, PointerFromNonFiniteOrHugeValuesStaysRepresentable) {
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float nx, ny;
    int x, y;
  };
  const Case cases[] = {
      {inf, -inf, 0, 0},
      {std::nanf(""), 1e30f, 0, 1 << 20},
      {-1e30f, -1e30f, -(1 << 20), -(1 << 20)},
  };
  frameInfo = {400, 300, 0, 0, 0, 0};
  for (const Case& c : cases) {
    TlmFullManipInfo m = read();
    m.nx = c.nx;
    m.ny = c.ny;
    m.viewHeight = 300;
    ASSERT_EQ(data.applyData(&m), 0);
    EXPECT_EQ(frameInfo.currentX, c.x) << c.nx;
    EXPECT_EQ(frameInfo.currentY, c.y) << c.ny;
  }
}

TEST_F(ViewSync, CuttingPlaneTravelsWithItsFlags) {
  struct Case {
    int plan;
    bool inverted, transparent;
    uint32_t f;
  };
  const Case cases[] = {{1, false, false, F::kCutActive | F::kCutAlongX},
                        {2, true, false, F::kCutActive | F::kCutAlongY | F::kCutInverted},
                        {3, false, true, F::kCutActive | F::kCutAlongZ | F::kCutTransparent},
                        {-1, false, false, F::kCutAlongZ}};
  for (const Case& c : cases) {
    kvx_CutPlane plane = {static_cast<kvx_CutPlane::CurrentPlan>(c.plan), c.inverted, 0.3f, c.transparent};
    manip.cutPlane = &plane;
    const TlmFullManipInfo m = read();
    EXPECT_EQ(m.f, c.f) << c.plan;
    EXPECT_FLOAT_EQ(m.cp, 0.3f);
    manip.cutPlane = nullptr;
    ASSERT_EQ(data.applyData(&m), 0);
    if (c.plan == -1) {
      EXPECT_EQ(manip.cutPlane, nullptr);
      continue;
    }
    ASSERT_NE(manip.cutPlane, nullptr);
    EXPECT_EQ(manip.cutPlane->plan, c.plan);
    EXPECT_EQ(manip.cutPlane->inverted, c.inverted);
    EXPECT_EQ(manip.cutPlane->transparent, c.transparent);
    EXPECT_FLOAT_EQ(manip.cutPlane->position, 0.3f);
  }
  manip.cutPlane = nullptr;
  EXPECT_EQ(read().f & 0x3f, 0u) << "no record, no plane flags";
  EXPECT_EQ(read().cp, 0);
}

TEST_F(ViewSync, MeasurementTravelsOnlyWithAPositiveDistance) {
  kvx_Measure measure = {{1, 2, 3}, {4, 6, 3}, 5};
  manip.measure = &measure;
  TlmFullManipInfo m = read();
  EXPECT_TRUE(m.f & F::kMeasurePresent);
  EXPECT_FLOAT_EQ(m.measure[4], 6);
  measure.distance = -1;  // only the first point picked
  EXPECT_FALSE(read().f & F::kMeasurePresent);
  EXPECT_EQ(read().measure[0], 0);

  manip.measure = nullptr;
  ASSERT_EQ(data.applyData(&m), 0);
  ASSERT_NE(manip.measure, nullptr);
  EXPECT_FLOAT_EQ(manip.measure->pointB[1], 6);
  EXPECT_FLOAT_EQ(manip.measure->distance, 5);
}

TEST_F(ViewSync, ToolPanelOpensOnTheSlaveWithTheMastersCamera) {
  sdk.cameraIndex = 2;
  frame.panel = conf::kAnnotationPanel;
  TlmFullManipInfo m = read();
  EXPECT_EQ(m.f & 0x38000, uint32_t(F::kAnnotationPanelOpen));
  EXPECT_EQ(m.camera, 2);
  frame.panel = conf::kCutPlanePanel;
  EXPECT_EQ(read().f & 0x38000, uint32_t(F::kCutPanelOpen));
  EXPECT_EQ(read().camera, 0);
  frame.panel = conf::kMeasurePanel;
  EXPECT_EQ(read().f & 0x38000, uint32_t(F::kMeasurePanelOpen));

  frame.panel = conf::kNoToolPanel;
  sdk.cameraIndex = 0;
  ASSERT_EQ(data.applyData(&m), 0);
  EXPECT_EQ(frame.panel, conf::kAnnotationPanel);
  EXPECT_EQ(sdk.cameraChanges, std::vector<int>{2});
  EXPECT_GE(frame.renders, 1);
  frame.panelChanges = 0;
  ASSERT_EQ(data.applyData(&m), 0);
  EXPECT_EQ(frame.panelChanges, 0) << "an open panel stays";
  EXPECT_EQ(sdk.cameraChanges.size(), 1u) << "the same camera is not set again";
}

TEST_F(ViewSync, EmptyFlagsTurnOffPlaneMeasurementAndPanel) {
  TlmFullManipInfo full;
  full.f = F::kCutActive | F::kCutAlongX | F::kMeasurePresent | F::kCutPanelOpen;
  full.measure[3] = 1;
  ASSERT_EQ(data.applyData(&full), 0);
  ASSERT_NE(manip.cutPlane, nullptr);
  ASSERT_NE(manip.measure, nullptr);
  ASSERT_EQ(frame.panel, conf::kCutPlanePanel);

  TlmFullManipInfo empty;
  ASSERT_EQ(data.applyData(&empty), 0);
  EXPECT_EQ(manip.cutPlane, nullptr);
  EXPECT_EQ(manip.measure, nullptr);
  EXPECT_EQ(frame.panel, conf::kNoToolPanel);
  EXPECT_EQ(sdk.state().cutPlane->plan, -1) << "the SDK object was told the plane is off";
}

TEST_F(ViewSync, MissingPiecesAreRefusedAndLogged) {
  LogCapture log(LOG_ERROR);
  TlmFullManipInfo m;
  conf::ConfDpyData noRecords(&frame, &sdk, nullptr, &frameInfo);
  EXPECT_EQ(noRecords.getData(&m), -1);
  conf::ConfDpyData noSdk(&frame, nullptr, &manip, &frameInfo);
  EXPECT_EQ(noSdk.applyData(&m), -1);
  EXPECT_EQ(data.applyData(nullptr), -1);
  const std::string text = log.text();
  EXPECT_NE(text.find("ConfDpyData::getData: null manip or frame info.\n"), std::string::npos) << text;
  EXPECT_NE(text.find("ConfDpyData::applyData: error fmi"), std::string::npos) << text;
}

}  // namespace
}  // namespace kvx::test
