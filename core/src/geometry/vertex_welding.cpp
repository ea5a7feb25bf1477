// Vertex welding: captured geometry repeats every shared corner once per
// face. Vertices are bucketed along one axis of the scene bounds, and inside
// a bucket a vertex whose whole record equals one already taken is folded
// into it: small buckets are searched directly, crowded ones through a hash
// of the record bytes.
#include "geometry/processing.h"
#include "services/debuglog.h"

#include <cmath>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace kvx {

namespace {

// Vertices grouped by bucket, in vertex order within each bucket.
struct Buckets {
  std::vector<int32_t> start;    // bucket b holds order[start[b] .. start[b+1])
  std::vector<int32_t> order;
  int32_t fullest = 0;
};

float coordinate(const Vertex& v, int axis) { return axis == 1 ? v.x : axis == 2 ? v.y : v.z; }

// Bucket trunc((n-1) t) of t = (c - min) / (max - min), with t = 0 when it
// is not a number in [0, 1]. False when the axis has no usable range.
bool bucketAlong(const geom& g, const std::vector<char>& used, int axis, const Bounds& bounds,
                 ProgressFn progress, Buckets& out) {
  const float minimum = bounds.v[2 * (axis - 1)], maximum = bounds.v[2 * (axis - 1) + 1];
  const float inverse = 1 / (maximum - minimum);
  if (!std::isfinite(inverse)) return false;
  const int32_t n = g.vertexCount();
  std::vector<int32_t> bucketOf(n, -1);
  out.start.assign(n + 1, 0);
  for (int32_t i = 0; i < n; ++i) {
    if (progress && (i & 255) == 255) progress(0.3f * i / (n + 1));
    if (!used[i]) continue;
    float t = (coordinate(g.vertices[i], axis) - minimum) / (maximum - minimum);
    if (!std::isfinite(t) || t < 0 || t > 1) t = 0;
    bucketOf[i] = static_cast<int32_t>((n - 1) * t);
    ++out.start[bucketOf[i] + 1];
  }
  out.fullest = 0;
  for (int32_t b = 0; b < n; ++b) out.fullest = std::max(out.fullest, out.start[b + 1]);
  for (int32_t b = 0; b < n; ++b) out.start[b + 1] += out.start[b];
  out.order.assign(out.start[n], 0);
  std::vector<int32_t> fill(out.start.begin(), out.start.end() - 1);
  for (int32_t i = 0; i < n; ++i)
    if (bucketOf[i] >= 0) out.order[fill[bucketOf[i]]++] = i;
  return true;
}

// Tries up to three axes from `firstAxis` down (z, y, x, then z again) and
// keeps the first whose fullest bucket holds fewer than n / 20 vertices,
// else the last one tried that has a usable range. An axis without a range
// would leave every bucket empty; false when no axis has one.
bool chooseBuckets(const geom& g, const std::vector<char>& used, int firstAxis, const Bounds& bounds,
                   ProgressFn progress, Buckets& out) {
  const int32_t n = g.vertexCount();
  bool found = false;
  Buckets tried;
  int axis = firstAxis;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (bucketAlong(g, used, axis, bounds, progress, tried)) {
      std::swap(out, tried);
      found = true;
      if (out.fullest < n / 20) return true;
    }
    axis = axis == 1 ? 3 : axis - 1;
  }
  return found;
}

// Open-addressing map from a vertex record to its new index, for one
// crowded bucket at a time.
class VertexIndexMap {
 public:
  void reset(size_t expected) {
    size_t size = 16;
    while (size < 2 * expected) size *= 2;
    slots_.assign(size, -1);
  }

  // The index of a record equal to `v` in `kept`, or -1 after noting that
  // `v` will be appended at index `fresh`.
  int32_t findOrAdd(const Vertex& v, const std::vector<Vertex>& kept, int32_t fresh) {
    const size_t mask = slots_.size() - 1;
    for (size_t s = hash(v) & mask;; s = (s + 1) & mask) {
      if (slots_[s] < 0) {
        slots_[s] = fresh;
        return -1;
      }
      if (std::memcmp(&kept[slots_[s]], &v, sizeof(Vertex)) == 0) return slots_[s];
    }
  }

