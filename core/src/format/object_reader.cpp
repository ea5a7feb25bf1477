#include "format/object_reader.h"

#include "format/pack_normal.h"
#include "format/payload_layout.h"
#include "services/capture_options.h"
#include "services/debuglog.h"
#include "services/huge_pages.h"

#include <cmath>
#include <new>

namespace kvx {
namespace {

// Attributes in the layout of versions before 40.
void readOldAttributes(serializer& in, SceneObject& o) {
  const uint8_t version = in.version;
  if (version <= 27) in.getdataptr(16 * 4);  // an old matrix, ignored
  uint8_t byte = 1;
  if (version >= 36) {
    in.get_u8(byte);
    o.smooth = byte != 0;
    byte = 1;
    in.get_u8(byte);
    o.lit = byte != 0;
  }
  if (version >= 39) in.get_f32(o.pointSize);
  if (version >= 38) {
    in.get_f32(o.lineWidth);
    in.get_u16(o.lineStipplePattern);
    in.get_u8(o.lineStippleFactor);
  }
}

void readAttributeWord(serializer& in, uint16_t flags, SceneObject& o) {
  o.envMap = flags & ATTR_ENV_MAP;
  o.repeatU = flags & ATTR_REPEAT_U;
  o.repeatV = flags & ATTR_REPEAT_V;
  o.smooth = flags & ATTR_SMOOTH;
  o.lit = flags & ATTR_LIT;
  if ((flags & ATTR_POLYGON_OFFSET) && in.version >= 43) {
    in.get_f32(o.polygonOffset[0]);
    in.get_f32(o.polygonOffset[1]);
  }
  if (flags & ATTR_LINES) in.get_f32(o.lineWidth);
  if (flags & ATTR_POINT_OR_STIPPLE) {
    if (flags & ATTR_LINES) {
      in.get_u16(o.lineStipplePattern);
      in.get_u8(o.lineStippleFactor);
    } else {
      in.get_f32(o.pointSize);
    }
  }
  if (flags & ATTR_BLEND) {
    in.get_u16(o.blendSrc);
    in.get_u16(o.blendDst);
    in.get_u8(o.blendByte);
  }
  if (flags & ATTR_POLYGON_STIPPLE) {
    if (const uint8_t* pattern = in.getdataptr(128)) {
      o.polygonStipple.emplace();
      std::copy(pattern, pattern + 128, o.polygonStipple->begin());
    }
  }
}

// Applies the NORMALIZENORMALS rule to a normal read from the file.
void settleNormal(Vertex& v, bool normalize) {
  const bool zero = v.nx == 0 && v.ny == 0 && v.nz == 0;
  if (!normalize) {
    if (zero) v.nx = -1;
    return;
  }
  if (zero) v.nx = v.ny = v.nz = -1;
  const float length = std::sqrt(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz);
  if (length > 0 && std::isfinite(length)) {
    v.nx /= length;
    v.ny /= length;
    v.nz /= length;
  }
}

class GeometryReader {
 public:
  GeometryReader(serializer& in, SceneObject& o) : in_(in), o_(o), g_(*o.geometry) {}

  bool read() {
    uint32_t count = 0;
    in_.get_u32(count);
    if (in_.version >= 35) {
      uint8_t colours = 0;
      in_.get_u8(colours);
      g_.perVertexColor = colours != 0;
    }
    uint8_t type = 0;
    if (in_.version >= 36) in_.get_u8(type);
    g_.type = type;
    // Every vertex stores at least its three coordinates.
    if (!in_.intact() || count > static_cast<uint32_t>(in_.remaining()) / 12) return fail("vertex count", count);
    n_ = static_cast<int32_t>(count);
    reserveToFill(g_.vertices, count);
    g_.vertices.resize(n_);
    texCoords_ = storesTexCoords(in_.version, o_.textureName);
    normals_ = in_.version >= 31 ? 6 : 12;
    if (in_.readVertexMode == 1)
      readInterleaved();
    else
      readByComponent();
    if (!in_.intact()) return false;
    completeNormals();
    if (g_.perVertexColor) {
      const uint8_t* rgb = in_.getdataptr(n_ * 3);
      if (!rgb) return false;
      for (Vertex& v : g_.vertices) {
        v.r = *rgb++;
        v.g = *rgb++;
        v.b = *rgb++;
      }
    }
    if (in_.version < 36) {
      in_.get_u8(type);
      g_.type = type;
    }
    if (g_.type == quad_strip && n_ % 2 == 1) g_.vertices.pop_back();
    if (!(g_.type == tri_indexed ? readTriangles() : g_.rebuildTriangleTable())) return false;
    return trianglesFitVertices();
  }

 private:
  bool fail(const char* what, uint32_t value) {
    KVX_LOG(LOG_ERROR, "scene::deserialise: %s %u does not fit in the %d bytes left\n", what, value, in_.remaining());
    return false;
  }

  bool carries(int32_t i) const {
    return vertexCarriesNormal(in_.version, o_.lit, o_.smooth, g_.type, n_, i);
  }

  float normalComponent() {
    if (normals_ == 12) {
      float f = 0;
      in_.get_f32(f);
      return f;
    }
    uint16_t q = 32767;
    in_.get_u16(q);
    return unpackNormalComponent(q);
  }

  float normalComponentAt(const uint8_t* p) const {
    return normals_ == 12 ? serializer::load_f32(p) : unpackNormalComponent(serializer::load_u16(p));
  }

