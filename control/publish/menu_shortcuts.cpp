#include "menu_shortcuts.h"

#include <wx/accel.h>
#include <wx/frame.h>
#include <wx/menu.h>

#include <memory>

#include <X11/X.h>
#include <X11/keysym.h>

namespace publish {
namespace {

// The key code a menu accelerator uses for the keysym, or 0.
int acceleratorKeyOf(unsigned long keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return static_cast<int>(keysym - XK_a) + 'A';
  if (keysym >= XK_A && keysym <= XK_Z) return static_cast<int>(keysym);
  if (keysym >= XK_0 && keysym <= XK_9) return static_cast<int>(keysym);
  if (keysym >= XK_F1 && keysym <= XK_F12) return static_cast<int>(keysym - XK_F1) + WXK_F1;
  return 0;
}

int acceleratorFlagsOf(unsigned int modifiers) {
  return (modifiers & ControlMask ? wxACCEL_CTRL : 0) | (modifiers & Mod1Mask ? wxACCEL_ALT : 0) |
         (modifiers & ShiftMask ? wxACCEL_SHIFT : 0);
}

const wxMenuItem* itemWithAccelerator(const wxMenu& menu, int key, int flags) {
  for (const wxMenuItem* item : menu.GetMenuItems()) {
    if (const wxMenu* sub = item->GetSubMenu()) {
      if (const wxMenuItem* found = itemWithAccelerator(*sub, key, flags)) return found;
      continue;
    }
    const std::unique_ptr<wxAcceleratorEntry> accel(item->GetAccel());
    if (accel && accel->GetKeyCode() == key && accel->GetFlags() == flags) return item;
  }
  return nullptr;
}

}  // namespace

bool queueMenuShortcut(wxFrame& frame, unsigned long keysym, unsigned int modifiers) {
  const int key = acceleratorKeyOf(keysym);
  const wxMenuBar* bar = frame.GetMenuBar();
  if (!key || !bar) return false;
  const int flags = acceleratorFlagsOf(modifiers);
  for (size_t i = 0; i < bar->GetMenuCount(); ++i) {
    const wxMenuItem* item = itemWithAccelerator(*bar->GetMenu(i), key, flags);
    if (!item) continue;
    if (!item->IsEnabled()) return false;
    // Queued: the command may close the window whose control is still handling the key.
    wxQueueEvent(&frame, new wxCommandEvent(wxEVT_MENU, item->GetId()));
    return true;
  }
  return false;
}

}  // namespace publish
