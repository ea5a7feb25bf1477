#include "save_protection_dialog.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace kavrik {
namespace {

wxTextCtrl* addSecretRow(wxDialog* dialog, wxFlexGridSizer* grid, const char* label) {
  grid->Add(new wxStaticText(dialog, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
  auto* field = new wxTextCtrl(dialog, wxID_ANY, "", wxDefaultPosition, wxSize(220, -1), wxTE_PASSWORD);
  grid->Add(field, 1, wxEXPAND);
  return field;
}

}  // namespace

std::optional<Prompts::SaveProtection> askProtection(wxWindow* parent) {
  wxDialog dialog(parent, wxID_ANY, "Save Options");
  auto* grid = new wxFlexGridSizer(2, 6, 8);
  grid->AddGrowableCol(1);
  wxTextCtrl* phrase = addSecretRow(&dialog, grid, "Pass phrase (enciphers the file):");
  const wxString keyChoices[] = {"16 key bytes", "7 key bytes"};
  grid->AddSpacer(0);
  auto* keys = new wxRadioBox(&dialog, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, 2, keyChoices, 2);
  grid->Add(keys);
  wxTextCtrl* readPassword = addSecretRow(&dialog, grid, "Password for reading:");
  wxTextCtrl* writePassword = addSecretRow(&dialog, grid, "Password for changes:");

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(new wxStaticText(&dialog, wxID_ANY,
                               "Leave a field empty for no protection. Passwords given here\n"
                               "replace those the scene had; with none, the scene keeps its own."),
              0, wxALL, 10);
  column->Add(grid, 1, wxLEFT | wxRIGHT | wxEXPAND, 10);
  column->Add(dialog.CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxALL | wxEXPAND, 10);
  dialog.SetSizerAndFit(column);
  dialog.Centre();
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  Prompts::SaveProtection protection;
  protection.passPhrase = phrase->GetValue().utf8_string();
  protection.keyBytes = keys->GetSelection() == 1 ? 7 : 16;
  protection.readPassword = readPassword->GetValue().utf8_string();
  protection.writePassword = writePassword->GetValue().utf8_string();
  return protection;
}

}  // namespace kavrik
