#include "input_translation.h"

#include "command_ids.h"

#include <wx/defs.h>

namespace kavrik {

int keyCommand(int keyCode, bool shiftDown) {
  switch (keyCode) {
    case WXK_ESCAPE: return CMD_ESCAPE;
    case WXK_SPACE: return CMD_NEXT_CAMERA;
    case 'A': case 'a': return CMD_FIT;
    case 'F': case 'f': return CMD_VIEW_FRONT;
    case 'L': case 'l': return CMD_VIEW_LEFT;
    case 'O': case 'o': return CMD_VIEW_CAMERA;
    case 'T': case 't': return CMD_VIEW_TOP;
    case WXK_DELETE: case WXK_CLEAR: case WXK_NUMPAD_DELETE:
      return shiftDown ? CMD_KEEP_SELECTION : CMD_CUT_SELECTION;
    case WXK_END: case WXK_NUMPAD_END: return CMD_OBJECT_MODE;
    case WXK_HOME: case WXK_NUMPAD_HOME: return CMD_AUTO_LIGHT;
    case WXK_LEFT: case WXK_DOWN: case WXK_NUMPAD_LEFT: case WXK_NUMPAD_DOWN: return CMD_PREVIOUS_ITEM;
    case WXK_UP: case WXK_RIGHT: case WXK_NUMPAD_UP: case WXK_NUMPAD_RIGHT: return CMD_NEXT_ITEM;
    default: return CMD_NONE;
  }
}

int actionForMode(int mouseMode) {
  switch (mouseMode) {
    case CMD_PAN: return KVX_ACTION_PAN;
    case CMD_ZOOM: return KVX_ACTION_ZOOM;
    case CMD_SELECTION: return KVX_ACTION_SELECT;
    case CMD_MEASUREMENT: return KVX_ACTION_MEASURE;
    default: return KVX_ACTION_ROTATE;
  }
}

kvx_MouseEvent translatePointer(const PointerState& state, int mouseMode) {
  kvx_MouseEvent event{0, 0, 0};
  if (state.controlDown) event.modifiers |= 1;
  if (state.shiftDown) event.modifiers |= 2;
  if (state.altDown) event.modifiers |= 4;
  if (state.leftDown) {
    if (!state.rightDown) {
      event.buttons = 1;
      event.actions = actionForMode(mouseMode);
    } else {
      event.buttons |= 3;
      event.actions |= KVX_ACTION_PAN;
    }
  }
  if (state.leftReleased && mouseMode == CMD_MEASUREMENT) event.actions |= KVX_ACTION_MEASURE;
  if (state.middleDown) {
    event.buttons |= 2;
    event.actions |= KVX_ACTION_PAN;
  }
  if (state.rightDown && !state.leftDown) {
    event.buttons |= 3;
    event.actions |= KVX_ACTION_ZOOM;
  }
  return event;
}

}  // namespace kavrik
