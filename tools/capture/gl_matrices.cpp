// Every matrix operation of GL 1.0-1.1 (and the transposed loads of 1.3);
// GLU's gluPerspective, gluLookAt, gluOrtho2D, ... arrive through these.
#include "call_trace.h"
#include "real_functions.h"
#include "state_tracker.h"

namespace kvx::capture {
namespace {

template <typename T>
Mat4 matrixOf(const T* m, bool transposed) {
  Mat4 r;
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 4; ++row) r[c * 4 + row] = transposed ? m[row * 4 + c] : m[c * 4 + row];
  return r;
}

void multiplyBy(const Mat4& m) { submitMatrix(currentState(), OpKind::MultMatrix, m); }

}  // namespace
}  // namespace kvx::capture

using namespace kvx::capture;

KVX_GL_ENTRY void glMatrixMode(GLenum mode) {
  KVX_TRACE(mode);
  KVX_REAL(glMatrixMode, mode);
  submit(currentState(), Op{OpKind::MatrixMode, mode});
}

KVX_GL_ENTRY void glLoadIdentity() {
  KVX_TRACE();
  KVX_REAL(glLoadIdentity);
  submit(currentState(), Op{OpKind::LoadIdentity});
}

KVX_GL_ENTRY void glPushMatrix() {
  KVX_TRACE();
  KVX_REAL(glPushMatrix);
  submit(currentState(), Op{OpKind::PushMatrix});
}

KVX_GL_ENTRY void glPopMatrix() {
  KVX_TRACE();
  KVX_REAL(glPopMatrix);
  submit(currentState(), Op{OpKind::PopMatrix});
}

#define KVX_MATRIX_LOAD(name, T, kind, transposed)                          \
  KVX_GL_ENTRY void name(const T* m) {                                        \
    KVX_TRACE(m[0], m[5], m[10], m[12], m[13], m[14]);                      \
    KVX_REAL(name, m);                                                      \
    submitMatrix(currentState(), OpKind::kind, matrixOf(m, transposed));    \
  }
KVX_MATRIX_LOAD(glLoadMatrixf, GLfloat, LoadMatrix, false)
KVX_MATRIX_LOAD(glLoadMatrixd, GLdouble, LoadMatrix, false)
KVX_MATRIX_LOAD(glMultMatrixf, GLfloat, MultMatrix, false)
KVX_MATRIX_LOAD(glMultMatrixd, GLdouble, MultMatrix, false)
KVX_MATRIX_LOAD(glLoadTransposeMatrixf, GLfloat, LoadMatrix, true)
KVX_MATRIX_LOAD(glLoadTransposeMatrixd, GLdouble, LoadMatrix, true)
KVX_MATRIX_LOAD(glMultTransposeMatrixf, GLfloat, MultMatrix, true)
KVX_MATRIX_LOAD(glMultTransposeMatrixd, GLdouble, MultMatrix, true)

KVX_GL_ENTRY void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  KVX_TRACE(x, y, z);
  KVX_REAL(glTranslatef, x, y, z);
  multiplyBy(translation(x, y, z));
}

KVX_GL_ENTRY void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
  KVX_TRACE(x, y, z);
  KVX_REAL(glTranslated, x, y, z);
  multiplyBy(translation(x, y, z));
}

KVX_GL_ENTRY void glScalef(GLfloat x, GLfloat y, GLfloat z) {
  KVX_TRACE(x, y, z);
  KVX_REAL(glScalef, x, y, z);
  multiplyBy(scaling(x, y, z));
}

KVX_GL_ENTRY void glScaled(GLdouble x, GLdouble y, GLdouble z) {
  KVX_TRACE(x, y, z);
  KVX_REAL(glScaled, x, y, z);
  multiplyBy(scaling(x, y, z));
}

KVX_GL_ENTRY void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  KVX_TRACE(angle, x, y, z);
  KVX_REAL(glRotatef, angle, x, y, z);
  multiplyBy(rotation(angle, x, y, z));
}

KVX_GL_ENTRY void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) {
  KVX_TRACE(angle, x, y, z);
  KVX_REAL(glRotated, angle, x, y, z);
  multiplyBy(rotation(angle, x, y, z));
}

KVX_GL_ENTRY void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  KVX_TRACE(l, r, b, t, n, f);
  KVX_REAL(glFrustum, l, r, b, t, n, f);
  if (l != r && b != t && n != f && n > 0 && f > 0) multiplyBy(frustum(l, r, b, t, n, f));
}

KVX_GL_ENTRY void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  KVX_TRACE(l, r, b, t, n, f);
  KVX_REAL(glOrtho, l, r, b, t, n, f);
  if (l != r && b != t && n != f) multiplyBy(ortho(l, r, b, t, n, f));
}

KVX_GL_ENTRY void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  KVX_TRACE(x, y, width, height);
  KVX_REAL(glViewport, x, y, width, height);
  int* v = currentState().viewport;
  v[0] = x, v[1] = y, v[2] = width, v[3] = height;
}
