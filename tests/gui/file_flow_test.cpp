// Opening, loading and closing files: prompts, error texts, panels, title.
#include "canvas.h"
#include "command_ids.h"
#include "gui_fixture.h"
#include "preferences.h"
#include "program_paths.h"
#include "temp_env.h"

#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include <algorithm>
#include <atomic>
#include <chrono>

using namespace kavrik;
using kvx::test::FrameTest;

TEST_F(FrameTest, ASuccessfulLoadSetsTitleStatusMenusAndHook) {
  core().sceneTexts[1] = "joe";
  core().sceneTexts[3] = "Acme";
  core().loadResult = 9000;
  ASSERT_TRUE(frame->loadFile("/scenes/sample.kvx"));
  EXPECT_TRUE(core().sawRead("/scenes/sample.kvx,null"));
  EXPECT_TRUE(core().saw("AdoptPreparedScene(/scenes/sample.kvx)"));
  EXPECT_EQ(frame->titleText(), "Kavrik  - Acme - joe - sample.kvx (8 KB)");
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "File '/scenes/sample.kvx' loaded.");
  EXPECT_TRUE(frame->GetMenuBar()->IsEnabled(CMD_CLOSE));
  EXPECT_TRUE(frame->skipNextPointer());
  EXPECT_FALSE(frame->isBusy());
  EXPECT_EQ(frame->cursor(), 4);
  EXPECT_EQ(frame->progressGauge(), nullptr) << "the gauge goes with the load";
  const wxSize size = frame->canvas()->GetClientSize();
  EXPECT_TRUE(core().saw("Resize(" + std::to_string(size.x) + "," + std::to_string(size.y) + ")"));
}

TEST_F(FrameTest, EachFailedLoadNamesItsCause) {
  const struct {
    int result;
    const char* text;
  } cases[] = {{1, "File is not a Kavrik file, or contents could not be decrypted"},
               {2, "File format is corrupted, or contents could not be decrypted"},
               {3, "File does not exist"},
               {4, "Could not read file (I/O error)"},
               {5, "No objects in this file"},
               {6, "Undescript file load error"}};
  for (const auto& c : cases) {
    prompts->errors.clear();
    core().clear();
    core().loadResult = c.result;
    EXPECT_FALSE(frame->loadFile("/scenes/bad.kvx"));
    ASSERT_EQ(prompts->errors.size(), 1u);
    EXPECT_EQ(prompts->errors[0], std::string("File load error: ") + c.text);
    EXPECT_FALSE(core().saw("CloseFile()")) << "a failed read leaves the shown scene alone";
    EXPECT_FALSE(core().saw("AdoptPreparedScene(/scenes/bad.kvx)"));
    EXPECT_EQ(frame->currentFile(), "");
    EXPECT_EQ(frame->titleText(), "Kavrik  - Untitled (0 KB)");
    EXPECT_FALSE(frame->GetMenuBar()->IsEnabled(CMD_CLOSE));
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "File '/scenes/bad.kvx' could not be loaded.");
  }
  prompts->errors.clear();
  core().loadResult = 0;
  frame->loadFile("/scenes/new.kvx");
  ASSERT_EQ(prompts->errors.size(), 1u);
  EXPECT_EQ(prompts->errors[0].find("File load error: To visualize this Kavrik file please update"), 0u);
}

TEST_F(FrameTest, AnEncipheredFileAsksForThePassPhrase) {
  core().loadResult = 7;
  core().loadEResult = 3000;
  prompts->secrets = {std::string("open sesame")};
  EXPECT_TRUE(frame->loadFile("/scenes/secret.kvx"));
  EXPECT_EQ(prompts->questions, std::vector<std::string>{"Decrypt Password: Please enter decryption phrase"});
  EXPECT_TRUE(core().sawRead("/scenes/secret.kvx,open sesame"));
  EXPECT_EQ(frame->fileSize(), 3000);
}

TEST_F(FrameTest, ACancelledOrWrongPassPhraseFailsTheLoad) {
  core().loadResult = 7;
  prompts->secrets = {std::nullopt};
  EXPECT_FALSE(frame->loadFile("/scenes/secret.kvx"));
  EXPECT_EQ(core().reads, std::vector<std::string>{"/scenes/secret.kvx,null"}) << "no second read";
  EXPECT_EQ(prompts->errors, std::vector<std::string>{"File load error: Decryption error"});

  prompts->errors.clear();
  core().loadEResult = 2;
  prompts->secrets = {std::string("wrong")};
  EXPECT_FALSE(frame->loadFile("/scenes/secret.kvx"));
  EXPECT_EQ(prompts->errors,
            std::vector<std::string>{"File load error: File format is corrupted, or contents could not be decrypted"});
}

