#pragma once
// The X window (XID) behind a realised wxWindow, for embedding the control.
class wxWindow;

namespace publish {

// 0 when the window has no X window (not realised, or not on X11).
unsigned long nativeWindowOf(wxWindow* window);

}  // namespace publish
