#include "render/frame_state.h"

#include "render/lighting.h"

#include <GL/gl.h>

namespace kvx {

void setUpFrameState(const kvx_FrameInfo& frame, const uint8_t background[3]) {
  setInitialGLState();
  glViewport(0, 0, frame.width, frame.height);
  glClearColor(background[0] / 255.0f, background[1] / 255.0f, background[2] / 255.0f, 1);
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_LIGHTING);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  glDisable(GL_CLIP_PLANE0);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glDisable(GL_POLYGON_OFFSET_FILL);
  glDisable(GL_POLYGON_OFFSET_LINE);
  glDisable(GL_POLYGON_STIPPLE);
  glLineWidth(1);
  glDisable(GL_LINE_SMOOTH);
  glDisable(GL_LINE_STIPPLE);
  glPointSize(1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

}  // namespace kvx
