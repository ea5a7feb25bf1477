#pragma once
// Layout rules of the payload shared by its reader and writer.
#include "scene/geom.h"

#include <cstdint>

namespace kvx {

inline constexpr uint8_t kWrittenVersion = 43;
inline constexpr uint8_t kOldestVersion = 13;

// Attribute word of an object record (from version 40).
enum AttributeBit : uint16_t {
  ATTR_FROM_PREVIOUS = 0x0001,  // attributes, tags, texture and material of the previous object
  ATTR_ENV_MAP = 0x0800,
  ATTR_REPEAT_U = 0x0400,
  ATTR_REPEAT_V = 0x0200,
  ATTR_POLYGON_OFFSET = 0x0100,  // two f32 follow in version 43 files
  ATTR_SMOOTH = 0x0080,
  ATTR_LIT = 0x0040,
  ATTR_LINES = 0x0020,            // f32 line width
  ATTR_POINT_OR_STIPPLE = 0x0010, // f32 point size, or with ATTR_LINES u16 + u8 stipple
  ATTR_BLEND = 0x0008,            // u16 source, u16 destination, u8 blend byte
  ATTR_POLYGON_STIPPLE = 0x0004,  // 128 bytes
};

// The scene stores bit 11 of sceneFlags inverted.
inline constexpr uint32_t kStoredFlagsXor = 0x800;

// Separator of the five author-stamp fields.
inline constexpr char kAuthorStampSeparator = 0x05;

// Whether vertex i of a geometry stores a normal. Flat-shaded objects of
// version 36 and later keep one normal per face.
inline bool vertexCarriesNormal(uint8_t version, bool lit, bool smooth, int32_t type, int32_t count,
                                int32_t i) {
  if (!lit) return false;
  if (version < 36 || smooth) return true;
  if (!((count > 4 && type != polygon) || i == 0)) return false;
  if (type == tri_list && i % 3 != 0) return false;
  if (type == quads_list && i % 4 != 0) return false;
  return true;
}

// Texture coordinates are stored for textured objects (always before version 30).
inline bool storesTexCoords(uint8_t version, uint32_t textureName) {
  return version < 30 || textureName != 0;
}

}  // namespace kvx
