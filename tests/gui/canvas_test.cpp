// The canvas: the records handed to the core, pointer forwarding and keys.
#include "canvas.h"
#include "command_ids.h"
#include "gui_fixture.h"

#include <wx/toolbar.h>

#include <cstdio>
#include <optional>
#include <utility>

using namespace kavrik;
using kvx::test::FrameTest;

namespace {

const PointerState kHover{.moving = true};
const PointerState kLeftDrag{.leftDown = true, .moving = true};
const PointerState kLeftUp{.leftReleased = true};

class CanvasTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    loadFile();
    canvas = frame->canvas();
    canvas->handlePointer(kHover, 1, 1, false, false);  // the swallowed event after the load
    core().clear();
  }
  void pointer(const PointerState& state, int x, int y, bool entering = false, bool leaving = false) {
    canvas->handlePointer(state, x, y, entering, leaving);
  }
  const kvx_GL_Plugin::State::Pointer& last() { return core().pointer.back(); }

  ViewerCanvas* canvas = nullptr;
};

}  // namespace

TEST(Canvas, BindsItsRecordsOnceAndFollowsTheSize) {
  kvx_GL_Plugin* sdk = nullptr;
  auto* frame = new MyFrame(nullptr, "t", wxDefaultPosition, wxSize(500, 400),
                            [&](SdkPluginLoader&) { return sdk = new kvx_GL_Plugin; });
  frame->Show();
  kvx::test::pump();
  sdk->state().loadResult = 2000;
  ASSERT_TRUE(frame->loadFile("/scenes/a.kvx"));
  frame->canvas()->Refresh();
  kvx::test::pump();
  EXPECT_EQ(sdk->state().count("InitDisplay(0)"), 1) << "the desktop kind, once";
  ASSERT_NE(sdk->state().frame, nullptr);
  EXPECT_EQ(sdk->state().frame, &frame->canvas()->frameInfo());
  frame->SetSize(wxSize(700, 500));
  kvx::test::settle();
  const wxSize size = frame->canvas()->GetClientSize();
  EXPECT_EQ(frame->canvas()->frameInfo().width, size.x);
  EXPECT_EQ(frame->canvas()->frameInfo().height, size.y);
  EXPECT_TRUE(sdk->state().saw("Resize(" + std::to_string(size.x) + "," + std::to_string(size.y) + ")"));
  frame->Destroy();
  kvx::test::pump();
}

TEST_F(CanvasTest, ALeftDragRotatesStepByStepAndEndsWithARelease) {
  pointer(kHover, 10, 10);
  pointer(kLeftDrag, 20, 15);
  pointer(kLeftDrag, 30, 22);
  pointer(kLeftUp, 30, 22);
  std::vector<std::string> calls;
  for (const auto& p : core().pointer) calls.push_back(p.call);
  EXPECT_EQ(calls, (std::vector<std::string>{"OnMouseMove", "OnMouseMove", "OnMouseMove", "OnMouseUp",
                                             "OnMouseMove"}));
  const auto& secondStep = core().pointer[2];
  EXPECT_EQ(secondStep.event.actions, 1);
  EXPECT_EQ(secondStep.event.buttons, 1);
  EXPECT_EQ(secondStep.frame.startX, 20);
  EXPECT_EQ(secondStep.frame.startY, 15);
  EXPECT_EQ(secondStep.frame.currentX, 30);
  EXPECT_EQ(secondStep.frame.currentY, 22);
  EXPECT_EQ(last().event.actions, 0);
  EXPECT_EQ(core().count("Render()"), 2) << "each drag step is drawn";
}

TEST_F(CanvasTest, ADragReleasesTheViewTools) {
  frame->dispatch(CMD_VIEW_FRONT);
  ASSERT_TRUE(frame->GetToolBar()->GetToolState(CMD_VIEW_FRONT));
  pointer(kLeftDrag, 40, 40);
  EXPECT_EQ(frame->lastView(), 0);
  EXPECT_FALSE(frame->GetToolBar()->GetToolState(CMD_VIEW_FRONT));
}

