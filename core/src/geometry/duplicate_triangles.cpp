// Removal of repeated triangles, which captures produce whenever an
// application draws the same face twice (both sides, several passes).
#include "geometry/processing.h"

#include <algorithm>
#include <utility>

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

// The other two corners, in either order.
uint64_t cornerPair(const Tri& t) {
  const uint32_t low = static_cast<uint32_t>(std::min(t.i[1], t.i[2]));
  const uint32_t high = static_cast<uint32_t>(std::max(t.i[1], t.i[2]));
  return uint64_t(low) << 32 | high;
}

// Flags every triple of sorted[begin, end) (one group, same first index)
// whose corner pair an earlier triple of the group has. Groups are the
// triangles around one vertex, usually a handful: those are compared
// directly, large ones through a sorted copy of their pairs.
bool flagRepeatsInGroup(const std::vector<Tri>& sorted, size_t begin, size_t end, std::vector<char>& repeats) {
  bool any = false;
  if (end - begin <= 16) {
    for (size_t k = begin + 1; k < end; ++k)
      for (size_t j = begin; j < k && !repeats[k]; ++j)
        if (cornerPair(sorted[j]) == cornerPair(sorted[k])) repeats[k] = any = true;
    return any;
  }
  std::vector<std::pair<uint64_t, size_t>> pairs;
  pairs.reserve(end - begin);
  for (size_t k = begin; k < end; ++k) pairs.emplace_back(cornerPair(sorted[k]), k);
  std::sort(pairs.begin(), pairs.end());
  for (size_t p = 1; p < pairs.size(); ++p)
    if (pairs[p].first == pairs[p - 1].first) repeats[pairs[p].second] = any = true;
  return any;
}

}  // namespace

bool removeDuplicateTriangles(std::vector<Tri>& table) {
  std::vector<Tri> rotated(table.size());
  std::transform(table.begin(), table.end(), rotated.begin(), rotatedToSmallest);
  std::vector<Tri> sorted = sortedByFirst(rotated);

  // A triple repeats when an earlier one of its group has the same corners.
  std::vector<char> repeats(sorted.size(), 0);
  bool any = false;
  for (size_t begin = 0, end; begin < sorted.size(); begin = end) {
    for (end = begin + 1; end < sorted.size() && sorted[end].i[0] == sorted[begin].i[0];) ++end;
    any = flagRepeatsInGroup(sorted, begin, end, repeats) || any;
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
