// Display lists, the attributes that make an object's look, textures,
// client arrays, frame boundaries, and the calls that cannot be captured.
#include "call_trace.h"
#include "frame_recorder.h"
#include "real_functions.h"
#include "state_tracker.h"

#include <GL/glext.h>

#include <cstdint>
#include <cstring>

namespace kvx::capture {
namespace {

void stateOp(OpKind kind, uint32_t a, uint32_t b = 0, double value = 0) {
  Op op{kind, a, b};
  op.v[0] = value;
  submit(currentState(), op);
}

void materialOp(GLenum face, GLenum pname, const float* values, int count, OpKind kind = OpKind::Material) {
  Op op{kind, face, pname};
  for (int i = 0; i < count && i < 4; ++i) op.v[i] = values[i];
  submit(currentState(), op);
}

int materialValueCount(GLenum pname) { return pname == GL_SHININESS ? 1 : pname == GL_COLOR_INDEXES ? 3 : 4; }

uint32_t listNameAt(GLenum type, const void* lists, int i) {
  const auto* bytes = static_cast<const uint8_t*>(lists);
  switch (type) {
    case GL_BYTE: return static_cast<uint32_t>(static_cast<const int8_t*>(lists)[i]);
    case GL_UNSIGNED_BYTE: return bytes[i];
    case GL_SHORT: return static_cast<uint32_t>(static_cast<const int16_t*>(lists)[i]);
    case GL_UNSIGNED_SHORT: return static_cast<const uint16_t*>(lists)[i];
    case GL_INT: return static_cast<uint32_t>(static_cast<const int32_t*>(lists)[i]);
    case GL_UNSIGNED_INT: return static_cast<const uint32_t*>(lists)[i];
    case GL_FLOAT: return static_cast<uint32_t>(static_cast<const float*>(lists)[i]);
    case GL_2_BYTES: return bytes[2 * i] * 256u + bytes[2 * i + 1];
    case GL_3_BYTES: return (bytes[3 * i] * 256u + bytes[3 * i + 1]) * 256u + bytes[3 * i + 2];
    case GL_4_BYTES:
      return ((bytes[4 * i] * 256u + bytes[4 * i + 1]) * 256u + bytes[4 * i + 2]) * 256u + bytes[4 * i + 3];
    default: return 0;
  }
}

void setPointer(ClientArray& array, int size, GLenum type, int stride, const void* pointer) {
  const ContextState& s = currentState();
  array.size = size, array.type = type, array.stride = stride, array.pointer = pointer;
  array.inBuffer = s.arrayBufferBound;
}

ClientArray* arrayOf(GLenum cap) {
  ClientArrays& a = currentState().arrays;
  switch (cap) {
    case GL_VERTEX_ARRAY: return &a.vertex;
    case GL_NORMAL_ARRAY: return &a.normal;
    case GL_COLOR_ARRAY: return &a.color;
    case GL_TEXTURE_COORD_ARRAY: return &a.texCoord;
    default: return nullptr;
  }
}

// Draws through programs or buffers are not expanded; counted instead.
bool skippedForProgram() {
  FrameRecorder* recorder = activeRecorder();
  if (!recorder || !currentState().programInUse) return false;
  recorder->skipDraw(SkipReason::ShaderProgram);
  return true;
}

}  // namespace
}  // namespace kvx::capture

using namespace kvx::capture;

// Display lists.
KVX_GL_ENTRY void glNewList(GLuint list, GLenum mode) {
  KVX_TRACE(list, mode);
  KVX_REAL(glNewList, list, mode);
  newList(currentState(), list, mode);
}

KVX_GL_ENTRY void glEndList() {
  KVX_TRACE();
  KVX_REAL(glEndList);
  endList(currentState());
}

KVX_GL_ENTRY void glCallList(GLuint list) {
  KVX_TRACE(list);
  KVX_REAL(glCallList, list);
  stateOp(OpKind::CallList, list);
}

KVX_GL_ENTRY void glCallLists(GLsizei n, GLenum type, const GLvoid* lists) {
  KVX_TRACE(n, type);
  KVX_REAL(glCallLists, n, type, lists);
  for (GLsizei i = 0; i < n && lists; ++i) stateOp(OpKind::CallListWithBase, listNameAt(type, lists, i));
}

KVX_GL_ENTRY void glListBase(GLuint base) {
  KVX_TRACE(base);
  KVX_REAL(glListBase, base);
  stateOp(OpKind::ListBase, base);
}

KVX_GL_ENTRY void glDeleteLists(GLuint list, GLsizei range) {
  KVX_TRACE(list, range);
  KVX_REAL(glDeleteLists, list, range);
  deleteLists(currentState(), list, range);
}

