#pragma once
// Scene points to window pixels (origin at the bottom left, depth 0..1),
// with the matrices the frame is drawn with.
#include "kvx_sdk.h"
#include "scene/scene.h"

#include <optional>

namespace kvx {

struct WindowPoint {
  double x, y, depth;
};

class WindowProjector {
 public:
  WindowProjector(const double modelView[16], const double projection[16], const int viewport[4]);

  // Loads the projection and model-view of the live view for a frame of
  // the given size (camera 0 is brought up to date first) and reads them back.
  static WindowProjector forLiveView(scene& scene, const kvx_ManipInfo& view, int width, int height,
                                     bool animating);

  std::optional<WindowPoint> project(float x, float y, float z) const;

 private:
  double modelView_[16];
  double projection_[16];
  int viewport_[4];
};

}  // namespace kvx
