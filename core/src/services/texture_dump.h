#pragma once
// Writes an RGBA texture as a 32-bit BMP file with the pixel bytes exactly as
// stored, for inspecting captured textures. A file that cannot be created is
// skipped silently.
#include <cstdint>
#include <string>

namespace kvx {

void dumpTextureBmp(const std::string& path, int width, int height, const uint8_t* rgba);

}  // namespace kvx
