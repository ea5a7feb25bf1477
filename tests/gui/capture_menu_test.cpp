// The Capture menu: enabling, requesting, and the sync timer loading the
// interceptor's result once its notice appears.
#include "command_ids.h"
#include "frame.h"
#include "gui_fixture.h"
#include "program_paths.h"

#include <wx/menu.h>

#include <filesystem>
#include <fstream>

using namespace kavrik;
using namespace kvx::test;

TEST_F(FrameTest, CaptureMenuEnablesRequestsAndLoadsTheResult) {
  wxMenuBar* bar = frame->GetMenuBar();
  frame->dispatch(CMD_ENABLE_CAPTURE);
  EXPECT_TRUE(core().saw("EnableCapture(1)"));
  EXPECT_TRUE(bar->IsChecked(CMD_ENABLE_CAPTURE));
  frame->dispatch(CMD_CAPTURE_NOW);
  EXPECT_TRUE(core().saw("CaptureNow()"));

  const std::string notice = programPaths().table.captureToViewer;
  std::filesystem::create_directories(std::filesystem::path(notice).parent_path());
  std::ofstream(notice).close();
  core().loadResult = 4096;
  for (int i = 0; i < 50 && !core().saw("LoadCapture()"); ++i) {
    wxMilliSleep(20);
    pump();
  }
  EXPECT_TRUE(core().saw("LoadCapture()"));
  EXPECT_FALSE(std::filesystem::exists(notice)) << "taken away, so that the next request can be answered";
  EXPECT_TRUE(bar->IsEnabled(CMD_CLOSE)) << "the file-loaded state, as after Open";

  frame->dispatch(CMD_ENABLE_CAPTURE);
  EXPECT_TRUE(core().saw("EnableCapture(0)"));
  EXPECT_FALSE(bar->IsChecked(CMD_ENABLE_CAPTURE));
}