// Look.
KVX_GL_ENTRY void glMaterialf(GLenum face, GLenum pname, GLfloat param) {
  KVX_TRACE(face, pname, param);
  KVX_REAL(glMaterialf, face, pname, param);
  materialOp(face, pname, &param, 1);
}

KVX_GL_ENTRY void glMateriali(GLenum face, GLenum pname, GLint param) {
  KVX_TRACE(face, pname, param);
  KVX_REAL(glMateriali, face, pname, param);
  const float value = static_cast<float>(param);
  materialOp(face, pname, &value, 1);
}

KVX_GL_ENTRY void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
  KVX_TRACE(face, pname, params[0]);
  KVX_REAL(glMaterialfv, face, pname, params);
  materialOp(face, pname, params, materialValueCount(pname));
}

KVX_GL_ENTRY void glMaterialiv(GLenum face, GLenum pname, const GLint* params) {
  KVX_TRACE(face, pname, params[0]);
  KVX_REAL(glMaterialiv, face, pname, params);
  float values[4] = {0, 0, 0, 1};
  const int n = materialValueCount(pname);
  for (int i = 0; i < n; ++i)
    values[i] = pname == GL_SHININESS ? float(params[i]) : float((2.0 * params[i] + 1) / 4294967295.0);
  materialOp(face, pname, values, n);
}

KVX_GL_ENTRY void glColorMaterial(GLenum face, GLenum mode) {
  KVX_TRACE(face, mode);
  KVX_REAL(glColorMaterial, face, mode);
  stateOp(OpKind::ColorMaterial, face, mode);
}

KVX_GL_ENTRY void glEnable(GLenum cap) {
  KVX_TRACE(cap);
  KVX_REAL(glEnable, cap);
  stateOp(OpKind::Enable, cap);
}

KVX_GL_ENTRY void glDisable(GLenum cap) {
  KVX_TRACE(cap);
  KVX_REAL(glDisable, cap);
  stateOp(OpKind::Disable, cap);
}

KVX_GL_ENTRY void glShadeModel(GLenum mode) {
  KVX_TRACE(mode);
  KVX_REAL(glShadeModel, mode);
  stateOp(OpKind::ShadeModel, mode);
}

KVX_GL_ENTRY void glPointSize(GLfloat size) {
  KVX_TRACE(size);
  KVX_REAL(glPointSize, size);
  stateOp(OpKind::PointSize, 0, 0, size);
}

KVX_GL_ENTRY void glLineWidth(GLfloat width) {
  KVX_TRACE(width);
  KVX_REAL(glLineWidth, width);
  stateOp(OpKind::LineWidth, 0, 0, width);
}

KVX_GL_ENTRY void glPolygonMode(GLenum face, GLenum mode) {
  KVX_TRACE(face, mode);
  KVX_REAL(glPolygonMode, face, mode);
  stateOp(OpKind::PolygonMode, face, mode);
}

KVX_GL_ENTRY void glPushAttrib(GLbitfield mask) {
  KVX_TRACE(mask);
  KVX_REAL(glPushAttrib, mask);
  stateOp(OpKind::PushAttrib, mask);
}

KVX_GL_ENTRY void glPopAttrib() {
  KVX_TRACE();
  KVX_REAL(glPopAttrib);
  stateOp(OpKind::PopAttrib, 0);
}

KVX_GL_ENTRY void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
  KVX_TRACE(light, pname, params[0]);
  KVX_REAL(glLightfv, light, pname, params);
  materialOp(light, pname, params, pname == GL_POSITION || pname == GL_DIFFUSE ? 4 : 1, OpKind::Light);
}

KVX_GL_ENTRY void glLightiv(GLenum light, GLenum pname, const GLint* params) {
  KVX_TRACE(light, pname, params[0]);
  KVX_REAL(glLightiv, light, pname, params);
  float values[4] = {0, 0, 0, 1};
  for (int i = 0; i < 4; ++i)
    values[i] = pname == GL_DIFFUSE ? float((2.0 * params[i] + 1) / 4294967295.0) : float(params[i]);
  materialOp(light, pname, values, pname == GL_POSITION || pname == GL_DIFFUSE ? 4 : 1, OpKind::Light);
}

KVX_GL_ENTRY void glLightModelfv(GLenum pname, const GLfloat* params) {
  KVX_TRACE(pname, params[0]);
  KVX_REAL(glLightModelfv, pname, params);
  materialOp(pname, 0, params, pname == GL_LIGHT_MODEL_AMBIENT ? 4 : 1, OpKind::LightModel);
}

// Textures.
KVX_GL_ENTRY void glBindTexture(GLenum target, GLuint texture) {
  KVX_TRACE(target, texture);
  KVX_REAL(glBindTexture, target, texture);
  stateOp(OpKind::BindTexture, target, texture);
}

