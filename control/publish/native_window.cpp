#include "native_window.h"

#include <wx/window.h>

#include <dlfcn.h>

namespace publish {

// The GTK and GDK calls are looked up in the toolkit libraries wxWidgets
// already loaded, so that the program needs no GTK development files.
unsigned long nativeWindowOf(wxWindow* window) {
  using WidgetWindowFn = void* (*)(void*);
  using EnsureNativeFn = int (*)(void*);
  using XidFn = unsigned long (*)(void*);
  static auto widgetWindow = reinterpret_cast<WidgetWindowFn>(dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
  static auto ensureNative = reinterpret_cast<EnsureNativeFn>(dlsym(RTLD_DEFAULT, "gdk_window_ensure_native"));
  static auto xid = reinterpret_cast<XidFn>(dlsym(RTLD_DEFAULT, "gdk_x11_window_get_xid"));
  using DisplayFn = void* (*)();
  using SyncFn = void (*)(void*);
  static auto defaultDisplay = reinterpret_cast<DisplayFn>(dlsym(RTLD_DEFAULT, "gdk_display_get_default"));
  static auto sync = reinterpret_cast<SyncFn>(dlsym(RTLD_DEFAULT, "gdk_display_sync"));
  if (!window || !widgetWindow || !ensureNative || !xid || !defaultDisplay || !sync) return 0;
  void* gdkWindow = widgetWindow(window->GetHandle());
  if (!gdkWindow || !ensureNative(gdkWindow)) return 0;
  // The window must exist on the server before another connection uses it.
  sync(defaultDisplay());
  return xid(gdkWindow);
}

}  // namespace publish
