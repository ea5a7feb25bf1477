#pragma once
// The capture settings dialog: per captured application, the options the
// capture interceptor applies. Apply stores them in the custom settings file
// and writes the command file the interceptor reads. The class can be
// created by name ("CaptureSettings") and then Create()d.
#include "capture_settings_file.h"
#include "prompts.h"

#include <wx/dialog.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

class wxButton;
class wxCheckBox;
class wxChoice;

namespace kavrik {

struct CaptureSettingsFiles {
  std::string commandFile;
  std::string customSettings;
  std::string predefinedSettings;
  // The files of the installation (the program's path table).
  static CaptureSettingsFiles installed();
};

class CaptureSettings : public wxDialog {
 public:
  // The six options, in the order of their check boxes.
  enum Option { NO_WIREFRAME, LINES_AS_SOLID, NO_TEXTURE, OPTIMISE, RECOMPUTE_NORMALS, CONTINUOUS_CAPTURE };
  static constexpr int kOptions = 6;
  static constexpr const char* kCustomItem = "Custom";

  CaptureSettings() = default;
  CaptureSettings(wxWindow* parent, std::unique_ptr<Prompts> prompts, CaptureSettingsFiles files);
  bool Create(wxWindow* parent, std::unique_ptr<Prompts> prompts = makeDialogPrompts(),
              CaptureSettingsFiles files = CaptureSettingsFiles::installed());

  // What the controls do, also reached by tests.
  void selectApplication(int item);
  // False when the user stopped it or a file could not be written.
  bool apply();
  void reset();
  void ok();
  void close();

  wxChoice* applicationList() const { return applications_; }
  wxChoice* toggleChoice() const { return toggle_; }
  wxChoice* matrixChoice() const { return matrix_; }
  wxCheckBox* optionBox(Option option) const { return options_[option]; }
  wxButton* applyButton() const { return apply_; }
  // The known settings in list order, "Custom" left out.
  const std::vector<CaptureSetting>& settings() const { return settings_; }

 private:
  void buildControls();
  void fillList();
  int customItem() const { return predefinedCount_; }
  // The setting of a list item; null for "Custom".
  CaptureSetting* settingOfItem(int item);
  void showSetting(const CaptureSetting& setting);
  void takeOptions(CaptureSetting& setting) const;
  // Asks for the name of a new custom setting and selects its item; false
  // when the user cancelled or gave a name that cannot be used.
  bool chooseCustomName();
  bool writeFiles(const CaptureSetting& setting);

  std::unique_ptr<Prompts> prompts_;
  CaptureSettingsFiles files_;
  std::vector<CaptureSetting> settings_;
  int predefinedCount_ = 0;
  std::string lastCustomName_;

  wxChoice* applications_ = nullptr;
  wxChoice* toggle_ = nullptr;
  wxChoice* matrix_ = nullptr;
  std::array<wxCheckBox*, kOptions> options_{};
  wxButton* apply_ = nullptr;

  wxDECLARE_DYNAMIC_CLASS(CaptureSettings);
};

// "kavrik --capture-settings" opens the dialog alone.
bool captureSettingsRequested(int argc, char** argv);
// Runs the dialog as the whole program; the exit status.
int runCaptureSettings(int argc, char** argv);

}  // namespace kavrik
