// Pointer events and commands.
#include "interaction/manipulation.h"
#include "sdk/plugin_state.h"
#include "services/paths.h"

#include <unistd.h>

namespace {

enum Command {
  EV_CAPTURE_DISCARD = 2001,  // delete the capture result
  EV_CAPTURE_READY = 2002,    // is a capture result ready?
};

}  // namespace

// View drags only, so far: rotate and zoom together mean pan.
bool kvx_GL_Plugin::OnMouseMove(kvx_MouseEvent* event) {
  State& s = *state_;
  if (!event || !s.manip || !s.frame || !s.scene) return false;
  int actions = event->actions;
  if ((actions & KVX_ACTION_ROTATE) && (actions & KVX_ACTION_ZOOM))
    actions = (actions & ~(KVX_ACTION_ROTATE | KVX_ACTION_ZOOM)) | KVX_ACTION_PAN;
  if (actions & KVX_ACTION_ROTATE) kvx::rotateView(*s.manip, *s.frame);
  if ((actions & KVX_ACTION_PAN) && !s.selectionRectangle) kvx::panView(*s.manip, *s.frame);
  if (actions & KVX_ACTION_ZOOM) kvx::zoomView(*s.manip, *s.frame);
  return true;
}

bool kvx_GL_Plugin::OnMouseUp(kvx_MouseEvent*) { return false; }

bool kvx_GL_Plugin::OnEvent(int code) {
  switch (code) {
    case EV_CAPTURE_DISCARD: return unlink(kvx::paths().captureScene.c_str()) == 0;
    case EV_CAPTURE_READY: return IsCaptureOk(nullptr);
    default: return false;
  }
}
