#pragma once
// A key handed back by a control, run as the shortcut of a menu command.
class wxFrame;

namespace publish {

// Queues the command of the frame's menu item whose accelerator is the X
// `keysym` with the X modifier bits `modifiers`; false when none has it.
bool queueMenuShortcut(wxFrame& frame, unsigned long keysym, unsigned int modifiers);

}  // namespace publish
