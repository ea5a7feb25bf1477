#pragma once
// Reads one object record of the payload.
#include "format/serializer.h"
#include "scene/scene_object.h"

#include <memory>

namespace kvx {

// Reads the record at the cursor into a new object. `previous` is the
// object read before (null for the first). Nothing is returned when the
// record is malformed: a count that cannot fit in the remaining bytes, a
// vertex index out of range, an attribute reference with no previous object,
// a read past the end, or no memory.
std::unique_ptr<SceneObject> readObjectRecord(serializer& in, const SceneObject* previous);

}  // namespace kvx
