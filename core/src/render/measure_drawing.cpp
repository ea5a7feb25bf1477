#include "render/measure_drawing.h"

#include "render/gl_scopes.h"
#include "render/markers.h"
#include "render/number_label.h"
#include "render/stroke_font.h"
#include "render/window_overlays.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace kvx {
namespace {

constexpr float kLabelHeight = 12;  // pixels
constexpr float kLabelMargin = 4;

void drawLabel(const char* text, double x, double y, const uint8_t background[3], int width, int height) {
  const float length = strokeTextLength(text, kLabelHeight);
  const float left = float(x) - length / 2 - kLabelMargin, right = float(x) + length / 2 + kLabelMargin;
  const float bottom = float(y) + kLabelMargin, top = bottom + kLabelHeight + 2 * kLabelMargin;
  beginWindowCoordinates(width, height);
  glColor3ub(background[0], background[1], background[2]);
  glRectf(left, bottom, right, top);
  if (bright(background))
    glColor3f(0, 0, 0);
  else
    glColor3f(1, 1, 0);
  glLineWidth(2);
  glBegin(GL_LINE_LOOP);
  glVertex2f(left, bottom), glVertex2f(right, bottom), glVertex2f(right, top), glVertex2f(left, top);
  glEnd();
  glColor3f(1, 1, 0);
  glTranslatef(left + kLabelMargin, bottom + kLabelMargin, 0);
  drawStrokeText(text, kLabelHeight);
  endWindowCoordinates();
}

}  // namespace

void drawMeasurement(const kvx_Measure& m, const uint8_t background[3], int width, int height) {
  if (!(m.distance > 0)) return;
  const AttribScope restored(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_POINT_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CLIP_PLANE0);
  glColor3f(1, 1, 0);
  glPointSize(7);
  glBegin(GL_POINTS);
  glVertex3fv(m.pointA);
  glVertex3fv(m.pointB);
  glEnd();
  glLineWidth(2);
  glEnable(GL_LINE_SMOOTH);
  glBegin(GL_LINES);
  glVertex3fv(m.pointA);
  glVertex3fv(m.pointB);
  glEnd();
  glDisable(GL_LINE_SMOOTH);

  double modelView[16], projection[16];
  int viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  double x, y, z;
  if (gluProject((m.pointA[0] + m.pointB[0]) / 2, (m.pointA[1] + m.pointB[1]) / 2, (m.pointA[2] + m.pointB[2]) / 2,
                 modelView, projection, viewport, &x, &y, &z) == GL_TRUE)
    drawLabel(formatNumberLabel("", m.distance).c_str(), x, y, background, width, height);
}

}  // namespace kvx
