// Immediate mode: glBegin/glEnd and every glVertex, glNormal, glColor and
// glTexCoord variant, and glRect. Each forwards at once; vertices are only
// looked at while a list is compiled or a frame is captured.
#include "call_trace.h"
#include "real_functions.h"
#include "state_tracker.h"

#include <cstdint>

namespace kvx::capture {
namespace {

void vertexOp(double x, double y, double z, double w) {
  ContextState& s = currentState();
  if (!s.compiling && !activeRecorder()) return;
  Op op{OpKind::Vertex};
  op.v[0] = x, op.v[1] = y, op.v[2] = z, op.v[3] = w;
  submit(s, op);
}

void attributeOp(OpKind kind, double a, double b, double c, double d) {
  Op op{kind};
  op.v[0] = a, op.v[1] = b, op.v[2] = c, op.v[3] = d;
  submit(currentState(), op);
}

// Integer colour and normal components map to [-1, 1] or [0, 1].
double unit(GLbyte v) { return (2.0 * v + 1) / 255; }
double unit(GLshort v) { return (2.0 * v + 1) / 65535; }
double unit(GLint v) { return (2.0 * v + 1) / 4294967295.0; }
double unit(GLubyte v) { return v / 255.0; }
double unit(GLushort v) { return v / 65535.0; }
double unit(GLuint v) { return v / 4294967295.0; }
double unit(GLfloat v) { return v; }
double unit(GLdouble v) { return v; }

void rectOp(double x1, double y1, double x2, double y2) {
  ContextState& s = currentState();
  submit(s, Op{OpKind::Begin, GL_POLYGON});
  vertexOp(x1, y1, 0, 1);
  vertexOp(x2, y1, 0, 1);
  vertexOp(x2, y2, 0, 1);
  vertexOp(x1, y2, 0, 1);
  submit(s, Op{OpKind::End});
}

}  // namespace
}  // namespace kvx::capture

using namespace kvx::capture;

KVX_GL_ENTRY void glBegin(GLenum mode) {
  KVX_TRACE(mode);
  KVX_REAL(glBegin, mode);
  submit(currentState(), Op{OpKind::Begin, mode});
}

KVX_GL_ENTRY void glEnd() {
  KVX_TRACE();
  KVX_REAL(glEnd);
  submit(currentState(), Op{OpKind::End});
}

#define KVX_VERTEX(T, s)                                                                       \
  KVX_GL_ENTRY void glVertex2##s(T x, T y) { KVX_TRACE(x, y); KVX_REAL(glVertex2##s, x, y); vertexOp(x, y, 0, 1); } \
  KVX_GL_ENTRY void glVertex3##s(T x, T y, T z) {                                                \
    KVX_TRACE(x, y, z);                                                                        \
    KVX_REAL(glVertex3##s, x, y, z);                                                           \
    vertexOp(x, y, z, 1);                                                                      \
  }                                                                                            \
  KVX_GL_ENTRY void glVertex4##s(T x, T y, T z, T w) {                                           \
    KVX_TRACE(x, y, z, w);                                                                     \
    KVX_REAL(glVertex4##s, x, y, z, w);                                                        \
    vertexOp(x, y, z, w);                                                                      \
  }                                                                                            \
  KVX_GL_ENTRY void glVertex2##s##v(const T* v) { KVX_TRACE(v[0], v[1]); KVX_REAL(glVertex2##s##v, v); vertexOp(v[0], v[1], 0, 1); } \
  KVX_GL_ENTRY void glVertex3##s##v(const T* v) {                                                \
    KVX_TRACE(v[0], v[1], v[2]);                                                               \
    KVX_REAL(glVertex3##s##v, v);                                                              \
    vertexOp(v[0], v[1], v[2], 1);                                                             \
  }                                                                                            \
  KVX_GL_ENTRY void glVertex4##s##v(const T* v) {                                                \
    KVX_TRACE(v[0], v[1], v[2], v[3]);                                                         \
    KVX_REAL(glVertex4##s##v, v);                                                              \
    vertexOp(v[0], v[1], v[2], v[3]);                                                          \
  }
KVX_VERTEX(GLshort, s)
KVX_VERTEX(GLint, i)
KVX_VERTEX(GLfloat, f)
KVX_VERTEX(GLdouble, d)

#define KVX_NORMAL(T, s)                                                                       \
  KVX_GL_ENTRY void glNormal3##s(T x, T y, T z) {                                                \
    KVX_TRACE(x, y, z);                                                                        \
    KVX_REAL(glNormal3##s, x, y, z);                                                           \
    attributeOp(OpKind::Normal, unit(x), unit(y), unit(z), 1);                                 \
  }                                                                                            \
  KVX_GL_ENTRY void glNormal3##s##v(const T* v) {                                                \
    KVX_TRACE(v[0], v[1], v[2]);                                                               \
    KVX_REAL(glNormal3##s##v, v);                                                              \
    attributeOp(OpKind::Normal, unit(v[0]), unit(v[1]), unit(v[2]), 1);                        \
  }
KVX_NORMAL(GLbyte, b)
KVX_NORMAL(GLshort, s)
KVX_NORMAL(GLint, i)
KVX_NORMAL(GLfloat, f)
KVX_NORMAL(GLdouble, d)

