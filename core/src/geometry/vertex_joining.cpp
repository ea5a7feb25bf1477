// Joining of identical vertex records and smooth normals that keep creases,
// for imported triangle meshes: one hashed pass over the corners, so that
// million-triangle models take a fraction of a second.
#include "geometry/processing.h"
#include "geometry/vec3.h"
#include "services/huge_pages.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>
#include <vector>

namespace kvx {
namespace {

uint64_t mixWords(const uint32_t* words, size_t count) {
  uint64_t h = 0x84222325CBF29CE4ull;
  for (size_t i = 0; i < count; ++i) h = (h ^ words[i]) * 0x100000001B3ull;
  return h ^ (h >> 29);
}

size_t tableSizeFor(size_t expected) {
  size_t size = 16;
  while (size < 2 * expected) size *= 2;
  return size;
}

uint64_t recordHash(const Vertex& v) {
  uint32_t words[sizeof(Vertex) / 4];
  std::memcpy(words, &v, sizeof words);
  return mixWords(words, std::size(words));
}

// Open addressing from a vertex record to its index in `kept`; at most half
// full, growing when splits add records.
class RecordTable {
 public:
  explicit RecordTable(size_t expected) : slots_(tableSizeFor(expected), -1) {}

  int32_t findOrAppend(const Vertex& v, std::vector<Vertex>& kept) {
    const size_t mask = slots_.size() - 1;
    for (size_t s = recordHash(v) & mask;; s = (s + 1) & mask) {
      if (slots_[s] < 0) {
        slots_[s] = static_cast<int32_t>(kept.size());
        kept.push_back(v);
        if (2 * kept.size() > slots_.size()) grow(kept);
        return static_cast<int32_t>(kept.size() - 1);
      }
      if (std::memcmp(&kept[slots_[s]], &v, sizeof(Vertex)) == 0) return slots_[s];
    }
  }

 private:
  void grow(const std::vector<Vertex>& kept) {
    slots_.assign(2 * slots_.size(), -1);
    const size_t mask = slots_.size() - 1;
    for (size_t k = 0; k < kept.size(); ++k) {
      size_t s = recordHash(kept[k]) & mask;
      while (slots_[s] >= 0) s = (s + 1) & mask;
      slots_[s] = static_cast<int32_t>(k);
    }
  }

  std::vector<int32_t> slots_;
};

// +0 for -0, so that both signs of zero meet at one position.
Vec3 positionKey(const Vertex& v) { return {v.x + 0.0f, v.y + 0.0f, v.z + 0.0f}; }

// Vertices grouped by position: group[v] numbers the distinct positions.
std::vector<int32_t> positionGroups(const std::vector<Vertex>& vertices, int32_t& groupCount) {
  const size_t n = vertices.size();
  std::vector<int32_t> group(n);
  std::vector<int32_t> slots(tableSizeFor(n), -1);  // first vertex of each position
  const size_t mask = slots.size() - 1;
  groupCount = 0;
  for (size_t v = 0; v < n; ++v) {
    const Vec3 key = positionKey(vertices[v]);
    uint32_t words[3];
    std::memcpy(words, &key, sizeof words);
    for (size_t s = mixWords(words, 3) & mask;; s = (s + 1) & mask) {
      if (slots[s] < 0) {
        slots[s] = static_cast<int32_t>(v);
        group[v] = groupCount++;
        break;
      }
      const Vec3 other = positionKey(vertices[slots[s]]);
      if (std::memcmp(&other, &key, sizeof key) == 0) {
        group[v] = group[slots[s]];
        break;
      }
    }
  }
  return group;
}

Vec3 faceNormal(const std::vector<Vertex>& vertices, const Tri& t) {
  const Vec3 a = positionOf(vertices[t.i[0]]);
  return normalized(cross(positionOf(vertices[t.i[1]]) - a, positionOf(vertices[t.i[2]]) - a));
}

// Per corner: the sum of the normals of the faces around its position that
// meet its own face at no more than the crease angle. A face without a
// normal of its own (no area) takes all faces around.
class CreaseNormals {
 public:
  CreaseNormals(const geom& g, float creaseAngleDegrees)
      : cosLimit_(std::cos(creaseAngleDegrees * std::numbers::pi_v<float> / 180)) {
    const auto& vertices = g.vertices;
    int32_t groups = 0;
    group_ = positionGroups(vertices, groups);
    faceNormals_.reserve(g.triangleTable.size());
    for (const Tri& t : g.triangleTable) faceNormals_.push_back(faceNormal(vertices, t));
    // Faces around each position, in face order (start_[p] .. start_[p + 1]).
    start_.assign(size_t(groups) + 1, 0);
    for (const Tri& t : g.triangleTable)
      for (int32_t v : t.i) ++start_[group_[v] + 1];
    for (int32_t p = 0; p < groups; ++p) start_[p + 1] += start_[p];
    faces_.resize(start_[groups]);
    std::vector<int32_t> fill(start_.begin(), start_.end() - 1);
    for (size_t f = 0; f < g.triangleTable.size(); ++f)
      for (int32_t v : g.triangleTable[f].i) faces_[fill[group_[v]]++] = static_cast<int32_t>(f);
  }

  Vec3 at(size_t face, int32_t vertex) const {
    const Vec3 own = faceNormals_[face];
    const bool flat = isZero(own);
    const int32_t p = group_[vertex];
    Vec3 sum;
    for (int32_t k = start_[p]; k < start_[p + 1]; ++k) {
      const Vec3 other = faceNormals_[faces_[k]];
      if (flat || dot(own, other) >= cosLimit_) sum = sum + other;
    }
    return normalized(sum);
  }

 private:
  float cosLimit_;
  std::vector<int32_t> group_;
  std::vector<Vec3> faceNormals_;
  std::vector<int32_t> start_;
  std::vector<int32_t> faces_;
};

}  // namespace

void joinVertices(geom& g, const float* creaseAngleDegrees) {
  if (g.type != tri_indexed || g.triangleTable.empty()) return;
  const int32_t n = g.vertexCount();
  for (const Tri& t : g.triangleTable)
    for (int32_t v : t.i)
      if (v < 0 || v >= n) return;  // not a table this pass can follow
  std::optional<CreaseNormals> normals;
  if (creaseAngleDegrees) normals.emplace(g, *creaseAngleDegrees);
  std::vector<Vertex> kept;
  reserveToFill(kept, std::min<size_t>(g.vertices.size(), 3 * g.triangleTable.size()));
  RecordTable table(kept.capacity());
  for (size_t f = 0; f < g.triangleTable.size(); ++f) {
    Tri& t = g.triangleTable[f];
    for (int32_t& index : t.i) {
      Vertex v = g.vertices[index];
      if (normals) {
        const Vec3 normal = normals->at(f, index);
        v.nx = normal.x;
        v.ny = normal.y;
        v.nz = normal.z;
      }
      index = table.findOrAppend(v, kept);
    }
  }
  normals.reset();
  kept.shrink_to_fit();
  g.vertices.swap(kept);
}

}  // namespace kvx
