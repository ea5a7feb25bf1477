// The kavrik program itself, started as a user would under the X server:
// its version line, the frame with and without the core, and a scene shown
// and turned by a real pointer drag.
#include "program_driver.h"
#include "run_command.h"
#include "temp_env.h"

#include <gtest/gtest.h>
#include <wx/colour.h>
#include <wx/image.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace kvx::test;

const std::string kBin = KVX_BIN_DIR;

class KavrikProgram : public testing::Test {
 protected:
  void SetUp() override { kvx::test::writeFile(env.path("kavrik.log"), ""); }  // no first-run box
  kvx::test::TempEnv env;
};

}  // namespace

TEST_F(KavrikProgram, PrintsItsVersionWithoutADisplay) {
  auto result = runCommand("env -u DISPLAY " + kBin + "/kavrik --version 2>&1 >/dev/null");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, "TAMO " + kBin + "/kavrik version 1.4.6z (Oct  1 2004 10:38:45)\n");
}

TEST_F(KavrikProgram, HelpAndUnknownOptionsNeedNoDisplay) {
  auto help = runCommand("env -u DISPLAY " + kBin + "/kavrik --help 2>/dev/null");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.output.rfind("Usage: kavrik [FILE]\n", 0), 0u) << help.output;
  EXPECT_NE(help.output.find("--version"), std::string::npos);
  auto unknown = runCommand("env -u DISPLAY " + kBin + "/kavrik --open 2>&1 >/dev/null");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.output, "kavrik: unknown option '--open' (see 'kavrik --help')\n");
}

TEST_F(KavrikProgram, ComesUpWithoutTheCoreLibrary) {
  const fs::path alone = env.path("alone");
  fs::create_directories(alone);
  fs::copy_file(kBin + "/kavrik", alone / "kavrik");
  fs::permissions(alone / "kavrik", fs::perms::owner_all);
  RunningViewer viewer(alone / "kavrik", env.root(), {});
  auto frame = waitForWindow("Untitled");
  ASSERT_TRUE(frame) << "the frame is shown even without its core";
  EXPECT_EQ(frame->title, "Kavrik  - Untitled (0 KB)");
  EXPECT_EQ(waitpid(viewer.pid(), nullptr, WNOHANG), 0) << "still running";
}

TEST_F(KavrikProgram, ShowsTheSampleSceneAndTurnsItWithADrag) {
  const fs::path sample = env.path("sample.kvx");
  if (runCommand(kBin + "/kvx sample " + sample.string() + " 2>&1").status != 0)
    GTEST_SKIP() << "this kvx tool cannot write the sample scene yet";
  const long kilobytes = static_cast<long>(fs::file_size(sample)) / 1024;

  std::optional<ScreenWindow> empty;
  wxImage emptyView;
  {
    RunningViewer viewer(kBin + "/kavrik", env.root(), {});
    empty = waitForWindow("Untitled");
    ASSERT_TRUE(empty);
    wxMilliSleep(1000);
    emptyView = screenshot(*empty, env.path("empty.png"));
  }

  RunningViewer viewer(kBin + "/kavrik", env.root(), {sample.string()});
  auto frame = waitForWindow("sample.kvx");
  if (!frame) GTEST_SKIP() << "this core cannot load scene files yet";
  EXPECT_TRUE(std::regex_match(frame->title, std::regex("Kavrik  (- .+ )?- sample\\.kvx \\(" +
                                                            std::to_string(kilobytes) + " KB\\)")))
      << frame->title;
  wxMilliSleep(2500);  // the opening transition
  const wxImage before = screenshot(*frame, env.path("before.png"));
  ASSERT_TRUE(before.IsOk() && emptyView.IsOk());
  EXPECT_GT(difference(before, emptyView), 0.05) << "the canvas shows the scene, not the empty view";

  // Below the menus, tool bar and above the status bar lies the canvas.
  const int x = frame->x + frame->width / 2, y = frame->y + frame->height / 2;
  wxUIActionSimulator pointer;
  pointer.MouseMove(x - 60, y);
  wxMilliSleep(100);
  pointer.MouseMove(x - 50, y);  // the swallowed first event after the load
  wxMilliSleep(100);
  pointer.MouseDown();
  for (int step = 1; step <= 12; ++step) {
    pointer.MouseMove(x - 50 + step * 10, y + step * 3);
    wxMilliSleep(50);
  }
  pointer.MouseUp();
  wxMilliSleep(800);
  const wxImage after = screenshot(*frame, env.path("after.png"));
  EXPECT_GT(difference(before, after), 0.02) << "the drag turned the view";
}

