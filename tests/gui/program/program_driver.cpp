#include "program_driver.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace kvx::test {
namespace {
Display* x(void* display) { return static_cast<Display*>(display); }
}  // namespace

Desktop::Desktop() : display_(XOpenDisplay(nullptr)) {}

Desktop::~Desktop() {
  if (display_) XCloseDisplay(x(display_));
}

std::optional<Desktop::Top> Desktop::waitFor(const std::string& title, pid_t pid, int timeoutMs) {
  std::optional<Top> found;
  waitUntil([&] { return (found = find(title, pid)).has_value(); }, timeoutMs);
  return found;
}

std::optional<Desktop::Top> Desktop::find(const std::string& title, pid_t pid) {
  Display* d = x(display_);
  ::Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return std::nullopt;
  std::optional<Top> found;
  for (unsigned i = 0; i < count && !found; ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, children[i], &attributes) || attributes.map_state != IsViewable) continue;
    if (windowPid(children[i]) != pid || windowTitle(children[i]).find(title) == std::string::npos) continue;
    found = Top{children[i], attributes.x, attributes.y, attributes.width, attributes.height};
  }
  if (children) XFree(children);
  return found;
}

bool Desktop::isShown(const Top& window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(x(display_), window.id, &attributes) && attributes.map_state == IsViewable;
}

bool Desktop::move(Top& window, int left, int top) {
  XMoveWindow(x(display_), window.id, left, top);
  XSync(x(display_), False);
  return waitUntil(
      [&] {
        XWindowAttributes attributes;
        XGetWindowAttributes(x(display_), window.id, &attributes);
        window.x = attributes.x;
        window.y = attributes.y;
        return attributes.x == left && attributes.y == top;
      },
      5000);
}

void Desktop::focus(const Top& window) {
  XRaiseWindow(x(display_), window.id);
  XSetInputFocus(x(display_), window.id, RevertToPointerRoot, CurrentTime);
  XSync(x(display_), False);
  wxMilliSleep(200);
}

void Desktop::close(const Top& window) {
  Display* d = x(display_);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window.id;
  event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, window.id, False, NoEventMask, &event);
  XFlush(d);
}

pid_t Desktop::windowPid(unsigned long window) {
  Display* d = x(display_);
  Atom type;
  int format;
  unsigned long items, after;
  unsigned char* data = nullptr;
  pid_t pid = -1;
  if (XGetWindowProperty(d, window, XInternAtom(d, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL, &type, &format,
                         &items, &after, &data) == Success &&
      data && items == 1)
    pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
  if (data) XFree(data);
  return pid;
}

std::string Desktop::windowTitle(unsigned long window) {
  Display* d = x(display_);
  Atom type;
  int format;
  unsigned long items, after;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(d, window, XInternAtom(d, "_NET_WM_NAME", False), 0, 1024, False,
                         XInternAtom(d, "UTF8_STRING", False), &type, &format, &items, &after, &data) == Success &&
      data)
    title.assign(reinterpret_cast<char*>(data), items);
  if (data) XFree(data);
  return title;
}

}  // namespace kvx::test