KVX_GL_ENTRY void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
  KVX_TRACE(target, level, internalFormat, width, height, border, format, type);
  KVX_REAL(glTexImage2D, target, level, internalFormat, width, height, border, format, type, pixels);
  if (target == GL_TEXTURE_2D && level == 0) storeTextureImage(currentState(), width, height, format, type, pixels);
}

KVX_GL_ENTRY void glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height,
                                GLenum format, GLenum type, const GLvoid* pixels) {
  KVX_TRACE(target, level, x, y, width, height, format, type);
  KVX_REAL(glTexSubImage2D, target, level, x, y, width, height, format, type, pixels);
  if (target == GL_TEXTURE_2D && level == 0) updateTextureImage(currentState(), x, y, width, height, format, type, pixels);
}

KVX_GL_ENTRY void glTexParameteri(GLenum target, GLenum pname, GLint param) {
  KVX_TRACE(target, pname, param);
  KVX_REAL(glTexParameteri, target, pname, param);
  ContextState& s = currentState();
  if (target != GL_TEXTURE_2D || (pname != GL_TEXTURE_WRAP_S && pname != GL_TEXTURE_WRAP_T)) return;
  TextureImage& image = s.shared->textures[s.look.boundTexture];
  (pname == GL_TEXTURE_WRAP_S ? image.repeatS : image.repeatT) = param == GL_REPEAT;
}

KVX_GL_ENTRY void glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
  KVX_TRACE(target, pname, param);
  KVX_REAL(glTexParameterf, target, pname, param);
  ContextState& s = currentState();
  if (target != GL_TEXTURE_2D || (pname != GL_TEXTURE_WRAP_S && pname != GL_TEXTURE_WRAP_T)) return;
  TextureImage& image = s.shared->textures[s.look.boundTexture];
  (pname == GL_TEXTURE_WRAP_S ? image.repeatS : image.repeatT) = static_cast<GLint>(param) == GL_REPEAT;
}

KVX_GL_ENTRY void glDeleteTextures(GLsizei n, const GLuint* textures) {
  KVX_TRACE(n);
  KVX_REAL(glDeleteTextures, n, textures);
  ContextState& s = currentState();
  for (GLsizei i = 0; i < n && textures; ++i) {
    if (textures[i] == 0) continue;
    s.shared->textures.erase(textures[i]);
    if (s.look.boundTexture == textures[i]) s.look.boundTexture = 0;
  }
}

// Client arrays.
KVX_GL_ENTRY void glEnableClientState(GLenum cap) {
  KVX_TRACE(cap);
  KVX_REAL(glEnableClientState, cap);
  if (ClientArray* array = arrayOf(cap)) array->enabled = true;
}

KVX_GL_ENTRY void glDisableClientState(GLenum cap) {
  KVX_TRACE(cap);
  KVX_REAL(glDisableClientState, cap);
  if (ClientArray* array = arrayOf(cap)) array->enabled = false;
}

KVX_GL_ENTRY void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
  KVX_TRACE(size, type, stride, pointer);
  KVX_REAL(glVertexPointer, size, type, stride, pointer);
  setPointer(currentState().arrays.vertex, size, type, stride, pointer);
}

KVX_GL_ENTRY void glNormalPointer(GLenum type, GLsizei stride, const GLvoid* pointer) {
  KVX_TRACE(type, stride, pointer);
  KVX_REAL(glNormalPointer, type, stride, pointer);
  setPointer(currentState().arrays.normal, 3, type, stride, pointer);
}

KVX_GL_ENTRY void glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
  KVX_TRACE(size, type, stride, pointer);
  KVX_REAL(glColorPointer, size, type, stride, pointer);
  setPointer(currentState().arrays.color, size, type, stride, pointer);
}

KVX_GL_ENTRY void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
  KVX_TRACE(size, type, stride, pointer);
  KVX_REAL(glTexCoordPointer, size, type, stride, pointer);
  setPointer(currentState().arrays.texCoord, size, type, stride, pointer);
}

KVX_GL_ENTRY void glInterleavedArrays(GLenum format, GLsizei stride, const GLvoid* pointer) {
  KVX_TRACE(format, stride, pointer);
  KVX_REAL(glInterleavedArrays, format, stride, pointer);
  interleavedArrays(currentState(), format, stride, pointer);
}

KVX_GL_ENTRY void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
  KVX_TRACE(mode, first, count);
  KVX_REAL(glDrawArrays, mode, first, count);
  if (!skippedForProgram()) expandArrays(currentState(), mode, first, count, 0, nullptr);
}

KVX_GL_ENTRY void glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
  KVX_TRACE(mode, count, type, indices);
  KVX_REAL(glDrawElements, mode, count, type, indices);
  if (!skippedForProgram()) expandArrays(currentState(), mode, 0, count, type, indices);
}

