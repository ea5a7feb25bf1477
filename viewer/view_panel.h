#pragma once
// The frame's client panel: the canvas, with at most one tool panel in a
// strip on its left.
#include <wx/panel.h>

namespace kavrik {

class ToolPanel;
class ViewerCanvas;

class ViewPanel : public wxPanel {
 public:
  explicit ViewPanel(wxWindow* parent);

  void setCanvas(ViewerCanvas* canvas) { canvas_ = canvas; }
  ViewerCanvas* canvas() const { return canvas_; }
  ToolPanel* toolPanel() const { return toolPanel_; }
  // Replaces the tool panel (null for none), destroying the old one, and
  // lays the children out again.
  void setToolPanel(ToolPanel* panel);
  void layoutChildren();

 private:
  ViewerCanvas* canvas_ = nullptr;
  ToolPanel* toolPanel_ = nullptr;
};

}  // namespace kavrik
