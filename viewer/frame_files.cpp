// File flows of the frame: open, load with progress and the pass-phrase and
// READ-password prompts, close, File Properties, display preferences, exit.
#include "canvas.h"
#include "command_ids.h"
#include "frame.h"
#include "frame_rules.h"
#include "help_pages.h"
#include "preferences.h"
#include "program_paths.h"
#include "recent_files.h"
#include "services/debuglog.h"
#include "view_panel.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/popupwin.h>
#include <wx/menu.h>
#include <wx/toolbar.h>
#include <wx/utils.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>
#include <cstring>
#include <filesystem>
#include <thread>

namespace kavrik {
namespace {

constexpr int kNeedsPassPhrase = 7;
constexpr int kFileMissing = 3;
constexpr int kLastErrorCode = 7;
constexpr size_t kFileNameLimit = 511;

constexpr int kReadCancelled = KVX_READ_CANCELLED;
constexpr int kPollMilliseconds = 15;
constexpr int kGaugeHeight = 30;
constexpr int kOverlayGap = 10;
constexpr size_t kErrorTextSize = 1024;

std::string sceneText(const kvx_SceneInfo& info, int i) {
  return std::string(info.sceneTexts[i], strnlen(info.sceneTexts[i], sizeof info.sceneTexts[i]));
}

// The display items whose state is kept between sessions, by key.
struct DisplayPreference {
  const char* key;
  int command;
};
constexpr DisplayPreference kDisplayPreferences[] = {
    {"nodes", CMD_NODES}, {"lines", CMD_LINES}, {"faces", CMD_FACES},
    {"trans", CMD_TRANSLUCENT}, {"axis", CMD_AXIS}, {"toggle", CMD_TOGGLE_ZY}};

}  // namespace

// Shared between the window and the worker thread that reads. Dropped
// unjoined, it cancels the read, waits for it and frees what it made.
struct MyFrame::BackgroundRead {
  std::string path;
  std::atomic<float> progress{0};
  std::atomic<bool> cancel{false};
  std::atomic<bool> done{false};
  std::mutex mutex;
  std::condition_variable finished;
  // Written by the worker before `done`.
  int result = 0;
  kvx_PreparedScene* prepared = nullptr;
  std::vector<char> error = std::vector<char>(kErrorTextSize, '\0');
  double finishedAt = 0;  // wall-clock seconds
  kvx_GL_Plugin* sdk = nullptr;
  std::thread worker;

  ~BackgroundRead() {
    if (worker.joinable()) {
      cancel = true;
      worker.join();
    }
    if (prepared) sdk->DiscardPreparedScene(prepared);
  }

  static int report(void* context, float value) {
    auto* read = static_cast<BackgroundRead*>(context);
    if (value >= 0) read->progress = value;
    return read->cancel ? 1 : 0;
  }

