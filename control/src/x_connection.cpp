#include "x_connection.h"

#include "glimmer_obj.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <vector>

namespace glimmer::xconn {
namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
  CGlimmerObj* control;
  int id;
  std::chrono::milliseconds interval;
  Clock::time_point due;
};

Display* connection = nullptr;
std::map<unsigned long, CGlimmerObj*> windows;
std::vector<Timer> timers;
CGlimmerObj* active = nullptr;

}  // namespace

Display* display() {
  if (!connection) connection = XOpenDisplay(nullptr);
  return connection;
}

int connectionFd() { return display() ? ConnectionNumber(connection) : -1; }

void attach(unsigned long window, CGlimmerObj* control) { windows[window] = control; }

void detach(unsigned long window, CGlimmerObj* control) {
  windows.erase(window);
  std::erase_if(timers, [control](const Timer& t) { return t.control == control; });
  if (active == control) active = nullptr;
}

int controlCount() { return static_cast<int>(windows.size()); }

CGlimmerObj* anyControl() { return windows.empty() ? nullptr : windows.begin()->second; }

void setTimer(CGlimmerObj* control, int id, int intervalMs) {
  killTimer(control, id);
  const std::chrono::milliseconds interval(intervalMs);
  timers.push_back({control, id, interval, Clock::now() + interval});
}

void killTimer(CGlimmerObj* control, int id) {
  std::erase_if(timers, [&](const Timer& t) { return t.control == control && t.id == id; });
}

bool timerRunning(CGlimmerObj* control, int id) {
  return std::any_of(timers.begin(), timers.end(), [&](const Timer& t) { return t.control == control && t.id == id; });
}

int dispatchPending() {
  // A modal dialog shown by a handler runs the container's loop, which may
  // call in again: the inner call leaves everything to the outer one.
  static bool dispatching = false;
  if (!connection || dispatching) return -1;
  struct Guard {
    Guard() { dispatching = true; }
    ~Guard() { dispatching = false; }
  } guard;
  while (XPending(connection) > 0) {
    XEvent event;
    XNextEvent(connection, &event);
    if (auto it = windows.find(event.xany.window); it != windows.end()) it->second->handleEvent(event);
  }
  // A handler may start or stop timers: fire a snapshot of the due ones.
  const auto now = Clock::now();
  std::vector<std::pair<CGlimmerObj*, int>> due;
  for (Timer& t : timers)
    if (t.due <= now) {
      due.emplace_back(t.control, t.id);
      t.due = now + t.interval;
    }
  for (auto [control, id] : due)
    if (timerRunning(control, id)) control->onTimer(id);
  std::vector<CGlimmerObj*> controls;
  for (auto& [window, control] : windows) controls.push_back(control);
  for (CGlimmerObj* control : controls)
    if (std::find_if(windows.begin(), windows.end(), [control](auto& w) { return w.second == control; }) !=
        windows.end())
      control->paintIfNeeded();
  XFlush(connection);
  if (timers.empty()) return -1;
  auto next = std::min_element(timers.begin(), timers.end(), [](auto& a, auto& b) { return a.due < b.due; })->due;
  return static_cast<int>(
      std::max<long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count()));
}

CGlimmerObj* activeControl() { return active; }

void setActiveControl(CGlimmerObj* control) {
  CGlimmerObj* before = active;
  active = control;
  if (before && before != control) before->invalidate();
}

}  // namespace glimmer::xconn
