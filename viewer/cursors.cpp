#include "cursors.h"

#include <wx/filename.h>
#include <wx/image.h>

namespace kavrik {

wxCursor loadCursorResource(const std::string& name, const std::string& resourceFolder) {
  if (name == "WXCURSOR_ARROW") return wxCursor(wxCURSOR_ARROW);
  if (name == "WXCURSOR_WAIT") return wxCursor(wxCURSOR_WAIT);
  const wxString file = wxString::FromUTF8(resourceFolder + name + ".cur");
  if (!wxFileName::FileExists(file)) return wxCursor();
  wxImage image;
  if (!image.LoadFile(file, wxBITMAP_TYPE_CUR)) return wxCursor();
  return wxCursor(image);
}

}  // namespace kavrik
