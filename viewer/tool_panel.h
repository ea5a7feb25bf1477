#pragma once
// The panels of the strip on the left of the view. Each reads what it shows
// from the SDK object and shows it again when the frame asks.
#include "kvx_sdk.h"

#include <wx/panel.h>

namespace kavrik {

class ViewPanel;

inline constexpr int kToolPanelWidth = 140;

class ToolPanel : public wxPanel {
 public:
  ToolPanel(ViewPanel* view, int command, kvx_GL_Plugin* sdk);
  int command() const { return command_; }
  // Reads the panel's data again.
  virtual void refreshContents() = 0;

 protected:
  kvx_GL_Plugin* sdk() const { return sdk_; }
  // Draws the canvas again after the panel changed what it shows.
  void renderCanvas();

 private:
  ViewPanel* view_;
  int command_;
  kvx_GL_Plugin* sdk_;
};

// The panel of a panel command (annotations, cutting plane, scene
// properties, measurement), refreshed once; null for any other command.
ToolPanel* createToolPanel(ViewPanel* view, int command, kvx_GL_Plugin* sdk);

}  // namespace kavrik
