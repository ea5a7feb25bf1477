// The main frame with a recording stand-in for the SDK object: menu state,
// the dispatcher's actions, modes, panels, cameras, timers and exit.
#include "canvas.h"
#include "command_ids.h"
#include "gui_fixture.h"
#include "preferences.h"
#include "view_panel.h"

#include <wx/menu.h>
#include <wx/toolbar.h>

using namespace kavrik;
using kvx::test::FrameTest;

namespace {

std::vector<int> enabledItems(wxMenuBar* bar) {
  std::vector<int> enabled;
  std::function<void(wxMenu*)> visit = [&](wxMenu* menu) {
    for (wxMenuItem* item : menu->GetMenuItems()) {
      if (!item->IsSeparator() && item->IsEnabled()) enabled.push_back(item->GetId());
      if (item->GetSubMenu()) visit(item->GetSubMenu());
    }
  };
  for (size_t i = 0; i < bar->GetMenuCount(); ++i) visit(bar->GetMenu(i));
  std::sort(enabled.begin(), enabled.end());
  return enabled;
}

bool pressed(MyFrame* frame, int tool) { return frame->GetToolBar()->GetToolState(tool); }

}  // namespace

TEST_F(FrameTest, BuildsMenusToolsAndStatusAsTabled) {
  wxMenuBar* bar = frame->GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), 7u);
  EXPECT_EQ(bar->GetMenuLabel(0), "&File");
  EXPECT_EQ(bar->GetMenuLabel(5), "&Capture");
  EXPECT_EQ(bar->GetMenuLabel(6), "&Help");
  EXPECT_EQ(bar->FindItem(CMD_SET_VIEW)->GetSubMenu()->GetMenuItemCount(), 6u);
  EXPECT_EQ(bar->GetLabel(CMD_VIEW_BACK), "Bac&k View");
  EXPECT_TRUE(bar->IsChecked(CMD_INTERPOLATION));
  EXPECT_TRUE(bar->FindItem(CMD_SCENE_PROPERTIES)->IsCheckable());
  wxToolBar* tools = frame->GetToolBar();
  ASSERT_NE(tools, nullptr);
  EXPECT_EQ(tools->GetToolsCount(), 13u + 7u) << "13 tools and 7 separators";
  EXPECT_EQ(tools->GetToolShortHelp(CMD_SELECTION), "Selection Mode");
  EXPECT_EQ(tools->GetToolLongHelp(CMD_SCENE_PROPERTIES), "Displays Scene Properties...");
  EXPECT_EQ(frame->GetStatusBar()->GetFieldsCount(), 2);
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Kavrik version 1.4.6z");
  EXPECT_TRUE(pressed(frame, CMD_ROTATE));
  EXPECT_EQ(frame->canvas()->GetName(), "GLCanvas");
  EXPECT_EQ(frame->titleText(), "Kavrik  - Untitled (0 KB)");
}

TEST_F(FrameTest, ConstructionTellsTheCoreItsDifferenceSceneAndRemotePointer) {
  kvx_GL_Plugin* fresh = nullptr;
  auto* other = new MyFrame(nullptr, "t", wxDefaultPosition, wxSize(300, 200),
                            [&](SdkPluginLoader&) { return fresh = new kvx_GL_Plugin; });
  ASSERT_NE(fresh, nullptr);
  const auto& calls = fresh->state().calls;
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0].rfind("LoadDiffScene(", 0), 0u);
  EXPECT_NE(calls[0].find("/Files/diff.kvx)"), std::string::npos) << calls[0];
  EXPECT_TRUE(fresh->state().saw("SetCursor(32x32)"));
  other->Destroy();
  kvx::test::pump();
}

TEST_F(FrameTest, MenuStateFollowsTheFile) {
  // Files opened by earlier tests show in Open Recent, always enabled.
  auto enabledBesidesRecentFiles = [&] {
    std::vector<int> enabled = enabledItems(frame->GetMenuBar());
    std::erase_if(enabled, [](int id) { return id >= CMD_FIRST_RECENT && id < CMD_FIRST_RECENT + 10; });
    return enabled;
  };
  const std::vector<int> withoutFile{CMD_OPEN, CMD_EXIT,        CMD_OPEN_RECENT, 700,  702,  703,
                                     704,      705,             CMD_FULL_SCREEN, 3001, 3002, 3003};
  EXPECT_EQ(enabledBesidesRecentFiles(), withoutFile);
  loadFile();
  EXPECT_EQ(enabledBesidesRecentFiles().size(), 44u) << "every item, the submenus included";
  frame->dispatch(CMD_CLOSE);
  EXPECT_EQ(enabledBesidesRecentFiles(), withoutFile);
}

