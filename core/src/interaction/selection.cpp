#include "interaction/selection.h"

#include "geometry/processing.h"

#include <algorithm>

namespace kvx {

namespace {

void markAll(geom& g, bool selected) {
  for (Vertex& v : g.vertices) v.mark = selected ? 1 : 0;
  g.mark = selected ? kFlagSet : 0;
  g.boundsMark = selected ? 0 : kFlagSet;
}

}  // namespace

void selectAll(scene& scene) {
  for (auto& object : scene.objects) markAll(*object->geometry, true);
}

void selectNone(scene& scene) {
  for (auto& object : scene.objects) markAll(*object->geometry, false);
}

void invertSelection(scene& scene) {
  // Shared geometries must flip once, not once per object.
  std::vector<const geom*> done;
  for (auto& object : scene.objects) {
    geom& g = *object->geometry;
    if (std::find(done.begin(), done.end(), &g) != done.end()) continue;
    done.push_back(&g);
    // Judged from the bytes: the flags may be stale (stepping clears them).
    if (!hasSelectedPoint(g)) {
      markAll(g, true);
    } else if (fullySelected(g)) {
      markAll(g, false);
    } else {
      for (Vertex& v : g.vertices) v.mark = v.mark ? 0 : 1;
    }
  }
}

void advanceToSelectedObject(const scene& scene, ObjectMode& mode) {
  if (!mode.on) return;
  const int count = scene.objectCount();
  if (count == 0) {
    mode.on = false;
    return;
  }
  if (mode.current < 0 || mode.current >= count) mode.current = 0;
  if (!anySelected(scene)) return;
  for (int steps = 0; !hasSelectedPoint(*scene.objects[mode.current]->geometry); ++steps) {
    if (steps >= count) {
      mode.on = false;
      return;
    }
    mode.current = (mode.current + 1) % count;
  }
}

void stepObject(const scene& scene, ObjectMode& mode, int direction) {
  const int count = scene.objectCount();
  if (count == 0) {
    mode.on = false;
    return;
  }
  const bool selection = anySelected(scene);
  for (int moves = 1; moves <= count; ++moves) {
    mode.current = ((mode.current + direction) % count + count) % count;
    if (!selection || hasSelectedPoint(*scene.objects[mode.current]->geometry)) return;
  }
  mode.on = false;
}

void stepPoint(scene& scene, int& currentObject, int direction) {
  if (scene.objects.empty()) return;
  if (currentObject < 0 || currentObject >= scene.objectCount()) currentObject = 0;
  geom& g = *scene.objects[currentObject]->geometry;
  const int count = g.vertexCount();
  if (count == 0) return;
  auto first = std::find_if(g.vertices.begin(), g.vertices.end(), [](const Vertex& v) { return v.mark; });
  int next;
  if (first == g.vertices.end()) {
    next = 0;  // nothing selected: both directions start at the first vertex
  } else {
    const int i = std::min(int(first - g.vertices.begin()), count - 1);
    next = direction > 0 ? (i + 1 == count ? 0 : i + 1) : (i == 0 ? count - 1 : i - 1);
  }
  for (Vertex& v : g.vertices) v.mark = 0;
  g.vertices[next].mark = 1;
  g.mark = 0;
  g.boundsMark = 0;
}

void deleteSelection(scene& scene, ObjectMode& mode) {
  if (!mode.on) {
    deleteMarkedVertices(scene);
  } else if (mode.current >= 0 && mode.current < scene.objectCount()) {
    if (mode.deleteOthers) {
      // One by one, so that each removed object gives back its texture.
      for (int i = scene.objectCount() - 1; i > mode.current; --i) scene.RemoveObject(i);
      for (int i = mode.current - 1; i >= 0; --i) scene.RemoveObject(i);
      mode.current = 0;
    } else {
      scene.RemoveObject(mode.current);
    }
  }
  if (mode.current >= scene.objectCount()) mode.current = 0;
  if (scene.objects.empty()) mode.on = false;
}

}  // namespace kvx
