// The optimisation of a raw capture: normalise primitives, merge look-alike
// objects, then drop zero-length segments and weld vertices.
#include "geometry/processing.h"

namespace kvx {

namespace {

constexpr int kWeldFirstAxis = 3;  // z

void normalisePrimitives(scene& s) {
  for (auto& object : s.objects) {
    geom& g = *object->geometry;
    if (g.type == tri_list || (g.type == quads_list && object->smooth))
      toIndependentPrimitives(*object);
    else if (g.type == line_strip || g.type == line_loop)
      lineStripToLineList(g);
  }
}

}  // namespace

bool scene::Optimize() {
  normalisePrimitives(*this);
  bool ok = mergeObjects(*this);
  for (auto& object : objects) {
    geom& g = *object->geometry;
    g.RemoveZeroLengthSegments();
    if (ok && (g.type == tri_indexed || g.type == points)) ok = weldVertices(g, progress, bounds, kWeldFirstAxis);
  }
  // Line objects whose every segment had zero length are empty now.
  removeEmptyObjects(*this);
  return ok;
}

}  // namespace kvx