  // One bounds check per vertex: its whole record is taken at once.
  void readInterleaved() {
    const int32_t plain = 12 + (texCoords_ ? 8 : 0);
    const int32_t component = normals_ / 3;
    for (int32_t i = 0; i < n_; ++i) {
      const bool normal = carries(i);
      const uint8_t* p = in_.getdataptr(plain + (normal ? normals_ : 0));
      if (!p) return;
      Vertex& v = g_.vertices[i];
      v.x = serializer::load_f32(p);
      v.y = serializer::load_f32(p + 4);
      v.z = serializer::load_f32(p + 8);
      p += 12;
      if (normal) {
        v.nx = normalComponentAt(p);
        v.ny = normalComponentAt(p + component);
        v.nz = normalComponentAt(p + 2 * component);
        p += normals_;
      }
      if (texCoords_) {
        v.u = serializer::load_f32(p);
        v.v = serializer::load_f32(p + 4);
      }
    }
  }

  void readByComponent() {
    for (float Vertex::*axis : {&Vertex::x, &Vertex::y, &Vertex::z})
      for (Vertex& v : g_.vertices) in_.get_f32(v.*axis);
    for (float Vertex::*axis : {&Vertex::nx, &Vertex::ny, &Vertex::nz})
      for (int32_t i = 0; i < n_ && in_.intact(); ++i)
        if (carries(i)) g_.vertices[i].*axis = normalComponent();
    if (!texCoords_) return;
    for (float Vertex::*axis : {&Vertex::u, &Vertex::v})
      for (Vertex& v : g_.vertices) in_.get_f32(v.*axis);
  }

  // Settles the stored normals; a lit vertex without one takes its predecessor's.
  void completeNormals() {
    if (!o_.lit) return;
    const bool normalize = captureOption(CaptureOption::NORMALIZENORMALS);
    for (int32_t i = 0; i < n_; ++i) {
      Vertex& v = g_.vertices[i];
      if (carries(i)) {
        settleNormal(v, normalize);
      } else if (i > 0) {
        v.nx = g_.vertices[i - 1].nx;
        v.ny = g_.vertices[i - 1].ny;
        v.nz = g_.vertices[i - 1].nz;
      }
    }
  }

  bool readTriangles() {
    uint32_t count = 0;
    if (!in_.get_u32(count)) return false;
    if (count > static_cast<uint32_t>(in_.remaining()) / 12) return fail("triangle count", count);
    const uint8_t* bytes = in_.getdataptr(static_cast<int32_t>(count) * 12);
    reserveToFill(g_.triangleTable, count);
    g_.triangleTable.resize(count);
    for (Tri& t : g_.triangleTable) {
      for (int32_t& index : t.i) {
        index = static_cast<int32_t>(uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) |
                                     (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[3]) << 24));
        bytes += 4;
      }
    }
    return true;
  }

  // Every consumer follows the table into the vertex array, so a table
  // naming vertices the geometry lacks marks a corrupt file.
  bool trianglesFitVertices() {
    const uint32_t limit = static_cast<uint32_t>(g_.vertexCount());
    for (const Tri& t : g_.triangleTable)
      for (int32_t index : t.i)
        if (static_cast<uint32_t>(index) >= limit) {
          KVX_LOG(LOG_ERROR, "scene::deserialise: vertex index %d of %u vertices\n", index, limit);
          return false;
        }
    return true;
  }

  serializer& in_;
  SceneObject& o_;
  geom& g_;
  int32_t n_ = 0;
  bool texCoords_ = false;
  int normals_ = 6;  // bytes per stored normal
};

void readMaterial(serializer& in, SceneObject& o) {
  const uint8_t version = in.version;
  for (uint8_t& c : o.diffuse) in.get_u8(c);
  for (uint8_t& c : o.specular) in.get_u8(c);
  if (version >= 22) {
    for (uint8_t& c : o.ambient) in.get_u8(c);
  } else {
    o.ambient[0] = o.ambient[1] = o.ambient[2] = 120;
  }
  if (version >= 26) {
    for (uint8_t& c : o.emission) in.get_u8(c);
    in.get_f32(o.shininess);
  } else {
    o.shininess = 60.0f;
  }
  uint8_t byte = 0;
  if (version >= 23 && version <= 26 && in.get_u8(byte)) o.clockwise = byte != 0;
  if (version >= 28 && version <= 35 && in.get_u8(byte)) o.smooth = byte != 0;
}

}  // namespace

std::unique_ptr<SceneObject> readObjectRecord(serializer& in, const SceneObject* previous) {
  try {
    auto object = std::make_unique<SceneObject>();
    SceneObject& o = *object;
    bool fromPrevious = false;
    if (in.version >= 40) {
      uint16_t flags = 0;
      in.get_u16(flags);
      fromPrevious = flags & ATTR_FROM_PREVIOUS;
      if (fromPrevious) {
        if (!previous) {
          KVX_LOG(LOG_ERROR, "scene::deserialise: first object takes the attributes of no object\n");
          return nullptr;
        }
        o = *previous;
        o.geometry = std::make_shared<geom>();
      } else {
        readAttributeWord(in, flags, o);
      }
    } else {
      readOldAttributes(in, o);
    }
    if (!fromPrevious) {
      uint32_t tagCount = 0;
      in.get_u32(tagCount);
      if (tagCount > static_cast<uint32_t>(in.remaining()) / 4) {
        KVX_LOG(LOG_ERROR, "scene::deserialise: tag count %u does not fit\n", tagCount);
        return nullptr;
      }
      o.tags.resize(tagCount);
      for (uint32_t& tag : o.tags) in.get_u32(tag);
      in.get_u32(o.textureName);
    }
    if (!in.intact() || !GeometryReader(in, o).read()) return nullptr;
    if (!fromPrevious) readMaterial(in, o);
    return in.intact() ? std::move(object) : nullptr;
  } catch (const std::bad_alloc&) {
    KVX_LOG(LOG_ERROR, "scene::deserialise: out of memory\n");
    return nullptr;
  }
}

}  // namespace kvx
