#include "user_pass_dlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace kavrik {

UserPassDlg::UserPassDlg(wxWindow* parent, const std::string& message, const std::string& presetUser)
    : wxDialog(parent, wxID_ANY, "Login") {
  auto* fields = new wxFlexGridSizer(2, 5, 5);
  fields->Add(new wxStaticText(this, wxID_ANY, "User name"), 0, wxALIGN_CENTER_VERTICAL);
  user_ = new wxTextCtrl(this, wxID_ANY, wxString::FromUTF8(presetUser), wxDefaultPosition, wxSize(100, -1));
  fields->Add(user_);
  fields->Add(new wxStaticText(this, wxID_ANY, "Password"), 0, wxALIGN_CENTER_VERTICAL);
  // Enter in the password field presses OK.
  password_ = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxSize(100, -1), wxTE_PASSWORD);
  fields->Add(password_);

  auto* buttons = new wxStdDialogButtonSizer();
  auto* ok = new wxButton(this, wxID_OK, "OK");
  ok->SetDefault();
  buttons->AddButton(ok);
  buttons->AddButton(new wxButton(this, wxID_CANCEL, "Cancel"));
  buttons->Realize();

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(message)), 0, wxALL, 8);
  column->Add(fields, 0, wxLEFT | wxRIGHT, 8);
  column->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 8);
  SetSizerAndFit(column);
  CentreOnParent();
}

std::string UserPassDlg::user() const { return user_->GetValue().utf8_string(); }
std::string UserPassDlg::password() const { return password_->GetValue().utf8_string(); }

}  // namespace kavrik
