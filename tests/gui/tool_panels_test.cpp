// The tool panels inside the real frame: what they show from the SDK object
// and, for the cutting plane, how their controls drive it.
#include "command_ids.h"
#include "about_box.h"
#include "cutting_plane_panel.h"
#include "gui_fixture.h"
#include "screenshot.h"
#include "text_panels.h"
#include "view_panel.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

using namespace kavrik;
using kvx::test::FrameTest;

namespace {

class ToolPanelTest : public FrameTest {
 protected:
  template <typename Panel>
  Panel* open(int command) {
    frame->dispatch(command);
    kvx::test::pump();
    return dynamic_cast<Panel*>(frame->viewPanel()->toolPanel());
  }

  // All the static texts of a panel, in creation order, one per line.
  static std::string labels(wxWindow* panel) {
    std::string text;
    for (wxWindow* child : panel->GetChildren())
      if (auto* label = dynamic_cast<wxStaticText*>(child)) text += label->GetLabel().utf8_string() + "\n";
    return text;
  }

  // Sends a control the event a user's action would make.
  static void send(wxWindow* control, wxEventType type, int value = 0) {
    if (auto* radio = dynamic_cast<wxRadioButton*>(control)) radio->SetValue(true);
    if (auto* slider = dynamic_cast<wxSlider*>(control)) slider->SetValue(value);
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    event.SetInt(value);
    control->ProcessWindowEvent(event);
  }
};

}  // namespace

TEST_F(ToolPanelTest, NoneDisablesThePositionAndDisplayButNotTheAxis) {
  loadFile();
  auto* panel = open<CuttingPlanePanel>(CMD_CUTTING_PLANE);
  ASSERT_NE(panel, nullptr);
  auto enabled = [&] {
    return std::vector<bool>{panel->axisButton(0)->IsEnabled() && panel->axisButton(3)->IsEnabled(), panel->slider()->IsEnabled(),
                             panel->newField()->IsEnabled(), panel->applyButton()->IsEnabled(),
                             panel->invertBox()->IsEnabled(), panel->hideBox()->IsEnabled()};
  };
  EXPECT_EQ(panel->axisChoice(), 0);
  EXPECT_EQ(enabled(), (std::vector<bool>{true, false, false, false, false, false}));

  // Each choice cuts across its own axis, and the panel reads it back.
  const int plans[] = {-1, 3, 1, 2};
  for (int choice : {1, 2, 3, 0}) {
    core().clear();
    send(panel->axisButton(choice), wxEVT_RADIOBUTTON);
    EXPECT_TRUE(core().saw("SetCutPlane(" + std::to_string(plans[choice]) + ")")) << choice;
    EXPECT_TRUE(core().saw("Render()")) << choice;
    EXPECT_EQ(enabled()[1], choice != 0) << choice;
    core().cutPlane.plan = static_cast<kvx_CutPlane::CurrentPlan>(plans[choice]);
    frame->refreshToolPanel();
    EXPECT_EQ(panel->axisChoice(), choice);
  }
  EXPECT_EQ(enabled(), (std::vector<bool>{true, false, false, false, false, false}));
}

TEST_F(ToolPanelTest, NewPositionsAreClampedAndMoveTheSliderTheWayThePlaneMoved) {
  core().cutRange[2][0] = -2;  // Z, cut by the XY choice
  core().cutRange[2][1] = 8;
  loadFile();
  auto* panel = open<CuttingPlanePanel>(CMD_CUTTING_PLANE);
  ASSERT_NE(panel, nullptr);
  send(panel->axisButton(1), wxEVT_RADIOBUTTON);
  EXPECT_EQ(panel->currentLabel()->GetLabel(), "3.00") << "the plane starts half way";

  struct Case {
    const char* typed;
    const char* shown;
    int slider;
    const char* sent;
  };
  const Case cases[] = {
      {"12.5", "8.00", 100, "SetCutPlanePos(1)"},        // beyond the end
      {"-100", "-2.00", 0, "SetCutPlanePos(0)"},         // before the start
      {"not a number", "0.00", 20, "SetCutPlanePos(0.2)"},  // reads as 0
      {"3.333", "3.33", 54, "SetCutPlanePos(0.5333)"},   // grew: rounded up
      {"3.26", "3.26", 52, "SetCutPlanePos(0.526)"},     // shrank: rounded down
  };
  for (const Case& c : cases) {
    core().clear();
    panel->newField()->ChangeValue(c.typed);
    send(panel->applyButton(), wxEVT_BUTTON);
    EXPECT_EQ(panel->currentLabel()->GetLabel(), c.shown) << c.typed;
    EXPECT_EQ(panel->slider()->GetValue(), c.slider) << c.typed;
    EXPECT_EQ(panel->newField()->GetValue(), "") << c.typed;
    EXPECT_TRUE(core().saw(c.sent)) << c.typed << " " << (core().calls.empty() ? "" : core().calls.front());
  }

  // Enter in the New field applies too.
  core().clear();
  panel->newField()->ChangeValue("5.5");
  send(panel->newField(), wxEVT_TEXT_ENTER);
  EXPECT_EQ(panel->currentLabel()->GetLabel(), "5.50");
  EXPECT_TRUE(core().saw("SetCutPlanePos(0.75)"));
  kvx::test::saveScreenshot(frame, "cutting-plane-panel");
}

