#pragma once
// Export of every triangle as a 3DFACE entity of a minimal DXF file.
#include "kvx_sdk.h"

#include <string>

namespace kvx {

// Writes through a temporary file beside the target, renamed over it only
// when everything was written, so a failed export never loses the old file.
bool writeDxf(const kvx_Scene& triangles, const std::string& path);

}  // namespace kvx
