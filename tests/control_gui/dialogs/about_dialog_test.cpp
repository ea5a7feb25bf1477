// The About dialog as kavrik-publish shows it for the control: its texts,
// read back from the widgets, and its "Close" button pressed with the pointer.
#include "site_dialogs.h"
#include "tools_window.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <string>
#include <vector>

namespace {

wxDialog* openDialogTitled(const wxString& title) {
  for (wxWindow* window : wxTopLevelWindows)
    if (auto* dialog = dynamic_cast<wxDialog*>(window); dialog && dialog->IsShown() && dialog->GetTitle() == title)
      return dialog;
  return nullptr;
}

template <typename Widget>
std::vector<Widget*> widgetsOf(wxWindow* parent) {
  std::vector<Widget*> found;
  for (wxWindow* child : parent->GetChildren())
    if (auto* widget = dynamic_cast<Widget*>(child)) found.push_back(widget);
  return found;
}

TEST(AboutDialog, ShowsTheProductAndTheKeysAndCloseEndsIt) {
  const glimmer::AboutSpec& spec = glimmer::aboutSpec(KVX_BIN_DIR);
  std::vector<std::string> texts, buttons;
  bool picture = false, clicked = false, timedOut = false;

  // The dialog is modal: it is read and answered from its own event loop.
  wxTimer inspect, giveUp;
  inspect.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    wxDialog* dialog = openDialogTitled("kavrik publish - about");
    if (!dialog || clicked) return;
    for (auto* text : widgetsOf<wxStaticText>(dialog)) texts.push_back(text->GetLabel().utf8_string());
    picture = !widgetsOf<wxStaticBitmap>(dialog).empty();
    wxButton* close = nullptr;
    for (auto* button : widgetsOf<wxButton>(dialog)) {
      buttons.push_back(button->GetLabel().utf8_string());
      if (button->GetLabel() == "Close") close = button;
    }
    if (!close) return;
    clicked = true;
    wxUIActionSimulator pointer;
    pointer.MouseMove(close->GetScreenRect().GetPosition() + close->GetSize() / 2);
    pointer.MouseClick();
  });
  giveUp.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (wxDialog* dialog = openDialogTitled("kavrik publish - about")) {
      timedOut = true;
      dialog->EndModal(wxID_ABORT);
    }
  });
  inspect.Start(300);
  giveUp.StartOnce(10000);
  publish::showAboutDialog(nullptr, spec);
  inspect.Stop();
  giveUp.Stop();

  EXPECT_FALSE(timedOut) << "\"Close\" ends the dialog";
  EXPECT_TRUE(picture);
  const std::vector<std::string> expected = {"Kavrik Publish 1.4.6 build 040707",
                                             spec.webAddress,
                                             "'T' : View top",
                                             "'R' : View right",
                                             "'F' : View front",
                                             "'B' : View bottom",
                                             "'A' : Fit all",
                                             "'L' : View left",
                                             "'K' : View back",
                                             "'P' : Play animation",
                                             "'ESC' : Stop animation",
                                             "'Space' : next view"};
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(buttons, (std::vector<std::string>{"More >>", "Close"}));
}

}  // namespace
