// Binding to the host's records and drawing.
#include "render/lighting.h"
#include "sdk/frame_loop.h"
#include "sdk/plugin_state.h"

#include <GL/gl.h>

bool kvx_GL_Plugin::InitDisplay(int width, int height, kvx_SystemInfo* system, kvx_ManipInfo* manip) {
  State& s = *state_;
  s.ownedFrame = std::make_unique<kvx_FrameInfo>();
  *s.ownedFrame = {};
  s.ownedFrame->width = width;
  s.ownedFrame->height = height;
  return InitDisplay(system, s.ownedFrame.get(), manip);
}

bool kvx_GL_Plugin::InitDisplay(kvx_SystemInfo* system, kvx_FrameInfo* frame, kvx_ManipInfo* manip) {
  State& s = *state_;
  s.system = system;
  s.frame = frame;
  s.manip = manip;
  if (system && system->kind == 3) SetPublishing();
  kvx::setInitialGLState();
  kvx::setDefaultLights();
  if (s.scene) ResetManip();
  if (manip) manip->displayFlags |= KVX_DISPLAY_FACES;
  return true;
}

bool kvx_GL_Plugin::Render() { return kvx::drawView(*state_, kvx::DrawKind::Full); }

bool kvx_GL_Plugin::Refresh() { return Render(); }

bool kvx_GL_Plugin::RenderFrame() {
  State& s = *state_;
  const int total = s.transition.steps;
  s.transition.running = false;
  s.transition.remaining = s.transition.steps = 0;
  const bool drawn = kvx::drawView(s, kvx::DrawKind::SingleStep);
  s.transition.steps = total;
  return drawn;
}

bool kvx_GL_Plugin::Resize(int width, int height) {
  if (state_->frame) {
    state_->frame->width = width;
    state_->frame->height = height;
  }
  glViewport(0, 0, width, height);
  return true;
}

bool kvx_GL_Plugin::SetBKColor(unsigned char r, unsigned char g, unsigned char b) {
  if (!state_->scene) return false;
  state_->scene->setBackground(r, g, b);
  return true;
}

bool kvx_GL_Plugin::GetBKColor(unsigned char* r, unsigned char* g, unsigned char* b) {
  if (!state_->scene) return false;
  const uint8_t* bg = state_->scene->background;
  if (r) *r = bg[0];
  if (g) *g = bg[1];
  if (b) *b = bg[2];
  return true;
}

void kvx_GL_Plugin::SetPublishing() { state_->publishing = true; }

bool kvx_GL_Plugin::SetCursor(kvx_ARGB* image, int width, int height) {
  state_->cursor.image = image;
  state_->cursor.width = width;
  state_->cursor.height = height;
  return true;
}

bool kvx_GL_Plugin::ShowCursor(bool show) {
  bool previous = state_->cursor.shown;
  state_->cursor.shown = show;
  return previous;
}
