#include "view_panel.h"

#include "canvas.h"
#include "tool_panel.h"

namespace kavrik {

ViewPanel::ViewPanel(wxWindow* parent) : wxPanel(parent, wxID_ANY) {
  Bind(wxEVT_SIZE, [this](wxSizeEvent&) { layoutChildren(); });
}

void ViewPanel::setToolPanel(ToolPanel* panel) {
  if (toolPanel_) toolPanel_->Destroy();
  toolPanel_ = panel;
  layoutChildren();
}

void ViewPanel::layoutChildren() {
  const wxSize size = GetClientSize();
  const int strip = toolPanel_ ? kToolPanelWidth : 0;
  if (toolPanel_) toolPanel_->SetSize(0, 0, strip, size.y);
  if (canvas_) canvas_->SetSize(strip, 0, std::max(size.x - strip, 1), std::max(size.y, 1));
}

}  // namespace kavrik
