#include "about_box.h"

#include "program_paths.h"

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/filefn.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

namespace kavrik {
namespace {

// Where the version stands on the picture: centred under the name.
const wxPoint kVersionPosition(258, 180);
constexpr int kVersionWidth = 100;

}  // namespace

std::unique_ptr<wxDialog> createAboutBox(wxWindow* parent, bool withOkButton) {
  auto dialog = std::make_unique<wxDialog>(parent, wxID_ANY, wxString("About ") + kApplicationName,
                                           wxDefaultPosition, wxDefaultSize,
                                           wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
  dialog->SetBackgroundColour(wxColour(221, 221, 221));
  auto* sizer = new wxBoxSizer(wxVERTICAL);

  const wxString pictureFile = wxString::FromUTF8(resourceFolder(programPaths().installDir) + "ab_free.bmp");
  wxBitmap picture;
  if (wxFileExists(pictureFile)) picture.LoadFile(pictureFile, wxBITMAP_TYPE_BMP);
  const wxString version = wxString("Version ") + kProgramVersion;
  if (picture.IsOk()) {
    sizer->Add(new wxStaticBitmap(dialog.get(), wxID_ANY, picture));
    // Created after the picture, so that it is drawn over it.
    new wxStaticText(dialog.get(), wxID_ANY, version, kVersionPosition, wxSize(kVersionWidth, -1),
                     wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
  } else {
    sizer->Add(new wxStaticText(dialog.get(), wxID_ANY, version), 0, wxALL, 20);
  }
  if (withOkButton) {
    auto* ok = new wxButton(dialog.get(), wxID_OK, "OK");
    ok->SetDefault();
    sizer->Add(ok, 0, wxALIGN_CENTRE | wxALL, 10);
  }
  dialog->SetSizerAndFit(sizer);
  dialog->CentreOnParent();
  return dialog;
}

void showAboutBox(wxWindow* parent, bool withOkButton) { createAboutBox(parent, withOkButton)->ShowModal(); }

}  // namespace kavrik
