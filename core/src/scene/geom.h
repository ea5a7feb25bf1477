#pragma once
// Geometry of a drawable object: a vertex array in the OpenGL interleaved
// layout and a table of index triples derived from the primitive type.
#include <cstdint>
#include <vector>

namespace kvx {

struct SceneObject;

// T2F_N3F_V3F followed by a mark byte and a colour; handed to OpenGL as is.
struct Vertex {
  float u = 0, v = 0;
  float nx = 0, ny = 0, nz = 0;
  float x = 0, y = 0, z = 0;
  uint8_t mark = 0;
  uint8_t r = 0, g = 0, b = 0;
};
static_assert(sizeof(Vertex) == 36, "vertex records are stored and drawn unpadded");

struct Tri {
  int32_t i[3];
  bool operator==(const Tri&) const = default;
};

enum PrimType : int32_t {
  tri_indexed = 0,
  tri_list = 1,
  quads_list = 2,
  tri_strip = 3,
  tri_fan = 4,
  quad_strip = 5,
  polygon = 6,
  line = 7,
  line_loop = 8,
  line_strip = 9,
  points = 10,
};

// Descriptive name of a primitive type, "unknown type" for any other value.
const char* primTypeName(int32_t type);
bool isLineType(int32_t type);

class geom {
 public:
  geom() { zero(); }

  int32_t vertexCount() const { return static_cast<int32_t>(vertices.size()); }
  int32_t triangleCount() const { return static_cast<int32_t>(triangleTable.size()); }

  // Empty, with room for 4 vertices.
  void zero();
  // Derives the triangle table from the type and vertex count. A tri_indexed
  // geometry keeps its stored table. False (and no triangles) when the table
  // cannot be allocated.
  bool rebuildTriangleTable();
  // Frees the spare room of both arrays.
  void shrinkToFit();

  // Geometry processing of captures (core/src/geometry/).
  // Appends another geometry; false when it has no vertices or no
  // triangles, or when memory runs out.
  bool MergeGeom(const geom& other);
  // Recomputes meaningless normals from the faces, for the given winding.
  bool RegenerateNormals(bool clockwise);
  // Orientation pass over the triangles.
  void Orient();
  // Drops line segments of (almost) zero length.
  void RemoveZeroLengthSegments();

  std::vector<Vertex> vertices;
  int32_t type = tri_indexed;
  std::vector<Tri> triangleTable;
  bool perVertexColor = false;
  uint8_t mark = 0;         // the whole geometry is marked
  uint8_t boundsMark = 255; // nonzero: left out of selection-aware bounds
  bool noRealNormals = false;
};

// Number of triples a primitive type derives from n vertices.
int32_t derivedTriangleCount(int32_t type, int32_t n);
// Triple k of a derived table.
Tri derivedTriangle(int32_t type, int32_t n, int32_t k);

}  // namespace kvx