  // Up to `ms` for the read to end; true once it has.
  bool waitFor(int ms) {
    std::unique_lock lock(mutex);
    return finished.wait_for(lock, std::chrono::milliseconds(ms), [this] { return done.load(); });
  }
};

void MyFrame::openFileFlow() {
  busy_ = true;
  const std::string directory = preferences().get("lastOpenDir").value_or("");
  auto choice = prompts_->chooseFileToOpen(this, directory, openWildcard());
  if (choice && !choice->path.empty()) {
    const bool exists = std::filesystem::exists(choice->path);
    loadFile(completeKvxName(choice->path, exists));
    preferences().set("lastOpenDir", choice->directory);
  }
  busy_ = false;
  updateState();
}

bool MyFrame::openDroppedFile(const std::string& name) {
  const bool loaded = loadFile(name);
  setMenuState(fileSize_ > 0);
  applyDisplayPreferences();
  refreshToolPanel();
  return loaded;
}

void MyFrame::openRecentFile(size_t index) {
  const std::vector<std::string> files = recentFiles(preferences());
  if (index >= files.size()) return;
  loadFile(files[index]);
  setMenuState(fileSize_ > 0);
  applyDisplayPreferences();
  refreshToolPanel();
}

void MyFrame::rebuildRecentMenu() {
  if (!recentMenu_) return;
  while (recentMenu_->GetMenuItemCount() > 0) recentMenu_->Destroy(recentMenu_->FindItemByPosition(0));
  const std::vector<std::string> files = recentFiles(preferences());
  for (size_t i = 0; i < files.size(); ++i)
    recentMenu_->Append(CMD_FIRST_RECENT + int(i), wxString::FromUTF8(recentFileLabel(i, files[i])),
                        wxString::FromUTF8(files[i]));
}

bool MyFrame::loadFile(const std::string& name) {
  if (name.empty() || !sdk_ || reading_) return false;
  SetCurseur(CURSOR_WAIT);
  busy_ = true;
  setStatusText("Loading '" + name + "'...");
  canvas_->initialiseIfNeeded();

  kvx_PreparedScene* prepared = nullptr;
  std::string error;
  int result = readInBackground(name, nullptr, &prepared, error);
  if (result == kNeedsPassPhrase) {
    auto phrase = prompts_->askSecret(this, "Please enter decryption phrase", "Decrypt Password");
    if (phrase && !phrase->empty()) result = readInBackground(name, phrase->c_str(), &prepared, error);
  }

  bool loaded = false;
  if (prepared) {
    destroyConference();
    leaveMeasurement();
    currentFile_.clear();
    if (!sameFileName(name, programPaths().table.captureScene)) currentFile_ = name.substr(0, kFileNameLimit);
    result = sdk_->AdoptPreparedScene(prepared);
  }
  if (prepared && result > kLastErrorCode) {
    fileSize_ = result;
    canvas_->watchOpening(name);
    loaded = askReadPassword();
    if (loaded) finishLoad(name);
  } else if (prepared) {
    failLoad(name, loadErrorText(result, helpPageAddress(CMD_HELP_HOME)));
    closeFile();
  } else if (result == kReadCancelled) {
    setStatusText("Loading '" + name + "' was cancelled.");
  } else {
    if (result == kFileMissing && forgetRecentFile(preferences(), name)) rebuildRecentMenu();
    // The core's own texts name import failures; the scene file codes keep theirs.
    const bool modelFailure = result == 1 && !error.empty() && error.rfind("File is not", 0) != 0;
    failLoad(name, modelFailure ? error : loadErrorText(result, helpPageAddress(CMD_HELP_HOME)));
  }
  busy_ = false;
  restoreCursor();
  updateState();
  render();
  return loaded;
}

std::shared_ptr<MyFrame::BackgroundRead> MyFrame::beginRead(const std::string& name, const char* passPhrase) {
  auto read = std::make_shared<BackgroundRead>();
  read->path = name;
  read->sdk = sdk_;
  const std::string phrase = passPhrase ? passPhrase : "";
  const bool hasPhrase = passPhrase != nullptr;
  BackgroundRead* r = read.get();
  r->worker = std::thread([r, phrase, hasPhrase] {
    r->result = r->sdk->ReadPreparedScene(r->path.c_str(), hasPhrase ? phrase.c_str() : nullptr,
                                          BackgroundRead::report, r, &r->prepared, r->error.data(),
                                          static_cast<int>(r->error.size()));
    r->finishedAt = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    {
      std::lock_guard lock(r->mutex);
      r->done = true;
    }
    r->finished.notify_all();
    wxWakeUpIdle();
  });
  return read;
}

void MyFrame::startReading(const std::string& name) {
  if (name.empty() || !sdk_ || reading_ || earlyRead_) return;
  earlyRead_ = beginRead(name, nullptr);
}

int MyFrame::readInBackground(const std::string& name, const char* passPhrase, kvx_PreparedScene** prepared,
                              std::string& error) {
  // A read started early for this very file is taken over; any other is dropped.
  std::shared_ptr<BackgroundRead> read = std::move(earlyRead_);
  if (!read || read->path != name || passPhrase) read = beginRead(name, passPhrase);
  reading_ = read;
  // The view goes on drawing, and turning, the shown scene meanwhile.
  const bool wasBusy = busy_;
  busy_ = false;
  // The menus and tools wait; the view keeps drawing the shown scene.
  wxMenuBar* bar = GetMenuBar();
  for (size_t i = 0; bar && i < bar->GetMenuCount(); ++i) bar->EnableTop(i, false);
  if (GetToolBar()) GetToolBar()->Disable();
  if (!read->done) {
    showProgress(read->progress);
    showCancelButton(true);
  }
  // The end of the read is taken up at once, not at the next poll.
  while (!read->done) {
    showProgress(read->progress);
    wxTheApp->Yield(true);
    read->waitFor(kPollMilliseconds);
  }
  read->worker.join();
  KVX_LOG(kvx::LOG_INFO, "MyFrame: scene read of %s at %.6f\n", name.c_str(), read->finishedAt);
  showCancelButton(false);
  showProgress(-1);
  for (size_t i = 0; bar && i < bar->GetMenuCount(); ++i) bar->EnableTop(i, true);
  if (GetToolBar()) GetToolBar()->Enable();
  reading_.reset();
  busy_ = wasBusy;
  error = read->error.data();
  *prepared = std::exchange(read->prepared, nullptr);
  return read->result;
}

void MyFrame::cancelLoad() {
  if (reading_) reading_->cancel = true;
}

void MyFrame::showCancelButton(bool shown) {
  if (!shown) {
    if (cancelButton_) cancelButton_->Destroy();
    cancelButton_ = nullptr;
    dropLoadOverlayIfEmpty();
    return;
  }
  wxWindow* overlay = loadOverlay();
  cancelButton_ = new wxButton(overlay, wxID_CANCEL, "Cancel");
  const wxSize size = cancelButton_->GetBestSize();
  cancelButton_->SetPosition(wxPoint((overlay->GetClientSize().x - size.x) / 2, kGaugeHeight + kOverlayGap));
  overlay->SetClientSize(overlay->GetClientSize().x, kGaugeHeight + kOverlayGap + size.y);
  cancelButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { cancelLoad(); });
  cancelButton_->Show();
}

