#pragma once
// Display-mode commands: each toggles bits of the live view's display
// flags, and the scene flags that store the mode with the file follow.
#include "kvx_sdk.h"
#include "scene/scene.h"

namespace kvx {

// EV_LINES, EV_FACES, EV_TRANS, EV_NODES, EV_AXIS and EV_TOGGLE_UP_AXIS.
// False for any other code.
bool isDisplayCommand(int code);
// `scene` may be null: then only the display flags change.
void applyDisplayCommand(int code, kvx_ManipInfo* view, scene* scene);

}  // namespace kvx
