// Open Recent, Save As and its options dialog, Export Picture, the
// accelerators, dropped files and the question before a cut that empties
// the scene.
#include "canvas.h"
#include "command_ids.h"
#include "gui_fixture.h"
#include "preferences.h"
#include "recent_files.h"
#include "save_protection_dialog.h"
#include "save_rules.h"
#include "screenshot.h"
#include "temp_env.h"

#include <wx/dnd.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/radiobox.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <filesystem>

using namespace kavrik;
using kvx::test::FrameTest;

namespace {

void forgetAllRecentFiles() {
  for (const std::string& file : recentFiles(preferences())) forgetRecentFile(preferences(), file);
}

std::vector<std::string> recentLabels(MyFrame* frame) {
  std::vector<std::string> labels;
  for (wxMenuItem* item : frame->recentMenu()->GetMenuItems()) labels.push_back(item->GetItemLabel().utf8_string());
  return labels;
}

class RecentFiles : public FrameTest {
 protected:
  void SetUp() override {
    forgetAllRecentFiles();
    FrameTest::SetUp();
  }
  void TearDown() override {
    FrameTest::TearDown();
    forgetAllRecentFiles();
  }
};

}  // namespace

TEST(RecentFileList, NewestFirstWithoutRepeatsAndAtMostTen) {
  std::vector<std::string> files;
  for (int i = 0; i < 12; ++i) files = withRecentFile(files, "/f" + std::to_string(i));
  ASSERT_EQ(files.size(), kRecentFileCount);
  EXPECT_EQ(files.front(), "/f11");
  EXPECT_EQ(files.back(), "/f2");
  files = withRecentFile(files, "/f5");
  EXPECT_EQ(files.front(), "/f5");
  EXPECT_EQ(std::count(files.begin(), files.end(), "/f5"), 1);
  EXPECT_EQ(recentFileLabel(0, "/data/a&b.kvx"), "&1 a&&b.kvx  (/data)");
  EXPECT_EQ(recentFileLabel(9, "x.kvx"), "&0 x.kvx");
}

TEST_F(RecentFiles, LoadedFilesAreOfferedAgainAfterARestart) {
  loadFile(4096, "/data/a.kvx");
  loadFile(4096, "/data/b.kvx");
  EXPECT_EQ(recentLabels(frame), (std::vector<std::string>{"&1 b.kvx  (/data)", "&2 a.kvx  (/data)"}));
  frame->dispatch(CMD_CLOSE);
  EXPECT_TRUE(frame->GetMenuBar()->IsEnabled(CMD_OPEN_RECENT)) << "without a file too";
  EXPECT_TRUE(frame->GetMenuBar()->IsEnabled(CMD_FIRST_RECENT + 1));

  core().loadResult = 2048;
  frame->dispatch(CMD_FIRST_RECENT + 1);
  EXPECT_TRUE(core().sawRead("/data/a.kvx,null"));
  EXPECT_EQ(frame->currentFile(), "/data/a.kvx");
  EXPECT_EQ(recentLabels(frame).front(), "&1 a.kvx  (/data)");

  // A file that is gone leaves the list.
  core().loadResult = 3;
  frame->dispatch(CMD_FIRST_RECENT + 1);
  EXPECT_EQ(recentLabels(frame), std::vector<std::string>{"&1 a.kvx  (/data)"});

  auto* restarted = new MyFrame(nullptr, "t", wxDefaultPosition, wxSize(400, 300),
                                [](SdkPluginLoader&) { return new kvx_GL_Plugin; });
  EXPECT_EQ(recentLabels(restarted), std::vector<std::string>{"&1 a.kvx  (/data)"});
  restarted->Destroy();
  kvx::test::pump();
}

TEST_F(FrameTest, MenusShowTheStandardAccelerators) {
  const struct {
    int command;
    const char* accelerator;
  } cases[] = {{CMD_OPEN, "Ctrl+O"}, {CMD_CLOSE, "Ctrl+W"},      {CMD_SAVE_AS, "Ctrl+Shift+S"},
               {CMD_EXIT, "Ctrl+Q"}, {CMD_SELECT_ALL, "Ctrl+A"}, {CMD_FULL_SCREEN, "F11"}};
  for (const auto& c : cases) {
    wxMenuItem* item = frame->GetMenuBar()->FindItem(c.command);
    ASSERT_NE(item, nullptr) << c.command;
    const wxString label = item->GetItemLabel();
    EXPECT_EQ(label.AfterFirst('\t'), c.accelerator) << label;
  }
  EXPECT_EQ(frame->GetMenuBar()->FindItem(CMD_OPEN)->GetItemLabelText(), "Open...") << "the label itself stays";
}

TEST_F(FrameTest, ACutThatEmptiesTheSceneIsAskedAboutFirst) {
  loadFile();
  const struct {
    int command;
    int selected;
    bool asks;
  } cases[] = {{CMD_CUT_SELECTION, 10, true}, {CMD_CUT_SELECTION, 3, false}, {CMD_KEEP_SELECTION, 0, true},
               {CMD_KEEP_SELECTION, 3, false}};
  for (const auto& c : cases) {
    for (const bool answer : {false, true}) {
      core().points = 10;
      core().selectedPoints = c.selected;
      prompts->questions.clear();
      prompts->confirmations = {answer};
      core().clear();
      frame->dispatch(c.command);
      EXPECT_EQ(prompts->questions.size(), c.asks ? 1u : 0u) << c.command << " " << c.selected;
      EXPECT_EQ(core().saw("OnEvent(" + std::to_string(c.command) + ")"), !c.asks || answer)
          << c.command << " " << c.selected << " " << answer;
    }
  }
  EXPECT_EQ(prompts->questions.size(), 0u);
}

