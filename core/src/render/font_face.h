#pragma once
// Font faces found through fontconfig and opened with FreeType.
#include <ft2build.h>
#include FT_FREETYPE_H

namespace kvx {

// Opens the best match for a family name ("Arial", "monospace"); null when
// no font can be had. The caller closes it with FT_Done_Face.
FT_Face openFontFace(const char* family);

}  // namespace kvx
