#pragma once
// The control's keyboard table and pointer modes, apart from any window.
#include "kvx_sdk.h"

#include <X11/X.h>

namespace glimmer {

struct KeyAction {
  enum Kind { Nothing, StopAnim, StartAnim, Command } kind = Nothing;
  int command = 0;  // for Command: the code sent to OnEvent
};

// The Windows virtual-key code of an X keysym (letters as upper case), or 0.
int virtualKeyOf(unsigned long keysym);
// The key's code is taken in lower case as a character and looked up, so
// that a letter acts whatever the Shift state and the keys sharing a code
// with a lower-case letter (F1, F3, F5, keypad 1, 2, 6, +, separator, /)
// act as that letter.
KeyAction actionForVirtualKey(int virtualKey);

// Keys held with Ctrl or Alt may be the container's shortcuts: the
// modifiers (Shift, Ctrl, Alt) to offer them with, or 0 for a plain key.
unsigned int containerShortcutModifiers(unsigned int keyState);

// Mode of a drag from the X button state: right zooms, middle pans, else rotate.
kvx_BaseSDK::ManipMode manipModeFor(unsigned int buttonState);

// Pointer coordinates as the signed 16-bit values the window system reports.
int toSigned16(int value);

}  // namespace glimmer
