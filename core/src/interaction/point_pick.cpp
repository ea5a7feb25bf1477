#include "interaction/point_pick.h"

#include <cstdlib>

namespace kvx {
namespace {

class NearestPick {
 public:
  NearestPick(const WindowProjector& projector, int x, int y) : projector_(projector), x_(x), y_(y) {}

  void consider(float px, float py, float pz) {
    const auto p = projector_.project(px, py, pz);
    if (!p || !(p->depth > 0 && p->depth <= 1)) return;
    if (std::abs(static_cast<int>(p->x) - x_) > 3 || std::abs(static_cast<int>(p->y) - y_) > 3) return;
    if (p->depth >= bestDepth_) return;
    bestDepth_ = p->depth;
    best_ = PickedPoint{{px, py, pz}, *p};
  }
  const std::optional<PickedPoint>& best() const { return best_; }

 private:
  const WindowProjector& projector_;
  int x_, y_;
  double bestDepth_ = 1e30;
  std::optional<PickedPoint> best_;
};

}  // namespace

std::optional<PickedPoint> pickPoint(const scene& scene, std::span<const float> section,
                                     const WindowProjector& projector, int x, int y) {
  NearestPick pick(projector, x, y);
  if (!section.empty()) {
    for (size_t i = 0; i + 2 < section.size(); i += 3) pick.consider(section[i], section[i + 1], section[i + 2]);
  } else {
    for (const auto& object : scene.objects)
      for (const Vertex& v : object->geometry->vertices) pick.consider(v.x, v.y, v.z);
  }
  return pick.best();
}

}  // namespace kvx
