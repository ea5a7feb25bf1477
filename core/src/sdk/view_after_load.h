#pragma once
// The camera and display set-up that follows loading a scene: camera 0 and
// the stored camera for VIEW_CAMERA, the "Default View" camera of a scene
// without one, the display flags the file asks for, and the opening
// transition from a wide, turned view into the file's view.
#include "kvx_sdk.h"

namespace kvx {

// `captured`: the file was a capture; `countChanged`: processing changed its
// object count.
void setUpViewAfterLoad(kvx_GL_Plugin& plugin, bool captured, bool countChanged);

}  // namespace kvx
