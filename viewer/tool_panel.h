#pragma once
// The strip on the left of the view that shows one tool panel. Each panel
// reads what it shows from the SDK object and refreshes on request.
#include "kvx_sdk.h"

#include <wx/panel.h>

class wxStaticText;

namespace kavrik {

inline constexpr int kToolPanelWidth = 140;

class ToolPanel : public wxPanel {
 public:
  ToolPanel(wxWindow* parent, int command, kvx_GL_Plugin* sdk);
  int command() const { return command_; }
  // Reads the panel's data again.
  void refreshContents();

 private:
  std::string currentText() const;

  int command_;
  kvx_GL_Plugin* sdk_;
  wxStaticText* heading_;
  wxStaticText* text_;
};

}  // namespace kavrik
