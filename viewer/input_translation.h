#pragma once
// How keys and pointer buttons of the canvas become commands and
// kvx_MouseEvent records.
#include "kvx_sdk.h"

namespace kavrik {

// The command of a key (a wx key code); 0 for keys without one.
int keyCommand(int keyCode, bool shiftDown);

// The pointer state of one event, as the toolkit reports it.
struct PointerState {
  bool leftDown = false, middleDown = false, rightDown = false;
  bool leftReleased = false;
  bool moving = false;  // a motion event
  bool controlDown = false, shiftDown = false, altDown = false;
};

// The action bit of a mouse mode for a plain left drag.
int actionForMode(int mouseMode);

// The record for one event: modifiers, buttons and actions; the right
// button alone zooms, left and right or the middle button pan.
kvx_MouseEvent translatePointer(const PointerState& state, int mouseMode);

// A drag is a motion with any button held.
inline bool isDrag(const PointerState& state) {
  return state.moving && (state.leftDown || state.middleDown || state.rightDown);
}

}  // namespace kavrik