// Where the gauge goes: centred over the view, half the client width wide.
wxWindow* MyFrame::loadOverlay() {
  if (loadOverlay_) return loadOverlay_;
  const wxSize client = GetClientSize();
  loadOverlay_ = new wxPopupWindow(this, wxBORDER_NONE);
  loadOverlay_->SetPosition(ClientToScreen(wxPoint(client.x / 4, client.y / 2 - kGaugeHeight / 2)));
  loadOverlay_->SetClientSize(client.x / 2, kGaugeHeight);
  loadOverlay_->Show();
  return loadOverlay_;
}

void MyFrame::dropLoadOverlayIfEmpty() {
  if (!loadOverlay_ || gauge_ || cancelButton_) return;
  loadOverlay_->Destroy();
  loadOverlay_ = nullptr;
}

// A file protected for reading stays closed without its password.
bool MyFrame::askReadPassword() {
  if (!(sdk_->CheckPasswords(nullptr, nullptr) & 1)) return true;
  auto password = prompts_->askSecret(this, "Please enter password for reading:", "READ Password :");
  if (password && !(sdk_->CheckPasswords(password->c_str(), nullptr) & 1)) return true;
  closeFile();
  prompts_->showError(this, "Bad READ password !\nPlease try again.", "Bad password");
  setMenuState(false);
  render();
  return false;
}

void MyFrame::finishLoad(const std::string& name) {
  const wxSize size = canvas_->GetClientSize();
  sdk_->Resize(size.x, size.y);
  if (openPanel_ == CMD_ANNOTATIONS) dispatch(CMD_ANNOTATIONS);
  if (openPanel_ == CMD_SCENE_PROPERTIES) {
    dispatch(CMD_NONE);
    refreshToolPanel();
  }
  char* annotation = nullptr;
  if (!sdk_->GetCurrentCameraField(0, &annotation)) annotation = nullptr;
  if (!annotation || !*annotation) {
    kvx_CutPlane plane{static_cast<kvx_CutPlane::CurrentPlan>(-1), false, 0.5f, false};
    sdk_->GetCutPlaneData(&plane);
    if (plane.plan > 0) {
      if (openPanel_ == CMD_CUTTING_PLANE) {
        sdk_->SetCutPlane(static_cast<kvx_CutPlane::CurrentPlan>(-1));
        refreshToolPanel();
      } else {
        dispatch(CMD_CUTTING_PLANE);
      }
    } else if (openPanel_ == CMD_CUTTING_PLANE) {
      sdk_->SetCutPlane(static_cast<kvx_CutPlane::CurrentPlan>(-1));
      refreshToolPanel();
    }
  } else if (openPanel_ != CMD_ANNOTATIONS) {
    dispatch(CMD_ANNOTATIONS);
  }
  rebuildCameraMenu();
  setMenuState(true);
  busy_ = false;
  render();
  updateTitle();
  skipNextPointer_ = true;
  if (!currentFile_.empty() && rememberRecentFile(preferences(), currentFile_)) rebuildRecentMenu();
  setStatusText("File '" + name + "' loaded.");
  hooks_->call(FrameHooks::FILE_LOADED);
}

