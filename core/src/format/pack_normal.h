#pragma once
// Normals stored as three u16: each component of the unit vector maps
// [-1, 1] onto [0, 65534].
#include <cstdint>

namespace kvx {

// A zero vector packs as 0, 0, 0.
void packNormal(float nx, float ny, float nz, uint16_t out[3]);

inline float unpackNormalComponent(uint16_t q) { return (static_cast<float>(q) - 32767.0f) / 32767.0f; }

}  // namespace kvx