TEST_F(CanvasTest, LeavingAndReenteringDoesNotMakeTheViewJump) {
  pointer(kLeftDrag, 100, 100);
  pointer(kLeftDrag, 700, 100, false, true);  // leaves
  pointer(kLeftDrag, 900, 300);               // outside: not forwarded
  const size_t before = core().pointer.size();
  pointer(kLeftDrag, 50, 60, true);  // comes back somewhere else
  ASSERT_EQ(core().pointer.size(), before + 1);
  EXPECT_EQ(last().frame.startX, 50);
  EXPECT_EQ(last().frame.startY, 60);
  pointer(kLeftDrag, 55, 62);
  EXPECT_EQ(last().frame.startX, 50);
  EXPECT_EQ(last().frame.currentX, 55);
}

TEST_F(CanvasTest, TheFirstEventAfterALoadIsSwallowed) {
  core().loadResult = 5000;
  ASSERT_TRUE(frame->loadFile("/scenes/other.kvx"));
  core().clear();
  pointer(kLeftDrag, 10, 10);
  EXPECT_TRUE(core().pointer.empty());
  pointer(kLeftDrag, 14, 10);
  ASSERT_EQ(core().pointer.size(), 1u);
  EXPECT_EQ(last().frame.startX, 10) << "the swallowed event still marks the start";
}

TEST_F(CanvasTest, ButtonsPickTheAction) {
  frame->dispatch(CMD_SELECTION);
  pointer({.rightDown = true, .moving = true}, 5, 5);
  EXPECT_EQ(last().event.actions, 4);
  EXPECT_EQ(last().event.buttons, 3);
  pointer({.leftDown = true, .rightDown = true, .moving = true, .shiftDown = true}, 6, 6);
  EXPECT_EQ(last().event.actions, 2);
  EXPECT_EQ(last().event.modifiers, 2);
  pointer(kLeftDrag, 7, 7);
  EXPECT_EQ(last().event.actions, 8);
}

TEST_F(CanvasTest, AReleaseInMeasurementModePicksAPointAndCallsHookZero) {
  static int viewChanges = 0;
  viewChanges = 0;
  frame->hooks().set(FrameHooks::VIEW_CHANGED, [](intptr_t) { ++viewChanges; }, 0);
  frame->dispatch(CMD_MEASUREMENT);
  viewChanges = 0;
  pointer(kLeftUp, 30, 30);
  ASSERT_GE(core().pointer.size(), 2u);
  EXPECT_EQ(core().pointer[0].call, "OnMouseUp");
  EXPECT_EQ(core().pointer[0].event.actions, 16);
  EXPECT_EQ(viewChanges, 1);
  frame->hooks().clear();
}

TEST_F(CanvasTest, RealMouseEventsTakeTheSameRoad) {
  wxMouseEvent motion(wxEVT_MOTION);
  motion.SetPosition(wxPoint(12, 13));
  motion.SetLeftDown(true);
  motion.SetEventObject(canvas);
  canvas->GetEventHandler()->ProcessEvent(motion);
  ASSERT_FALSE(core().pointer.empty());
  EXPECT_EQ(last().event.actions, 1);
  EXPECT_EQ(last().frame.currentX, 12);
  wxMouseEvent up(wxEVT_LEFT_UP);
  up.SetPosition(wxPoint(12, 13));
  up.SetLeftDown(true);  // the button state as the server reports it during the release
  canvas->GetEventHandler()->ProcessEvent(up);
  EXPECT_EQ(core().pointer[core().pointer.size() - 2].call, "OnMouseUp");
  EXPECT_EQ(last().event.actions, 0);
}

TEST_F(CanvasTest, KeysBecomeCommandsAndUnmappedKeysSendZero) {
  auto press = [&](int code, bool shift = false) {
    wxKeyEvent key(wxEVT_CHAR);
    key.m_keyCode = code;
    key.SetShiftDown(shift);
    key.SetEventObject(canvas);
    canvas->GetEventHandler()->ProcessEvent(key);
  };
  press('x');
  press('t');
  press(WXK_DELETE, true);
  EXPECT_EQ(core().events(), (std::vector<int>{0, 200, 877}));
  press(WXK_ESCAPE);
  EXPECT_EQ(core().events().back(), 2000);
}

