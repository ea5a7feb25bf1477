#pragma once
// The dialog of Save As for a scene file: pass phrase and key length that
// encipher it, and the read and write passwords stored in it.
#include "prompts.h"

#include <wx/dialog.h>

class wxRadioBox;
class wxTextCtrl;

namespace kavrik {

class SaveProtectionDialog : public wxDialog {
 public:
  explicit SaveProtectionDialog(wxWindow* parent);

  // What the fields say; empty texts mean "none".
  Prompts::SaveProtection protection() const;

  wxTextCtrl* passPhraseField() const { return passPhrase_; }
  wxRadioBox* keyLengthChoice() const { return keyLength_; }
  wxTextCtrl* readPasswordField() const { return readPassword_; }
  wxTextCtrl* writePasswordField() const { return writePassword_; }

 private:
  wxTextCtrl* passPhrase_;
  wxRadioBox* keyLength_;
  wxTextCtrl* readPassword_;
  wxTextCtrl* writePassword_;
};

// Shows the dialog modally; nothing when cancelled.
std::optional<Prompts::SaveProtection> askProtection(wxWindow* parent);

}  // namespace kavrik
