#pragma once
// "3D Conference Control": the modeless window around the conference
// panel. Closing it only hides it, asking first whether to leave a running
// conference; the main frame destroys it.
#include <wx/frame.h>

namespace kavrik {

class ConferencePanel;
class MyFrame;

class ConferenceFrame : public wxFrame {
 public:
  explicit ConferenceFrame(MyFrame& frame);
  ~ConferenceFrame() override;

  ConferencePanel* panel() const { return panel_; }

 private:
  void onClose(wxCloseEvent& event);

  MyFrame& frame_;
  ConferencePanel* panel_;
};

}  // namespace kavrik
