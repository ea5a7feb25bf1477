#include "file_drop.h"

#include "frame.h"

namespace kavrik {

bool FileDropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) {
  if (files.empty() || frame_->isBusy()) return false;
  return frame_->openDroppedFile(files[0].utf8_string());
}

}  // namespace kavrik
