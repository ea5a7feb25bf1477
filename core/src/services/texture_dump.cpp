#include "services/texture_dump.h"

#include <cstdio>
#include <vector>

namespace kvx {
namespace {

void putU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}

void putU32(std::vector<uint8_t>& out, uint32_t v) {
  putU16(out, v & 0xFFFF);
  putU16(out, v >> 16);
}

}  // namespace

void dumpTextureBmp(const std::string& path, int width, int height, const uint8_t* rgba) {
  if (width < 0 || height < 0 || (!rgba && width * height > 0)) return;
  const uint32_t imageSize = static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 4;
  std::vector<uint8_t> header;
  header.push_back('B');
  header.push_back('M');
  putU32(header, imageSize + 54);
  putU32(header, 0);
  putU32(header, 54);
  putU32(header, 40);
  putU32(header, width);
  putU32(header, height);
  putU16(header, 1);
  putU16(header, 32);
  putU32(header, 0);
  putU32(header, imageSize);
  putU32(header, 10);
  putU32(header, 10);
  putU32(header, 0);
  putU32(header, 0);
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  std::fwrite(header.data(), 1, header.size(), file);
  if (imageSize) std::fwrite(rgba, 1, imageSize, file);
  std::fclose(file);
}

}  // namespace kvx
