#pragma once
// The cutting plane as a plane equation, and the section lines where it
// meets the triangles of the scene.
#include "kvx_sdk.h"
#include "scene/scene.h"

#include <optional>
#include <vector>

namespace kvx {

// n . x + d >= 0 is the part that stays visible.
struct PlaneEquation {
  double n[3];
  double d;
};

// The plane of `plane` across `bounds` (xmin, xmax, ymin, ymax, zmin, zmax);
// nothing unless `plan` names an axis.
std::optional<PlaneEquation> cutPlaneEquation(const kvx_CutPlane& plane, const float bounds[6]);

// Section segments as consecutive point pairs (x, y, z each), every point
// moved a hair into the cut-away side so that the faces do not hide it.
std::vector<float> buildSection(const scene& scene, const PlaneEquation& plane, const float bounds[6]);

}  // namespace kvx
