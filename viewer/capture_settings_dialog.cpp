#include "capture_settings_dialog.h"

#include "capture_command_file.h"
#include "program_paths.h"
#include "services/capture_options.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/init.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/stdpaths.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kavrik {

wxIMPLEMENT_DYNAMIC_CLASS(CaptureSettings, wxDialog);

namespace {

const char* const kOptionLabels[CaptureSettings::kOptions] = {
    "No wireframe or points", "Capture lines as solids", "No textures",
    "Optimise the capture",   "Recompute normals",       "Continuous capture"};

}  // namespace

CaptureSettingsFiles CaptureSettingsFiles::installed() {
  const kvx::PathTable& table = programPaths().table;
  return {table.commandFile, table.customSettings, table.predefinedSettings};
}

CaptureSettings::CaptureSettings(wxWindow* parent, std::unique_ptr<Prompts> prompts, CaptureSettingsFiles files) {
  Create(parent, std::move(prompts), std::move(files));
}

bool CaptureSettings::Create(wxWindow* parent, std::unique_ptr<Prompts> prompts, CaptureSettingsFiles files) {
  if (!wxDialog::Create(parent, wxID_ANY, "Capture Settings", wxDefaultPosition, wxDefaultSize,
                        wxDEFAULT_DIALOG_STYLE))
    return false;
  prompts_ = std::move(prompts);
  files_ = std::move(files);
  buildControls();
  fillList();
  Fit();
  CentreOnParent();
  return true;
}

void CaptureSettings::buildControls() {
  auto* column = new wxBoxSizer(wxVERTICAL);
  auto* choices = new wxFlexGridSizer(3, 2, 6, 8);
  choices->AddGrowableCol(1);
  auto addRow = [&](const char* label, wxChoice* choice) {
    choices->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTRE_VERTICAL);
    choices->Add(choice, 1, wxEXPAND);
  };
  applications_ = new wxChoice(this, wxID_ANY);
  addRow("Application:", applications_);
  toggle_ = new wxChoice(this, wxID_ANY);
  for (const char* item : {"No buffer toggle", "Toggle on clear", "Toggle on flush"}) toggle_->Append(item);
  addRow("Frame end:", toggle_);
  matrix_ = new wxChoice(this, wxID_ANY);
  for (const char* item : {"Matrix 1", "Matrix 2", "Neither matrix"}) matrix_->Append(item);
  addRow("Matrix:", matrix_);
  column->Add(choices, 0, wxEXPAND | wxALL, 12);

  auto* boxes = new wxGridSizer(3, 2, 6, 16);
  for (int i = 0; i < kOptions; ++i) {
    options_[i] = new wxCheckBox(this, wxID_ANY, kOptionLabels[i]);
    options_[i]->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { apply_->Enable(); });
    boxes->Add(options_[i]);
  }
  column->Add(boxes, 0, wxLEFT | wxRIGHT | wxBOTTOM, 12);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  apply_ = new wxButton(this, wxID_APPLY, "Apply");
  auto* okButton = new wxButton(this, wxID_OK, "OK");
  auto* resetButton = new wxButton(this, wxID_ANY, "Reset");
  auto* closeButton = new wxButton(this, wxID_CLOSE, "Close");
  for (wxButton* button : {apply_, okButton, resetButton, closeButton}) buttons->Add(button, 0, wxLEFT, 6);
  column->Add(buttons, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, 12);
  SetSizer(column);
  SetEscapeId(wxID_CLOSE);

  applications_->Bind(wxEVT_CHOICE, [this](wxCommandEvent& e) { selectApplication(e.GetSelection()); });
  toggle_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { apply_->Enable(); });
  matrix_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { apply_->Enable(); });
  apply_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { apply(); });
  okButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ok(); });
  resetButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { reset(); });
  closeButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { close(); });
}

// The predefined settings, "Custom", then the user's own. A custom line of a
// predefined application holds the user's changes to it, so it replaces the
// predefined options instead of standing twice in the list.
void CaptureSettings::fillList() {
  settings_ = readSettingsFile(files_.predefinedSettings);
  predefinedCount_ = static_cast<int>(settings_.size());
  for (const CaptureSetting& custom : readSettingsFile(files_.customSettings)) {
    auto known = std::find_if(settings_.begin(), settings_.end(),
                              [&](const CaptureSetting& s) { return s.name == custom.name; });
    if (known == settings_.end())
      settings_.push_back(custom);
    else
      *known = custom;
  }
  applications_->Clear();
  for (int i = 0; i < predefinedCount_; ++i) applications_->Append(wxString::FromUTF8(settings_[i].name));
  applications_->Append(kCustomItem);
  for (size_t i = predefinedCount_; i < settings_.size(); ++i)
    applications_->Append(wxString::FromUTF8(settings_[i].name));

  // The application of the last Apply comes first; else the first one.
  const std::string last = kvx::capturedApplicationName(files_.commandFile).value_or("");
  int item = settings_.empty() ? customItem() : 0;
  for (int i = 0; i < static_cast<int>(applications_->GetCount()); ++i)
    if (i != customItem() && applications_->GetString(i).utf8_string() == last) item = i;
  applications_->SetSelection(item);
  if (const CaptureSetting* setting = settingOfItem(item)) showSetting(*setting);
  else showSetting(CaptureSetting{});
  apply_->Disable();
}

CaptureSetting* CaptureSettings::settingOfItem(int item) {
  if (item < 0 || item == customItem()) return nullptr;
  const size_t index = item < customItem() ? item : item - 1;
  return index < settings_.size() ? &settings_[index] : nullptr;
}

