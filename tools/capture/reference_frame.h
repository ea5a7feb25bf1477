#pragma once
// The program's own picture of the captured frame, read back before its
// swap, for comparing the capture with what the program drew.
#include "gl_state.h"

#include <string>

namespace kvx::capture {

// Writes the back buffer over the current viewport as a binary PPM (top row
// first). The program's pixel-pack state is left as it was.
bool saveReferenceFrame(const ContextState& s, const std::string& path);

}  // namespace kvx::capture
