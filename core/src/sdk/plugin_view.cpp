// Camera manipulation, predefined views and view transitions.
#include "sdk/plugin_state.h"

bool kvx_GL_Plugin::ResetManip() { return false; }

void kvx_GL_Plugin::ManipFromPointerMove(ManipMode, int startX, int startY, int currentX, int currentY) {
  kvx_FrameInfo* frame = state_->frame;
  if (!frame) return;
  frame->startX = startX;
  frame->startY = startY;
  frame->currentX = currentX;
  frame->currentY = currentY;
}

void kvx_GL_Plugin::ViewPredefined(PredefinedView) {}

bool kvx_GL_Plugin::AnimFrame(bool* running, bool) {
  if (running) *running = false;
  return false;
}

void kvx_GL_Plugin::SetInterpolate(bool) {}
