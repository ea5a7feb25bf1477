// The capture settings dialog against files in a private installation: the
// list, the controls, Apply with its custom-entry flow, Reset, OK and Close.
#include "capture_command_file.h"
#include "capture_settings_dialog.h"
#include "file_size_limit.h"
#include "gui_fixture.h"
#include "platform/registry_store.h"
#include "screenshot.h"
#include "services/capture_options.h"
#include "services/paths.h"
#include "temp_env.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>

using namespace kavrik;
using kvx::test::readFile;
using kvx::test::writeFile;

namespace {

const char* const kPredefined =
    "Modeller 3|Main Window|inch|1|0|true|false|true|false|true|false|PROESPECIAL|\n"
    "Sketcher|Sketch|mm|2|1|false|false|false|true|false|false|NOSPECIAL|\n";
const char* const kCustom = "My Tool|||0|2|false|true|false|true|false|false|NOSPECIAL|\n";

class CaptureSettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    install = env.path("install").string();
    kvx::registry::setString(kvx::registry::Hive::LocalMachine, kvx::kViewerInstallKey, "InstallPath", install);
    files = {install + "/Files/kavrik_cmd.txt", install + "/Files/custom_settings.txt",
             install + "/Files/predefined_settings.txt"};
    writeFile(files.predefinedSettings, kPredefined);
    writeFile(files.customSettings, kCustom);
  }
  void TearDown() override {
    if (dialog) dialog->Destroy();
    kvx::test::pump();
  }

  void open() {
    auto scripted = std::make_unique<kvx::test::ScriptedPrompts>();
    prompts = scripted.get();
    dialog = new CaptureSettings(nullptr, std::move(scripted), files);
    dialog->Show();
    kvx::test::pump();
  }
  std::vector<std::string> items() const {
    std::vector<std::string> names;
    for (const wxString& item : dialog->applicationList()->GetStrings()) names.push_back(item.utf8_string());
    return names;
  }
  std::vector<bool> boxes() const {
    std::vector<bool> values;
    for (int i = 0; i < CaptureSettings::kOptions; ++i)
      values.push_back(dialog->optionBox(static_cast<CaptureSettings::Option>(i))->GetValue());
    return values;
  }
  // Ticks a box as the user would.
  void tick(CaptureSettings::Option option, bool on) {
    wxCheckBox* box = dialog->optionBox(option);
    box->SetValue(on);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    event.SetInt(on);
    box->ProcessWindowEvent(event);
  }

  kvx::test::TempEnv env;
  std::string install;
  CaptureSettingsFiles files;
  CaptureSettings* dialog = nullptr;
  kvx::test::ScriptedPrompts* prompts = nullptr;
};

}  // namespace

TEST_F(CaptureSettingsTest, ListsPredefinedThenCustomAndShowsTheLastApplied) {
  writeFile(files.commandFile, "Sketcher\nM.ATRIX1\nMATRIX2\n");
  open();
  EXPECT_EQ(items(), (std::vector<std::string>{"Modeller 3", "Sketcher", "Custom", "My Tool"}));
  EXPECT_EQ(dialog->applicationList()->GetSelection(), 1);
  EXPECT_EQ(dialog->toggleChoice()->GetSelection(), 2);
  EXPECT_EQ(dialog->matrixChoice()->GetSelection(), 1);
  EXPECT_EQ(boxes(), (std::vector<bool>{false, false, false, true, false, false}));
  EXPECT_FALSE(dialog->applyButton()->IsEnabled());

  dialog->selectApplication(0);
  EXPECT_EQ(dialog->toggleChoice()->GetSelection(), 1);
  EXPECT_EQ(dialog->matrixChoice()->GetSelection(), 0);
  EXPECT_EQ(boxes(), (std::vector<bool>{true, false, true, false, true, false}));
  dialog->selectApplication(3);
  EXPECT_EQ(dialog->matrixChoice()->GetSelection(), 2);
  EXPECT_EQ(boxes(), (std::vector<bool>{false, true, false, true, false, false}));
  kvx::test::saveScreenshot(dialog, "capture-settings-dialog");
}

TEST_F(CaptureSettingsTest, ApplyWritesTheCustomLineAndBothCommandFiles) {
  writeFile(files.commandFile, "Old\nMATRIX1\n__________\nTRACEOGL\n");
  writeFile(env.path("install/resources/pyra.txt.Modeller 3"), "pyramid");
  open();
  dialog->selectApplication(0);
  dialog->applyButton()->Disable();
  tick(CaptureSettings::OPTIMISE, true);
  EXPECT_TRUE(dialog->applyButton()->IsEnabled()) << "a changed option enables Apply";
  ASSERT_TRUE(dialog->apply());
  EXPECT_FALSE(dialog->applyButton()->IsEnabled());

  EXPECT_EQ(readFile(files.customSettings),
            std::string(kCustom) + "Modeller 3|Main Window|inch|1|0|true|false|true|true|true|false|PROESPECIAL|\n");
  const std::string generated =
      "Modeller 3\nMATRIX1\nM.ATRIX2\nNOTEXTURE\nD.NOTHING\nNOCONTINUOUSCAPTURE\nTOGGLEONCLEAR\n"
      "T.OGGLEONFLUSH\nNOWIREFRAME\nNOPOINTS\nC.APTURELINEASSOLID\nN.OOPTIM\nRECOMPUTENORMALS\nPROESPECIAL\n";
  EXPECT_EQ(readFile(files.commandFile), generated + "__________\nTRACEOGL\n");
  EXPECT_EQ(readFile(install + "/Files/Modeller_3/kavrik_cmd.txt"), generated);
  EXPECT_TRUE(prompts->errors.empty());
}