TEST_F(FrameTest, DispatchSendsTheCommandAndRenders) {
  const struct {
    int command;
    std::vector<int> events;
  } cases[] = {{CMD_VIEW_TOP, {200}},   {CMD_VIEW_BOTTOM, {205}},     {CMD_FIT, {207}},
               {CMD_AUTO_LIGHT, {215}}, {CMD_VIEW_CAMERA, {206}},     {CMD_NOOP_603, {603}},
               {CMD_LINES, {600}},      {CMD_AXIS, {605}},            {CMD_NEXT_CAMERA, {211}},
               {CMD_SELECT_ALL, {900}}, {CMD_KEEP_SELECTION, {877}},  {CMD_PAN, {501}},
               {CMD_TOGGLE_ZY, {608, 207}}, {4242, {4242}},          {CMD_NONE, {0}}};
  loadFile();
  for (const auto& c : cases) {
    core().clear();
    frame->dispatch(c.command);
    EXPECT_EQ(core().events(), c.events) << c.command;
    if (c.command != 4242 && c.command != CMD_NONE) {
      EXPECT_TRUE(core().saw("Render()")) << c.command;
    }
  }
}

TEST_F(FrameTest, ViewCommandsPressTheirToolUntilTheViewMoves) {
  loadFile();
  frame->dispatch(CMD_VIEW_LEFT);
  EXPECT_TRUE(pressed(frame, CMD_VIEW_LEFT));
  frame->dispatch(CMD_VIEW_TOP);
  EXPECT_TRUE(pressed(frame, CMD_VIEW_TOP));
  EXPECT_FALSE(pressed(frame, CMD_VIEW_LEFT));
  frame->dispatch(CMD_FIT);
  EXPECT_TRUE(pressed(frame, CMD_FIT));
  frame->dispatch(CMD_TOGGLE_ZY);
  for (int tool : {CMD_VIEW_LEFT, CMD_VIEW_FRONT, CMD_VIEW_TOP, CMD_FIT})
    EXPECT_FALSE(pressed(frame, tool)) << "Toggle Z/Y releases " << tool;
}

TEST_F(FrameTest, SelectionToolPressedTwiceSelectsNothingAndRotates) {
  loadFile();
  frame->dispatch(CMD_SELECTION);
  EXPECT_EQ(frame->mouseMode(), CMD_SELECTION);
  EXPECT_TRUE(pressed(frame, CMD_SELECTION));
  frame->dispatch(CMD_SELECTION);
  EXPECT_EQ(frame->mouseMode(), CMD_ROTATE);
  EXPECT_TRUE(pressed(frame, CMD_ROTATE));
  EXPECT_EQ(core().events(), (std::vector<int>{903, 912}));
  EXPECT_EQ(frame->cursor(), 4);
}

TEST_F(FrameTest, MeasurementPanelRules) {
  loadFile();
  frame->dispatch(CMD_MEASUREMENT);
  EXPECT_EQ(frame->openToolPanel(), CMD_MEASUREMENT);
  EXPECT_EQ(frame->mouseMode(), CMD_MEASUREMENT);
  EXPECT_EQ(frame->cursor(), 1);
  EXPECT_TRUE(frame->GetMenuBar()->IsChecked(CMD_MEASUREMENT));

  // Escape returns to rotate; Measurement then leaves the open panel alone.
  frame->dispatch(CMD_ESCAPE);
  EXPECT_EQ(frame->mouseMode(), CMD_ROTATE);
  frame->dispatch(CMD_MEASUREMENT);
  EXPECT_EQ(frame->openToolPanel(), CMD_MEASUREMENT);
  EXPECT_EQ(frame->mouseMode(), CMD_MEASUREMENT);

  // A pointer mode keeps the panel once a measurement was taken...
  core().measure = {{0, 0, 0}, {0, 0, 2.5f}, 2.5f};
  frame->dispatch(CMD_PAN);
  EXPECT_EQ(frame->openToolPanel(), CMD_MEASUREMENT);
  // ...and closes it while there is none.
  core().measure = {};
  frame->dispatch(CMD_ZOOM);
  EXPECT_EQ(frame->openToolPanel(), -1);
  EXPECT_FALSE(frame->GetMenuBar()->IsChecked(CMD_MEASUREMENT));

  frame->dispatch(CMD_MEASUREMENT);
  core().clear();
  frame->dispatch(CMD_MEASUREMENT);
  EXPECT_EQ(frame->openToolPanel(), -1);
  EXPECT_EQ(frame->mouseMode(), CMD_ROTATE);
  EXPECT_EQ(core().events(), std::vector<int>{500});
}

