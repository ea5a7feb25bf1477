// Pointer events and commands.
#include "sdk/plugin_state.h"
#include "services/paths.h"

#include <unistd.h>

namespace {

enum Command {
  EV_CAPTURE_DISCARD = 2001,  // delete the capture result
  EV_CAPTURE_READY = 2002,    // is a capture result ready?
};

}  // namespace

bool kvx_GL_Plugin::OnMouseMove(kvx_MouseEvent*) { return false; }

bool kvx_GL_Plugin::OnMouseUp(kvx_MouseEvent*) { return false; }

bool kvx_GL_Plugin::OnEvent(int code) {
  switch (code) {
    case EV_CAPTURE_DISCARD: return unlink(kvx::paths().captureScene.c_str()) == 0;
    case EV_CAPTURE_READY: return IsCaptureOk(nullptr);
    default: return false;
  }
}
