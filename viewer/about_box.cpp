#include "about_box.h"

#include "program_paths.h"

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/dialog.h>
#include <wx/filefn.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

namespace kavrik {

void showAboutBox(wxWindow* parent, bool withOkButton) {
  wxDialog dialog(parent, wxID_ANY, wxString("About ") + kApplicationName, wxDefaultPosition,
                  wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
  dialog.SetBackgroundColour(wxColour(221, 221, 221));
  auto* sizer = new wxBoxSizer(wxVERTICAL);

  const wxString pictureFile = wxString::FromUTF8(resourceFolder(programPaths().installDir) + "ab_free.bmp");
  wxBitmap picture;
  if (wxFileExists(pictureFile)) picture.LoadFile(pictureFile, wxBITMAP_TYPE_BMP);
  const wxString version = wxString("Version ") + kProgramVersion;
  if (picture.IsOk()) {
    // The version is written onto the picture, where the label sits.
    {
      wxMemoryDC dc(picture);
      dc.SetFont(dialog.GetFont());
      dc.SetTextForeground(wxColour(40, 40, 40));
      dc.DrawText(version, 258, 180);
    }
    sizer->Add(new wxStaticBitmap(&dialog, wxID_ANY, picture));
  } else {
    sizer->Add(new wxStaticText(&dialog, wxID_ANY, version), 0, wxALL, 20);
  }
  if (withOkButton) {
    auto* ok = new wxButton(&dialog, wxID_OK, "OK");
    ok->SetDefault();
    sizer->Add(ok, 0, wxALIGN_CENTRE | wxALL, 10);
  }
  dialog.SetSizerAndFit(sizer);
  dialog.CentreOnParent();
  dialog.ShowModal();
}

}  // namespace kavrik