 private:
  static size_t hash(const Vertex& v) {
    uint32_t words[sizeof(Vertex) / 4];
    std::memcpy(words, &v, sizeof words);
    uint64_t h = 0x84222325CBF29CE4ull;
    for (uint32_t w : words) h = (h ^ w) * 0x100000001B3ull;
    return size_t(h ^ (h >> 32));
  }

  std::vector<int32_t> slots_;
};

// Buckets of up to this many vertices are searched directly.
constexpr int32_t kSmallBucket = 16;

// Folds the vertices of one bucket into `kept`: each maps to the first
// equal record taken from the same bucket, or is appended.
void foldBucket(const geom& g, const int32_t* begin, const int32_t* end, std::vector<Vertex>& kept,
                std::vector<int32_t>& newIndex, VertexIndexMap& map) {
  const int32_t first = static_cast<int32_t>(kept.size());
  const bool crowded = end - begin > kSmallBucket;
  if (crowded) map.reset(end - begin);
  for (const int32_t* it = begin; it != end; ++it) {
    Vertex v = g.vertices[*it];
    v.mark = 1;  // every vertex taken is a marked one
    const int32_t fresh = static_cast<int32_t>(kept.size());
    int32_t found = -1;
    if (crowded) {
      found = map.findOrAdd(v, kept, fresh);
    } else {
      for (int32_t j = first; j < fresh && found < 0; ++j)
        if (std::memcmp(&kept[j], &v, sizeof(Vertex)) == 0) found = j;
    }
    if (found < 0) kept.push_back(v);
    newIndex[*it] = found >= 0 ? found : fresh;
  }
}

// One welding pass; false on an allocation failure.
bool weldOnce(geom& g, ProgressFn progress, const Bounds& bounds, int firstAxis) {
  const int32_t n = g.vertexCount();
  std::vector<char> used(n, g.type == points ? 1 : 0);
  if (g.type == tri_indexed)
    for (const Tri& t : g.triangleTable)
      for (int32_t index : t.i) used[index] = 1;

  Buckets buckets;
  if (!chooseBuckets(g, used, firstAxis, bounds, progress, buckets)) return true;  // left as it was

  std::vector<int32_t> newIndex(n, -1);
  std::vector<Vertex> kept;
  kept.reserve(buckets.order.size());
  VertexIndexMap map;
  const int32_t* order = buckets.order.data();
  for (int32_t b = 0; b < n; ++b)
    foldBucket(g, order + buckets.start[b], order + buckets.start[b + 1], kept, newIndex, map);
  for (Vertex& v : kept) v.mark = 0;
  for (Tri& t : g.triangleTable)
    for (int32_t& index : t.i) index = newIndex[index];
  kept.shrink_to_fit();
  g.vertices.swap(kept);
  if (!g.triangleTable.empty()) removeDuplicateTriangles(g.triangleTable);
  return true;
}

bool validTable(const geom& g) {
  const int32_t n = g.vertexCount();
  for (const Tri& t : g.triangleTable)
    for (int32_t index : t.i)
      if (index < 0 || index >= n) return false;
  return true;
}

}  // namespace

bool weldVertices(geom& g, ProgressFn progress, const Bounds& sceneBounds, int firstAxis) {
  if (g.type != tri_indexed && g.type != points) return false;
  if (!validTable(g)) {
    KVX_LOG(LOG_ERROR, "weldVertices: triangle index out of range, %d vertices\n", g.vertexCount());
    return false;
  }
  try {
    for (;;) {
      const int32_t before = g.triangleCount();
      if (!weldOnce(g, progress, sceneBounds, firstAxis)) return false;
      if (g.triangleCount() == before) return true;
    }
  } catch (const std::bad_alloc&) {
    KVX_LOG(LOG_ERROR, "weldVertices: malloc failed, %d vertices\n", g.vertexCount());
    return false;
  }
}

}  // namespace kvx
