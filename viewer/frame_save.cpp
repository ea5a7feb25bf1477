// Save As (scene files, enciphered and password-protected as asked, and
// DXF) and Export Picture (a PNG of the view).
#include "canvas.h"
#include "command_ids.h"
#include "frame.h"
#include "frame_rules.h"
#include "preferences.h"
#include "recent_files.h"
#include "save_rules.h"

#include <wx/image.h>

#include <filesystem>

namespace kavrik {
namespace {

constexpr const char* kSaveDirectoryKey = "lastSaveDir";

std::string saveDirectory() {
  return preferences().get(kSaveDirectoryKey).value_or(preferences().get("lastOpenDir").value_or(""));
}

void rememberSaveDirectory(const std::string& path) {
  preferences().set(kSaveDirectoryKey, std::filesystem::path(path).parent_path().string());
}

}  // namespace

void MyFrame::saveAsFlow() {
  if (!sdk_ || fileSize_ <= 0) return;
  busy_ = true;
  auto chosen = prompts_->chooseFileToSave(this, "Save As...", saveDirectory(), saveWildcard());
  if (chosen && !chosen->empty()) {
    const std::string path = withSaveExtension(*chosen);
    rememberSaveDirectory(path);
    if (saveKindOf(path) == SaveKind::Unknown)
      prompts_->showError(this,
                          "Kavrik saves scene files (.kvx), DXF files (.dxf) and models (.glb, .gltf, .obj, .stl, "
                          ".ply).",
                          "File save error");
    else if (saveKindOf(path) == SaveKind::Model)
      exportModel(path);
    else
      saveScene(path);
  }
  busy_ = false;
  updateState();
}

bool MyFrame::saveScene(const std::string& path) {
  const bool dxf = saveKindOf(path) == SaveKind::Dxf;
  std::optional<Prompts::SaveProtection> protection;
  if (!dxf) {
    protection = prompts_->askSaveProtection(this);
    if (!protection) return false;
  }
  SetCurseur(CURSOR_WAIT);
  setStatusText("Saving '" + path + "'...");
  int result = 0;
  if (dxf) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);  // the export reports nothing: the file shows whether it worked
    sdk_->SaveFileE(path.c_str(), nullptr, nullptr);
    result = std::filesystem::exists(path) ? kSavedDxf : kSaveFailed;
  } else {
    if (!protection->readPassword.empty() || !protection->writePassword.empty())
      sdk_->SetPasswords(protection->readPassword.empty() ? nullptr : protection->readPassword.c_str(),
                         protection->writePassword.empty() ? nullptr : protection->writePassword.c_str());
    const kvx_CryptoDesc crypto{protection->passPhrase.empty() ? nullptr : protection->passPhrase.c_str(),
                                protection->keyBytes};
    result = sdk_->SaveFileE(path.c_str(), nullptr, &crypto);
  }
  restoreCursor();
  if (!savedWell(result)) {
    prompts_->showError(this, saveErrorText(result), "File save error");
    setStatusText("File '" + path + "' could not be saved.");
    return false;
  }
  if (!dxf) {
    currentFile_ = path;
    fileSize_ = result;
    rememberRecentFile(preferences(), path);
    rebuildRecentMenu();
    updateTitle();
  }
  setStatusText("File '" + path + "' saved.");
  return true;
}

// Models keep the scene as it is: the window goes on showing the scene file.
bool MyFrame::exportModel(const std::string& path) {
  SetCurseur(CURSOR_WAIT);
  setStatusText("Exporting '" + path + "'...");
  char error[1024] = "";
  const int result = sdk_->ExportFile(path.c_str(), error, sizeof error);
  restoreCursor();
  if (!savedWell(result)) {
    prompts_->showError(this, *error ? error : saveErrorText(result), "File save error");
    setStatusText("File '" + path + "' could not be saved.");
    return false;
  }
  setStatusText("File '" + path + "' saved.");
  return true;
}

void MyFrame::exportPictureFlow() {
  if (!sdk_ || fileSize_ <= 0 || !canvas_) return;
  busy_ = true;
  const wxSize shown = canvas_->GetClientSize();
  const auto sizeText = prompts_->askText(this, "Picture size in pixels (width x height):", "Export Picture",
                                          std::to_string(shown.x) + "x" + std::to_string(shown.y));
  const auto size = sizeText ? pictureSize(*sizeText) : std::nullopt;
  if (sizeText && !size)
    prompts_->showError(this, "Please give the size as WIDTHxHEIGHT, for example 1600x1200.", "Export Picture");
  const auto chosen = size ? prompts_->chooseFileToSave(this, "Export Picture...", saveDirectory(),
                                                        "PNG pictures (*.png)|*.png")
                           : std::nullopt;
  busy_ = false;
  if (!chosen || chosen->empty()) return;
  const std::string path = withPictureExtension(*chosen);
  rememberSaveDirectory(path);
  wxImage picture = canvas_->capturePicture();
  render();
  if (picture.IsOk() && (picture.GetWidth() != size->first || picture.GetHeight() != size->second))
    picture.Rescale(size->first, size->second, wxIMAGE_QUALITY_HIGH);
  if (!picture.IsOk() || !picture.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG)) {
    prompts_->showError(this, "The picture could not be written to '" + path + "'.", "Export Picture");
    return;
  }
  setStatusText("Picture '" + path + "' written.");
}

}  // namespace kavrik