// A file manager drops a scene file on the canvas (a real XDND exchange):
// it opens as File > Open would open it.
TEST_F(KavrikProgram, OpensAFileDroppedOnTheCanvas) {
  const fs::path scene = env.path("dropped scene.kvx");  // a space, escaped in the URI
  ASSERT_EQ(runCommand(kBin + "/kvx sample '" + scene.string() + "' 2>&1").status, 0);
  RunningViewer viewer(kBin + "/kavrik", env.root(), {});
  auto empty = waitForWindow("Untitled");
  ASSERT_TRUE(empty);
  wxMilliSleep(500);  // the canvas takes drops once it is realised
  const wxImage emptyView = screenshot(*empty, env.path("empty.png"));

  const int x = empty->x + empty->width / 2, y = empty->y + empty->height / 2;
  auto drop = runCommand(std::string(KVX_TEST_BIN_DIR) + "/xdnd_drop " + std::to_string(x) + " " + std::to_string(y) +
                         " '" + scene.string() + "' 2>&1");
  EXPECT_EQ(drop.status, 0) << drop.output;
  auto frame = waitForWindow("dropped scene.kvx");
  ASSERT_TRUE(frame) << "the dropped file was not opened";
  EXPECT_NE(frame->title.find("- dropped scene.kvx ("), std::string::npos) << frame->title;
  // The scene comes up after the opening transition.
  wxImage shown;
  for (int attempt = 0; attempt < 10; ++attempt) {
    wxMilliSleep(500);
    shown = screenshot(*frame, env.path("dropped.png"));
    if (shown.IsOk() && difference(shown, emptyView) > 0.05) break;
  }
  ASSERT_TRUE(shown.IsOk() && emptyView.IsOk());
  EXPECT_GT(difference(shown, emptyView), 0.05) << "the canvas shows the dropped scene";
}

// A glTF model named on the command line is imported and shown; the
// screenshot is kept in KVX_SCREENSHOT_DIR when set.
TEST_F(KavrikProgram, OpensAGltfModelFromTheCommandLine) {
  const fs::path model = "/usr/share/assimp/models/glTF2/BoxTextured-glTF/BoxTextured.gltf";
  ASSERT_TRUE(fs::exists(model));
  RunningViewer viewer(kBin + "/kavrik", env.root(), {model.string()});
  auto frame = waitForWindow("BoxTextured.gltf");
  ASSERT_TRUE(frame) << "the model was not opened";
  wxMilliSleep(2500);  // the opening transition
  const wxImage shown = screenshot(*frame, env.path("model.png"));
  ASSERT_TRUE(shown.IsOk());
  if (const char* folder = std::getenv("KVX_SCREENSHOT_DIR")) {
    fs::create_directories(folder);
    fs::copy_file(env.path("model.png"), fs::path(folder) / "program-gltf.png", fs::copy_options::overwrite_existing);
  }
  // The box covers the middle of the view in colours of its own.
  const wxColour corner(shown.GetRed(frame->width / 4, frame->height / 3),
                        shown.GetGreen(frame->width / 4, frame->height / 3),
                        shown.GetBlue(frame->width / 4, frame->height / 3));
  const int cx = frame->width / 2, cy = frame->height / 2;
  const int contrast = std::abs(shown.GetRed(cx, cy) - corner.Red()) + std::abs(shown.GetGreen(cx, cy) - corner.Green()) +
                       std::abs(shown.GetBlue(cx, cy) - corner.Blue());
  EXPECT_GT(contrast, 30) << "the model is drawn over the background";
}

// Fraction of a central patch that is pure black.
double blackFraction(const wxImage& image) {
  const int w = image.GetWidth(), h = image.GetHeight();
  int black = 0, total = 0;
  for (int y = h / 4; y < 3 * h / 4; y += 2)
    for (int x = w / 4; x < 3 * w / 4; x += 2, ++total)
      black += image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) == 0;
  return total ? static_cast<double>(black) / total : 0;
}

