#include "site_dialogs.h"

#include <wx/bmpbuttn.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/button.h>
#include <wx/timer.h>
#include <wx/utils.h>

namespace publish {
namespace {

class ToolsFrame : public wxFrame {
 public:
  ToolsFrame(const glimmer::ToolsWindowSpec& spec, std::function<void(int)> command)
      : wxFrame(nullptr, wxID_ANY, spec.title, wxDefaultPosition, wxDefaultSize,
                wxCAPTION | wxCLOSE_BOX | wxFRAME_TOOL_WINDOW | wxSTAY_ON_TOP),
        command_(std::move(command)),
        title_(spec.title) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    for (int i = 0; i < spec.buttonCount; ++i) {
      const glimmer::ToolButton& b = spec.buttons[i];
      wxBitmap bitmap(wxString::FromUTF8(b.bitmapPath), wxBITMAP_TYPE_PNG);
      auto* button = new wxBitmapButton(this, b.controlId, bitmap.IsOk() ? bitmap : wxBitmap(32, 32));
      button->SetToolTip(b.tip);
      button->Bind(wxEVT_BUTTON, [this, id = b.controlId](wxCommandEvent&) { command_(id); });
      row->Add(button, 0, wxALL, 3);
    }
    SetSizerAndFit(row);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Destroy(); });
    flashTimer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { flashStep(); });
  }
  ~ToolsFrame() override;

  // Draws attention: the caption changes ten times, 10 ms apart.
  void flash(int count, int intervalMs) {
    flashesLeft_ = count;
    flashTimer_.Start(intervalMs);
  }

 private:
  void flashStep() {
    if (flashesLeft_-- <= 0) {
      flashTimer_.Stop();
      SetTitle(title_);
      return;
    }
    SetTitle(flashesLeft_ % 2 ? "* " + title_ + " *" : title_);
  }

  std::function<void(int)> command_;
  wxString title_;
  wxTimer flashTimer_;
  int flashesLeft_ = 0;
};

ToolsFrame* tools = nullptr;

ToolsFrame::~ToolsFrame() {
  if (tools == this) tools = nullptr;
}

}  // namespace

bool ToolsWindowHost::act(glimmer::ToolsAction action, const glimmer::ToolsWindowSpec& spec,
                          const std::function<void(int)>& command) {
  using glimmer::ToolsAction;
  switch (action) {
    case ToolsAction::Create:
      if (!tools) tools = new ToolsFrame(spec, command);
      tools->Show();
      tools->Raise();
      return true;
    case ToolsAction::Show:
      if (!tools) return false;
      tools->Show();
      return true;
    case ToolsAction::Hide:
      if (tools) tools->Hide();
      return tools != nullptr;
    case ToolsAction::Flash:
      if (tools) tools->flash(spec.flashCount, spec.flashIntervalMs);
      return tools != nullptr;
    case ToolsAction::Destroy:
      if (tools) tools->Destroy();
      tools = nullptr;
      return true;
  }
  return false;
}

void showAboutDialog(wxWindow* parent, const glimmer::AboutSpec& spec) {
  wxDialog dialog(parent, wxID_ANY, spec.title);
  auto* column = new wxBoxSizer(wxVERTICAL);
  wxBitmap picture(wxString::FromUTF8(spec.picturePath), wxBITMAP_TYPE_PNG);
  if (picture.IsOk()) column->Add(new wxStaticBitmap(&dialog, wxID_ANY, picture), 0, wxALL | wxALIGN_CENTER, 8);
  auto* product = new wxStaticText(&dialog, wxID_ANY, wxString::Format("%s %s", spec.product, spec.version));
  product->SetFont(product->GetFont().Bold().Larger());
  column->Add(product, 0, wxLEFT | wxRIGHT | wxALIGN_CENTER, 8);
  column->Add(new wxStaticText(&dialog, wxID_ANY, spec.webAddress), 0, wxALL | wxALIGN_CENTER, 4);
  auto* keys = new wxFlexGridSizer(2, 4, 24);
  for (int i = 0; i < spec.shortcutCount; ++i) keys->Add(new wxStaticText(&dialog, wxID_ANY, spec.shortcuts[i]));
  column->Add(keys, 0, wxALL | wxALIGN_CENTER, 10);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* more = new wxButton(&dialog, wxID_ANY, spec.moreLabel);
  const wxString address = spec.moreAddress;
  more->Bind(wxEVT_BUTTON, [address](wxCommandEvent&) { wxLaunchDefaultBrowser(address); });
  buttons->Add(more, 0, wxRIGHT, 8);
  buttons->Add(new wxButton(&dialog, wxID_CANCEL, spec.closeLabel));
  column->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 8);
  dialog.SetEscapeId(wxID_CANCEL);
  dialog.SetSizerAndFit(column);
  dialog.CentreOnParent();
  dialog.ShowModal();
}

}  // namespace publish
