// Client-array draws seen as the immediate-mode calls they stand for, and
// the texture images the program hands to GL.
#include "capture_session.h"
#include "frame_recorder.h"
#include "real_functions.h"
#include "state_tracker.h"

#include <cstring>

namespace kvx::capture {
namespace {

size_t typeSize(GLenum type) {
  switch (type) {
    case GL_BYTE: case GL_UNSIGNED_BYTE: return 1;
    case GL_SHORT: case GL_UNSIGNED_SHORT: return 2;
    case GL_INT: case GL_UNSIGNED_INT: case GL_FLOAT: return 4;
    case GL_DOUBLE: return 8;
    default: return 0;
  }
}

// One component; colours and normals of integer types are normalised.
double component(GLenum type, const uint8_t* p, bool normalised) {
  switch (type) {
    case GL_BYTE: { int8_t v; std::memcpy(&v, p, 1); return normalised ? (2 * v + 1) / 255.0 : v; }
    case GL_UNSIGNED_BYTE: return normalised ? *p / 255.0 : *p;
    case GL_SHORT: { int16_t v; std::memcpy(&v, p, 2); return normalised ? (2 * v + 1) / 65535.0 : v; }
    case GL_UNSIGNED_SHORT: { uint16_t v; std::memcpy(&v, p, 2); return normalised ? v / 65535.0 : v; }
    case GL_INT: { int32_t v; std::memcpy(&v, p, 4); return normalised ? (2.0 * v + 1) / 4294967295.0 : v; }
    case GL_UNSIGNED_INT: { uint32_t v; std::memcpy(&v, p, 4); return normalised ? v / 4294967295.0 : v; }
    case GL_FLOAT: { float v; std::memcpy(&v, p, 4); return v; }
    case GL_DOUBLE: { double v; std::memcpy(&v, p, 8); return v; }
    default: return 0;
  }
}

// Reads element `index` of an array into v (unread components keep theirs).
void readElement(const ClientArray& a, int index, bool normalised, double v[4]) {
  const size_t size = typeSize(a.type);
  if (!size || !a.pointer) return;
  const size_t stride = a.stride ? a.stride : size * a.size;
  const auto* p = static_cast<const uint8_t*>(a.pointer) + stride * static_cast<size_t>(index);
  for (int i = 0; i < a.size && i < 4; ++i) v[i] = component(a.type, p + i * size, normalised);
}

void submitElement(ContextState& s, int index) {
  const ClientArrays& arrays = s.arrays;
  if (arrays.normal.enabled) {
    Op op{OpKind::Normal};
    ClientArray normal = arrays.normal;
    normal.size = 3;
    readElement(normal, index, true, op.v);
    submit(s, op);
  }
  if (arrays.color.enabled) {
    Op op{OpKind::Color};
    readElement(arrays.color, index, true, op.v);
    submit(s, op);
  }
  if (arrays.texCoord.enabled) {
    Op op{OpKind::TexCoord};
    op.v[1] = 0, op.v[2] = 0, op.v[3] = 1;
    readElement(arrays.texCoord, index, false, op.v);
    submit(s, op);
  }
  if (arrays.vertex.enabled) {
    Op op{OpKind::Vertex};
    op.v[2] = 0, op.v[3] = 1;
    readElement(arrays.vertex, index, false, op.v);
    submit(s, op);
  }
}

bool usesBuffers(const ContextState& s, bool indexed) {
  const ClientArrays& a = s.arrays;
  for (const ClientArray* array : {&a.vertex, &a.normal, &a.color, &a.texCoord})
    if (array->enabled && array->inBuffer) return true;
  return indexed && s.elementBufferBound;
}

int indexAt(GLenum type, const void* indices, int i) {
  switch (type) {
    case GL_UNSIGNED_BYTE: return static_cast<const uint8_t*>(indices)[i];
    case GL_UNSIGNED_SHORT: return static_cast<const uint16_t*>(indices)[i];
    default: return static_cast<int>(static_cast<const uint32_t*>(indices)[i]);
  }
}

}  // namespace

void expandArrays(ContextState& s, GLenum mode, int first, int count, GLenum indexType, const void* indices) {
  FrameRecorder* recorder = activeRecorder();
  if ((!s.compiling && !recorder) || count <= 0) return;
  if (usesBuffers(s, indices != nullptr)) {
    if (recorder) recorder->skipDraw(SkipReason::VertexBuffer);
    return;
  }
  if (!s.arrays.vertex.enabled) return;
  submit(s, Op{OpKind::Begin, mode});
  for (int i = 0; i < count; ++i) submitElement(s, indices ? indexAt(indexType, indices, i) : first + i);
  submit(s, Op{OpKind::End});
}

void expandArrayElement(ContextState& s, int index) {
  if ((!s.compiling && !activeRecorder()) || usesBuffers(s, false)) return;
  submitElement(s, index);
}

void interleavedArrays(ContextState& s, GLenum format, int stride, const void* pointer) {
  constexpr int f = sizeof(float);
  struct Layout {
    GLenum format;
    int texSize, colorSize;
    GLenum colorType;
    bool normal;
    int vertexSize, colorOffset, normalOffset, vertexOffset, size;
  };
  static const Layout layouts[] = {
      {GL_V2F, 0, 0, 0, false, 2, 0, 0, 0, 2 * f},
      {GL_V3F, 0, 0, 0, false, 3, 0, 0, 0, 3 * f},
      {GL_C4UB_V2F, 0, 4, GL_UNSIGNED_BYTE, false, 2, 0, 0, 4, 4 + 2 * f},
      {GL_C4UB_V3F, 0, 4, GL_UNSIGNED_BYTE, false, 3, 0, 0, 4, 4 + 3 * f},
      {GL_C3F_V3F, 0, 3, GL_FLOAT, false, 3, 0, 0, 3 * f, 6 * f},
      {GL_N3F_V3F, 0, 0, 0, true, 3, 0, 0, 3 * f, 6 * f},
      {GL_C4F_N3F_V3F, 0, 4, GL_FLOAT, true, 3, 0, 4 * f, 7 * f, 10 * f},
      {GL_T2F_V3F, 2, 0, 0, false, 3, 0, 0, 2 * f, 5 * f},
      {GL_T4F_V4F, 4, 0, 0, false, 4, 0, 0, 4 * f, 8 * f},
      {GL_T2F_C4UB_V3F, 2, 4, GL_UNSIGNED_BYTE, false, 3, 2 * f, 0, 4 + 2 * f, 4 + 5 * f},
      {GL_T2F_C3F_V3F, 2, 3, GL_FLOAT, false, 3, 2 * f, 0, 5 * f, 8 * f},
      {GL_T2F_N3F_V3F, 2, 0, 0, true, 3, 0, 2 * f, 5 * f, 8 * f},
      {GL_T2F_C4F_N3F_V3F, 2, 4, GL_FLOAT, true, 3, 2 * f, 6 * f, 9 * f, 12 * f},
      {GL_T4F_C4F_N3F_V4F, 4, 4, GL_FLOAT, true, 4, 4 * f, 8 * f, 11 * f, 15 * f},
  };
  for (const Layout& l : layouts) {
    if (l.format != format) continue;
    const int step = stride ? stride : l.size;
    const auto* base = static_cast<const uint8_t*>(pointer);
    const bool inBuffer = s.arrayBufferBound;
    ClientArrays& a = s.arrays;
    a.texCoord = {l.texSize > 0, l.texSize ? l.texSize : 4, GL_FLOAT, step, base, inBuffer};
    a.color = {l.colorSize > 0, l.colorSize ? l.colorSize : 4, l.colorType ? l.colorType : GLenum(GL_FLOAT), step,
               base + l.colorOffset, inBuffer};
    a.normal = {l.normal, 3, GL_FLOAT, step, base + l.normalOffset, inBuffer};
    a.vertex = {true, l.vertexSize, GL_FLOAT, step, base + l.vertexOffset, inBuffer};
    return;
  }
}

namespace {

int channelsOf(GLenum format) {
  switch (format) {
    case GL_RGBA: case GL_BGRA: return 4;
    case GL_RGB: case GL_BGR: return 3;
    case GL_LUMINANCE_ALPHA: return 2;
    case GL_LUMINANCE: case GL_ALPHA: case GL_RED: return 1;
    default: return 0;
  }
}

// Copies a block of 8-bit pixels into an RGBA image at (x, y), following
// the program's unpack alignment and row length.
void copyPixels(TextureImage& image, int x0, int y0, int width, int height, GLenum format, const void* pixels) {
  const int channels = channelsOf(format);
  GLint alignment = 4, rowLength = 0;
  KVX_REAL(glGetIntegerv, GL_UNPACK_ALIGNMENT, &alignment);
  KVX_REAL(glGetIntegerv, GL_UNPACK_ROW_LENGTH, &rowLength);
  const size_t rowPixels = rowLength > 0 ? rowLength : width;
  size_t rowBytes = rowPixels * channels;
  if (alignment > 1) rowBytes = (rowBytes + alignment - 1) / alignment * alignment;
  for (int y = 0; y < height; ++y) {
    if (y0 + y < 0 || y0 + y >= image.height) continue;
    const auto* row = static_cast<const uint8_t*>(pixels) + rowBytes * y;
    for (int x = 0; x < width; ++x) {
      if (x0 + x < 0 || x0 + x >= image.width) continue;
      const uint8_t* p = row + size_t(x) * channels;
      uint8_t* out = &image.rgba[(size_t(y0 + y) * image.width + x0 + x) * 4];
      switch (format) {
        case GL_RGBA: std::memcpy(out, p, 4); break;
        case GL_BGRA: out[0] = p[2], out[1] = p[1], out[2] = p[0], out[3] = p[3]; break;
        case GL_RGB: std::memcpy(out, p, 3), out[3] = 255; break;
        case GL_BGR: out[0] = p[2], out[1] = p[1], out[2] = p[0], out[3] = 255; break;
        case GL_LUMINANCE_ALPHA: out[0] = out[1] = out[2] = p[0], out[3] = p[1]; break;
        case GL_ALPHA: out[0] = out[1] = out[2] = 255, out[3] = p[0]; break;
        default: out[0] = out[1] = out[2] = p[0], out[3] = 255; break;
      }
    }
  }
}

// Pixels in client memory only: a bound unpack buffer holds offsets.
bool pixelsReadable(const void* pixels) {
  GLint unpackBuffer = 0;
  KVX_REAL(glGetIntegerv, GL_PIXEL_UNPACK_BUFFER_BINDING, &unpackBuffer);
  return pixels && unpackBuffer == 0;
}

}  // namespace

void storeTextureImage(ContextState& s, int width, int height, GLenum format, GLenum type, const void* pixels) {
  if (channelsOf(format) == 0 || type != GL_UNSIGNED_BYTE || width <= 0 || height <= 0 || width > 65535 ||
      height > 65535) {
    countUnsupported("glTexImage2D with a pixel format other than 8-bit RGB(A), luminance or alpha");
    return;
  }
  TextureImage image;
  image.width = width, image.height = height;
  image.rgba.assign(size_t(width) * height * 4, 255);
  if (pixelsReadable(pixels)) copyPixels(image, 0, 0, width, height, format, pixels);
  TextureImage& stored = s.shared->textures[s.look.boundTexture];
  image.repeatS = stored.repeatS, image.repeatT = stored.repeatT;
  stored = std::move(image);
}

void updateTextureImage(ContextState& s, int x, int y, int width, int height, GLenum format, GLenum type,
                        const void* pixels) {
  auto found = s.shared->textures.find(s.look.boundTexture);
  if (found == s.shared->textures.end() || found->second.rgba.empty()) return;
  if (channelsOf(format) == 0 || type != GL_UNSIGNED_BYTE) {
    countUnsupported("glTexSubImage2D with a pixel format other than 8-bit RGB(A), luminance or alpha");
    return;
  }
  if (width > 0 && height > 0 && pixelsReadable(pixels)) copyPixels(found->second, x, y, width, height, format, pixels);
}

}  // namespace kvx::capture
