// Bitmap glyphs of a monospaced system face as glBitmap display lists.
#include "render/font_face.h"
#include "render/text_labels.h"

#include <GL/gl.h>

#include <vector>

namespace kvx {
namespace {

constexpr int kPixelHeight = 13;

// One glyph as a bottom-up, MSB-first bitmap.
void compileGlyph(const FT_GlyphSlot slot) {
  const FT_Bitmap& bm = slot->bitmap;
  const int width = static_cast<int>(bm.width), rows = static_cast<int>(bm.rows);
  const int stride = (width + 7) / 8;
  std::vector<GLubyte> bits(static_cast<size_t>(stride) * (rows > 0 ? rows : 1), 0);
  for (int y = 0; y < rows; ++y) {
    const unsigned char* src = bm.buffer + y * bm.pitch;
    GLubyte* dst = bits.data() + (rows - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const bool on = bm.pixel_mode == FT_PIXEL_MODE_MONO ? (src[x / 8] >> (7 - x % 8)) & 1 : src[x] >= 128;
      if (on) dst[x / 8] |= GLubyte(0x80 >> (x % 8));
    }
  }
  glBitmap(width, rows, float(-slot->bitmap_left), float(rows - slot->bitmap_top),
           float(slot->advance.x) / 64, 0, bits.data());
}

}  // namespace

bool buildBitmapFont(FontLists& font) {
  font.attempted = true;
  FT_Face face = openFontFace("monospace");
  if (!face) return false;
  bool ok = FT_Set_Pixel_Sizes(face, 0, kPixelHeight) == 0;
  const GLuint base = ok ? glGenLists(256) : 0;
  if (base) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int code = 0; code < 256; ++code) {
      glNewList(base + code, GL_COMPILE);
      if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0) compileGlyph(face->glyph);
      glEndList();
    }
  }
  FT_Done_Face(face);
  if (!base || glGetError() != GL_NO_ERROR) {
    if (base) glDeleteLists(base, 256);
    return false;
  }
  font.base = base;
  return true;
}

void deleteFont(FontLists& font) {
  if (font.base) glDeleteLists(font.base, 256);
  font = {};
}

}  // namespace kvx