TEST_F(FrameTest, AReadProtectedFileNeedsItsPassword) {
  core().checkPasswords = [](const char* read) { return read && std::string(read) == "letmein" ? 0 : 1; };
  prompts->secrets = {std::string("letmein")};
  EXPECT_TRUE(frame->loadFile("/scenes/locked.kvx"));
  EXPECT_EQ(prompts->questions, std::vector<std::string>{"READ Password :: Please enter password for reading:"});
  EXPECT_TRUE(prompts->errors.empty());

  for (std::optional<std::string> answer : {std::optional<std::string>("guess"), std::optional<std::string>()}) {
    prompts->secrets = {answer};
    core().clear();
    EXPECT_FALSE(frame->loadFile("/scenes/locked.kvx"));
    EXPECT_EQ(prompts->errors.back(), "Bad password: Bad READ password !\nPlease try again.");
    EXPECT_TRUE(core().saw("CloseFile()"));
    EXPECT_FALSE(frame->GetMenuBar()->IsEnabled(CMD_CLOSE));
    EXPECT_EQ(frame->titleText(), "Kavrik  - Untitled (0 KB)");
  }
}

TEST_F(FrameTest, TheLastCaptureIsNeverRememberedAsTheFile) {
  std::string capture = programPaths().table.captureScene;
  for (char& c : capture) c = static_cast<char>(toupper(c));
  loadFile(2048, capture);
  EXPECT_EQ(frame->currentFile(), "");
  EXPECT_EQ(frame->titleText(), "Kavrik  - Untitled (2 KB)");
}

TEST_F(FrameTest, AnAnnotationOpensItsPanelBeforeTheCuttingPlane) {
  core().cutPlane.plan = kvx_CutPlane::Y_PLAN;
  loadFile();
  EXPECT_EQ(frame->openToolPanel(), CMD_CUTTING_PLANE);
  ASSERT_TRUE(frame->loadFile("/scenes/again.kvx"));
  EXPECT_TRUE(core().saw("SetCutPlane(-1)")) << "an open cutting-plane panel is reset";
  EXPECT_EQ(frame->openToolPanel(), CMD_CUTTING_PLANE);
  core().annotation = "Look at the hinge";
  loadFile();
  EXPECT_EQ(frame->openToolPanel(), CMD_ANNOTATIONS);
  loadFile();
  EXPECT_EQ(frame->openToolPanel(), CMD_ANNOTATIONS) << "closed by the load, opened again by the text";
  frame->dispatch(CMD_CLOSE);
  EXPECT_EQ(frame->openToolPanel(), -1) << "Close takes the annotations away";
}

TEST_F(FrameTest, AMeasurementEndsWithItsFile) {
  for (const bool close : {false, true}) {
    loadFile();
    frame->dispatch(CMD_MEASUREMENT);
    ASSERT_EQ(frame->mouseMode(), CMD_MEASUREMENT);
    ASSERT_EQ(frame->openToolPanel(), CMD_MEASUREMENT);
    core().clear();
    if (close)
      frame->dispatch(CMD_CLOSE);
    else
      loadFile(2048, "/data/scenes/other.kvx");
    EXPECT_EQ(frame->mouseMode(), CMD_ROTATE) << close;
    EXPECT_EQ(frame->openToolPanel(), -1) << close;
    EXPECT_FALSE(frame->GetToolBar()->GetToolState(CMD_MEASUREMENT)) << close;
  }
  EXPECT_TRUE(core().saw("OnEvent(500)"));
}

TEST_F(FrameTest, CloseStopsTheAnimationAndTellsTheHook) {
  static int closed = 0;
  frame->hooks().set(FrameHooks::FILE_CLOSED, [](intptr_t) { ++closed; }, 0);
  loadFile();
  frame->dispatch(CMD_ANIMATION);
  core().clear();
  frame->dispatch(CMD_CLOSE);
  EXPECT_FALSE(frame->isAnimating());
  EXPECT_EQ(core().events(), std::vector<int>{1103});
  EXPECT_TRUE(core().saw("CloseFile()"));
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Kavrik version 1.4.6z") << "not left on \"Closing file...\"";
  frame->hooks().clear();
}

TEST_F(FrameTest, OpenCompletesTheNameAndRemembersTheFolder) {
  kvx::test::TempEnv env;
  const std::string folder = env.root().string();
  kvx::test::writeFile(env.path("plain"), "x");
  prompts->openChoice = Prompts::OpenChoice{folder + "/scene", folder};
  core().loadResult = 100;
  frame->dispatch(CMD_OPEN);
  EXPECT_TRUE(core().sawRead(folder + "/scene.kvx,null"));
  EXPECT_EQ(preferences().get("lastOpenDir"), folder);
  prompts->openChoice = Prompts::OpenChoice{folder + "/plain", folder};
  frame->dispatch(CMD_OPEN);
  EXPECT_EQ(prompts->openedAt, folder);
  EXPECT_TRUE(core().sawRead(folder + "/plain,null")) << "an existing file keeps its name";
  EXPECT_TRUE(frame->GetMenuBar()->IsEnabled(CMD_CLOSE));

  prompts->openChoice.reset();
  core().clear();
  frame->dispatch(CMD_OPEN);
  EXPECT_FALSE(core().saw("CloseFile()")) << "a cancelled dialog changes nothing";
}

