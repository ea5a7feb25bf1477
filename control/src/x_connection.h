#pragma once
// The process's connection to the X server, shared by every control: the
// windows it delivers events for, the controls' timers, the control clicked
// last (ActiveControl) and the tools window.
#include <X11/Xlib.h>

namespace glimmer {

class CGlimmerObj;

namespace xconn {

// Opens $DISPLAY on first use; null when it cannot be opened.
Display* display();
int connectionFd();

void attach(unsigned long window, CGlimmerObj* control);
void detach(unsigned long window, CGlimmerObj* control);
int controlCount();
// One of the controls whose window exists, or null.
CGlimmerObj* anyControl();

void setTimer(CGlimmerObj* control, int id, int intervalMs);
void killTimer(CGlimmerObj* control, int id);
bool timerRunning(CGlimmerObj* control, int id);

// Events, due timers, then paints; returns the delay until the next timer or -1.
int dispatchPending();

CGlimmerObj* activeControl();
// Makes `control` the ActiveControl; the one active before is repainted.
void setActiveControl(CGlimmerObj* control);

}  // namespace xconn
}  // namespace glimmer
