#include "render/object_drawing.h"

#include "kvx_sdk.h"
#include "render/gl_scopes.h"
#include "render/textures.h"

#include <GL/gl.h>

#include <algorithm>

namespace kvx {
namespace {

constexpr float kTransparentAlpha = 0.35f;

// Everything a face or wireframe pass may change.
constexpr GLbitfield kObjectPassState = GL_CURRENT_BIT | GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT |
                                        GL_POLYGON_BIT | GL_POLYGON_STIPPLE_BIT | GL_LINE_BIT | GL_POINT_BIT;

void setFlag(GLenum capability, bool on) {
  if (on)
    glEnable(capability);
  else
    glDisable(capability);
}

void setClientState(GLenum array, bool on) {
  if (on)
    glEnableClientState(array);
  else
    glDisableClientState(array);
}

void setColor(GLenum face, GLenum which, const uint8_t c[3], bool highlight) {
  GLfloat v[4] = {c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, 1};
  if (highlight) v[1] = 1 - v[1], v[2] = 1 - v[2];
  glMaterialfv(face, which, v);
  if (which == GL_DIFFUSE) glColor4fv(v);  // also what colour tracking and unlit drawing use
}

GLenum primitiveMode(int32_t type) {
  switch (type) {
    case quads_list: return GL_QUADS;
    case tri_strip: return GL_TRIANGLE_STRIP;
    case tri_fan: return GL_TRIANGLE_FAN;
    case quad_strip: return GL_QUAD_STRIP;
    case polygon: return GL_POLYGON;
    case line: return GL_LINES;
    case line_loop: return GL_LINE_LOOP;
    case line_strip: return GL_LINE_STRIP;
    case points: return GL_POINTS;
    default: return GL_TRIANGLES;
  }
}

// Blend factors are stored as the OpenGL enumerant minus one, 0 meaning none.
void setBlending(const SceneObject& object, bool transparency) {
  if (transparency) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    return;
  }
  if (object.blendSrc) {
    glEnable(GL_BLEND);
    glBlendFunc(object.blendSrc + 1, object.blendDst);
  } else {
    glDisable(GL_BLEND);
  }
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
}

// Vertex arrays straight from the 36-byte records.
void bindArrays(const geom& g, bool lit, bool texCoords) {
  const Vertex* v = g.vertices.data();
  constexpr GLsizei stride = sizeof(Vertex);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, stride, &v->x);
  setClientState(GL_NORMAL_ARRAY, lit);
  if (lit) glNormalPointer(GL_FLOAT, stride, &v->nx);
  setClientState(GL_TEXTURE_COORD_ARRAY, texCoords);
  if (texCoords) glTexCoordPointer(2, GL_FLOAT, stride, &v->u);
  setClientState(GL_COLOR_ARRAY, g.perVertexColor);
  if (g.perVertexColor) glColorPointer(3, GL_UNSIGNED_BYTE, stride, &v->r);
}

void unbindArrays() {
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
}

// Indices that name no vertex are drawn as vertex 0 rather than read past the array.
void drawIndexedTriangles(const geom& g) {
  const int32_t n = g.vertexCount();
  if (n == 0) return;
  static_assert(sizeof(Tri) == 3 * sizeof(GLuint));
  bool valid = true;
  for (const Tri& t : g.triangleTable)
    for (int32_t i : t.i) valid = valid && i >= 0 && i < n;
  if (valid) {
    glDrawElements(GL_TRIANGLES, GLsizei(g.triangleTable.size() * 3), GL_UNSIGNED_INT, g.triangleTable.data());
    return;
  }
  glBegin(GL_TRIANGLES);
  for (const Tri& t : g.triangleTable)
    for (int32_t i : t.i) glArrayElement(i >= 0 && i < n ? i : 0);
  glEnd();
}

}  // namespace

bool isLineDrawn(const SceneObject& object) {
  return object.lineWidth != 0 || isLineType(object.geometry->type);
}