TEST_F(FrameTest, OpenAppliesTheKeptDisplayStates) {
  preferences().set("lines", "yes");
  preferences().set("trans", "yes");
  preferences().set("nodes", "no");
  core().sceneFlags = 0x2000;  // the file shows translucency already
  prompts->openChoice = Prompts::OpenChoice{"/scenes/a.kvx", "/scenes"};
  frame->dispatch(CMD_OPEN);
  std::vector<int> display;
  for (int code : core().events())
    if (code >= 600 && code <= 608) display.push_back(code);
  EXPECT_EQ(display, std::vector<int>{600});
  preferences().set("lines", "no");
  preferences().set("trans", "no");
}

TEST_F(FrameTest, FilePropertiesShowTheAuthor) {
  core().sceneTexts[1] = "joe";
  core().sceneTexts[3] = "Acme";
  core().sceneTexts[4] = "Project Number 4711-B/2";
  loadFile();
  frame->dispatch(CMD_PROPERTIES);
  wxWindow* dialog = nullptr;
  for (wxWindow* child : frame->GetChildren())
    if (child->GetLabel() == "File Properties") dialog = child;
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->IsShown());
  wxString text;
  for (wxWindow* child : dialog->GetChildren()) text += child->GetLabel();
  EXPECT_EQ(text, "User Name: joe\nCompany Name: Acme\nCustom Field: \nProject Number 4711\n-B/2");
  frame->dispatch(CMD_PROPERTIES);
  int dialogs = 0;
  for (wxWindow* child : frame->GetChildren()) dialogs += child->GetLabel() == "File Properties";
  EXPECT_EQ(dialogs, 1) << "one dialog, shown again";
}

// A file named on the command line is read while the window comes up; the
// load that follows takes that read over instead of reading again.
TEST_F(FrameTest, TheLoadTakesOverAReadStartedEarly) {
  const struct {
    const char* early;
    const char* loaded;
    int loadResult;
    std::vector<std::string> reads;
  } cases[] = {
      {"/scenes/a.kvx", "/scenes/a.kvx", 4096, {"/scenes/a.kvx,null"}},
      {"/scenes/a.kvx", "/scenes/b.kvx", 4096, {"/scenes/a.kvx,null", "/scenes/b.kvx,null"}},
      {"/scenes/secret.kvx", "/scenes/secret.kvx", 7, {"/scenes/secret.kvx,null", "/scenes/secret.kvx,pw"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.early) + " then " + c.loaded);
    core().clear();
    core().loadResult = c.loadResult;
    core().loadEResult = 3000;
    prompts->secrets = {std::string("pw")};
    frame->startReading(c.early);
    EXPECT_TRUE(frame->loadFile(c.loaded));
    // The early read and a fresh one run on their own threads, in either order.
    std::vector<std::string> reads = core().reads;
    std::sort(reads.begin(), reads.end());
    EXPECT_EQ(reads, c.reads);
    EXPECT_EQ(core().count("AdoptPreparedScene(" + std::string(c.loaded) + ")"), 1);
    EXPECT_EQ(frame->currentFile(), c.loaded);
    EXPECT_FALSE(frame->isLoading());
  }
}

// A window closed before its early read was taken over stops that read and
// frees what it made.
TEST_F(FrameTest, ClosingTheWindowStopsAnEarlyRead) {
  kvx_GL_Plugin* otherCore = nullptr;
  auto* other = new kavrik::MyFrame(nullptr, "other", wxDefaultPosition, wxSize(320, 240),
                                    [&](kavrik::SdkPluginLoader&) { return otherCore = new kvx_GL_Plugin; });
  std::atomic<bool> reading{false};
  otherCore->state().whileReading = [&](kvx_CancelableProgressFn progress, void* context) {
    reading = true;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end)
      if (progress(context, 0.5f)) return true;  // asked to stop
    return false;
  };
  other->startReading("/scenes/slow.kvx");
  while (!reading) wxMilliSleep(5);
  const auto closedAt = std::chrono::steady_clock::now();
  other->Destroy();
  kvx::test::pump();
  EXPECT_LT(std::chrono::steady_clock::now() - closedAt, std::chrono::seconds(10)) << "the read was not stopped";
}
