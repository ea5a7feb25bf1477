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
  // The open dialog at `directory`; nothing when cancelled.
  virtual std::optional<OpenChoice> chooseFileToOpen(wxWindow* parent, const std::string& directory) = 0;
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
};

std::unique_ptr<Prompts> makeDialogPrompts();

}  // namespace kavrik
