// The search for the pyramid marker among the captured objects.
#include "geometry/pyramid.h"

#include <algorithm>
#include <cmath>

namespace kvx {

namespace {

constexpr double kRatios[5] = {1.21, 1.44, 2.21, 2.44, 2.65};
constexpr double kRatioTolerance = 0.01;

bool samePosition(Vec3 a, Vec3 b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// The first four distinct positions met walking the triangles in order.
std::optional<std::array<Vec3, 4>> fourCorners(const geom& g) {
  std::array<Vec3, 4> corners;
  int found = 0;
  for (const Tri& t : g.triangleTable) {
    for (int32_t index : t.i) {
      if (index < 0 || index >= g.vertexCount()) return std::nullopt;
      const Vec3 p = positionOf(g.vertices[index]);
      if (std::none_of(corners.begin(), corners.begin() + found, [&](Vec3 c) { return samePosition(c, p); }))
        corners[found++] = p;
      if (found == 4) return corners;
    }
  }
  return std::nullopt;
}

double squaredDistance(Vec3 a, Vec3 b) {
  const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
  return dx * dx + dy * dy + dz * dz;
}

struct Edge {
  double squared;
  int a, b;
};

// A corner whose three perpendicular arms have lengths 1 : 1.1 : 1.2.
std::optional<PyramidMarker> markerFrom(const std::array<Vec3, 4>& corners) {
  std::array<Edge, 6> edges;
  int e = 0;
  for (int a = 0; a < 4; ++a)
    for (int b = a + 1; b < 4; ++b) edges[e++] = {squaredDistance(corners[a], corners[b]), a, b};
  std::sort(edges.begin(), edges.end(), [](const Edge& x, const Edge& y) { return x.squared < y.squared; });
  const double shortest = edges[0].squared;
  if (!(shortest > 0) || !std::isfinite(edges[5].squared)) return std::nullopt;
  for (int k = 0; k < 5; ++k)
    if (std::fabs(edges[k + 1].squared / shortest - kRatios[k]) > kRatioTolerance) return std::nullopt;

  // The apex is shared by the two shortest edges; the arms end at the far
  // ends of the three shortest.
  const int apex = (edges[0].a == edges[1].a || edges[0].a == edges[1].b) ? edges[0].a : edges[0].b;
  PyramidMarker marker;
  marker.apex = corners[apex];
  for (int k = 0; k < 3; ++k) {
    if (edges[k].a != apex && edges[k].b != apex) return std::nullopt;
    marker.arms[k] = corners[edges[k].a == apex ? edges[k].b : edges[k].a];
  }
  marker.shortestArm = static_cast<float>(std::sqrt(shortest));
  return marker;
}

std::optional<PyramidMarker> markerAt(const scene& s, int32_t index) {
  const geom& g = *s.objects[index]->geometry;
  const int32_t triangles = g.triangleCount(), vertices = g.vertexCount();
  if (triangles < 2 || triangles > 6 || vertices < 4 || vertices > 12) return std::nullopt;
  const auto corners = fourCorners(g);
  if (!corners) return std::nullopt;
  auto marker = markerFrom(*corners);
  if (marker) marker->object = index;
  return marker;
}

}  // namespace

std::optional<PyramidMarker> findPyramidMarker(const scene& s) {
  const int32_t count = s.objectCount();
  if (count == 0) return std::nullopt;
  if (auto marker = markerAt(s, count - 1)) return marker;
  for (int32_t index = 0; index < count - 1; ++index)
    if (auto marker = markerAt(s, index)) return marker;
  return std::nullopt;
}

}  // namespace kvx
