// The Capture menu: capture enabled through the SDK object's handshake, a
// request for the captured program's current frame, the capture settings
// dialog; and the sync timer's look for the interceptor's notice.
#include "canvas.h"
#include "capture_settings_dialog.h"
#include "command_ids.h"
#include "frame.h"
#include "program_paths.h"

#include <wx/menu.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

namespace kavrik {

void MyFrame::captureCommand(int command) {
  if (!sdk_) return;
  switch (command) {
    case CMD_ENABLE_CAPTURE:
      captureEnabled_ = !captureEnabled_;
      sdk_->EnableCapture(captureEnabled_);
      if (wxMenuBar* bar = GetMenuBar()) bar->Check(CMD_ENABLE_CAPTURE, captureEnabled_);
      setStatusText(captureEnabled_ ? "Capture enabled." : "Capture disabled.");
      break;
    case CMD_CAPTURE_NOW:
      if (!captureEnabled_) captureCommand(CMD_ENABLE_CAPTURE);
      if (sdk_->CaptureNow(0, nullptr)) setStatusText("Capture requested...");
      break;
    case CMD_CAPTURE_SETTINGS: {
      std::unique_ptr<CaptureSettings> dialog(dynamic_cast<CaptureSettings*>(wxCreateDynamicObject("CaptureSettings")));
      if (dialog && dialog->Create(this)) dialog->ShowModal();
      break;
    }
    default:
      break;
  }
}

// The notice is taken away once seen, so that the interceptor may answer
// the next request; the result then loads as a file opened by the user.
void MyFrame::loadCaptureIfReady() {
  if (!captureEnabled_ || busy_ || !sdk_ || !canvas_) return;
  const std::string& notice = programPaths().table.captureToViewer;
  if (notice.empty() || access(notice.c_str(), F_OK) != 0) return;
  unlink(notice.c_str());
  busy_ = true;
  canvas_->initialiseIfNeeded();
  const bool loaded = sdk_->LoadCapture(nullptr);
  busy_ = false;
  if (!loaded) {
    setStatusText("The capture could not be loaded.");
    return;
  }
  std::error_code error;
  const auto size = std::filesystem::file_size(programPaths().table.captureScene, error);
  currentFile_.clear();
  fileSize_ = error ? 1 : static_cast<int>(size);
  finishLoad(programPaths().table.captureScene);
  applyDisplayPreferences();
  refreshToolPanel();
  updateState();
}

}  // namespace kavrik
