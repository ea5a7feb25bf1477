#pragma once
// Models of any size written by tests: a flat grid of `cells` x `cells`
// squares (two triangles each) as ASCII PLY or as glTF with its buffer
// embedded, so that tests need no stored files.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kvx::test {

inline std::string base64Of(const std::string& bytes) {
  static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = uint32_t(uint8_t(bytes[i])) << 16;
    if (i + 1 < bytes.size()) group |= uint32_t(uint8_t(bytes[i + 1])) << 8;
    if (i + 2 < bytes.size()) group |= uint8_t(bytes[i + 2]);
    const size_t present = bytes.size() - i;
    text += digits[(group >> 18) & 63];
    text += digits[(group >> 12) & 63];
    text += present > 1 ? digits[(group >> 6) & 63] : '=';
    text += present > 2 ? digits[group & 63] : '=';
  }
  return text;
}

struct Grid {
  std::vector<float> positions;   // x, y, z per vertex
  std::vector<uint32_t> indices;  // three per triangle
  size_t triangles() const { return indices.size() / 3; }
};

inline Grid gridOf(int cells) {
  Grid grid;
  for (int y = 0; y <= cells; ++y)
    for (int x = 0; x <= cells; ++x)
      grid.positions.insert(grid.positions.end(), {float(x) / float(cells), float(y) / float(cells), 0.0f});
  const auto at = [&](int x, int y) { return uint32_t(y * (cells + 1) + x); };
  for (int y = 0; y < cells; ++y)
    for (int x = 0; x < cells; ++x)
      grid.indices.insert(grid.indices.end(),
                          {at(x, y), at(x + 1, y), at(x + 1, y + 1), at(x, y), at(x + 1, y + 1), at(x, y + 1)});
  return grid;
}

inline std::filesystem::path writeGridPly(const std::filesystem::path& path, int cells) {
  const Grid grid = gridOf(cells);
  std::ofstream out(path);
  out << "ply\nformat ascii 1.0\nelement vertex " << grid.positions.size() / 3
      << "\nproperty float x\nproperty float y\nproperty float z\nelement face " << grid.triangles()
      << "\nproperty list uchar int vertex_indices\nend_header\n";
  for (size_t i = 0; i < grid.positions.size(); i += 3)
    out << grid.positions[i] << ' ' << grid.positions[i + 1] << ' ' << grid.positions[i + 2] << '\n';
  for (size_t i = 0; i < grid.indices.size(); i += 3)
    out << "3 " << grid.indices[i] << ' ' << grid.indices[i + 1] << ' ' << grid.indices[i + 2] << '\n';
  return path;
}

inline std::filesystem::path writeGridGltf(const std::filesystem::path& path, int cells) {
  const Grid grid = gridOf(cells);
  const size_t positionBytes = grid.positions.size() * sizeof(float);
  const size_t indexBytes = grid.indices.size() * sizeof(uint32_t);
  std::string buffer(positionBytes + indexBytes, '\0');
  std::memcpy(buffer.data(), grid.positions.data(), positionBytes);
  std::memcpy(buffer.data() + positionBytes, grid.indices.data(), indexBytes);
  std::ostringstream json;
  json << R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],)"
       << R"("meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1}]}],)"
       << R"("buffers":[{"byteLength":)" << buffer.size()
       << R"(,"uri":"data:application/octet-stream;base64,)" << base64Of(buffer) << R"("}],)"
       << R"("bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":)" << positionBytes
       << R"(},{"buffer":0,"byteOffset":)" << positionBytes << R"(,"byteLength":)" << indexBytes << "}],"
       << R"("accessors":[{"bufferView":0,"componentType":5126,"count":)" << grid.positions.size() / 3
       << R"(,"type":"VEC3","min":[0,0,0],"max":[1,1,0]},)"
       << R"({"bufferView":1,"componentType":5125,"count":)" << grid.indices.size() << R"(,"type":"SCALAR"}]})";
  std::ofstream(path) << json.str();
  return path;
}

}  // namespace kvx::test
