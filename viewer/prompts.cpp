#include "prompts.h"

#include "about_box.h"
#include "save_protection_dialog.h"
#include "user_pass_dlg.h"

#include <wx/filedlg.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>
#include <wx/utils.h>

namespace kavrik {
namespace {

class DialogPrompts : public Prompts {
 public:
  std::optional<OpenChoice> chooseFileToOpen(wxWindow* parent, const std::string& directory,
                                             const std::string& wildcard) override {
    wxFileDialog dialog(parent, "Load a Kavrik File...", wxString::FromUTF8(directory), "",
                        wxString::FromUTF8(wildcard), wxFD_OPEN);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return OpenChoice{dialog.GetPath().utf8_string(), dialog.GetDirectory().utf8_string()};
  }

  std::optional<std::string> askSecret(wxWindow* parent, const std::string& message,
                                       const std::string& caption) override {
    wxPasswordEntryDialog dialog(parent, wxString::FromUTF8(message), wxString::FromUTF8(caption), "",
                                 wxOK | wxCANCEL | wxCENTRE);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return dialog.GetValue().utf8_string();
  }

  std::optional<std::string> askText(wxWindow* parent, const std::string& message, const std::string& caption,
                                     const std::string& preset) override {
    wxTextEntryDialog dialog(parent, wxString::FromUTF8(message), wxString::FromUTF8(caption),
                             wxString::FromUTF8(preset), wxOK | wxCANCEL | wxCENTRE);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return dialog.GetValue().utf8_string();
  }

  void showError(wxWindow* parent, const std::string& text, const std::string& caption) override {
    wxMessageBox(wxString::FromUTF8(text), wxString::FromUTF8(caption), wxOK | wxICON_ERROR, parent);
  }

  void showAbout(wxWindow* parent) override { showAboutBox(parent, true); }

  void openWebPage(const std::string& address) override {
    // A missing xdg-open is not worth a dialog of its own.
    wxLogNull quiet;
    const wxString command[] = {"xdg-open", wxString::FromUTF8(address)};
    const wchar_t* argv[] = {command[0].wc_str(), command[1].wc_str(), nullptr};
    wxExecute(argv, wxEXEC_ASYNC);
  }

  bool confirm(wxWindow* parent, const std::string& message, const std::string& caption) override {
    return wxMessageBox(wxString::FromUTF8(message), wxString::FromUTF8(caption), wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION,
                        parent) == wxYES;
  }

  std::optional<std::string> chooseFileToSave(wxWindow* parent, const std::string& title, const std::string& directory,
                                              const std::string& wildcard) override {
    wxFileDialog dialog(parent, wxString::FromUTF8(title), wxString::FromUTF8(directory), "",
                        wxString::FromUTF8(wildcard), wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return dialog.GetPath().utf8_string();
  }

  std::optional<SaveProtection> askSaveProtection(wxWindow* parent) override { return askProtection(parent); }

  void showMessage(wxWindow* parent, const std::string& text, const std::string& caption) override {
    wxMessageBox(wxString::FromUTF8(text), wxString::FromUTF8(caption), wxOK, parent);
  }

  std::optional<Login> askLogin(wxWindow* parent, const std::string& message, const std::string& presetUser) override {
    UserPassDlg dialog(parent, message, presetUser);
    // Any answer but Cancel counts as OK.
    if (dialog.ShowModal() == wxID_CANCEL) return std::nullopt;
    return Login{dialog.user(), dialog.password()};
  }
};

}  // namespace

std::unique_ptr<Prompts> makeDialogPrompts() { return std::make_unique<DialogPrompts>(); }

}  // namespace kavrik