void CaptureSettings::showSetting(const CaptureSetting& setting) {
  toggle_->SetSelection(std::clamp(setting.toggleMode, 0, 2));
  matrix_->SetSelection(std::clamp(setting.matrixMode, 0, 2));
  const bool values[kOptions] = {setting.noWireframe, setting.linesAsSolid,     setting.noTexture,
                                 setting.optimise,    setting.recomputeNormals, setting.continuousCapture};
  for (int i = 0; i < kOptions; ++i) options_[i]->SetValue(values[i]);
}

void CaptureSettings::takeOptions(CaptureSetting& setting) const {
  setting.toggleMode = toggle_->GetSelection();
  setting.matrixMode = matrix_->GetSelection();
  bool* values[kOptions] = {&setting.noWireframe, &setting.linesAsSolid,     &setting.noTexture,
                            &setting.optimise,    &setting.recomputeNormals, &setting.continuousCapture};
  for (int i = 0; i < kOptions; ++i) *values[i] = options_[i]->GetValue();
}

void CaptureSettings::selectApplication(int item) {
  applications_->SetSelection(item);
  if (const CaptureSetting* setting = settingOfItem(item)) showSetting(*setting);
  // Choosing another application is a change: Apply makes it the captured one.
  apply_->Enable();
}

bool CaptureSettings::chooseCustomName() {
  const auto answer = prompts_->askText(this, "Please enter the name of the application using this custom setting:",
                                        "Create Custom Capture Setting", lastCustomName_);
  if (!answer) return false;
  const std::string name = *answer;
  lastCustomName_ = name;
  if (name.empty()) {
    prompts_->showError(this, "You must enter a application name.  Please try again.", "Error");
    return false;
  }
  // '|' ends a field of the settings line and a line end a line of the files.
  if (name.find_first_of("|\r\n") != std::string::npos) {
    prompts_->showError(this, "An application name cannot contain '|'.  Please try again.", "Error");
    return false;
  }
  for (int i = 0; i < static_cast<int>(applications_->GetCount()); ++i) {
    if (applications_->GetString(i).utf8_string() != name || i == customItem()) continue;
    if (i < customItem()) {
      prompts_->showError(this,
                          "You already have an entry for this application.  Please\n"
                          "select the application name from the pulldown menu and\n"
                          "make your changes or enter a different application name.",
                          "Error");
      return false;
    }
    applications_->SetSelection(i);
    return true;
  }
  CaptureSetting fresh;
  fresh.name = name;
  fresh.windowName.clear();
  fresh.units.clear();
  fresh.specialKeywords = kNoSpecialKeywords;
  settings_.push_back(fresh);
  applications_->SetSelection(applications_->Append(wxString::FromUTF8(name)));
  return true;
}

bool CaptureSettings::apply() {
  if (applications_->GetSelection() == customItem() && !chooseCustomName()) return false;
  CaptureSetting* setting = settingOfItem(applications_->GetSelection());
  if (!setting) return false;
  takeOptions(*setting);
  if (!writeFiles(*setting)) return false;
  apply_->Disable();
  return true;
}

// The custom settings line, the command file, and the application's own copy
// of it with its default files. A file that cannot be written is named, and
// Apply stays available to try again.
bool CaptureSettings::writeFiles(const CaptureSetting& setting) {
  auto failed = [this](const std::string& path) {
    prompts_->showError(this, "Cannot write the file\n" + path, "Error");
    return false;
  };
  if (!storeSetting(files_.customSettings, setting)) return failed(files_.customSettings);
  if (!writeCommandFile(files_.commandFile, setting)) return failed(files_.commandFile);
  if (const auto folder = kvx::applicationFolder(setting.name, kvx::kViewerInstallKey)) {
    const size_t slash = files_.commandFile.rfind('/');
    const std::string own = *folder + files_.commandFile.substr(slash == std::string::npos ? 0 : slash + 1);
    if (own != files_.commandFile && !writeCommandFile(own, setting)) return failed(own);
    copyApplicationDefaults(setting.name);
  }
  return true;
}

void CaptureSettings::reset() {
  const int item = applications_->GetSelection();
  const std::string name = applications_->GetString(item).utf8_string();
  const CaptureSetting predefined = findSetting(files_.predefinedSettings, name);
  if (CaptureSetting* setting = settingOfItem(item)) {
    setting->specialKeywords = predefined.specialKeywords;
    setting->windowName = predefined.windowName;
    setting->units = predefined.units;
  }
  showSetting(predefined);
  apply_->Enable();
}

void CaptureSettings::ok() {
  if (apply_->IsEnabled() && !apply()) return;
  close();
}

void CaptureSettings::close() {
  apply_->Disable();
  if (IsModal())
    EndModal(wxID_CLOSE);
  else
    Hide();
}

bool captureSettingsRequested(int argc, char** argv) {
  return argc == 2 && std::strcmp(argv[1], "--capture-settings") == 0;
}

int runCaptureSettings(int argc, char** argv) {
  if (!wxEntryStart(argc, argv)) {
    std::fprintf(stderr, "kavrik: cannot open the display\n");
    return 1;
  }
  initProgramPaths(wxStandardPaths::Get().GetExecutablePath().utf8_string());
  {
    // Made by its registered name, as a dialog description would make it.
    std::unique_ptr<CaptureSettings> dialog(
        dynamic_cast<CaptureSettings*>(wxCreateDynamicObject("CaptureSettings")));
    if (dialog && dialog->Create(nullptr)) dialog->ShowModal();
  }
  wxEntryCleanup();
  return 0;
}

}  // namespace kavrik
