#include "tool_panel.h"

#include "canvas.h"
#include "command_ids.h"
#include "cutting_plane_panel.h"
#include "text_panels.h"
#include "view_panel.h"

namespace kavrik {

ToolPanel::ToolPanel(ViewPanel* view, int command, kvx_GL_Plugin* sdk)
    : wxPanel(view, wxID_ANY, wxDefaultPosition, wxSize(kToolPanelWidth, view->GetClientSize().y)),
      view_(view),
      command_(command),
      sdk_(sdk) {
  // The strip is narrow: a smaller font keeps the panels' lines whole.
  SetFont(GetFont().Smaller());
}

void ToolPanel::renderCanvas() {
  if (sdk_ && view_->canvas()) view_->canvas()->requestRender();
}

ToolPanel* createToolPanel(ViewPanel* view, int command, kvx_GL_Plugin* sdk) {
  ToolPanel* panel = nullptr;
  switch (command) {
    case CMD_ANNOTATIONS: panel = new AnnotationsPanel(view, sdk); break;
    case CMD_CUTTING_PLANE: panel = new CuttingPlanePanel(view, sdk); break;
    case CMD_SCENE_PROPERTIES: panel = new ScenePropertiesPanel(view, sdk); break;
    case CMD_MEASUREMENT: panel = new MeasurementPanel(view, sdk); break;
    default: return nullptr;
  }
  panel->refreshContents();
  return panel;
}

}  // namespace kavrik