// The measurement line follows the pointer over the scene, which stays
// visible; Alt with a letter opens its menu rather than a view.
TEST_F(KavrikProgram, TheMeasurementLineLeavesTheSceneVisible) {
  const fs::path scene = env.path("duck.kvx");
  ASSERT_EQ(runCommand(kBin + "/kvx convert /usr/share/assimp/models/Collada/duck.dae " + scene.string()).status, 0);
  RunningViewer viewer(kBin + "/kavrik", env.root(), {scene.string()});
  auto frame = waitForWindow("duck.kvx");
  ASSERT_TRUE(frame);
  wxMilliSleep(2500);  // the opening transition
  const wxImage before = screenshot(*frame, env.path("before.png"));
  ASSERT_TRUE(before.IsOk());
  EXPECT_LT(blackFraction(before), 0.05);

  const int x = frame->x + frame->width / 2, y = frame->y + frame->height / 2;
  wxUIActionSimulator input;
  input.MouseMove(x, y);
  wxMilliSleep(100);
  input.MouseMove(x + 1, y);  // the swallowed first event after the load
  wxMilliSleep(100);
  input.Char('t', wxMOD_ALT);  // the Tools menu ...
  wxMilliSleep(300);
  input.Char('m');  // ... and its Measurement item
  // A loaded machine may take a while to open the panel: look again until it shows.
  wxImage measuring;
  for (int attempt = 0; attempt < 10; ++attempt) {
    wxMilliSleep(800);
    measuring = screenshot(*frame, env.path("measuring.png"));
    if (measuring.IsOk() && difference(before, measuring) > 0.05) break;
  }
  ASSERT_TRUE(measuring.IsOk());
  EXPECT_GT(difference(before, measuring), 0.05) << "the measurement panel and the vertex dots show";
  input.MouseMove(x, y);
  input.MouseClick();  // the first point, on the duck
  wxMilliSleep(300);
  for (int step = 1; step <= 8; ++step) {
    input.MouseMove(x + step * 8, y + step * 4);
    wxMilliSleep(60);
  }
  wxMilliSleep(500);
  const wxImage pending = screenshot(*frame, env.path("pending.png"));
  ASSERT_TRUE(pending.IsOk());
  EXPECT_LT(blackFraction(pending), 0.05) << "the view does not turn black around the line";
  EXPECT_LT(difference(measuring, pending), 0.05) << "the scene is still there; only the line is new";
  input.Char(WXK_ESCAPE);
}

TEST_F(KavrikProgram, OpensTheCaptureSettingsDialogAlone) {
  RunningViewer viewer(kBin + "/kavrik", env.root(), {"--capture-settings"});
  auto dialog = waitForWindow("Capture Settings");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->title, "Capture Settings");
  EXPECT_FALSE(waitForWindow("Untitled", 1)) << "no main frame";
  EXPECT_EQ(waitpid(viewer.pid(), nullptr, WNOHANG), 0) << "still running";
}

// The debug log tells when the scene named on the command line was read,
// first shown and settled after its opening transition: once each, in that
// order, for that file.
TEST_F(KavrikProgram, LogsTheReadFirstFrameAndSettledViewInOrder) {
  const fs::path sample = env.path("sample.kvx");
  ASSERT_EQ(runCommand(kBin + "/kvx sample " + sample.string() + " 2>&1").status, 0);
  const fs::path log = env.path("kavrik.err");
  RunningViewer viewer(kBin + "/kavrik", env.root(), {sample.string()}, {"KAVRIK_LOG_LEVEL=4"}, log);
  ASSERT_TRUE(waitUntil([&] { return readFile(log).find("view settled of") != std::string::npos; }, 30000))
      << readFile(log);
  const std::string text = readFile(log);
  const std::regex moment(R"((scene read|first frame|view settled) of (.+) at (\d+\.\d+)\n)");
  std::vector<std::string> order;
  double last = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), moment); it != std::sregex_iterator(); ++it) {
    order.push_back((*it)[1]);
    EXPECT_EQ((*it)[2], sample.string());
    const double at = std::stod((*it)[3]);
    EXPECT_GE(at, last) << (*it)[0];
    last = at;
  }
  EXPECT_EQ(order, (std::vector<std::string>{"scene read", "first frame", "view settled"})) << text;
}
