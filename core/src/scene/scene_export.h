#pragma once
// The triangle copy of a scene handed to hosts (and to the DXF export).
#include "kvx_sdk.h"
#include "scene/scene.h"

namespace kvx {

// A malloc-allocated copy, released with kvx_FreeScene; null when memory runs out.
kvx_Scene* exportTriangles(const scene& source);

}  // namespace kvx
