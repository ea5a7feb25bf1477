#include "interaction/predefined_views.h"

#include <bit>

namespace kvx {
namespace {

// 0x3F3504E6: the single-precision value the tables are stored with.
const float kHalfRoot2 = std::bit_cast<float>(0x3F3504E6u);
const float h = kHalfRoot2;

const Quat kYUp[6] = {
    {-0.5f, 0.5f, 0.5f, -0.5f}, {-0.5f, -0.5f, -0.5f, -0.5f}, {h, 0, 0, h},
    {0, h, h, 0},               {0, 0, 0, -1},                {-1, 0, 0, 0},
};
const Quat kZUp[6] = {
    {0, -h, 0, h}, {0, h, 0, h}, {0, 0, 0, 1}, {0, 1, 0, 0}, {-h, 0, 0, h}, {h, 0, 0, h},
};

}  // namespace

std::optional<Quat> predefinedOrientation(int view, bool zUp) {
  if (view < 0 || view > 5) return std::nullopt;
  return zUp ? kZUp[view] : kYUp[view];
}

bool isAxisOrientation(const Quat& q, bool zUp) {
  for (const Quat& axis : zUp ? kZUp : kYUp)
    if (sameOrientation(q, axis, 0.000001f)) return true;
  return false;
}

Quat fittedOrientation(bool zUp) {
  return zUp ? eulerToQuat(180, 135, 157.5f) : eulerToQuat(45, 0, 67.5f);
}

}  // namespace kvx
