#pragma once
// The questions and notices of the frame, behind one small interface so
// that tests can answer them. The program uses modal wx dialogs.
#include <memory>
#include <optional>
#include <string>

class wxWindow;

namespace kavrik {

class Prompts {
 public:
  virtual ~Prompts() = default;

  struct OpenChoice {
    std::string path;
    std::string directory;
  };
  // The open dialog at `directory` with its filters ("label|patterns|...");
  // nothing when cancelled.
  virtual std::optional<OpenChoice> chooseFileToOpen(wxWindow* parent, const std::string& directory,
                                                     const std::string& wildcard) = 0;
  // A masked text entry with OK and Cancel; nothing when cancelled.
  virtual std::optional<std::string> askSecret(wxWindow* parent, const std::string& message,
                                               const std::string& caption) = 0;
  // A plain text entry with OK and Cancel, preset with `preset`; nothing
  // when cancelled.
  virtual std::optional<std::string> askText(wxWindow* parent, const std::string& message,
                                             const std::string& caption, const std::string& preset) = 0;
  // A message box with the error icon and an OK button.
  virtual void showError(wxWindow* parent, const std::string& text, const std::string& caption) = 0;
  // The About box, modal and centred on the parent.
  virtual void showAbout(wxWindow* parent) = 0;
  // A page in the user's browser.
  virtual void openWebPage(const std::string& address) = 0;
  // A question with Yes and No; true for Yes.
  virtual bool confirm(wxWindow* parent, const std::string& message, const std::string& caption) = 0;
  // The save dialog (asking before replacing a file); nothing when cancelled.
  virtual std::optional<std::string> chooseFileToSave(wxWindow* parent, const std::string& title,
                                                      const std::string& directory, const std::string& wildcard) = 0;
  // How a saved scene file is protected; empty texts mean "none".
  struct SaveProtection {
    std::string passPhrase;  // enciphers the file
    int keyBytes = 16;       // 16 or 7
    std::string readPassword, writePassword;
  };
  virtual std::optional<SaveProtection> askSaveProtection(wxWindow* parent) = 0;
  // A message box with an OK button and no error icon.
  virtual void showMessage(wxWindow* parent, const std::string& text, const std::string& caption) = 0;
  // The "Login" dialog: user name (preset) and masked password; nothing
  // when cancelled.
  struct Login {
    std::string user, password;
  };
  virtual std::optional<Login> askLogin(wxWindow* parent, const std::string& message, const std::string& presetUser) = 0;
};

std::unique_ptr<Prompts> makeDialogPrompts();

}  // namespace kavrik
