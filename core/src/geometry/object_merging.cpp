// Merging of look-alike objects. Captures arrive as tens of thousands of
// small objects; drawing them as a few large ones is what makes them fast.
// Both passes keep the result of the plain quadratic walk (first runs of
// neighbours, then every later partner of each object in order) while
// finding partners through hashing and compacting the array once.
#include "geometry/processing.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace kvx {

namespace {

using ObjectArray = std::vector<std::unique_ptr<SceneObject>>;

bool convertedBeforeMerging(int32_t type) {
  return type != points && type != line && type != tri_list && type != quads_list;
}

// Step i of a pass over `count` objects: every 256th reports i / (count - 1).
void reportStep(ProgressFn progress, int64_t i, int64_t count) {
  if (progress && (i & 255) == 255) progress(static_cast<float>(i) / static_cast<float>(count - 1));
}

// First pass: each object swallows the run of neighbours that follow it.
bool mergeRuns(scene& s) {
  ObjectArray& in = s.objects;
  ObjectArray out;
  out.reserve(in.size());
  bool ok = true;
  size_t p = 0;
  while (p < in.size()) {
    reportStep(s.progress, out.size(), out.size() + (in.size() - p));
    SceneObject& target = *in[p];
    size_t next = p + 1;
    while (ok && next < in.size() && mergeable(target, *in[next])) {
      if (mergeObjectInto(target, *in[next]))
        ++next;
      else
        ok = false;
    }
    out.push_back(std::move(in[p]));
    p = next;  // the merged neighbours go with the input array
    if (!ok) break;
  }
  for (; p < in.size(); ++p) out.push_back(std::move(in[p]));
  in.swap(out);
  return ok;
}

// Object indices in increasing order; finds the first one after a given
// index that is still in the scene. Removed entries are skipped through
// forward links that are shortened as they are followed, so the search
// stays near constant however many objects went.
class IndexList {
 public:
  void add(int32_t index) {
    next_.push_back(static_cast<int32_t>(indices_.size()));
    indices_.push_back(index);
  }

  // First index after `after` that is not removed, or -1.
  int32_t firstAfter(int32_t after, const std::vector<char>& removed) {
    const auto from = std::upper_bound(indices_.begin(), indices_.end(), after);
    const size_t position = alive(static_cast<size_t>(from - indices_.begin()), removed);
    return position < indices_.size() ? indices_[position] : -1;
  }

 private:
  // First position at or after p whose object is still in the scene.
  size_t alive(size_t p, const std::vector<char>& removed) {
    const size_t end = indices_.size();
    size_t root = p;
    while (root < end && (size_t(next_[root]) != root || removed[indices_[root]])) {
      if (size_t(next_[root]) == root) next_[root] = static_cast<int32_t>(root + 1);
      root = next_[root];
    }
    while (p < root) {
      const size_t step = next_[p];
      next_[p] = static_cast<int32_t>(root);
      p = step;
    }
    return root;
  }

  std::vector<int32_t> indices_;
  std::vector<int32_t> next_;  // itself while not known to be removed
};

// Partners of an object in the second pass: objects with the same merge key
// and the same diffuse colour always match; once the object carries
// per-vertex colours, every later object that carries them matches too.
class PartnerIndex {
 public:
  explicit PartnerIndex(const ObjectArray& objects) : groups_(objects.size(), Hash{}, Equal{}) {
    groupOf_.reserve(objects.size());
    for (int32_t k = 0; k < static_cast<int32_t>(objects.size()); ++k) {
      const SceneObject& o = *objects[k];
      auto [it, added] = groups_.try_emplace(&o, static_cast<int32_t>(coloured_.size()));
      if (added) coloured_.emplace_back();
      const int32_t group = it->second;
      groupOf_.push_back(group);
      sameDiffuse(group, o).add(k);
      if (o.geometry->perVertexColor) coloured_[group].add(k);
    }
  }

  // The next partner of object i after index `after`, or -1. The walk only
  // moves forward: a coloured object passed over before object i took on
  // per-vertex colours stays where it is.
  int32_t next(int32_t i, int32_t after, const SceneObject& object, const std::vector<char>& removed) {
    const int32_t group = groupOf_[i];
    int32_t k = sameDiffuse(group, object).firstAfter(after, removed);
    if (object.geometry->perVertexColor) {
      const int32_t coloured = coloured_[group].firstAfter(after, removed);
      if (coloured >= 0 && (k < 0 || coloured < k)) k = coloured;
    }
    return k;
  }

 private:
  struct Hash {
    size_t operator()(const SceneObject* o) const { return mergeKeyHash(*o); }
  };
  struct Equal {
    bool operator()(const SceneObject* a, const SceneObject* b) const { return sameMergeKey(*a, *b); }
  };

  IndexList& sameDiffuse(int32_t group, const SceneObject& o) {
    const uint64_t key = (uint64_t(group) << 24) | (uint64_t(o.diffuse[0]) << 16) |
                         (uint64_t(o.diffuse[1]) << 8) | o.diffuse[2];
    return byDiffuse_[key];
  }

  std::unordered_map<const SceneObject*, int32_t, Hash, Equal> groups_;
  std::vector<int32_t> groupOf_;
  std::vector<IndexList> coloured_;
  std::unordered_map<uint64_t, IndexList> byDiffuse_;
};

// Second pass: each object swallows every later partner, in order.
bool mergePairs(scene& s) {
  ObjectArray& objects = s.objects;
  const int32_t n = static_cast<int32_t>(objects.size());
  PartnerIndex partners(objects);
  std::vector<char> removed(n, 0);
  int32_t removedCount = 0, removedBefore = 0;
  bool ok = true;
  for (int32_t i = 0; i < n && ok; ++i) {
    if (i > 0) removedBefore += removed[i - 1];
    if (removed[i]) continue;
    reportStep(s.progress, i - removedBefore, n - removedCount);
    SceneObject& target = *objects[i];
    for (int32_t k = i; (k = partners.next(i, k, target, removed)) >= 0;) {
      if (!mergeObjectInto(target, *objects[k])) {
        ok = false;
        break;
      }
      releaseObjectTexture(s, *objects[k]);
      objects[k].reset();
      removed[k] = 1;
      ++removedCount;
    }
  }
  std::erase_if(objects, [](const std::unique_ptr<SceneObject>& o) { return !o; });
  return ok;
}

// Line strips and loops become line lists: as indexed triangles they would
// no longer be drawn as lines.
void prepareForMerging(SceneObject& object) {
  const int32_t type = object.geometry->type;
  if (type == line_strip || type == line_loop)
    lineStripToLineList(*object.geometry);
  else if (convertedBeforeMerging(type))
    toIndependentPrimitives(object);
}

}  // namespace

bool mergeObjectInto(SceneObject& target, SceneObject& source) {
  prepareForMerging(target);
  prepareForMerging(source);
  target.clockwise = false;
  geom& into = *target.geometry;
  if (into.type != source.geometry->type && into.type != tri_indexed) into.type = tri_indexed;
  return into.MergeGeom(*source.geometry);
}

bool mergeObjects(scene& s) {
  if (s.progress) s.progress(0.0f);
  removeEmptyObjects(s);
  const bool ok = mergeRuns(s) && mergePairs(s);
  if (s.progress) s.progress(-1.0f);
  return ok;
}

}  // namespace kvx
