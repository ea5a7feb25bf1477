#include "render/ruler.h"

#include "render/gl_scopes.h"
#include "render/markers.h"
#include "render/number_label.h"
#include "render/stroke_font.h"
#include "render/window_overlays.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <string>

namespace kvx {
namespace {

constexpr int kBand = 28;          // band thickness, pixels
constexpr double kMinSpacing = 70;  // pixels between labelled graduations
constexpr float kLabelSize = 9;

// Window position of scene units along one screen axis: pixel = origin + units * scale.
struct AxisMap {
  int axis = 0;  // scene axis shown along this screen direction
  double origin = 0, scale = 1;
};

// The scene axis whose direction on screen is closest to `screenDirection`.
AxisMap mapAxis(const double model[16], const double projection[16], const int viewport[4], int screenDirection) {
  double p0[3], p1[3];
  AxisMap best;
  double bestLength = 0;
  for (int axis = 0; axis < 3; ++axis) {
    double unit[3] = {0, 0, 0};
    unit[axis] = 1;
    gluProject(0, 0, 0, model, projection, viewport, &p0[0], &p0[1], &p0[2]);
    gluProject(unit[0], unit[1], unit[2], model, projection, viewport, &p1[0], &p1[1], &p1[2]);
    const double along = p1[screenDirection] - p0[screenDirection];
    if (std::fabs(along) > bestLength) {
      bestLength = std::fabs(along);
      best = {axis, p0[screenDirection], along};
    }
  }
  return best;
}

void drawGraduations(const AxisMap& map, int length, bool horizontal) {
  if (map.scale == 0) return;
  const double units = length / std::fabs(map.scale);
  const double step = rulerStep(units, length, kMinSpacing);
  const double first = (0 - map.origin) / map.scale, last = (length - map.origin) / map.scale;
  const double low = std::min(first, last), high = std::max(first, last);
  const double minor = step / 5;
  glBegin(GL_LINES);
  for (double t = std::ceil(low / minor) * minor; t <= high; t += minor) {
    const float at = float(map.origin + t * map.scale);
    const bool major = std::fabs(std::remainder(t, step)) < minor / 2;
    const float tick = major ? 10.0f : 5.0f;
    if (horizontal)
      glVertex2f(at, 0), glVertex2f(at, tick);
    else
      glVertex2f(0, at), glVertex2f(tick, at);
  }
  glEnd();
  for (double t = std::ceil(low / step) * step; t <= high; t += step) {
    const double value = std::fabs(t) < step * 1e-6 ? 0 : t;
    const std::string label = formatNumberLabel(value < 0 ? "-" : "", std::fabs(value));
    const float at = float(map.origin + t * map.scale);
    const MatrixScope placed(GL_MODELVIEW);
    if (horizontal)
      glTranslatef(at - strokeTextLength(label, kLabelSize) / 2, 13, 0);
    else
      glTranslatef(13, at + strokeTextLength(label, kLabelSize) / 2, 0), glRotatef(-90, 0, 0, 1);
    drawStrokeText(label, kLabelSize);
  }
}

}  // namespace

double rulerStep(double units, double pixels, double minimumPixels) {
  if (!(units > 0) || !(pixels > 0)) return 1;
  const double wanted = units * minimumPixels / pixels;
  double step = std::pow(10.0, std::floor(std::log10(wanted)));
  for (double factor : {1.0, 2.0, 5.0, 10.0})
    if (step * factor >= wanted) return step * factor;
  return step * 10;
}

void drawOrthographicRuler(int width, int height, const uint8_t background[3]) {
  double model[16], projection[16];
  int viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  const AxisMap horizontal = mapAxis(model, projection, viewport, 0);
  const AxisMap vertical = mapAxis(model, projection, viewport, 1);

  beginWindowCoordinates(width, height);
  glEnable(GL_BLEND);
  const bool onBright = bright(background);
  if (onBright) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0, 0, 0.6f);
  } else {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1, 1, 1, 0.6f);
  }
  glRectf(0, 0, float(width), kBand);
  glRectf(0, kBand, kBand, float(height));
  glDisable(GL_BLEND);
  if (onBright)
    glColor3f(1, 1, 1);
  else
    glColor3f(0, 0, 0);
  glLineWidth(1);
  drawGraduations(horizontal, width, true);
  drawGraduations(vertical, height, false);
  endWindowCoordinates();
}

}  // namespace kvx
