#pragma once
// Editing the point selection (stored as told in scene/selection_flags.h).
// Object mode walks the objects that hold a selection, one current object
// at a time.
#include "scene/scene.h"
#include "scene/selection_flags.h"

namespace kvx {

struct ObjectMode {
  bool on = false;
  int current = 0;  // index of the current object
  bool deleteOthers = false;
};

void selectAll(scene& scene);
void selectNone(scene& scene);
// Per geometry: none selected -> all, all -> none, otherwise each byte flips.
void invertSelection(scene& scene);

// In object mode, moves the current object forward to one holding a
// selection (when there is one anywhere); object mode ends when a full
// round finds none.
void advanceToSelectedObject(const scene& scene, ObjectMode& mode);
// Object mode: one object forward (+1) or back (-1), repeated until an
// object with a selection is reached when there is a selection anywhere.
void stepObject(const scene& scene, ObjectMode& mode, int direction);
// Point mode: selects only the vertex after (+1) or before (-1) the first
// selected vertex of the current object, wrapping around.
void stepPoint(scene& scene, int& currentObject, int direction);

// Point mode: removes the primitives that use a selected vertex, and the
// objects left empty. Object mode: removes the current object, or with
// deleteOthers every other object. The current index and object mode are
// brought back into range afterwards.
void deleteSelection(scene& scene, ObjectMode& mode);

}  // namespace kvx
