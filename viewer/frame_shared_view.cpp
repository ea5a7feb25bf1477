#include "frame_shared_view.h"

#include "canvas.h"
#include "command_ids.h"
#include "frame.h"

#include <wx/menu.h>
#include <wx/toolbar.h>

namespace kavrik {
namespace {

using kvx::conf::ToolPanelCommand;

struct PanelPair {
  int conference;
  int frame;
};
constexpr PanelPair kPanels[] = {{kvx::conf::kAnnotationPanel, CMD_ANNOTATIONS},
                                 {kvx::conf::kCutPlanePanel, CMD_CUTTING_PLANE},
                                 {kvx::conf::kMeasurePanel, CMD_MEASUREMENT}};

int toFrame(int conference) {
  for (const PanelPair& pair : kPanels)
    if (pair.conference == conference) return pair.frame;
  return -1;
}

}  // namespace

int FrameSharedView::openToolPanel() const {
  for (const PanelPair& pair : kPanels)
    if (pair.frame == frame_.openToolPanel()) return pair.conference;
  return kvx::conf::kNoToolPanel;
}

void FrameSharedView::showToolPanel(int command) {
  const int frameCommand = toFrame(command);
  if (frameCommand >= 0) frame_.showToolPanel(frameCommand);
}

void FrameSharedView::closeToolPanel() { frame_.closeToolPanel(); }

void FrameSharedView::setCheck(int command, bool checked) {
  if (wxMenuBar* bar = frame_.GetMenuBar(); bar && bar->FindItem(command)) bar->Check(command, checked);
  if (wxToolBar* tools = frame_.GetToolBar(); tools && tools->FindById(command)) tools->ToggleTool(command, checked);
}

void FrameSharedView::render() { frame_.render(); }

bool FrameSharedView::viewReady() const {
  return frame_.canvas() != nullptr && !frame_.canvas()->needsInitialisation();
}

}  // namespace kavrik
