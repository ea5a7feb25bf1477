// Removal of repeated triangles, which captures produce whenever an
// application draws the same face twice (both sides, several passes).
#include "geometry/processing.h"

#include <algorithm>
#include <unordered_set>

namespace kvx {

namespace {

// The same cyclic order, starting at the (first) smallest index.
Tri rotatedToSmallest(const Tri& t) {
  int m = 0;
  if (t.i[1] < t.i[m]) m = 1;
  if (t.i[2] < t.i[m]) m = 2;
  return {{t.i[m], t.i[(m + 1) % 3], t.i[(m + 2) % 3]}};
}

// Triples sorted by first index, ties kept in table order (counting sort).
std::vector<Tri> sortedByFirst(const std::vector<Tri>& rotated) {
  int32_t low = 0, high = -1;
  for (size_t k = 0; k < rotated.size(); ++k) {
    if (k == 0 || rotated[k].i[0] < low) low = rotated[k].i[0];
    if (k == 0 || rotated[k].i[0] > high) high = rotated[k].i[0];
  }
  const size_t range = rotated.empty() ? 0 : static_cast<size_t>(int64_t(high) - low + 1);
  if (range > 4 * rotated.size() + 1024) {  // sparse indices: a comparison sort is cheaper
    std::vector<Tri> sorted = rotated;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Tri& a, const Tri& b) { return a.i[0] < b.i[0]; });
    return sorted;
  }
  std::vector<size_t> start(range + 1, 0);
  for (const Tri& t : rotated) ++start[t.i[0] - low + 1];
  for (size_t b = 1; b <= range; ++b) start[b] += start[b - 1];
  std::vector<Tri> sorted(rotated.size());
  for (const Tri& t : rotated) sorted[start[t.i[0] - low]++] = t;
  return sorted;
}

// Same first index and the same other two, in either order.
struct CornerKey {
  int32_t first, low, high;
  bool operator==(const CornerKey&) const = default;
};
struct CornerKeyHash {
  size_t operator()(const CornerKey& k) const {
    uint64_t h = uint64_t(uint32_t(k.first)) * 0x9E3779B97F4A7C15ull;
    h ^= (uint64_t(uint32_t(k.low)) << 32 | uint32_t(k.high)) * 0xC2B2AE3D27D4EB4Full;
    return size_t(h ^ (h >> 29));
  }
};

}  // namespace

bool removeDuplicateTriangles(std::vector<Tri>& table) {
  std::vector<Tri> rotated(table.size());
  std::transform(table.begin(), table.end(), rotated.begin(), rotatedToSmallest);
  std::vector<Tri> sorted = sortedByFirst(rotated);

  // A triple repeats when an earlier one of its group has the same corners.
  std::vector<char> repeats(sorted.size(), 0);
  std::unordered_set<CornerKey, CornerKeyHash> seen;
  seen.reserve(sorted.size());
  bool any = false;
  for (size_t k = 0; k < sorted.size(); ++k) {
    const Tri& t = sorted[k];
    const CornerKey key{t.i[0], std::min(t.i[1], t.i[2]), std::max(t.i[1], t.i[2])};
    if (!seen.insert(key).second) repeats[k] = any = true;
  }
  if (!any) return false;  // the table keeps its former order

  // Walking from the end, a repeated triple is replaced by the last one.
  size_t count = sorted.size();
  for (size_t k = sorted.size(); k-- > 0;) {
    if (!repeats[k]) continue;
    sorted[k] = sorted[count - 1];
    --count;
  }
  sorted.resize(count);
  table.swap(sorted);
  return true;
}

}  // namespace kvx
