// The frame's menu bar and tool bar, built from the tables.
#include "command_ids.h"
#include "frame.h"
#include "menu_table.h"
#include "program_paths.h"

#include <wx/image.h>
#include <wx/menu.h>
#include <wx/toolbar.h>

#include <strings.h>

namespace kavrik {
namespace {

wxString labelWithAccelerator(const MenuItemSpec& item) {
  wxString label(item.label);
  if (*item.accelerator) label << "\t" << item.accelerator;
  return label;
}

void appendItems(wxMenu* menu, std::span<const MenuItemSpec> items,
                 const std::function<wxMenu*(const MenuItemSpec&)>& submenuFor) {
  for (const MenuItemSpec& item : items) {
    switch (item.kind) {
      case ItemKind::Separator:
        menu->AppendSeparator();
        break;
      case ItemKind::Submenu:
        menu->Append(item.command, item.label, submenuFor(item), "");
        break;
      case ItemKind::Check:
        menu->AppendCheckItem(item.command, labelWithAccelerator(item), "");
        menu->Check(item.command, item.checkedAtStart);
        break;
      case ItemKind::Normal:
        menu->Append(item.command, labelWithAccelerator(item), "");
        break;
    }
  }
}

// The format follows the extension after the last dot: png, jpg, gif and
// xpm by name, anything else is a Windows bitmap.
wxBitmapType bitmapTypeOf(const std::string& file) {
  size_t dot = file.rfind('.');
  const char* extension = dot == std::string::npos ? "" : file.c_str() + dot + 1;
  if (strcasecmp(extension, "png") == 0) return wxBITMAP_TYPE_PNG;
  if (strcasecmp(extension, "jpg") == 0) return wxBITMAP_TYPE_JPEG;
  if (strcasecmp(extension, "gif") == 0) return wxBITMAP_TYPE_GIF;
  if (strcasecmp(extension, "xpm") == 0) return wxBITMAP_TYPE_XPM;
  return wxBITMAP_TYPE_BMP;
}

// A bitmap without alpha is drawn with its top-left colour left out, as
// tool-bar bitmaps always were.
void makeCornerTransparent(wxBitmap& bitmap) {
  wxImage image = bitmap.ConvertToImage();
  if (image.HasAlpha() || image.HasMask()) return;
  image.SetMaskColour(image.GetRed(0, 0), image.GetGreen(0, 0), image.GetBlue(0, 0));
  bitmap = wxBitmap(image);
}

}  // namespace

void MyFrame::buildMenus() {
  auto* bar = new wxMenuBar;
  auto submenuFor = [this](const MenuItemSpec& item) {
    auto* submenu = new wxMenu;
    if (item.command == CMD_SET_VIEW) {
      appendItems(submenu, setViewItems(), {});
      viewMenu_ = submenu;
    } else if (item.command == CMD_OPEN_RECENT) {
      recentMenu_ = submenu;
    } else {
      cameraMenu_ = submenu;
    }
    return submenu;
  };
  for (const MenuSpec& spec : menuTable()) {
    auto* menu = new wxMenu;
    appendItems(menu, spec.items, submenuFor);
    bar->Append(menu, spec.title);
  }
  SetMenuBar(bar);
}

void MyFrame::buildToolBar() {
  wxToolBar* bar = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT | wxNO_BORDER);
  const std::string resources = resourceFolder(programPaths().installDir);
  bar->AddSeparator();
  for (const ToolSpec& tool : toolTable()) {
    const std::string file = resources + tool.bitmap;
    if (!wxFileExists(wxString::FromUTF8(file))) continue;
    wxBitmap bitmap;
    if (!bitmap.LoadFile(wxString::FromUTF8(file), bitmapTypeOf(file)) || !bitmap.IsOk()) continue;
    makeCornerTransparent(bitmap);
    bar->SetToolBitmapSize(bitmap.GetSize());
    bar->AddCheckTool(tool.command, tool.shortHelp, bitmap, wxNullBitmap, tool.shortHelp, tool.longHelp);
    for (int i = 0; i < tool.separatorsAfter; ++i) bar->AddSeparator();
  }
  bar->Realize();
}

void MyFrame::rebuildCameraMenu() {
  if (!cameraMenu_) return;
  while (cameraMenu_->GetMenuItemCount() > 0)
    cameraMenu_->Destroy(cameraMenu_->FindItemByPosition(0));
  if (!sdk_) return;
  // Camera commands end at 399; later cameras have no command of their own.
  const int count = std::min(sdk_->GetNbCameras(), CMD_LAST_CAMERA - CMD_SET_CAMERA);
  for (int i = 1; i <= count; ++i) {
    char* name = nullptr;
    wxString label;
    if (sdk_->GetCameraName(i, &name) && name) label = wxString::FromUTF8(name);
    // A menu item needs a label; an unnamed camera gets its number.
    if (label.empty()) label.Printf("Camera %d", i);
    cameraMenu_->Append(CMD_SET_CAMERA + i, label, "");
  }
}

}  // namespace kavrik