TEST_F(ToolPanelTest, AnEmptyRangePutsThePlaneAtItsStart) {
  core().cutRange[0][0] = core().cutRange[0][1] = 4;  // a flat scene along X
  loadFile();
  auto* panel = open<CuttingPlanePanel>(CMD_CUTTING_PLANE);
  ASSERT_NE(panel, nullptr);
  send(panel->axisButton(2), wxEVT_RADIOBUTTON);
  panel->newField()->ChangeValue("9");
  send(panel->applyButton(), wxEVT_BUTTON);
  EXPECT_EQ(panel->currentLabel()->GetLabel(), "4.00");
  EXPECT_TRUE(core().saw("SetCutPlanePos(0)"));
}

TEST_F(ToolPanelTest, TheSliderInvertAndHideDriveThePlane) {
  core().cutRange[1][0] = 0;  // Y, cut by the ZX choice
  core().cutRange[1][1] = 2;
  loadFile();
  auto* panel = open<CuttingPlanePanel>(CMD_CUTTING_PLANE);
  ASSERT_NE(panel, nullptr);
  send(panel->axisButton(3), wxEVT_RADIOBUTTON);
  core().clear();
  send(panel->slider(), wxEVT_SLIDER, 25);
  EXPECT_EQ(core().calls, (std::vector<std::string>{"SetCutPlanePos(0.25)", "Render()"}));
  EXPECT_EQ(panel->currentLabel()->GetLabel(), "0.50");

  core().clear();
  panel->invertBox()->SetValue(true);
  send(panel->invertBox(), wxEVT_CHECKBOX, 1);
  panel->hideBox()->SetValue(true);
  send(panel->hideBox(), wxEVT_CHECKBOX, 1);
  EXPECT_TRUE(core().saw("SetCutPlaneOrient(1)"));
  EXPECT_TRUE(core().saw("SetCutPlaneTransp(1)"));
  EXPECT_EQ(core().count("Render()"), 2);
  EXPECT_TRUE(panel->invertBox()->GetValue()) << "the refresh after Invert reads the plane back";
  EXPECT_FALSE(core().saw("OnEvent(103)")) << "panel controls are not frame commands";
}

TEST_F(ToolPanelTest, ARefreshShowsWhereThePlaneStands) {
  core().cutRange[0][0] = -1;
  core().cutRange[0][1] = 1;
  core().cutPlane = {kvx_CutPlane::X_PLAN, true, 0.75f, true};
  loadFile();
  frame->dispatch(CMD_CUTTING_PLANE);  // the load may have opened it already
  if (frame->openToolPanel() != CMD_CUTTING_PLANE) frame->dispatch(CMD_CUTTING_PLANE);
  core().cutPlane = {kvx_CutPlane::X_PLAN, true, 0.75f, true};
  frame->refreshToolPanel();
  auto* panel = dynamic_cast<CuttingPlanePanel*>(frame->viewPanel()->toolPanel());
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->axisChoice(), 2);
  EXPECT_TRUE(panel->invertBox()->GetValue());
  EXPECT_TRUE(panel->hideBox()->GetValue());
  EXPECT_EQ(panel->slider()->GetValue(), 75);
  EXPECT_EQ(panel->currentLabel()->GetLabel(), "0.50");
}

