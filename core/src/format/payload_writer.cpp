// Writes a scene as the version 43 payload.
#include "format/pack_normal.h"
#include "format/payload_layout.h"
#include "scene/scene.h"
#include "services/capture_options.h"
#include "services/paths.h"
#include "services/texture_dump.h"

#include <cmath>
#include <cstring>
#include <string>

namespace kvx {
namespace {

// Long arrays (vertices, colours, triangles) go to the sink in blocks of
// many fields: one put per block instead of one per field.
class BlockWriter {
 public:
  explicit BlockWriter(serializer& out) : out_(out) {}
  ~BlockWriter() { flush(); }
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  void u8(uint8_t value) {
    room(1);
    block_[used_++] = value;
  }
  void u16(uint16_t value) {
    room(2);
    block_[used_++] = static_cast<uint8_t>(value);
    block_[used_++] = static_cast<uint8_t>(value >> 8);
  }
  void u32(uint32_t value) {
    room(4);
    for (int shift = 0; shift < 32; shift += 8) block_[used_++] = static_cast<uint8_t>(value >> shift);
  }
  void f32(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    u32(bits);
  }
  void flush() {
    if (used_) out_.put_bytes(block_, static_cast<int32_t>(used_));
    used_ = 0;
  }

 private:
  void room(size_t bytes) {
    if (used_ + bytes > sizeof block_) flush();
  }

  serializer& out_;
  uint8_t block_[16384];
  size_t used_ = 0;
};

class PayloadWriter {
 public:
  explicit PayloadWriter(serializer& out) : out_(out) {}

  void authorStamp(const std::array<std::string, 5>& fields) {
    std::string joined;
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i) joined += kAuthorStampSeparator;
      joined += fields[i];
    }
    out_.put_text(joined);
  }

  void cutPlane(const kvx_CutPlane* plane) {
    const kvx_CutPlane none = {static_cast<kvx_CutPlane::CurrentPlan>(-1), false, 0.5f, false};
    const kvx_CutPlane& p = plane ? *plane : none;
    out_.put_u8(p.inverted ? 1 : 0);
    out_.put_u32(static_cast<uint32_t>(p.plan));
    out_.put_f32(p.position);
    out_.put_u8(p.transparent ? 1 : 0);
  }

  void cutBox(const CutBox* box) {
    for (int i = 0; i < 6; ++i) out_.put_f32(box ? (*box)[i] : 0.0f);
  }

  void matrix(const Matrix4& m) {
    for (float value : m) out_.put_f32(value);
  }

  void light(const SceneLight& light) {
    out_.put_u8(static_cast<uint8_t>(light.kind));
    out_.put_u8(light.r);
    out_.put_u8(light.g);
    out_.put_u8(light.b);
    static constexpr int kStoredOrder[10] = {0, 1, 2, 3, 4, 5, 8, 9, 6, 7};
    for (int index : kStoredOrder) out_.put_f32(light.values[index]);
  }

  void texture(const SceneTexture& texture, bool dump) {
    out_.put_u16(texture.width);
    out_.put_u16(texture.height);
    const size_t size = static_cast<size_t>(texture.width) * texture.height * 4;
    // A bitmap shorter than its size (never made by this library) is padded.
    const size_t stored = std::min(size, texture.bitmap.size());
    out_.put_bytes(texture.bitmap.data(), static_cast<int32_t>(stored));
    for (size_t i = stored; i < size; ++i) out_.put_u8(0);
    out_.put_u32(static_cast<uint32_t>(texture.internalFormat));
    out_.put_u32(texture.name);
    if (dump && stored == size) dumpTextureBmp(nextTextureLogName(), texture.width, texture.height, texture.bitmap.data());
  }

  void object(const SceneObject& object) {
    attributes(object);
    out_.put_u32(static_cast<uint32_t>(object.tags.size()));
    for (uint32_t tag : object.tags) out_.put_u32(tag);
    out_.put_u32(object.textureName);
    geometry(object);
    material(object);
  }

