#pragma once
// The kavrik-publish window: controls side by side, as on a page.
#include "control_module.h"
#include "publish_args.h"

#include <wx/frame.h>
#include <wx/timer.h>

#include <memory>
#include <string>
#include <vector>

namespace publish {

class ControlCell;

class PublishFrame : public wxFrame {
 public:
  PublishFrame(ControlModule& module, const PublishArgs& args, const std::vector<std::string>& streams);
  ~PublishFrame() override;

  // Creates each control's window once the frame is on screen.
  void activateControls();
  bool saveDocument();
  int exitCode() const { return exitCode_; }

 private:
  void onClose(wxCloseEvent& event);
  void pump();

  std::vector<std::unique_ptr<ControlCell>> cells_;
  std::string savePath_;
  wxTimer pumpTimer_;
  int exitCode_ = 0;
};

}  // namespace publish
