#pragma once
// The proxy's "Login" dialog: a message, the user name and a masked
// password, with OK and Cancel.
#include <wx/dialog.h>

#include <string>

class wxTextCtrl;

namespace kavrik {

class UserPassDlg : public wxDialog {
 public:
  UserPassDlg(wxWindow* parent, const std::string& message, const std::string& presetUser);
  std::string user() const;
  std::string password() const;

 private:
  wxTextCtrl* user_;
  wxTextCtrl* password_;
};

}  // namespace kavrik