  void view(const scene& s, const SceneView& view) {
    for (float value : view.camera) out_.put_f32(value);
    out_.put_text(view.name);
    for (float value : view.rotation) out_.put_f32(value);
    out_.put_u32(static_cast<uint32_t>(view.text.size()));
    out_.put_bytes(view.text.data(), static_cast<int32_t>(view.text.size()));
    out_.put_text(s.readPassword ? std::string_view(s.readPasswordText) : std::string_view(), 254);
    out_.put_text(s.writePassword ? std::string_view(s.writePasswordText) : std::string_view(), 254);
    out_.put_u32(static_cast<uint32_t>(s.currentView));
  }

 private:
  void attributes(const SceneObject& o) {
    uint16_t flags = 0;
    if (o.envMap) flags |= ATTR_ENV_MAP;
    if (o.repeatU) flags |= ATTR_REPEAT_U;
    if (o.repeatV) flags |= ATTR_REPEAT_V;
    if (o.polygonOffset[0] != 0 || o.polygonOffset[1] != 0) flags |= ATTR_POLYGON_OFFSET;
    if (o.smooth) flags |= ATTR_SMOOTH;
    if (o.lit) flags |= ATTR_LIT;
    if (o.lineWidth != 0) flags |= ATTR_LINES;
    if (o.pointSize != 0 || o.lineStipplePattern != 0) flags |= ATTR_POINT_OR_STIPPLE;
    if (o.blendSrc != 0) flags |= ATTR_BLEND;
    if (o.polygonStipple) flags |= ATTR_POLYGON_STIPPLE;
    out_.put_u16(flags);
    if (flags & ATTR_POLYGON_OFFSET) {
      out_.put_f32(o.polygonOffset[0]);
      out_.put_f32(o.polygonOffset[1]);
    }
    if (flags & ATTR_LINES) out_.put_f32(o.lineWidth);
    if (flags & ATTR_POINT_OR_STIPPLE) {
      if (flags & ATTR_LINES) {
        out_.put_u16(o.lineStipplePattern);
        out_.put_u8(o.lineStippleFactor);
      } else {
        out_.put_f32(o.pointSize);
      }
    }
    if (flags & ATTR_BLEND) {
      out_.put_u16(o.blendSrc);
      out_.put_u16(o.blendDst);
      out_.put_u8(o.blendByte);
    }
    if (flags & ATTR_POLYGON_STIPPLE) out_.put_bytes(o.polygonStipple->data(), 128);
  }