bool MaterialState::apply(scene& scene, const SceneObject& object, int index, const ObjectPass& pass) {
  glFrontFace(object.clockwise ? GL_CW : GL_CCW);
  glShadeModel(object.smooth ? GL_SMOOTH : GL_FLAT);
  setFlag(GL_LIGHTING, object.lit);

  const bool highlight = index == pass.highlighted;
  const GLenum face = GL_FRONT_AND_BACK;
  setColor(face, GL_DIFFUSE, object.diffuse, highlight);
  setColor(face, GL_SPECULAR, object.specular, false);
  setColor(face, GL_AMBIENT, object.ambient, highlight);
  static const uint8_t kWhite[3] = {255, 255, 255};
  const bool fullEmission = pass.noLight || !pass.lightsOn;
  setColor(face, GL_EMISSION, fullEmission ? kWhite : object.emission, highlight);
  glMaterialf(face, GL_SHININESS, std::clamp(object.shininess, 0.0f, 128.0f));

  textured_ = false;
  bool uploaded = false;
  SceneTexture* texture = object.textureName ? scene.textures.find(object.textureName) : nullptr;
  if (texture && (pass.displayFlags & KVX_DISPLAY_FACES)) {
    uploaded = ensureTexture(*texture, object.repeatU, object.repeatV, pass.accelerate);
    if (texture->glTexture) {
      glBindTexture(GL_TEXTURE_2D, texture->glTexture);
      setTextureFilters(*texture, pass.accelerate);
      glEnable(GL_TEXTURE_2D);
      textured_ = true;
    }
  }
  if (!textured_) glDisable(GL_TEXTURE_2D);
  setFlag(GL_TEXTURE_GEN_S, textured_ && object.envMap);
  setFlag(GL_TEXTURE_GEN_T, textured_ && object.envMap);
  if (textured_ && object.envMap) {
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  }
  return uploaded;
}

void drawFaces(const SceneObject& object, const ObjectPass& pass, bool textured) {
  const AttribScope restored(kObjectPassState);
  const geom& g = *object.geometry;
  if (isLineDrawn(object) && (pass.displayFlags & KVX_DISPLAY_LINES)) {
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }
  const bool transparency = pass.displayFlags & KVX_DISPLAY_TRANS;
  setBlending(object, transparency);
  if (transparency) {
    GLfloat c[4];
    glGetFloatv(GL_CURRENT_COLOR, c);
    glColor4f(c[0], c[1], c[2], kTransparentAlpha);
  } else if (object.blendSrc) {
    GLfloat c[4];
    glGetFloatv(GL_CURRENT_COLOR, c);
    glColor4f(c[0], c[1], c[2], object.blendByte / 255.0f);
  }
  const bool offset = object.polygonOffset[0] != 0 || object.polygonOffset[1] != 0;
  const bool bothShown = (pass.displayFlags & KVX_DISPLAY_LINES) && (pass.displayFlags & KVX_DISPLAY_FACES);
  if (offset || pass.someLineDrawn || bothShown) {
    glEnable(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(offset ? object.polygonOffset[0] : 1, offset ? object.polygonOffset[1] : 0);
  }
  setFlag(GL_LIGHTING, object.lit);
  if (object.polygonStipple) {
    glEnable(GL_POLYGON_STIPPLE);
    glPolygonStipple(object.polygonStipple->data());
  }
  if (isLineType(g.type)) glLineWidth(1);
  if (object.lineWidth != 0) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glLineWidth(object.lineWidth);
    if (object.lineStipplePattern) {
      glEnable(GL_LINE_STIPPLE);
      glLineStipple(object.lineStippleFactor + 1, object.lineStipplePattern);
    }
  } else if (object.pointSize != 0) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_POINT);
    glPointSize(object.pointSize);
  }

  bindArrays(g, object.lit, textured && !object.envMap);
  if (g.type == tri_indexed)
    drawIndexedTriangles(g);
  else if (g.vertexCount() > 0)
    glDrawArrays(primitiveMode(g.type), 0, g.vertexCount());
  unbindArrays();
}

void drawWireframe(const SceneObject& object, const ObjectPass& pass) {
  const AttribScope restored(kObjectPassState);
  const geom& g = *object.geometry;
  glLineWidth(1);
  if (!(pass.displayFlags & KVX_DISPLAY_FACES)) {
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }
  if (pass.displayFlags & KVX_DISPLAY_TRANS) {
    GLfloat c[4];
    glGetFloatv(GL_CURRENT_COLOR, c);
    glColor4f(c[0], c[1], c[2], kTransparentAlpha);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
  }
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  bindArrays(g, false, false);
  drawIndexedTriangles(g);
  unbindArrays();
}

}  // namespace kvx