TEST_F(FrameTest, SaveAsWritesAProtectedSceneFileOrDxf) {
  kvx::test::TempEnv env;
  loadFile();
  frame->dispatch(CMD_SAVE_AS);
  EXPECT_FALSE(core().saw("SaveFileE(") ) << "cancelled";
  ASSERT_EQ(prompts->saveDialogs.size(), 1u);
  EXPECT_EQ(prompts->saveDialogs[0].rfind("Save As...|Kavrik files (*.kvx)|*.kvx|DXF files (*.dxf)|*.dxf|", 0), 0u)
      << "scene files and DXF first, then the models";

  const std::string scene = env.path("copy").string();
  prompts->saveChoices = {scene};
  prompts->protection = Prompts::SaveProtection{"phrase", 7, "", "editor"};
  core().saveResult = 5000;
  frame->dispatch(CMD_SAVE_AS);
  EXPECT_TRUE(core().saw("SetPasswords(null,editor)"));
  EXPECT_TRUE(core().saw("SaveFileE(" + scene + ".kvx,phrase,7)"));
  EXPECT_EQ(frame->currentFile(), scene + ".kvx");
  EXPECT_EQ(frame->titleText(), "Kavrik  - copy.kvx (4 KB)");

  const std::string dxf = env.path("faces.DXF").string();
  prompts->saveChoices = {dxf};
  core().saveResult = -1;
  core().clear();
  frame->dispatch(CMD_SAVE_AS);
  EXPECT_TRUE(core().saw("SaveFileE(" + dxf + ")"));
  EXPECT_TRUE(std::filesystem::exists(dxf));
  EXPECT_EQ(frame->currentFile(), scene + ".kvx") << "an export does not change the file";

  prompts->errors.clear();
  prompts->saveChoices = {env.path("locked.kvx").string()};
  prompts->protection = Prompts::SaveProtection{};
  core().saveResult = 6;
  core().clear();
  frame->dispatch(CMD_SAVE_AS);
  EXPECT_FALSE(core().saw("SetPasswords(null,null)")) << "no passwords given: the scene keeps its own";
  ASSERT_EQ(prompts->errors.size(), 1u);
  EXPECT_EQ(prompts->errors[0], "File save error: " + saveErrorText(6));
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "File '" + env.path("locked.kvx").string() + "' could not be saved.");
}

TEST_F(FrameTest, ExportPictureWritesThePngAtTheChosenSize) {
  kvx::test::TempEnv env;
  loadFile();
  frame->canvas()->Refresh();
  kvx::test::settle();
  const wxSize shown = frame->canvas()->GetClientSize();
  const std::string picture = env.path("view").string();
  prompts->texts = {std::string("120x90")};
  prompts->saveChoices = {picture};
  frame->dispatch(CMD_EXPORT_PICTURE);
  ASSERT_EQ(prompts->presets.size(), 1u);
  EXPECT_EQ(prompts->presets[0], std::to_string(shown.x) + "x" + std::to_string(shown.y)) << "the window's size first";
  wxImage written;
  ASSERT_TRUE(written.LoadFile(picture + ".png", wxBITMAP_TYPE_PNG));
  EXPECT_EQ(written.GetWidth(), 120);
  EXPECT_EQ(written.GetHeight(), 90);
  EXPECT_EQ(written.GetRed(60, 45), 255) << "the frame the core drew";
  EXPECT_EQ(written.GetGreen(60, 45), 0);

  prompts->texts = {std::string("big")};
  prompts->errors.clear();
  frame->dispatch(CMD_EXPORT_PICTURE);
  ASSERT_EQ(prompts->errors.size(), 1u);
  EXPECT_EQ(pictureSize(" 640 x 480 "), (std::pair{640, 480}));
  EXPECT_FALSE(pictureSize("0x10"));
  EXPECT_FALSE(pictureSize("20000x10"));
}

TEST_F(FrameTest, AFileDroppedOnTheWindowOpens) {
  wxDropTarget* target = frame->canvas()->GetDropTarget();
  auto* files = dynamic_cast<wxFileDropTarget*>(target);
  ASSERT_NE(files, nullptr);
  wxArrayString dropped;
  dropped.Add("/data/dropped.kvx");
  dropped.Add("/data/second.kvx");
  core().loadResult = 3000;
  EXPECT_TRUE(files->OnDropFiles(10, 10, dropped));
  EXPECT_TRUE(core().sawRead("/data/dropped.kvx,null"));
  EXPECT_FALSE(core().sawRead("/data/second.kvx,null"));
  EXPECT_EQ(frame->currentFile(), "/data/dropped.kvx");
  EXPECT_TRUE(frame->GetMenuBar()->IsEnabled(CMD_CLOSE));
}

TEST_F(FrameTest, TheSaveOptionsDialogSaysWhatItsFieldsHold) {
  auto* dialog = new SaveProtectionDialog(frame);
  dialog->Show();
  kvx::test::pump();
  Prompts::SaveProtection empty = dialog->protection();
  EXPECT_EQ(empty.passPhrase, "");
  EXPECT_EQ(empty.keyBytes, 16);
  dialog->passPhraseField()->ChangeValue("open sesame");
  dialog->keyLengthChoice()->SetSelection(1);
  dialog->readPasswordField()->ChangeValue("reader");
  dialog->writePasswordField()->ChangeValue("editor");
  kvx::test::saveScreenshot(dialog, "save-options-dialog");
  const Prompts::SaveProtection given = dialog->protection();
  EXPECT_EQ(given.passPhrase, "open sesame");
  EXPECT_EQ(given.keyBytes, 7);
  EXPECT_EQ(given.readPassword, "reader");
  EXPECT_EQ(given.writePassword, "editor");
  dialog->Destroy();
  kvx::test::pump();
}
