#pragma once
// Writing RGBA frames as PNG files.
#include <cstdint>
#include <string>

namespace kvx::tool {

// `rgba` holds `height` rows of `width` pixels, the bottom row first (as
// OpenGL reads them). The alpha channel is dropped. False with `error` set
// when the file cannot be written.
bool writePng(const std::string& path, const uint8_t* rgba, int width, int height, std::string& error);

}  // namespace kvx::tool
