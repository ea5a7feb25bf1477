#include "interaction/cut_section.h"

#include <cmath>

namespace kvx {

std::optional<PlaneEquation> cutPlaneEquation(const kvx_CutPlane& plane, const float bounds[6]) {
  if (plane.plan < kvx_CutPlane::X_PLAN || plane.plan > kvx_CutPlane::Z_PLAN) return std::nullopt;
  const int axis = plane.plan - 1;
  double point[3];
  for (int i = 0; i < 3; ++i) point[i] = (double(bounds[2 * i]) + bounds[2 * i + 1]) / 2;
  const double min = bounds[2 * axis], max = bounds[2 * axis + 1];
  point[axis] = min + (double(plane.position) + 0.000001) * (max - min);
  PlaneEquation e = {{0, 0, 0}, 0};
  e.n[axis] = plane.inverted ? 1 : -1;
  e.d = -(e.n[0] * point[0] + e.n[1] * point[1] + e.n[2] * point[2]);
  return e;
}

namespace {

struct Point {
  double x, y, z;
};

double signedDistance(const PlaneEquation& e, const Point& p) { return e.n[0] * p.x + e.n[1] * p.y + e.n[2] * p.z + e.d; }

// Where the edge p -> q crosses the plane, strictly between its ends.
std::optional<Point> edgeCrossing(const PlaneEquation& e, const Point& p, const Point& q) {
  const Point pq = {q.x - p.x, q.y - p.y, q.z - p.z};
  const double denominator = e.n[0] * pq.x + e.n[1] * pq.y + e.n[2] * pq.z;
  if (denominator * denominator < 1e-8) return std::nullopt;
  const double t = -signedDistance(e, p) / denominator;
  if (!(t > 1e-8 && t < 0.99999999)) return std::nullopt;
  return Point{p.x + t * pq.x, p.y + t * pq.y, p.z + t * pq.z};
}

}  // namespace

std::vector<float> buildSection(const scene& scene, const PlaneEquation& plane, const float bounds[6]) {
  const double dx = bounds[1] - bounds[0], dy = bounds[3] - bounds[2], dz = bounds[5] - bounds[4];
  const double shift = -0.0001 * std::sqrt(dx * dx + dy * dy + dz * dz);
  std::vector<float> section;
  for (const auto& object : scene.objects) {
    const geom& g = *object->geometry;
    const int32_t n = g.vertexCount();
    for (const Tri& t : g.triangleTable) {
      Point corners[3];
      bool valid = true;
      for (int k = 0; k < 3; ++k) {
        if (t.i[k] < 0 || t.i[k] >= n) valid = false;
        if (!valid) break;
        const Vertex& v = g.vertices[t.i[k]];
        corners[k] = {v.x, v.y, v.z};
      }
      if (!valid) continue;
      Point hits[3];
      int count = 0;
      for (int k = 0; k < 3; ++k)
        if (auto hit = edgeCrossing(plane, corners[k], corners[(k + 1) % 3])) hits[count++] = *hit;
      if (count != 2) continue;
      if (section.size() == section.capacity()) section.reserve(section.size() + 2000 * 3);
      for (int k = 0; k < 2; ++k) {
        section.push_back(float(hits[k].x + plane.n[0] * shift));
        section.push_back(float(hits[k].y + plane.n[1] * shift));
        section.push_back(float(hits[k].z + plane.n[2] * shift));
      }
    }
  }
  return section;
}

}  // namespace kvx
