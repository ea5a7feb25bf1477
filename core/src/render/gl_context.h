#pragma once
// Identity of the rendering context current on this thread, whichever
// implementation the host chose (GLX on a window, OSMesa off-screen).
namespace kvx {

// Null when no context is current.
void* currentGLContext();

}  // namespace kvx
