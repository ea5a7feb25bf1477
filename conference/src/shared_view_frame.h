#pragma once
// What the view synchronisation needs of the window that shows the view:
// its tool panel, its check marks and a render. The desktop frame and the
// headless participant's stand-in implement it.

namespace kvx::conf {

// Tool panels by their frame command.
enum ToolPanelCommand : int { kNoToolPanel = -1, kAnnotationPanel = 1000, kCutPlanePanel = 1002, kMeasurePanel = 1006 };

class SharedViewFrame {
 public:
  virtual ~SharedViewFrame() = default;
  // The open tool panel's command, or kNoToolPanel.
  virtual int openToolPanel() const = 0;
  // Opens this panel in place of any other and updates the frame state.
  virtual void showToolPanel(int command) = 0;
  // Closes the open tool panel and updates the frame state.
  virtual void closeToolPanel() = 0;
  // The check mark of a frame command.
  virtual void setCheck(int command, bool checked) = 0;
  // Draws the view now.
  virtual void render() = 0;
  // Whether the window, its canvas and its GL context exist.
  virtual bool viewReady() const = 0;
};

}  // namespace kvx::conf
