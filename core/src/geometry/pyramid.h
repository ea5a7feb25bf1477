#pragma once
// Re-projection of a capture onto the pyramid marker: the captured
// application draws a small corner of three perpendicular arms (lengths
// 1 : 1.1 : 1.2) into its scene; finding it tells how the captured
// coordinates relate to the application's model coordinates.
#include "geometry/vec3.h"
#include "scene/scene.h"

#include <array>
#include <optional>
#include <string>

namespace kvx {

// Contents of "pyra.txt": the marker's scale and an optional plane whose
// quad (a helper drawn by the application) is removed after re-projection.
struct PyramidSettings {
  float scale = 3600.0f;
  std::optional<std::array<float, 3>> plane;  // x = a, else y = b, else z = c
};

// Lines are cut at "//". The first line with a number gives the scale when
// it holds exactly one; the next line with numbers gives the plane when it
// starts with three. Nothing when the file cannot be opened.
std::optional<PyramidSettings> readPyramidSettings(const std::string& path);

struct PyramidMarker {
  int32_t object = -1;
  Vec3 apex;
  std::array<Vec3, 3> arms;  // arm ends, shortest arm first
  float shortestArm = 0;
};

// The marker object: the last object is looked at first, then the others
// from the first.
std::optional<PyramidMarker> findPyramidMarker(const scene& s);

// Maps the marker's corners onto their targets for the given settings:
// deletes every vertex that coincides with a marker vertex, removes the
// marker, transforms every vertex and removes the plane's quad. False (and
// the scene unchanged) without a marker or when the marker is degenerate.
bool reprojectOnMarker(scene& s, const PyramidSettings& settings);

// Reads "pyra.txt" from the captured application's folder and re-projects
// the scene; skipped with the NOPYRAMID capture option. True when the scene
// was re-projected.
bool Retransform_using_pyramid(scene& s);

}  // namespace kvx