TEST_F(CanvasTest, KeysWithAltOrCtrlBelongToTheMenus) {
  auto press = [&](int code, bool alt, bool control) {
    wxKeyEvent key(wxEVT_CHAR);
    key.m_keyCode = code;
    key.SetAltDown(alt);
    key.SetControlDown(control);
    key.SetEventObject(canvas);
    canvas->GetEventHandler()->ProcessEvent(key);
  };
  press('f', true, false);
  press('o', false, true);
  press('t', true, true);
  EXPECT_TRUE(core().events().empty());
  press('f', false, false);
  EXPECT_EQ(core().events(), std::vector<int>{201});
}

// The pan after each zoom step that keeps the point under the pointer, as
// the move it drags: {x, y} from the pointer; none when there is no pan.
std::optional<std::pair<int, int>> panAfterZoom(const kvx_GL_Plugin::State& core, int x, int y) {
  const std::string prefix = "ManipFromPointerMove(2," + std::to_string(x) + "," + std::to_string(y) + ",";
  for (const std::string& call : core.calls)
    if (call.rfind(prefix, 0) == 0) {
      int toX = 0, toY = 0;
      std::sscanf(call.c_str() + prefix.size(), "%d,%d", &toX, &toY);
      return std::pair{toX - x, toY - y};
    }
  return std::nullopt;
}

TEST_F(CanvasTest, TheWheelZoomsTowardsThePointer) {
  const int width = canvas->frameInfo().width, height = canvas->frameInfo().height;
  canvas->wheelZoom(width / 2, height / 2, 1);
  EXPECT_EQ(core().count("ManipFromPointerMove(4," + std::to_string(width / 2) + "," + std::to_string(height / 2) +
                         "," + std::to_string(width / 2) + "," + std::to_string(height / 2 - height / 10) + ")"),
            1);
  EXPECT_FALSE(panAfterZoom(core(), width / 2, height / 2)) << "at the centre a zoom needs no pan";
  core().clear();
  canvas->wheelZoom(10, 10, 1);  // closer, left of and above the centre
  auto pan = panAfterZoom(core(), 10, 10);
  ASSERT_TRUE(pan);
  EXPECT_GT(pan->first, 0) << "what grew away to the left is brought back";
  EXPECT_GT(pan->second, 0);
  core().clear();
  canvas->wheelZoom(10, 10, -1);  // farther
  pan = panAfterZoom(core(), 10, 10);
  ASSERT_TRUE(pan);
  EXPECT_LT(pan->first, 0);
  EXPECT_LT(pan->second, 0);
}

TEST_F(CanvasTest, TheWheelZoomsThroughTheCoreInSteps) {
  const int height = canvas->frameInfo().height;
  ASSERT_GT(height, 20);
  const int step = height / 10;
  wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
  wheel.m_x = 40, wheel.m_y = 50;
  wheel.m_wheelRotation = 240;  // two notches away from the user: closer
  wheel.m_wheelDelta = 120;
  wheel.m_wheelAxis = wxMOUSE_WHEEL_VERTICAL;
  wheel.SetEventObject(canvas);
  canvas->GetEventHandler()->ProcessEvent(wheel);
  const std::string closer = "ManipFromPointerMove(4,40,50,40," + std::to_string(50 - step) + ")";
  EXPECT_EQ(core().count(closer), 2);
  EXPECT_TRUE(core().saw("Render()"));
  EXPECT_EQ(canvas->frameInfo().startY, 50) << "the next drag starts at the pointer";
  EXPECT_EQ(canvas->frameInfo().currentY, 50);
  core().clear();
  canvas->wheelZoom(40, 50, -1);
  EXPECT_TRUE(core().saw("ManipFromPointerMove(4,40,50,40," + std::to_string(50 + step) + ")"));
  core().clear();
  canvas->wheelZoom(40, 50, 1000);
  EXPECT_EQ(core().count(closer), 5) << "a fast spin is limited";
}

TEST_F(CanvasTest, PaintDoesNotRenderWhileAnimating) {
  frame->dispatch(CMD_ANIMATION);
  core().clear();
  canvas->Refresh();
  kvx::test::pump();
  EXPECT_FALSE(core().saw("Render()"));
  frame->dispatch(CMD_ANIMATION);
  EXPECT_TRUE(core().saw("Render()")) << "stopping draws the view again";
}