KVX_GL_ENTRY void glDrawRangeElements(GLenum mode, GLuint start, GLuint end, GLsizei count, GLenum type,
                                    const GLvoid* indices) {
  KVX_TRACE(mode, start, end, count, type, indices);
  KVX_REAL(glDrawRangeElements, mode, start, end, count, type, indices);
  if (!skippedForProgram()) expandArrays(currentState(), mode, 0, count, type, indices);
}

KVX_GL_ENTRY void glArrayElement(GLint i) {
  KVX_TRACE(i);
  KVX_REAL(glArrayElement, i);
  expandArrayElement(currentState(), i);
}

// Buffers and programs: followed so that draws through them are counted.
static void bindBuffer(GLenum target, GLuint buffer) {
  ContextState& s = currentState();
  if (target == GL_ARRAY_BUFFER) s.arrayBufferBound = buffer != 0;
  if (target == GL_ELEMENT_ARRAY_BUFFER) s.elementBufferBound = buffer != 0;
}

KVX_GL_ENTRY void glBindBuffer(GLenum target, GLuint buffer) {
  KVX_TRACE(target, buffer);
  KVX_REAL(glBindBuffer, target, buffer);
  bindBuffer(target, buffer);
}

KVX_GL_ENTRY void glBindBufferARB(GLenum target, GLuint buffer) {
  KVX_TRACE(target, buffer);
  KVX_REAL(glBindBufferARB, target, buffer);
  bindBuffer(target, buffer);
}

KVX_GL_ENTRY void glUseProgram(GLuint program) {
  KVX_TRACE(program);
  KVX_REAL(glUseProgram, program);
  currentState().programInUse = program != 0;
}

KVX_GL_ENTRY void glUseProgramObjectARB(GLhandleARB program) {
  KVX_TRACE(program);
  KVX_REAL(glUseProgramObjectARB, program);
  currentState().programInUse = program != 0;
}

KVX_GL_ENTRY void glVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                                      const void* pointer) {
  KVX_TRACE(index, size, type, stride, pointer);
  KVX_REAL(glVertexAttribPointer, index, size, type, normalized, stride, pointer);
  countUnsupported("glVertexAttribPointer");
}

KVX_GL_ENTRY void glMultiDrawArrays(GLenum mode, const GLint* first, const GLsizei* count, GLsizei drawcount) {
  KVX_TRACE(mode, drawcount);
  KVX_REAL(glMultiDrawArrays, mode, first, count, drawcount);
  countUnsupported("glMultiDrawArrays");
}

KVX_GL_ENTRY void glMultiDrawElements(GLenum mode, const GLsizei* count, GLenum type, const void* const* indices,
                                    GLsizei drawcount) {
  KVX_TRACE(mode, type, drawcount);
  KVX_REAL(glMultiDrawElements, mode, count, type, indices, drawcount);
  countUnsupported("glMultiDrawElements");
}

KVX_GL_ENTRY void glEvalMesh1(GLenum mode, GLint i1, GLint i2) {
  KVX_TRACE(mode, i1, i2);
  KVX_REAL(glEvalMesh1, mode, i1, i2);
  countUnsupported("glEvalMesh1");
}

KVX_GL_ENTRY void glEvalMesh2(GLenum mode, GLint i1, GLint i2, GLint j1, GLint j2) {
  KVX_TRACE(mode, i1, i2, j1, j2);
  KVX_REAL(glEvalMesh2, mode, i1, i2, j1, j2);
  countUnsupported("glEvalMesh2");
}

KVX_GL_ENTRY void glDrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid* pixels) {
  KVX_TRACE(width, height, format, type);
  KVX_REAL(glDrawPixels, width, height, format, type, pixels);
  countUnsupported("glDrawPixels");
}

KVX_GL_ENTRY void glBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove, GLfloat ymove,
                         const GLubyte* bitmap) {
  KVX_TRACE(width, height);
  KVX_REAL(glBitmap, width, height, xorig, yorig, xmove, ymove, bitmap);
  countUnsupported("glBitmap");
}

// Frame boundaries for programs that never swap (toggle options).
KVX_GL_ENTRY void glClear(GLbitfield mask) {
  KVX_TRACE(mask);
  frameBoundary(currentState(), Boundary::Clear);
  KVX_REAL(glClear, mask);
}

KVX_GL_ENTRY void glFlush() {
  KVX_TRACE();
  frameBoundary(currentState(), Boundary::Flush);
  KVX_REAL(glFlush);
}

KVX_GL_ENTRY void glFinish() {
  KVX_TRACE();
  frameBoundary(currentState(), Boundary::Flush);
  KVX_REAL(glFinish);
}

KVX_GL_ENTRY void glDrawBuffer(GLenum mode) {
  KVX_TRACE(mode);
  frameBoundary(currentState(), Boundary::DrawBuffer);
  KVX_REAL(glDrawBuffer, mode);
}