TEST_F(CaptureSettingsTest, CustomAsksForANameAndRefusesWhatItCannotUse) {
  open();
  dialog->selectApplication(2);
  ASSERT_EQ(dialog->applicationList()->GetStringSelection(), "Custom");
  const std::string before = readFile(files.customSettings);

  prompts->texts = {std::nullopt, std::string(""), std::string("Sketcher"), std::string("a|b")};
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(dialog->apply()) << i;
  EXPECT_EQ(prompts->questions.front(),
            "Create Custom Capture Setting: Please enter the name of the application using this custom setting:");
  EXPECT_EQ(prompts->errors,
            (std::vector<std::string>{
                "Error: You must enter a application name.  Please try again.",
                "Error: You already have an entry for this application.  Please\nselect the application name from "
                "the pulldown menu and\nmake your changes or enter a different application name.",
                "Error: An application name cannot contain '|'.  Please try again."}));
  EXPECT_EQ(prompts->presets, (std::vector<std::string>{"", "", "", "Sketcher"})) << "the last name given";
  EXPECT_EQ(readFile(files.customSettings), before);
  EXPECT_FALSE(std::filesystem::exists(files.commandFile));
  EXPECT_EQ(items().size(), 4u);
}

TEST_F(CaptureSettingsTest, ANewCustomNameIsAppendedAndAnExistingOneUpdated) {
  open();
  dialog->selectApplication(3);  // a new setting starts from the options shown
  dialog->selectApplication(2);
  dialog->toggleChoice()->SetSelection(1);
  prompts->texts = {std::string("New Tool")};
  ASSERT_TRUE(dialog->apply());
  EXPECT_EQ(items().back(), "New Tool");
  EXPECT_EQ(dialog->applicationList()->GetStringSelection(), "New Tool");
  EXPECT_EQ(readFile(files.customSettings),
            std::string(kCustom) + "New Tool|||1|2|false|true|false|true|false|false|NOSPECIAL|\n");
  EXPECT_EQ(kvx::capturedApplicationName(files.commandFile), "New Tool");

  // "Custom" with the name of a custom entry updates that entry's line.
  dialog->selectApplication(2);
  tick(CaptureSettings::NO_TEXTURE, true);
  prompts->texts = {std::string("My Tool")};
  ASSERT_TRUE(dialog->apply());
  EXPECT_EQ(dialog->applicationList()->GetStringSelection(), "My Tool");
  EXPECT_EQ(readFile(files.customSettings),
            "My Tool|||1|2|false|true|true|true|false|false|NOSPECIAL|\n"
            "New Tool|||1|2|false|true|false|true|false|false|NOSPECIAL|\n");
  EXPECT_EQ(items().size(), 5u);
}

TEST_F(CaptureSettingsTest, ResetBringsThePredefinedOptionsBack) {
  writeFile(files.customSettings, "Sketcher|Mine|km|0|0|true|true|true|false|true|true|EXTRA|\n");
  open();
  EXPECT_EQ(items(), (std::vector<std::string>{"Modeller 3", "Sketcher", "Custom"}))
      << "the user's line of a predefined application is not listed twice";
  dialog->selectApplication(1);
  EXPECT_EQ(boxes(), (std::vector<bool>{true, true, true, false, true, true})) << "the user's changes show";
  dialog->reset();
  EXPECT_EQ(dialog->toggleChoice()->GetSelection(), 2);
  EXPECT_EQ(boxes(), (std::vector<bool>{false, false, false, true, false, false}));
  EXPECT_TRUE(dialog->applyButton()->IsEnabled());
  ASSERT_TRUE(dialog->apply());
  EXPECT_EQ(readFile(files.customSettings), "Sketcher|Sketch|mm|2|1|false|false|false|true|false|false|NOSPECIAL|\n");
}

TEST_F(CaptureSettingsTest, OkAppliesThenClosesAndCloseDisablesApply) {
  open();
  dialog->selectApplication(0);
  tick(CaptureSettings::CONTINUOUS_CAPTURE, true);
  dialog->ok();
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_NE(readFile(files.commandFile).find("N.OCONTINUOUSCAPTURE\n"), std::string::npos);

  dialog->Show();
  dialog->selectApplication(2);
  prompts->texts = {std::nullopt};
  dialog->ok();
  EXPECT_TRUE(dialog->IsShown()) << "a cancelled Apply keeps the dialog open";
  dialog->close();
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_FALSE(dialog->applyButton()->IsEnabled());
}

TEST_F(CaptureSettingsTest, AFullDiskIsReportedAndApplyStaysAvailable) {
  writeFile(files.commandFile, "Old\n");
  open();
  dialog->selectApplication(1);
  {
    kvx::test::FileSizeLimit full(32);
    EXPECT_FALSE(dialog->apply());
  }
  ASSERT_EQ(prompts->errors.size(), 1u);
  EXPECT_NE(prompts->errors[0].find("custom_settings.txt"), std::string::npos);
  EXPECT_TRUE(dialog->applyButton()->IsEnabled());
  EXPECT_EQ(readFile(files.customSettings), kCustom);
  EXPECT_EQ(readFile(files.commandFile), "Old\n");
}

TEST_F(CaptureSettingsTest, TheToolkitCreatesItByName) {
  std::unique_ptr<wxObject> made(wxCreateDynamicObject("CaptureSettings"));
  auto* byName = dynamic_cast<CaptureSettings*>(made.get());
  ASSERT_NE(byName, nullptr);
  ASSERT_TRUE(byName->Create(nullptr, std::make_unique<kvx::test::ScriptedPrompts>(), files));
  EXPECT_EQ(byName->GetTitle(), "Capture Settings");
  EXPECT_EQ(byName->applicationList()->GetCount(), 4u);
}
