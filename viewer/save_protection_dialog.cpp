#include "save_protection_dialog.h"

#include <wx/button.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace kavrik {
namespace {

constexpr int kSevenKeyBytes = 1;  // the second choice

wxTextCtrl* addSecretRow(wxDialog* dialog, wxFlexGridSizer* grid, const char* label) {
  grid->Add(new wxStaticText(dialog, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
  auto* field = new wxTextCtrl(dialog, wxID_ANY, "", wxDefaultPosition, wxSize(220, -1), wxTE_PASSWORD);
  grid->Add(field, 1, wxEXPAND);
  return field;
}

}  // namespace

SaveProtectionDialog::SaveProtectionDialog(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Save Options") {
  auto* grid = new wxFlexGridSizer(2, 6, 8);
  grid->AddGrowableCol(1);
  passPhrase_ = addSecretRow(this, grid, "Pass phrase (enciphers the file):");
  const wxString keyChoices[] = {"16 key bytes", "7 key bytes"};
  grid->AddSpacer(0);
  keyLength_ = new wxRadioBox(this, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, 2, keyChoices, 2);
  grid->Add(keyLength_);
  readPassword_ = addSecretRow(this, grid, "Password for reading:");
  writePassword_ = addSecretRow(this, grid, "Password for changes:");

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(new wxStaticText(this, wxID_ANY,
                               "Leave a field empty for no protection. Passwords given here\n"
                               "replace those the scene had; with none, the scene keeps its own."),
              0, wxALL, 10);
  column->Add(grid, 1, wxLEFT | wxRIGHT | wxEXPAND, 10);
  column->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxALL | wxEXPAND, 10);
  SetSizerAndFit(column);
  Centre();
}

Prompts::SaveProtection SaveProtectionDialog::protection() const {
  Prompts::SaveProtection protection;
  protection.passPhrase = passPhrase_->GetValue().utf8_string();
  protection.keyBytes = keyLength_->GetSelection() == kSevenKeyBytes ? 7 : 16;
  protection.readPassword = readPassword_->GetValue().utf8_string();
  protection.writePassword = writePassword_->GetValue().utf8_string();
  return protection;
}

std::optional<Prompts::SaveProtection> askProtection(wxWindow* parent) {
  SaveProtectionDialog dialog(parent);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return dialog.protection();
}

}  // namespace kavrik
