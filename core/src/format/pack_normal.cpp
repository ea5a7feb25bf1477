#include "format/pack_normal.h"

#include <cmath>

namespace kvx {

void packNormal(float nx, float ny, float nz, uint16_t out[3]) {
  const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (length == 0.0f) {
    out[0] = out[1] = out[2] = 0;
    return;
  }
  const float components[3] = {nx / length, ny / length, nz / length};
  for (int i = 0; i < 3; ++i) {
    const float q = components[i] * 32767.0f + 32767.5f;
    // Not-a-number counts as below the range.
    out[i] = !(q >= 0.0f) ? 0 : q > 65535.0f ? 65535 : static_cast<uint16_t>(q);
  }
}

}  // namespace kvx
