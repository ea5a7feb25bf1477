#include "interaction/rubber_band_mode.h"

#include <GL/gl.h>

namespace kvx {

void beginRubberBand(RubberBand& band) {
  GLint buffer = 0;
  glGetIntegerv(GL_DRAW_BUFFER, &buffer);
  band.savedDrawBuffer = buffer;
  glDrawBuffer(GL_FRONT);
}

void endRubberBand(RubberBand& band) {
  // Drawing to GL_NONE would show nothing.
  if (band.savedDrawBuffer != 0) glDrawBuffer(static_cast<GLenum>(band.savedDrawBuffer));
  band.lastDrawn[0] = -1;
}

}  // namespace kvx