TEST_F(FrameTest, ToolPanelsShareOneStripBesideTheCanvas) {
  loadFile();
  ViewPanel* view = frame->viewPanel();
  const int width = view->GetClientSize().x;
  EXPECT_EQ(frame->canvas()->GetPosition().x, 0);
  frame->dispatch(CMD_CUTTING_PLANE);
  EXPECT_EQ(frame->openToolPanel(), CMD_CUTTING_PLANE);
  EXPECT_EQ(frame->cursor(), 4) << "rotate mode keeps its cursor";
  EXPECT_EQ(frame->canvas()->GetPosition().x, 140);
  EXPECT_EQ(frame->canvas()->GetSize().x, width - 140);
  EXPECT_TRUE(pressed(frame, CMD_CUTTING_PLANE));
  frame->dispatch(CMD_ANNOTATIONS);
  EXPECT_EQ(frame->openToolPanel(), CMD_ANNOTATIONS);
  EXPECT_FALSE(pressed(frame, CMD_CUTTING_PLANE));
  EXPECT_FALSE(frame->GetMenuBar()->IsChecked(CMD_CUTTING_PLANE));
  EXPECT_TRUE(frame->GetMenuBar()->IsChecked(CMD_ANNOTATIONS));
  frame->SetSize(wxSize(800, 600));
  kvx::test::settle();
  EXPECT_EQ(frame->canvas()->GetPosition().x, 140);
  EXPECT_EQ(frame->canvas()->GetSize().x, view->GetClientSize().x - 140);
  frame->dispatch(CMD_ANNOTATIONS);
  EXPECT_EQ(frame->openToolPanel(), -1);
  EXPECT_EQ(frame->canvas()->GetPosition().x, 0);
  EXPECT_EQ(frame->canvas()->GetSize().x, view->GetClientSize().x);
}

TEST_F(FrameTest, EscapeStopsTheAnimationAndSwapsModes) {
  loadFile();
  frame->dispatch(CMD_PAN);
  core().clear();
  frame->dispatch(CMD_ESCAPE);
  EXPECT_EQ(frame->mouseMode(), CMD_ROTATE);
  EXPECT_EQ(core().events(), (std::vector<int>{1103, 2000}));
  frame->dispatch(CMD_ESCAPE);
  EXPECT_EQ(frame->mouseMode(), CMD_PAN) << "the second Escape brings the saved mode back";
}

TEST_F(FrameTest, AnimationToolStartsAndStops) {
  loadFile();
  frame->dispatch(CMD_ANIMATION);
  EXPECT_TRUE(frame->isAnimating());
  EXPECT_TRUE(pressed(frame, CMD_ANIMATION));
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "*** click on play/stop button to stop animation ***");
  EXPECT_FALSE(core().saw("Render()")) << "the timer draws while animating";
  // Ticks draw frames; the end of a tour asks for the next step.
  wxMilliSleep(100);
  kvx::test::pump();
  EXPECT_TRUE(core().saw("AnimFrame()"));
  EXPECT_TRUE(core().saw("OnEvent(1102)"));
  frame->dispatch(CMD_STOP_ANIMATION);
  EXPECT_FALSE(frame->isAnimating());
  EXPECT_FALSE(pressed(frame, CMD_ANIMATION));
  auto events = core().events();
  EXPECT_EQ(events.front(), 1101);
  EXPECT_EQ(events.back(), 1103);
}

TEST_F(FrameTest, CameraSubmenuFollowsTheCameras) {
  core().cameras = 0;
  loadFile();
  EXPECT_EQ(frame->cameraMenu()->GetMenuItemCount(), 0u);
  frame->dispatch(CMD_CLOSE);
  core().cameras = 99;
  loadFile();
  ASSERT_EQ(frame->cameraMenu()->GetMenuItemCount(), 99u);
  EXPECT_EQ(frame->cameraMenu()->FindItemByPosition(98)->GetId(), CMD_LAST_CAMERA);
  EXPECT_EQ(frame->cameraMenu()->GetLabel(CMD_FIRST_CAMERA), "Camera view 1");
  frame->dispatch(CMD_CLOSE);
  core().cameras = 120;
  loadFile();
  EXPECT_EQ(frame->cameraMenu()->GetMenuItemCount(), 99u) << "no camera spills into the mode commands";
  core().clear();
  frame->dispatch(305);
  EXPECT_TRUE(core().saw("SetCurrentCamera(5)"));
  EXPECT_TRUE(core().events().empty());
  core().cameras = 0;
  frame->dispatch(CMD_CLOSE);
  EXPECT_EQ(frame->cameraMenu()->GetMenuItemCount(), 0u);
}

