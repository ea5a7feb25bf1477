// Re-projection of a capture onto its pyramid marker.
#include "geometry/gauss_jordan.h"
#include "geometry/processing.h"
#include "geometry/pyramid.h"
#include "scene/selection_flags.h"
#include "services/capture_options.h"
#include "services/debuglog.h"
#include "services/paths.h"

#include <algorithm>
#include <cmath>

namespace kvx {

namespace {

constexpr float kPlaneTolerance = 0.1f;

// Rows 0 to 2 of an affine map; the fourth row is (0, 0, 0, 1).
struct Affine {
  double m[3][4];

  Vec3 point(Vec3 p) const { return {row(0, p, 1), row(1, p, 1), row(2, p, 1)}; }
  Vec3 vector(Vec3 v) const { return {row(0, v, 0), row(1, v, 0), row(2, v, 0)}; }
  double determinant() const {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  }

 private:
  float row(int r, Vec3 p, double w) const {
    return static_cast<float>(m[r][0] * p.x + m[r][1] * p.y + m[r][2] * p.z + m[r][3] * w);
  }
};

// The map taking apex and arm ends to a corner of arms S, 1.1 S and 1.2 S
// along x, y and z whose four points average to the origin.
std::optional<Affine> markerTransform(const PyramidMarker& marker, float scale) {
  const double s = scale;
  const Vec3 from[4] = {marker.apex, marker.arms[0], marker.arms[1], marker.arms[2]};
  const double to[4][3] = {{-0.25 * s, -0.275 * s, -0.3 * s},
                           {0.75 * s, -0.275 * s, -0.3 * s},
                           {-0.25 * s, 0.825 * s, -0.3 * s},
                           {-0.25 * s, -0.275 * s, 0.9 * s}};
  // Unknown 4 r + j is element (r, j); one equation per corner and row.
  std::vector<std::vector<double>> system;
  for (int corner = 0; corner < 4; ++corner) {
    const double homogeneous[4] = {from[corner].x, from[corner].y, from[corner].z, 1};
    for (int r = 0; r < 3; ++r) {
      std::vector<double> equation(13, 0.0);
      for (int j = 0; j < 4; ++j) equation[4 * r + j] = homogeneous[j];
      equation[12] = to[corner][r];
      system.push_back(std::move(equation));
    }
  }
  std::vector<double> solution;
  if (!solveGaussJordan(system, solution)) return std::nullopt;
  Affine affine;
  for (int r = 0; r < 3; ++r)
    for (int j = 0; j < 4; ++j) affine.m[r][j] = solution[4 * r + j];
  return affine;
}

bool near(Vec3 a, Vec3 b, float t) {
  return std::fabs(a.x - b.x) < t && std::fabs(a.y - b.y) < t && std::fabs(a.z - b.z) < t;
}

// Marks every vertex that coincides with a marker vertex and sets each
// geometry's all-marked and none-marked flags.
void markMarkerVertices(scene& s, const std::vector<Vertex>& markerVertices, float tolerance) {
  for (auto& object : s.objects) {
    geom& g = *object->geometry;
    for (Vertex& v : g.vertices) {
      const Vec3 p = positionOf(v);
      v.mark = 0;
      for (const Vertex& m : markerVertices)
        if (near(p, positionOf(m), tolerance)) v.mark = 1;
    }
    updateSelectionFlags(g);
  }
}

void transformVertices(scene& s, const Affine& affine) {
  const float sigma = affine.determinant() >= 0 ? 1.0f : -1.0f;
  for (auto& object : s.objects) {
    for (Vertex& v : object->geometry->vertices) {
      const Vec3 p = affine.point(positionOf(v));
      const Vec3 n = normalized(affine.vector(normalOf(v))) * sigma;
      v.x = p.x, v.y = p.y, v.z = p.z;
      v.nx = n.x, v.ny = n.y, v.nz = n.z;
    }
  }
}

bool onPlane(Vec3 p, const std::array<float, 3>& plane) {
  if (plane[0] != 0) return std::fabs(p.x - plane[0]) <= kPlaneTolerance;
  if (plane[1] != 0) return std::fabs(p.y - plane[1]) <= kPlaneTolerance;
  if (plane[2] != 0) return std::fabs(p.z - plane[2]) <= kPlaneTolerance;
  return true;
}

size_t distinctPositions(const geom& g) {
  std::vector<Vec3> seen;
  for (const Vertex& v : g.vertices) {
    const Vec3 p = positionOf(v);
    bool known = false;
    for (Vec3 q : seen) known = known || (q.x == p.x && q.y == p.y && q.z == p.z);
    if (!known) seen.push_back(p);
  }
  return seen.size();
}

// The quad the application draws on the plane: two-sided, so eight
// vertices, four triangles and four corners.
void removePlaneQuad(scene& s, const std::array<float, 3>& plane) {
  for (int32_t k = 0; k < s.objectCount(); ++k) {
    const geom& g = *s.objects[k]->geometry;
    if (g.vertexCount() != 8 || g.triangleCount() != 4 || g.type != tri_indexed) continue;
    bool flat = true;
    for (const Vertex& v : g.vertices) flat = flat && onPlane(positionOf(v), plane);
    if (!flat || distinctPositions(g) != 4) continue;
    s.RemoveObject(k);
    return;
  }
}

}  // namespace

bool reprojectOnMarker(scene& s, const PyramidSettings& settings) {
  const auto marker = findPyramidMarker(s);
  if (!marker) return false;
  // Solved first, so that a degenerate marker leaves the scene as it was.
  const auto affine = markerTransform(*marker, settings.scale);
  if (!affine) {
    KVX_LOG(LOG_ERROR, "Retransform_using_pyramid: singular marker, scene left unchanged\n");
    return false;
  }
  const float tolerance = std::max(0.00001f * marker->shortestArm, 0.0001f);
  const std::vector<Vertex> markerVertices = s.objects[marker->object]->geometry->vertices;
  markMarkerVertices(s, markerVertices, tolerance);
  s.RemoveObject(marker->object);
  deleteMarkedVertices(s);
  transformVertices(s, *affine);
  if (settings.plane) removePlaneQuad(s, *settings.plane);
  s.updateBounds();
  return true;
}

bool Retransform_using_pyramid(scene& s) {
  if (captureOption(CaptureOption::NOPYRAMID)) return false;
  const std::string application = capturedApplicationName(paths().commandFile).value_or("Default");
  const auto folder = applicationFolder(application);
  const std::string path = folder.value_or("") + "pyra.txt";
  const auto settings = folder ? readPyramidSettings(path) : std::nullopt;
  if (!settings) {
    KVX_LOG(LOG_ERROR, "Retransform_using_pyramid: cant open %s\n", path.c_str());
    return false;
  }
  return reprojectOnMarker(s, *settings);
}

}  // namespace kvx
