// Where the control's document comes from: a file, a URL, the browse dialog.
#include "glimmer_obj.h"

#include "document_folder.h"
#include "platform/folders.h"

#include <exception>

namespace glimmer {
namespace {

// The whole name when such a file exists, else its last path component;
// nothing when the name has no separator at all.
std::optional<std::string> displayNameOf(const std::string& name) {
  if (kvx::fileExists(name)) return name;
  size_t cut = name.rfind('\\');
  if (cut == std::string::npos) cut = name.rfind('/');
  if (cut == std::string::npos) return std::nullopt;
  return name.substr(cut + 1);
}

}  // namespace

bool CGlimmerObj::SetFile(const char* name) {
  if (!name) return false;
  bool result = false;
  try {
    StopAnim();
    const std::string full = name;
    const auto display = displayNameOf(full);
    if (!display) return false;
    // Without the core a repaint would only ask for the same name again.
    if (sdk_) invalidate();
    if (!display->empty() && !sdk_) {
      pending_ = full;  // loaded by the first paint once the core is bound
    } else if (!display->empty()) {
      if (looksLikeUrl(full)) {
        const auto target = isDownloadableUrl(full) ? DocumentFolder::freshPath(full) : std::nullopt;
        if (target && LoadURL(*target, full)) return true;
        current_.clear();
      } else {
        current_ = *display;
        invalidate();
      }
      if (current_.size() > 1) {
        surface_.makeCurrent();
        sdk_->CloseFile();
        if (sdk_->LoadFile(current_.c_str(), nullptr, false) != 0) setDirty();
      } else {
        reportFailure("Kavrik Publish", "Could not load " + *display + " !", MessageIcon::Exclamation);
      }
      invalidate();
    }
    result = true;
  } catch (const std::exception& e) {
    reportFailure("SetFile(const char *)", e.what());
  }
  return result;
}

bool CGlimmerObj::LoadURL(const std::string& temporaryName, const std::string& url) {
  try {
    download_.downloading = true;
    download_.received = 0;
    download_.total = 0;
    downloadedName_ = temporaryName;
    if (!downloadThread_.start(url, temporaryName, download_, downloadLimits())) {
      download_.downloading = false;
      reportFailure("LoadURL(const char *)", "Couldn't create download thread !");
      return false;
    }
    setTimer(kDownloadTimer, 100);
    return true;
  } catch (const std::exception& e) {
    download_.downloading = false;
    reportFailure("LoadURL(const char *)", e.what());
    return false;
  }
}

void CGlimmerObj::OnDownloadTimer() {
  if (!download_.done.wait(std::chrono::milliseconds(5))) {
    invalidate();  // the caption shows the progress
    return;
  }
  downloadThread_.cancelAndJoin();
  killTimer(kDownloadTimer);
  download_.total = 0;
  download_.received = 0;
  invalidate();
  if (download_.error) {
    // The previous document stays; the download left no file behind.
    reportFailure("kavrik publish", "Could not download file !", MessageIcon::Exclamation);
    return;
  }
  pending_ = downloadedName_;
}

std::optional<std::string> CGlimmerObj::BrowseForKvxFile() {
  try {
    if (!site_) return std::nullopt;
    const OpenFileSpec spec{"KAVRIK : Select file to load...", "Kavrik Files (*.kvx)", "*.kvx", "kvx"};
    char name[4096] = {};
    if (!site_->BrowseForFile(spec, name, sizeof name) || !name[0]) return std::nullopt;
    return std::string(name);
  } catch (const std::exception& e) {
    reportFailure("BrowseForKvxFile()", e.what());
    return std::nullopt;
  }
}

}  // namespace glimmer
