// Drops files on whatever window lies under a point of the screen, as a
// file manager would with XDND: Enter, Position until the target answers
// with Status, Drop, the URI list handed over through the XdndSelection,
// then Finished.
//   xdnd_drop X Y FILE...    (X, Y in root window coordinates)
// Exit status 0 when the target accepted the drop and finished it, 1 when it
// refused or did not answer in time, 2 for a usage error.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

constexpr long kOurVersion = 5;
constexpr auto kAnswerTime = std::chrono::seconds(15);

struct Atoms {
  Atom aware, proxy, enter, position, status, drop, finished, leave, selection, copy, uriList;
  explicit Atoms(Display* d)
      : aware(XInternAtom(d, "XdndAware", False)),
        proxy(XInternAtom(d, "XdndProxy", False)),
        enter(XInternAtom(d, "XdndEnter", False)),
        position(XInternAtom(d, "XdndPosition", False)),
        status(XInternAtom(d, "XdndStatus", False)),
        drop(XInternAtom(d, "XdndDrop", False)),
        finished(XInternAtom(d, "XdndFinished", False)),
        leave(XInternAtom(d, "XdndLeave", False)),
        selection(XInternAtom(d, "XdndSelection", False)),
        copy(XInternAtom(d, "XdndActionCopy", False)),
        uriList(XInternAtom(d, "text/uri-list", False)) {}
};

// The window's XdndAware version, or 0 when it takes no drops.
long awareVersion(Display* d, const Atoms& atoms, Window window) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  long version = 0;
  if (XGetWindowProperty(d, window, atoms.aware, 0, 1, False, AnyPropertyType, &type, &format, &count, &after,
                         &data) == Success &&
      data && count == 1 && format == 32)
    version = *reinterpret_cast<long*>(data);
  if (data) XFree(data);
  return version;
}

// The deepest window under the point that announces XdndAware.
Window dropTarget(Display* d, const Atoms& atoms, int x, int y, long& version) {
  Window current = DefaultRootWindow(d), found = None;
  for (;;) {
    if (const long v = awareVersion(d, atoms, current)) {
      found = current;
      version = v;
    }
    Window child = None;
    int childX, childY;
    if (!XTranslateCoordinates(d, DefaultRootWindow(d), current, x, y, &childX, &childY, &child) || child == None)
      return found;
    current = child;
  }
}

void send(Display* d, Window target, Atom type, long a, long b, long c, long e, long f) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = target;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  event.xclient.data.l[0] = a;
  event.xclient.data.l[1] = b;
  event.xclient.data.l[2] = c;
  event.xclient.data.l[3] = e;
  event.xclient.data.l[4] = f;
  XSendEvent(d, target, False, NoEventMask, &event);
  XFlush(d);
}

// A server time stamp, from a property change on our own window.
Time serverTime(Display* d, Window own) {
  XChangeProperty(d, own, XA_WM_NAME, XA_STRING, 8, PropModeAppend, nullptr, 0);
  XEvent event;
  XWindowEvent(d, own, PropertyChangeMask, &event);
  return event.xproperty.time;
}

std::string fileUri(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const unsigned char c : std::filesystem::absolute(path).string()) {
    if (std::isalnum(c) || std::string("/-._~").find(static_cast<char>(c)) != std::string::npos) {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += hex[c >> 4];
      uri += hex[c & 15];
    }
  }
  return uri;
}

void answerSelectionRequest(Display* d, const Atoms& atoms, const XSelectionRequestEvent& request,
                            const std::string& uris) {
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  reply.xselection.property = None;
  if (request.target == atoms.uriList) {
    const Atom property = request.property != None ? request.property : request.target;
    XChangeProperty(d, request.requestor, property, atoms.uriList, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(uris.data()), static_cast<int>(uris.size()));
    reply.xselection.property = property;
  }
  XSendEvent(d, request.requestor, False, NoEventMask, &reply);
  XFlush(d);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: xdnd_drop X Y FILE...\n");
    return 2;
  }
  const int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
  std::string uris;
  for (int i = 3; i < argc; ++i) uris += fileUri(argv[i]) + "\r\n";

  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "xdnd_drop: no X display\n");
    return 1;
  }
  const Atoms atoms(d);
  long targetVersion = 0;
  Window target = dropTarget(d, atoms, x, y, targetVersion);
  if (target == None) {
    std::fprintf(stderr, "xdnd_drop: no window taking drops at %d,%d\n", x, y);
    return 1;
  }
  const long version = std::min(kOurVersion, targetVersion);
  const Window own = XCreateSimpleWindow(d, DefaultRootWindow(d), -10, -10, 1, 1, 0, 0, 0);
  XSelectInput(d, own, PropertyChangeMask);
  const Time time = serverTime(d, own);
  XSetSelectionOwner(d, atoms.selection, own, time);

  send(d, target, atoms.enter, static_cast<long>(own), version << 24, static_cast<long>(atoms.uriList), None, None);
  send(d, target, atoms.position, static_cast<long>(own), 0, (static_cast<long>(x) << 16) | y, static_cast<long>(time),
       static_cast<long>(atoms.copy));

  enum { WAIT_STATUS, WAIT_FINISHED } stage = WAIT_STATUS;
  int result = 1;
  bool answered = false;
  const auto end = std::chrono::steady_clock::now() + kAnswerTime;
  while (std::chrono::steady_clock::now() < end) {
    if (!XPending(d)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    XEvent event;
    XNextEvent(d, &event);
    if (event.type == SelectionRequest) {
      answerSelectionRequest(d, atoms, event.xselectionrequest, uris);
    } else if (event.type == ClientMessage && event.xclient.message_type == atoms.status && stage == WAIT_STATUS) {
      answered = true;
      if (!(event.xclient.data.l[1] & 1)) {
        std::fprintf(stderr, "xdnd_drop: the target refuses the files\n");
        send(d, target, atoms.leave, static_cast<long>(own), 0, 0, 0, 0);
        break;
      }
      send(d, target, atoms.drop, static_cast<long>(own), 0, static_cast<long>(time), 0, 0);
      stage = WAIT_FINISHED;
    } else if (event.type == ClientMessage && event.xclient.message_type == atoms.finished) {
      answered = true;
      // Before version 5 Finished says nothing of the outcome.
      const bool accepted = version < 5 || (event.xclient.data.l[1] & 1);
      if (!accepted) std::fprintf(stderr, "xdnd_drop: the target did not take the files\n");
      result = accepted ? 0 : 1;
      break;
    }
  }
  if (!answered) std::fprintf(stderr, "xdnd_drop: no answer from the target\n");
  XDestroyWindow(d, own);
  XCloseDisplay(d);
  return result;
}
