// Binding to the host's records and drawing.
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
  glDisable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_DITHER);
  glShadeModel(GL_SMOOTH);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHT1);
  if (s.scene) ResetManip();
  if (manip) manip->displayFlags |= KVX_DISPLAY_FACES;
  return true;
}

bool kvx_GL_Plugin::Render() {
  State& s = *state_;
  if (!s.system || !s.frame || !s.manip) return false;
  if (s.scene) return false;
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (s.system->presentFrame) s.system->presentFrame(s.system->userData);
  return true;
}

bool kvx_GL_Plugin::Refresh() { return Render(); }

bool kvx_GL_Plugin::RenderFrame() { return false; }

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
  state_->cursorImage = image;
  state_->cursorWidth = width;
  state_->cursorHeight = height;
  return true;
}

bool kvx_GL_Plugin::ShowCursor(bool show) {
  bool previous = state_->cursorShown;
  state_->cursorShown = show;
  return previous;
}
