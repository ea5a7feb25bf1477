#include "render/window_overlays.h"

#include <GL/gl.h>

#include <algorithm>
#include <bit>
#include <vector>

#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif

namespace kvx {

void beginWindowCoordinates(int width, int height) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, std::max(width, 1), 0, std::max(height, 1), -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_TEXTURE_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glDisable(GL_CLIP_PLANE0);
}

void endWindowCoordinates() {
  glPopAttrib();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void drawEmptyGradient(int width, int height) {
  glViewport(0, 0, width, height);
  beginWindowCoordinates(width, height);
  const float bottom[3] = {0, 0, 100 / 255.0f}, top[3] = {8 / 255.0f, 33 / 255.0f, 1};
  glBegin(GL_LINES);
  for (int y = 0; y < height; ++y) {
    const float t = height > 1 ? float(y) / (height - 1) : 0;
    glColor3f(bottom[0] + (top[0] - bottom[0]) * t, bottom[1] + (top[1] - bottom[1]) * t,
              bottom[2] + (top[2] - bottom[2]) * t);
    glVertex2f(0, y + 0.5f);
    glVertex2f(float(width), y + 0.5f);
  }
  glEnd();
  endWindowCoordinates();
}

void drawLogo(const uint8_t* rgba, int imageWidth, int imageHeight, bool translucent, int width, int height) {
  if (!rgba || imageWidth <= 0 || imageHeight <= 0) return;
  const int right = width - std::max(width / 20, 30);
  const int bottom = std::max(height / 20, 20);
  beginWindowCoordinates(width, height);
  if (translucent) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  } else {
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
  }
  // Start from a valid raster position and move by a null bitmap, so that
  // a logo reaching past the left or top edge is clipped, not dropped.
  glRasterPos2i(0, 0);
  glBitmap(0, 0, 0, 0, float(right - imageWidth), float(bottom + imageHeight), nullptr);
  glPixelZoom(1, -1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glDrawPixels(imageWidth, imageHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  glPixelZoom(1, 1);
  endWindowCoordinates();
}

void drawOverlayCursor(const kvx_ARGB* image, int imageWidth, int imageHeight, int x, int y, int width,
                       int height, uint32_t& texture) {
  if (!image || imageWidth <= 0 || imageHeight <= 0) return;
  // Power-of-two texture for any OpenGL 1.1; the image fills its top-left part.
  const int tw = int(std::bit_ceil(unsigned(imageWidth))), th = int(std::bit_ceil(unsigned(imageHeight)));
  std::vector<kvx_ARGB> padded(size_t(tw) * th, kvx_ARGB{0, 0, 0, 0});
  for (int row = 0; row < imageHeight; ++row)
    std::copy_n(image + size_t(row) * imageWidth, imageWidth, padded.begin() + size_t(row) * tw);
  beginWindowCoordinates(width, height);
  if (!texture || !glIsTexture(texture)) glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, tw, th, 0, GL_BGRA, GL_UNSIGNED_BYTE, padded.data());
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.5f);
  const float s = float(imageWidth) / tw, t = float(imageHeight) / th;
  const float left = float(x), top = float(height - y);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0), glVertex2f(left, top);
  glTexCoord2f(0, t), glVertex2f(left, top - imageHeight);
  glTexCoord2f(s, t), glVertex2f(left + imageWidth, top - imageHeight);
  glTexCoord2f(s, 0), glVertex2f(left + imageWidth, top);
  glEnd();
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  endWindowCoordinates();
}

namespace {

void drawBand(const int band[4], bool rectangle, int height) {
  const float x1 = band[0] + 0.5f, x2 = band[1] + 0.5f;
  const float y1 = float(height - band[2]) - 0.5f, y2 = float(height - band[3]) - 0.5f;
  glBegin(GL_LINES);
  if (rectangle) {
    glVertex2f(x1, y1), glVertex2f(x2, y1);
    glVertex2f(x2, y1), glVertex2f(x2, y2);
    glVertex2f(x2, y2), glVertex2f(x1, y2);
    glVertex2f(x1, y2), glVertex2f(x1, y1);
  } else {
    glVertex2f(x1, y1), glVertex2f(x2, y2);
  }
  glEnd();
}

}  // namespace

void drawRubberBand(int x1, int x2, int y1, int y2, bool rectangle, int width, int height) {
  const int band[4] = {x1, x2, y1, y2};
  beginWindowCoordinates(width, height);
  // Exact white pixels for the exclusive-or: no smoothing, blending or dithering.
  glDisable(GL_LINE_SMOOTH);
  glDisable(GL_BLEND);
  glDisable(GL_DITHER);
  glEnable(GL_COLOR_LOGIC_OP);
  glLogicOp(GL_XOR);
  glColor3f(1, 1, 1);
  glLineWidth(1);
  drawBand(band, rectangle, height);
  glDisable(GL_COLOR_LOGIC_OP);
  endWindowCoordinates();
  glFlush();
}

}  // namespace kvx
