// Pointer events and commands.
#include "interaction/manipulation.h"
#include "sdk/plugin_state.h"

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

bool kvx_GL_Plugin::OnEvent(int) { return false; }