TEST_F(FrameTest, DisplayChecksFollowTheSceneFlags) {
  core().sceneFlags = 0x1000 | 0x1;
  loadFile();
  wxMenuBar* bar = frame->GetMenuBar();
  EXPECT_TRUE(bar->IsChecked(CMD_LINES));
  EXPECT_TRUE(bar->IsChecked(CMD_AXIS));
  EXPECT_FALSE(bar->IsChecked(CMD_FACES));
  core().sceneFlags = 0x800 | 0x4;
  frame->dispatch(CMD_FACES);
  EXPECT_FALSE(bar->IsChecked(CMD_LINES));
  EXPECT_TRUE(bar->IsChecked(CMD_FACES));
  EXPECT_TRUE(bar->IsChecked(CMD_TOGGLE_ZY));
}

TEST_F(FrameTest, HelpItemsOpenPagesAndAboutShowsTheBox) {
  preferences().set("helpSupportPage", "https://support.example/kavrik");
  frame->dispatch(CMD_HELP_SUPPORT);
  frame->dispatch(CMD_HELP_HOME);
  frame->dispatch(CMD_ABOUT);
  ASSERT_EQ(prompts->pages.size(), 2u);
  EXPECT_EQ(prompts->pages[0], "https://support.example/kavrik");
  EXPECT_EQ(prompts->pages[1].rfind("https://", 0), 0u);
  EXPECT_EQ(prompts->abouts, 1);
  EXPECT_TRUE(core().events().empty());
}

TEST_F(FrameTest, HooksHearViewChangesLoadsClosesAndExit) {
  static std::vector<std::string> heard;
  heard.clear();
  auto hook = [](intptr_t value) { heard.push_back(std::to_string(value)); };
  frame->hooks().set(FrameHooks::FILE_LOADED, hook, 1);
  frame->hooks().set(FrameHooks::FILE_CLOSED, hook, 2);
  frame->hooks().set(FrameHooks::EXIT, hook, 3);
  loadFile();
  frame->dispatch(CMD_CLOSE);
  frame->dispatch(CMD_EXIT);
  EXPECT_EQ(heard, (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_FALSE(wxTheApp->IsScheduledForDestruction(frame)) << "the exit hook replaces the exit";
  frame->hooks().set(FrameHooks::VIEW_CHANGED, hook, 0);
  wxMilliSleep(400);
  kvx::test::pump();
  EXPECT_NE(std::find(heard.begin(), heard.end(), "0"), heard.end()) << "the sync timer calls hook 0";
  frame->hooks().clear();
}

TEST_F(FrameTest, ExitClosesTheFileAndKeepsTheDisplayPreferences) {
  core().sceneFlags = 0x2000 | 0x800;
  loadFile();
  frame->dispatch(CMD_EXIT);
  EXPECT_TRUE(core().saw("CloseFile()"));
  EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(frame));
  EXPECT_EQ(preferences().get("trans"), "yes");
  EXPECT_EQ(preferences().get("faces"), "yes");
  EXPECT_EQ(preferences().get("lines"), "no");
  EXPECT_EQ(preferences().get("nodes"), "no");
  EXPECT_EQ(preferences().get("toggle"), "no");
}

TEST_F(FrameTest, WithoutTheCoreEveryCommandIsHarmless) {
  auto* bare = new MyFrame(nullptr, "t", wxDefaultPosition, wxSize(300, 200),
                           [](SdkPluginLoader&) -> kvx_GL_Plugin* { return nullptr; });
  bare->Show();
  kvx::test::pump();
  for (int command : {100, 101, 110, 200, 207, 211, 301, 500, 600, 608, 903, 1000, 1002, 1006, 1100, 2000, 4242})
    bare->dispatch(command == 100 ? CMD_NONE : command);
  EXPECT_FALSE(bare->loadFile("/x/scene.kvx"));
  bare->canvas()->handlePointer({.leftDown = true, .moving = true}, 10, 10, false, false);
  bare->canvas()->Refresh();
  kvx::test::pump();
  EXPECT_EQ(bare->titleText(), "Kavrik  - Untitled (0 KB)");
  bare->dispatch(CMD_EXIT);
  kvx::test::pump();
}
