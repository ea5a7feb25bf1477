#pragma once
// Geometry processing of captures: the steps of scene::Optimize and the
// helpers the merge reader and the re-projection share.
#include "scene/scene.h"

#include <cstddef>

namespace kvx {

// Rewrites strips, fans and (for line-drawn objects) polygons of `object`'s
// geometry as independent primitives and makes the type tri_indexed,
// keeping the derived table. An allocation failure leaves it as it was.
void toIndependentPrimitives(SceneObject& object);

// A line_strip or line_loop becomes a line list (one vertex pair per segment).
void lineStripToLineList(geom& g);

// Same-attributes test of two objects; the primitive type is compared
// unless `ignoreType` is set.
bool sameAttributes(const SceneObject& a, const SceneObject& b, bool ignoreType);
// The part of the test that leaves out the colours and the type, and a hash
// consistent with it.
bool sameMaterial(const SceneObject& a, const SceneObject& b);
size_t materialHash(const SceneObject& object);
// Objects are merged when they have the same attributes apart from the type
// and still show the same kind of primitive (faces, lines or points): a
// point or line object folded into faces would vanish from the screen.
bool mergeable(const SceneObject& a, const SceneObject& b);
// mergeable() without the colour rule, which depends on the geometries'
// per-vertex colours; and a hash consistent with it.
bool sameMergeKey(const SceneObject& a, const SceneObject& b);
size_t mergeKeyHash(const SceneObject& object);
// Folds `source` into `target` as the merging passes do: both are turned
// into independent primitives (unless already a plain list, line or point
// geometry; line strips and loops become line lists), the target's
// clockwise flag is cleared and its geometry gets the source's. A target whose drawn form is a list of another type becomes
// tri_indexed first, so that its table keeps describing every primitive.
bool mergeObjectInto(SceneObject& target, SceneObject& source);

// Releases the texture reference an object holds, as object removal does.
void releaseObjectTexture(scene& s, const SceneObject& object);
// Removes every object whose geometry has no vertices or no triangles,
// releasing their textures, with one compaction of the object array.
void removeEmptyObjects(scene& s);

// Merges look-alike objects: runs of neighbours first, then any pairs.
// False when a MergeGeom fails; the objects merged so far stay merged.
bool mergeObjects(scene& s);

// Vertex welding: drops unused vertices and folds identical vertex records
// into one, then removes duplicate triangles; repeated until the triangle
// count stays. Only for tri_indexed and points geometries. `firstAxis` is
// 3 (z), 2 (y) or 1 (x).
bool weldVertices(geom& g, ProgressFn progress, const Bounds& sceneBounds, int firstAxis);

// Imported meshes: every corner of a tri_indexed geometry takes the index of
// the first equal vertex record; vertices no triangle uses are dropped, the
// triangles stay as they are. With `creaseAngleDegrees` the normals are
// first replaced by smooth ones: each corner averages the faces around its
// position that meet its own face at no more than that angle, and a vertex
// splits where its corners' normals differ. A table with an index out of
// range is left alone. Throws std::bad_alloc when memory runs out.
void joinVertices(geom& g, const float* creaseAngleDegrees);

// Removes triangles that repeat an earlier one with the same or reversed
// orientation of the same corners; keeps the table untouched when none does.
// True when some were removed.
bool removeDuplicateTriangles(std::vector<Tri>& table);

// Deletes the marked vertices of every object whose geometry is not flagged
// as having none marked: the primitives using them go, objects left without
// primitives are removed, the rest lose their marked and unused vertices.
// This is also the deletion of a selection, where the marks are the selection.
void deleteMarkedVertices(scene& s);

// Geometry equality: byte for byte, or by positions within a small tolerance
// triangle by triangle.
bool sameGeometry(const geom& a, const geom& b, bool tolerant);

// For each object of `other` in order, removes the first object of `s` with
// the same counts, the same attributes (type included) and an equal
// geometry (tolerant test), releasing its texture.
void subtractScene(scene& s, const scene& other);

}  // namespace kvx
