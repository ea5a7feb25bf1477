// Outline glyphs of "Arial" as filled polygons in display lists, one em
// high, each list advancing by its glyph's width.
#include "render/font_face.h"
#include "render/text_labels.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include FT_OUTLINE_H

#include <array>
#include <vector>

namespace kvx {
namespace {

constexpr int kCurveSegments = 6;

// Contours of one glyph in em units; the points must stay put until
// the polygon is tessellated.
struct Contours {
  double scale = 1;
  std::vector<std::vector<std::array<double, 3>>> loops;
  double penX = 0, penY = 0;

  void moveTo(double x, double y) {
    loops.emplace_back();
    lineTo(x, y);
  }
  void lineTo(double x, double y) {
    penX = x, penY = y;
    loops.back().push_back({x * scale, y * scale, 0});
  }
};

int moveTo(const FT_Vector* to, void* user) {
  static_cast<Contours*>(user)->moveTo(to->x, to->y);
  return 0;
}
int lineTo(const FT_Vector* to, void* user) {
  static_cast<Contours*>(user)->lineTo(to->x, to->y);
  return 0;
}
int conicTo(const FT_Vector* c, const FT_Vector* to, void* user) {
  auto* k = static_cast<Contours*>(user);
  const double x0 = k->penX, y0 = k->penY;
  for (int i = 1; i <= kCurveSegments; ++i) {
    const double t = double(i) / kCurveSegments, s = 1 - t;
    k->lineTo(s * s * x0 + 2 * s * t * c->x + t * t * to->x, s * s * y0 + 2 * s * t * c->y + t * t * to->y);
  }
  return 0;
}
int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* k = static_cast<Contours*>(user);
  const double x0 = k->penX, y0 = k->penY;
  for (int i = 1; i <= kCurveSegments; ++i) {
    const double t = double(i) / kCurveSegments, s = 1 - t;
    const double a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
    k->lineTo(a * x0 + b * c1->x + c * c2->x + d * to->x, a * y0 + b * c1->y + c * c2->y + d * to->y);
  }
  return 0;
}

void tessellate(GLUtesselator* tess, Contours& contours) {
  gluTessBeginPolygon(tess, nullptr);
  for (auto& loop : contours.loops) {
    if (loop.size() < 3) continue;
    gluTessBeginContour(tess);
    for (auto& p : loop) gluTessVertex(tess, p.data(), p.data());
    gluTessEndContour(tess);
  }
  gluTessEndPolygon(tess);
}

void compileGlyph(FT_Face face, GLUtesselator* tess, int code) {
  const bool loaded = FT_Load_Char(face, code, FT_LOAD_NO_SCALE) == 0 &&
                      face->glyph->format == FT_GLYPH_FORMAT_OUTLINE;
  if (!loaded) return;
  Contours contours;
  contours.scale = 1.0 / face->units_per_EM;
  const FT_Outline_Funcs funcs = {moveTo, lineTo, conicTo, cubicTo, 0, 0};
  FT_Outline_Decompose(&face->glyph->outline, &funcs, &contours);
  glNormal3f(0, 0, 1);
  tessellate(tess, contours);
  glTranslated(double(face->glyph->advance.x) * contours.scale, 0, 0);
}

using TessCallback = void (*)();

}  // namespace

bool buildOutlineFont(FontLists& font) {
  font.attempted = true;
  FT_Face face = openFontFace("Arial");
  if (!face) return false;
  GLUtesselator* tess = gluNewTess();
  GLuint base = tess && FT_IS_SCALABLE(face) ? glGenLists(256) : 0;
  if (base) {
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessCallback(tess, GLU_TESS_BEGIN, reinterpret_cast<TessCallback>(glBegin));
    gluTessCallback(tess, GLU_TESS_VERTEX, reinterpret_cast<TessCallback>(glVertex3dv));
    gluTessCallback(tess, GLU_TESS_END, reinterpret_cast<TessCallback>(glEnd));
    for (int code = 0; code < 256; ++code) {
      glNewList(base + code, GL_COMPILE);
      compileGlyph(face, tess, code);
      glEndList();
    }
    if (glGetError() != GL_NO_ERROR) {
      glDeleteLists(base, 256);
      base = 0;
    }
  }
  if (tess) gluDeleteTess(tess);
  FT_Done_Face(face);
  font.base = base;
  return base != 0;
}

}  // namespace kvx
