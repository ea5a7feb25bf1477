// Removal of the objects another scene brings again: a merged file replaces
// the objects it repeats. Candidates are found through a hash of their
// counts, type and material instead of comparing every pair.
#include "geometry/processing.h"

#include <unordered_map>
#include <vector>

namespace kvx {

namespace {

size_t candidateKey(const SceneObject& o) {
  const geom& g = *o.geometry;
  size_t key = materialHash(o);
  for (size_t value : {size_t(g.vertexCount()), size_t(g.triangleCount()), size_t(uint32_t(g.type))})
    key ^= value + 0x9e3779b97f4a7c15ull + (key << 6) + (key >> 2);
  return key;
}

bool sameObject(const SceneObject& a, const SceneObject& b) {
  return a.geometry->vertexCount() == b.geometry->vertexCount() &&
         a.geometry->triangleCount() == b.geometry->triangleCount() && sameAttributes(a, b, false) &&
         sameGeometry(*a.geometry, *b.geometry, true);
}

}  // namespace

void subtractScene(scene& s, const scene& other) {
  // Candidates per key in ascending order; removed ones are passed over.
  struct Candidates {
    std::vector<int32_t> indices;
    size_t head = 0;
  };
  std::unordered_map<size_t, Candidates> byKey;
  for (int32_t k = 0; k < s.objectCount(); ++k) byKey[candidateKey(*s.objects[k])].indices.push_back(k);
  std::vector<char> removed(s.objects.size(), 0);
  for (const auto& brought : other.objects) {
    auto found = byKey.find(candidateKey(*brought));
    if (found == byKey.end()) continue;
    Candidates& list = found->second;
    while (list.head < list.indices.size() && removed[list.indices[list.head]]) ++list.head;
    for (size_t c = list.head; c < list.indices.size(); ++c) {
      const int32_t k = list.indices[c];
      if (removed[k] || !sameObject(*s.objects[k], *brought)) continue;
      removed[k] = 1;
      releaseObjectTexture(s, *s.objects[k]);
      break;
    }
  }
  size_t kept = 0;
  for (size_t k = 0; k < s.objects.size(); ++k)
    if (!removed[k]) s.objects[kept++] = std::move(s.objects[k]);
  s.objects.resize(kept);
}

}  // namespace kvx
