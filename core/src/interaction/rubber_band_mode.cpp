#include "interaction/rubber_band_mode.h"

#include <GL/gl.h>

namespace kvx {

void beginRubberBand(kvx_GL_Plugin::State& s) {
  GLint buffer = 0;
  glGetIntegerv(GL_DRAW_BUFFER, &buffer);
  s.savedDrawBuffer = buffer;
  glDrawBuffer(GL_FRONT);
}

void endRubberBand(kvx_GL_Plugin::State& s) {
  // 0 (GL_NONE) means nothing was saved; drawing to it would show nothing.
  if (s.savedDrawBuffer != 0) glDrawBuffer(static_cast<GLenum>(s.savedDrawBuffer));
  s.rubberBand[0] = -1;
}

}  // namespace kvx