  // Position and normal as stored: through the object matrix when baking.
  void storedVertex(const SceneObject& o, const Vertex& v, float p[3], float n[3]) const {
    p[0] = v.x, p[1] = v.y, p[2] = v.z;
    n[0] = v.nx, n[1] = v.ny, n[2] = v.nz;
    if (!out_.bake) return;
    const Matrix4& m = o.matrix;  // column-major, as OpenGL
    for (int r = 0; r < 3; ++r) p[r] = m[r] * v.x + m[4 + r] * v.y + m[8 + r] * v.z + m[12 + r];
    const bool projective = m[3] != 0 || m[7] != 0 || m[11] != 0 || m[15] != 1;
    const float w = m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15];
    if (projective && w != 0 && w != 1)
      for (int r = 0; r < 3; ++r) p[r] /= w;
    for (int r = 0; r < 3; ++r) n[r] = m[r] * v.nx + m[4 + r] * v.ny + m[8 + r] * v.nz;
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length != 0)
      for (int r = 0; r < 3; ++r) n[r] /= length;
  }

  void normal(BlockWriter& block, const geom& g, const float n[3]) {
    uint16_t packed[3] = {0, 0, 0};
    if (!g.noRealNormals) packNormal(n[0], n[1], n[2], packed);
    for (uint16_t q : packed) block.u16(q);
  }

  void geometry(const SceneObject& o) {
    const geom& g = *o.geometry;
    const int32_t n = g.vertexCount();
    out_.put_u32(static_cast<uint32_t>(n));
    out_.put_u8(g.perVertexColor ? 1 : 0);
    out_.put_u8(static_cast<uint8_t>(g.type));
    const bool texCoords = storesTexCoords(kWrittenVersion, o.textureName);
    auto carries = [&](int32_t i) { return vertexCarriesNormal(kWrittenVersion, o.lit, o.smooth, g.type, n, i); };
    BlockWriter block(out_);
    float p[3], nv[3];
    if (out_.vertexMode == 1) {
      for (int32_t i = 0; i < n; ++i) {
        const Vertex& v = g.vertices[i];
        storedVertex(o, v, p, nv);
        for (float c : p) block.f32(c);
        if (carries(i)) normal(block, g, nv);
        if (texCoords) {
          block.f32(o.envMap ? 0.0f : v.u);
          block.f32(o.envMap ? 0.0f : v.v);
        }
      }
    } else {
      for (int axis = 0; axis < 3; ++axis)
        for (int32_t i = 0; i < n; ++i) {
          storedVertex(o, g.vertices[i], p, nv);
          block.f32(p[axis]);
        }
      for (int axis = 0; axis < 3; ++axis)
        for (int32_t i = 0; i < n; ++i) {
          if (!carries(i)) continue;
          storedVertex(o, g.vertices[i], p, nv);
          uint16_t packed[3] = {0, 0, 0};
          if (!g.noRealNormals) packNormal(nv[0], nv[1], nv[2], packed);
          block.u16(packed[axis]);
        }
      if (texCoords) {
        for (int32_t i = 0; i < n; ++i) block.f32(o.envMap ? 0.0f : g.vertices[i].u);
        for (int32_t i = 0; i < n; ++i) block.f32(o.envMap ? 0.0f : g.vertices[i].v);
      }
    }
    if (g.perVertexColor)
      for (const Vertex& v : g.vertices) {
        block.u8(v.r);
        block.u8(v.g);
        block.u8(v.b);
      }
    if (g.type == tri_indexed) {
      block.u32(static_cast<uint32_t>(g.triangleCount()));
      for (const Tri& t : g.triangleTable)
        for (int32_t index : t.i) block.u32(static_cast<uint32_t>(index));
    }
  }

  void material(const SceneObject& o) {
    for (const uint8_t* colour : {o.diffuse, o.specular, o.ambient, o.emission})
      for (int c = 0; c < 3; ++c) out_.put_u8(colour[c]);
    out_.put_f32(o.shininess);
  }

  serializer& out_;
};

}  // namespace

void scene::serialise() {
  PayloadWriter write(ser);
  write.authorStamp(authorStamp);
  ser.put_u8(ser.vertexMode == 1 ? 1 : 2);  // the vertex layout below
  write.cutPlane(cutPlane);
  write.cutBox(cutBox);
  write.matrix(matrix);
  ser.put_u32(static_cast<uint32_t>(matrices.size()));
  for (const Matrix4& m : matrices) write.matrix(m);
  ser.put_u32(static_cast<uint32_t>(lights.size()));
  for (const auto& light : lights) write.light(*light);
  for (uint8_t c : background) ser.put_u8(c);
  ser.put_u32(static_cast<uint32_t>(textures.size()));
  const bool dump = captureOption(CaptureOption::LOGTEXTURESTOBMP);
  for (const auto& [name, texture] : textures.entries()) write.texture(*texture, dump);
  ser.put_u32(sceneFlags ^ kStoredFlagsXor);
  const int32_t count = objectCount();
  ser.put_u32(static_cast<uint32_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    write.object(*objects[i]);
    if (progress) progress(static_cast<float>(i) / static_cast<float>(count + 1));
  }
  ser.put_u32(static_cast<uint32_t>(views.size()));
  for (const SceneView& view : views) write.view(*this, view);
}

}  // namespace kvx