#define KVX_COLOR(T, s)                                                                        \
  KVX_GL_ENTRY void glColor3##s(T r, T g, T b) {                                                 \
    KVX_TRACE(r, g, b);                                                                        \
    KVX_REAL(glColor3##s, r, g, b);                                                            \
    attributeOp(OpKind::Color, unit(r), unit(g), unit(b), 1);                                  \
  }                                                                                            \
  KVX_GL_ENTRY void glColor4##s(T r, T g, T b, T a) {                                            \
    KVX_TRACE(r, g, b, a);                                                                     \
    KVX_REAL(glColor4##s, r, g, b, a);                                                         \
    attributeOp(OpKind::Color, unit(r), unit(g), unit(b), unit(a));                            \
  }                                                                                            \
  KVX_GL_ENTRY void glColor3##s##v(const T* v) {                                                 \
    KVX_TRACE(v[0], v[1], v[2]);                                                               \
    KVX_REAL(glColor3##s##v, v);                                                               \
    attributeOp(OpKind::Color, unit(v[0]), unit(v[1]), unit(v[2]), 1);                        \
  }                                                                                            \
  KVX_GL_ENTRY void glColor4##s##v(const T* v) {                                                 \
    KVX_TRACE(v[0], v[1], v[2], v[3]);                                                         \
    KVX_REAL(glColor4##s##v, v);                                                               \
    attributeOp(OpKind::Color, unit(v[0]), unit(v[1]), unit(v[2]), unit(v[3]));               \
  }
KVX_COLOR(GLbyte, b)
KVX_COLOR(GLshort, s)
KVX_COLOR(GLint, i)
KVX_COLOR(GLfloat, f)
KVX_COLOR(GLdouble, d)
KVX_COLOR(GLubyte, ub)
KVX_COLOR(GLushort, us)
KVX_COLOR(GLuint, ui)

#define KVX_TEXCOORD(T, s)                                                                     \
  KVX_GL_ENTRY void glTexCoord1##s(T a) { KVX_TRACE(a); KVX_REAL(glTexCoord1##s, a); attributeOp(OpKind::TexCoord, a, 0, 0, 1); } \
  KVX_GL_ENTRY void glTexCoord2##s(T a, T b) {                                                   \
    KVX_TRACE(a, b);                                                                           \
    KVX_REAL(glTexCoord2##s, a, b);                                                            \
    attributeOp(OpKind::TexCoord, a, b, 0, 1);                                                 \
  }                                                                                            \
  KVX_GL_ENTRY void glTexCoord3##s(T a, T b, T c) {                                              \
    KVX_TRACE(a, b, c);                                                                        \
    KVX_REAL(glTexCoord3##s, a, b, c);                                                         \
    attributeOp(OpKind::TexCoord, a, b, c, 1);                                                 \
  }                                                                                            \
  KVX_GL_ENTRY void glTexCoord4##s(T a, T b, T c, T d) {                                         \
    KVX_TRACE(a, b, c, d);                                                                     \
    KVX_REAL(glTexCoord4##s, a, b, c, d);                                                      \
    attributeOp(OpKind::TexCoord, a, b, c, d);                                                 \
  }                                                                                            \
  KVX_GL_ENTRY void glTexCoord1##s##v(const T* v) { KVX_TRACE(v[0]); KVX_REAL(glTexCoord1##s##v, v); attributeOp(OpKind::TexCoord, v[0], 0, 0, 1); } \
  KVX_GL_ENTRY void glTexCoord2##s##v(const T* v) {                                              \
    KVX_TRACE(v[0], v[1]);                                                                     \
    KVX_REAL(glTexCoord2##s##v, v);                                                            \
    attributeOp(OpKind::TexCoord, v[0], v[1], 0, 1);                                           \
  }                                                                                            \
  KVX_GL_ENTRY void glTexCoord3##s##v(const T* v) {                                              \
    KVX_TRACE(v[0], v[1], v[2]);                                                               \
    KVX_REAL(glTexCoord3##s##v, v);                                                            \
    attributeOp(OpKind::TexCoord, v[0], v[1], v[2], 1);                                        \
  }                                                                                            \
  KVX_GL_ENTRY void glTexCoord4##s##v(const T* v) {                                              \
    KVX_TRACE(v[0], v[1], v[2], v[3]);                                                         \
    KVX_REAL(glTexCoord4##s##v, v);                                                            \
    attributeOp(OpKind::TexCoord, v[0], v[1], v[2], v[3]);                                     \
  }
KVX_TEXCOORD(GLshort, s)
KVX_TEXCOORD(GLint, i)
KVX_TEXCOORD(GLfloat, f)
KVX_TEXCOORD(GLdouble, d)

#define KVX_RECT(T, s)                                                                         \
  KVX_GL_ENTRY void glRect##s(T x1, T y1, T x2, T y2) {                                          \
    KVX_TRACE(x1, y1, x2, y2);                                                                 \
    KVX_REAL(glRect##s, x1, y1, x2, y2);                                                       \
    rectOp(x1, y1, x2, y2);                                                                    \
  }                                                                                            \
  KVX_GL_ENTRY void glRect##s##v(const T* a, const T* b) {                                       \
    KVX_TRACE(a[0], a[1], b[0], b[1]);                                                         \
    KVX_REAL(glRect##s##v, a, b);                                                              \
    rectOp(a[0], a[1], b[0], b[1]);                                                            \
  }
KVX_RECT(GLshort, s)
KVX_RECT(GLint, i)
KVX_RECT(GLfloat, f)
KVX_RECT(GLdouble, d)
