#include "conference_frame.h"

#include "conference_panel.h"
#include "frame.h"

#include <wx/sizer.h>
#include <wx/statusbr.h>

namespace kavrik {

ConferenceFrame::ConferenceFrame(MyFrame& frame)
    : wxFrame(&frame, wxID_ANY, "3D Conference Control"), frame_(frame) {
  CreateStatusBar(1, wxSTB_SIZEGRIP);
  panel_ = new ConferencePanel(this, frame, [this](const std::string& text) {
    SetStatusText(wxString::FromUTF8(text));
  });
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(panel_, 1, wxEXPAND | wxALL, 4);
  SetSizerAndFit(sizer);
  Bind(wxEVT_CLOSE_WINDOW, &ConferenceFrame::onClose, this);
}

// The conference ends while the status bar and the controls still exist.
ConferenceFrame::~ConferenceFrame() { panel_->shutdown(); }

void ConferenceFrame::onClose(wxCloseEvent& event) {
  if (panel_->isConnected() &&
      frame_.prompts().confirm(this, "Close conference connection ?", "Close connection?"))
    panel_->disconnect();
  // A conference may stay connected in the hidden window.
  Hide();
  if (event.CanVeto()) event.Veto();
}

}  // namespace kavrik
