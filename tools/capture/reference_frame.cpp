#include "reference_frame.h"

#include "real_functions.h"

#include <GL/glext.h>

#include <cstdio>
#include <vector>

namespace kvx::capture {

bool saveReferenceFrame(const ContextState&, const std::string& path) {
  GLint viewport[4] = {0, 0, 0, 0}, packBuffer = 0, readBuffer = GL_BACK;
  GLint alignment = 4, rowLength = 0, skipRows = 0, skipPixels = 0;
  KVX_REAL(glGetIntegerv, GL_VIEWPORT, viewport);
  KVX_REAL(glGetIntegerv, GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
  const int width = viewport[2], height = viewport[3];
  if (packBuffer != 0 || width <= 0 || height <= 0) return false;
  KVX_REAL(glGetIntegerv, GL_READ_BUFFER, &readBuffer);
  KVX_REAL(glGetIntegerv, GL_PACK_ALIGNMENT, &alignment);
  KVX_REAL(glGetIntegerv, GL_PACK_ROW_LENGTH, &rowLength);
  KVX_REAL(glGetIntegerv, GL_PACK_SKIP_ROWS, &skipRows);
  KVX_REAL(glGetIntegerv, GL_PACK_SKIP_PIXELS, &skipPixels);
  KVX_REAL(glPixelStorei, GL_PACK_ALIGNMENT, 1);
  KVX_REAL(glPixelStorei, GL_PACK_ROW_LENGTH, 0);
  KVX_REAL(glPixelStorei, GL_PACK_SKIP_ROWS, 0);
  KVX_REAL(glPixelStorei, GL_PACK_SKIP_PIXELS, 0);
  KVX_REAL(glReadBuffer, GL_BACK);
  std::vector<unsigned char> pixels(size_t(width) * height * 3);
  KVX_REAL(glReadPixels, viewport[0], viewport[1], width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  KVX_REAL(glReadBuffer, static_cast<GLenum>(readBuffer));
  KVX_REAL(glPixelStorei, GL_PACK_ALIGNMENT, alignment);
  KVX_REAL(glPixelStorei, GL_PACK_ROW_LENGTH, rowLength);
  KVX_REAL(glPixelStorei, GL_PACK_SKIP_ROWS, skipRows);
  KVX_REAL(glPixelStorei, GL_PACK_SKIP_PIXELS, skipPixels);

  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", width, height);
  bool ok = true;
  for (int y = height - 1; y >= 0 && ok; --y)
    ok = std::fwrite(&pixels[size_t(y) * width * 3], 1, size_t(width) * 3, file) == size_t(width) * 3;
  return std::fclose(file) == 0 && ok;
}

}  // namespace kvx::capture
