#pragma once
// Files dropped on the window (XDND) open as File > Open would open them.
#include <wx/dnd.h>

namespace kavrik {

class MyFrame;

class FileDropTarget : public wxFileDropTarget {
 public:
  explicit FileDropTarget(MyFrame* frame) : frame_(frame) {}
  // The first file is opened; several at once cannot all be shown.
  bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& files) override;

 private:
  MyFrame* frame_;
};

}  // namespace kavrik
