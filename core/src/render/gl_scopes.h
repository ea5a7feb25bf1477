#pragma once
// Scopes for the push/pop pairs of the fixed-function state: whatever a
// drawing step changes inside one is restored when it ends, so that no step
// has to know what the previous one left behind.
#include <GL/gl.h>

namespace kvx {

// glPushAttrib / glPopAttrib.
class AttribScope {
 public:
  explicit AttribScope(GLbitfield mask) { glPushAttrib(mask); }
  ~AttribScope() { glPopAttrib(); }
  AttribScope(const AttribScope&) = delete;
  AttribScope& operator=(const AttribScope&) = delete;
};

// glPushClientAttrib / glPopClientAttrib (pixel store, vertex arrays).
class ClientAttribScope {
 public:
  explicit ClientAttribScope(GLbitfield mask) { glPushClientAttrib(mask); }
  ~ClientAttribScope() { glPopClientAttrib(); }
  ClientAttribScope(const ClientAttribScope&) = delete;
  ClientAttribScope& operator=(const ClientAttribScope&) = delete;
};

// Pushes the matrix of `mode` and pops it again, leaving `mode` current.
class MatrixScope {
 public:
  explicit MatrixScope(GLenum mode) : mode_(mode) {
    glMatrixMode(mode_);
    glPushMatrix();
  }
  ~MatrixScope() {
    glMatrixMode(mode_);
    glPopMatrix();
  }
  MatrixScope(const MatrixScope&) = delete;
  MatrixScope& operator=(const MatrixScope&) = delete;

 private:
  GLenum mode_;
};

}  // namespace kvx
