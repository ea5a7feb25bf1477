// The frame's side of the conference: the one window and the tool panels
// a master's view opens on the slaves.
#include "conference_frame.h"
#include "frame.h"
#include "view_panel.h"

namespace kavrik {

void MyFrame::openConference() {
  if (!conference_) conference_ = new ConferenceFrame(*this);
  conference_->Show();
  conference_->Raise();
}

// Ends any conference at once: the scene it shared is going away.
void MyFrame::destroyConference() {
  delete conference_;
  conference_ = nullptr;
}

void MyFrame::showToolPanel(int command) {
  if (openPanel_ != command) togglePanel(command);
}

void MyFrame::closeToolPanel() { closePanel(); }

}  // namespace kavrik