TEST_F(ToolPanelTest, ScenePropertiesNameTheLights) {
  core().points = 8;
  core().triangles = 12;
  core().objects = 1;
  core().lights = 1;
  loadFile();
  auto* panel = open<ScenePropertiesPanel>(CMD_SCENE_PROPERTIES);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(labels(panel),
            "-- Scene Properties --\n - 8 Points\n - 12 Triangles\n - 1 Objects\n - 1 Light\n"
            " - 0 Textures\n - 0 Selected Points\n\n\n");
  core().lights = -1;
  frame->refreshToolPanel();
  EXPECT_NE(labels(panel).find(" - 1 Automatic Light\n"), std::string::npos);
  kvx::test::saveScreenshot(frame, "scene-properties-panel");
}

TEST_F(ToolPanelTest, MeasurementBeforeAnyPickShowsZeros) {
  loadFile();
  auto* panel = open<MeasurementPanel>(CMD_MEASUREMENT);
  ASSERT_NE(panel, nullptr);
  const std::string zero = "0.000000";
  EXPECT_EQ(labels(panel), "Point 1:\n   x = " + zero + "\n   y = " + zero + "\n   z = " + zero +
                               "\n\nPoint 2:\n   x = " + zero + "\n   y = " + zero + "\n   z = " + zero +
                               "\n\nMeasurement:\n   dX = " + zero + "\n   dY = " + zero + "\n   dZ = " + zero +
                               "\n\n    L = " + zero + "\n");
  core().measure = {{1, 2, 3}, {1, 2, 5.5f}, 2.5f};
  frame->refreshToolPanel();
  EXPECT_NE(labels(panel).find("   dZ = 2.500000\n\n    L = 2.500000"), std::string::npos);
  kvx::test::saveScreenshot(frame, "measurement-panel");
}

TEST_F(ToolPanelTest, AnnotationsShowTheCurrentCamerasText) {
  core().cameras = 2;
  core().annotation = "Look at the hinge.\nIt wears first.";
  loadFile();
  auto* panel = dynamic_cast<AnnotationsPanel*>(frame->viewPanel()->toolPanel());
  ASSERT_NE(panel, nullptr) << "a camera with a text opens the panel on loading";
  EXPECT_EQ(labels(panel), "Annotation for camera \n \"Camera view 0\"\n");
  wxTextCtrl* text = nullptr;
  for (wxWindow* child : panel->GetChildren())
    if (auto* t = dynamic_cast<wxTextCtrl*>(child)) text = t;
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->GetValue(), "Look at the hinge.\nIt wears first.");
  EXPECT_FALSE(text->IsEditable());
  kvx::test::saveScreenshot(frame, "annotations-panel");
  core().annotation.clear();
  core().cameras = -1;  // no camera answers a name
  frame->refreshToolPanel();
  EXPECT_EQ(labels(panel), "Annotation for current\ncamera :\n");
  EXPECT_EQ(text->GetValue(), "");
}

TEST_F(ToolPanelTest, TheAboutBoxShowsTheVersionOverThePicture) {
  for (bool withOk : {true, false}) {
    auto box = createAboutBox(frame, withOk);
    EXPECT_EQ(box->GetTitle(), "About Kavrik");
    wxStaticText* version = nullptr;
    wxButton* ok = nullptr;
    for (wxWindow* child : box->GetChildren()) {
      if (auto* label = dynamic_cast<wxStaticText*>(child)) version = label;
      if (auto* button = dynamic_cast<wxButton*>(child)) ok = button;
    }
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->GetLabel(), "Version 1.4.6z");
    EXPECT_EQ(version->GetPosition(), wxPoint(258, 180)) << "over the picture, which is found";
    EXPECT_EQ(ok != nullptr, withOk);
    if (ok) {
      EXPECT_EQ(box->GetDefaultItem(), ok);
    }
    const wxPoint offset = box->GetScreenRect().GetPosition() + box->GetSize() / 2 -
                           (frame->GetScreenRect().GetPosition() + frame->GetSize() / 2);
    EXPECT_LE(std::abs(offset.x) + std::abs(offset.y), 2) << "centred on the frame";
    if (withOk) {
      box->Show();
      kvx::test::saveScreenshot(box.get(), "about-box");
    }
  }
}