// The scene shown before stays.
void MyFrame::failLoad(const std::string& name, const std::string& reason) {
  prompts_->showError(this, reason, "File load error");
  setStatusText("File '" + name + "' could not be loaded.");
}

void MyFrame::closeFile() {
  destroyConference();
  canvas_->watchOpening("");
  SetCurseur(CURSOR_WAIT);
  setStatusText("Closing file...");
  if (!currentFile_.empty()) {
    currentFile_.clear();
    if (animationTimer_->IsRunning()) {
      animationTimer_->Stop();
      animating_ = false;
    }
    if (sdk_) sdk_->OnEvent(CMD_STOP_ANIMATION);
  }
  if (sdk_) sdk_->CloseFile();
  leaveMeasurement();
  if (openPanel_ == CMD_ANNOTATIONS || openPanel_ == CMD_SCENE_PROPERTIES) dispatch(openPanel_);
  render();
  fileSize_ = 0;
  rebuildCameraMenu();
  updateTitle();
  updateState();
  setMenuState(false);
  refreshToolPanel();
  setStatusText(readyText());
  hooks_->call(FrameHooks::FILE_CLOSED);
}

void MyFrame::showProgress(float value) {
  if (value < 0) {
    if (gauge_) gauge_->Destroy();
    gauge_ = nullptr;
    dropLoadOverlayIfEmpty();
    return;
  }
  if (!gauge_) {
    wxWindow* overlay = loadOverlay();
    gauge_ = new wxGauge(overlay, wxID_ANY, 1000, wxPoint(0, 0), wxSize(overlay->GetClientSize().x, kGaugeHeight),
                         wxGA_HORIZONTAL | wxGA_SMOOTH);
    gauge_->SetValue(0);
    gauge_->Show();
  }
  if (value <= 1) gauge_->SetValue(static_cast<int>(value * 1000));
  gauge_->Update();
}

void MyFrame::showFileProperties() {
  if (!properties_) {
    properties_ = new wxDialog(this, wxID_ANY, "File Properties", wxDefaultPosition, wxDefaultSize,
                               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
    propertiesText_ = new wxStaticText(properties_, wxID_ANY, "");
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(propertiesText_, 1, wxALL | wxEXPAND, 12);
    properties_->SetSizer(sizer);
  }
  kvx_SceneInfo info{};
  if (sdk_) sdk_->GetSceneInfo(&info);
  propertiesText_->SetLabel(
      wxString::FromUTF8(propertiesText(sceneText(info, 1), sceneText(info, 3), sceneText(info, 4))));
  properties_->GetSizer()->SetSizeHints(properties_);
  properties_->Fit();
  properties_->Show();
  properties_->Raise();
}

// The kept display states are applied to a newly opened file, each toggled
// only where the file does not show it already.
void MyFrame::applyDisplayPreferences() {
  if (!sdk_ || fileSize_ <= 0) return;
  kvx_SceneInfo info{};
  sdk_->GetSceneInfo(&info);
  const DisplayChecks shown = displayChecks(info.sceneFlags);
  const struct {
    const char* key;
    int command;
    bool shown;
  } applied[] = {{"nodes", CMD_NODES, shown.nodes},
                 {"lines", CMD_LINES, shown.lines},
                 {"trans", CMD_TRANSLUCENT, shown.translucent}};
  for (const auto& item : applied)
    if (!item.shown && preferences().get(item.key) == "yes") sdk_->OnEvent(item.command);
  updateState();
  render();
  refreshToolPanel();
}

void MyFrame::saveDisplayPreferences() {
  wxMenuBar* bar = GetMenuBar();
  for (const DisplayPreference& preference : kDisplayPreferences) {
    const bool checked = bar && bar->FindItem(preference.command) && bar->IsChecked(preference.command);
    preferences().set(preference.key, checked ? "yes" : "no");
  }
}

void MyFrame::exitProgram() {
  if (hooks_->isSet(FrameHooks::EXIT)) {
    KVX_LOG(kvx::LOG_INFO, "MyFrame::eventFileExit: calling EXIT exit\n");
    hooks_->call(FrameHooks::EXIT);
    return;
  }
  destroyConference();
  // Kept before closing: a closed file shows no display states at all.
  saveDisplayPreferences();
  closeFile();
  KVX_LOG(kvx::LOG_INFO, "MyFrame::eventFileExit: calling Destroy\n");
  Destroy();
}

}  // namespace kavrik
