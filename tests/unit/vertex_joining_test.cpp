// Joining the vertices of imported meshes and their smooth normals with creases.
#include "geometry/processing.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>
#include <tuple>

namespace kvx {
namespace {

using Corner = std::array<float, 3>;

// The unit cube as 12 triangles, counter-clockwise seen from outside; with
// `shared` its 8 corners are indexed, else every triangle has its own three.
geom box(bool shared, bool withFaceNormals) {
  static const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  static const float normals[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
  auto corner = [](int k) { return Corner{float(k & 1), float((k >> 1) & 1), float((k >> 2) & 1)}; };
  geom g;
  g.type = tri_indexed;
  g.vertices.clear();
  if (shared)
    for (int k = 0; k < 8; ++k) {
      Vertex v;
      std::tie(v.x, v.y, v.z) = std::tuple(corner(k)[0], corner(k)[1], corner(k)[2]);
      g.vertices.push_back(v);
    }
  for (int f = 0; f < 6; ++f)
    for (const auto& half : {std::array{0, 1, 2}, std::array{0, 2, 3}}) {
      Tri t;
      for (int c = 0; c < 3; ++c) {
        const int k = quads[f][half[c]];
        if (shared) {
          t.i[c] = k;
          continue;
        }
        Vertex v;
        std::tie(v.x, v.y, v.z) = std::tuple(corner(k)[0], corner(k)[1], corner(k)[2]);
        if (withFaceNormals) std::tie(v.nx, v.ny, v.nz) = std::tuple(normals[f][0], normals[f][1], normals[f][2]);
        t.i[c] = g.vertexCount();
        g.vertices.push_back(v);
      }
      g.triangleTable.push_back(t);
    }
  return g;
}

// Two triangles over the edge (0,0,0)-(1,0,0), the second one folded down
// by `foldDegrees` from the plane of the first.
geom fold(float foldDegrees) {
  const float a = foldDegrees * 3.14159265f / 180;
  geom g;
  g.type = tri_indexed;
  g.vertices.clear();
  for (const Corner& p : {Corner{0, 0, 0}, Corner{1, 0, 0}, Corner{0.5f, 1, 0},
                          Corner{0.5f, -std::cos(a), -std::sin(a)}}) {
    Vertex v;
    std::tie(v.x, v.y, v.z) = std::tuple(p[0], p[1], p[2]);
    g.vertices.push_back(v);
  }
  g.triangleTable = {{{0, 1, 2}}, {{1, 0, 3}}};
  return g;
}

TEST(JoinVertices, CornersWithEqualRecordsBecomeOneVertex) {
  geom g = box(false, true);
  joinVertices(g, nullptr);
  EXPECT_EQ(g.vertexCount(), 24);  // four corners per face, each face its own normal
  ASSERT_EQ(g.triangleCount(), 12);
  for (const Tri& t : g.triangleTable) {
    const Vertex& a = g.vertices[t.i[0]];
    for (int32_t index : t.i) {
      ASSERT_LT(index, g.vertexCount());
      EXPECT_EQ(g.vertices[index].nx, a.nx);
      EXPECT_EQ(g.vertices[index].nz, a.nz);
    }
  }
}

TEST(JoinVertices, MadeNormalsKeepTheBoxEdgesWhateverTheIndexing) {
  const float crease = 80;
  for (const bool shared : {false, true}) {
    SCOPED_TRACE(shared ? "indexed corners" : "a vertex per corner");
    geom g = box(shared, false);
    joinVertices(g, &crease);
    EXPECT_EQ(g.vertexCount(), 24);
    for (const Tri& t : g.triangleTable) {
      const Vertex& a = g.vertices[t.i[0]];
      const Vertex& b = g.vertices[t.i[1]];
      const Vertex& c = g.vertices[t.i[2]];
      // The outward face normal, at every corner of the face.
      const float ex = b.x - a.x, ey = b.y - a.y, ez = b.z - a.z, fx = c.x - a.x, fy = c.y - a.y, fz = c.z - a.z;
      const Corner face{ey * fz - ez * fy, ez * fx - ex * fz, ex * fy - ey * fx};
      for (int32_t index : t.i) {
        const Vertex& v = g.vertices[index];
        EXPECT_FLOAT_EQ(v.nx * face[0] + v.ny * face[1] + v.nz * face[2], 1);
      }
    }
  }
}

TEST(JoinVertices, FoldsUnderTheCreaseAngleAreSmoothAndSharperOnesSplit) {
  const float crease = 80;
  const struct {
    float foldDegrees;
    int vertices;
  } cases[] = {{0, 4}, {30, 4}, {79, 4}, {81, 6}, {120, 6}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.foldDegrees);
    geom g = fold(c.foldDegrees);
    joinVertices(g, &crease);
    EXPECT_EQ(g.vertexCount(), c.vertices);
    std::set<std::tuple<float, float, float>> normals;
    for (const Vertex& v : g.vertices) {
      EXPECT_NEAR(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz, 1, 1e-5);
      normals.insert({v.nx, v.ny, v.nz});
    }
    // Smooth: the edge averages both faces; creased: each face keeps its own.
    EXPECT_EQ(normals.size(), c.vertices == 4 ? (c.foldDegrees == 0 ? 1u : 3u) : 2u);
  }
}

TEST(JoinVertices, DropsUnusedVerticesAndLeavesBadTablesAlone) {
  geom g = fold(0);
  g.vertices.push_back(g.vertices[0]);
  g.vertices.back().x = 7;  // used by no triangle
  joinVertices(g, nullptr);
  EXPECT_EQ(g.vertexCount(), 4);

  geom bad = fold(0);
  bad.triangleTable[1].i[2] = 4;
  const std::vector<Vertex> before = bad.vertices;
  const float crease = 80;
  joinVertices(bad, &crease);
  EXPECT_EQ(bad.vertexCount(), int32_t(before.size()));
  EXPECT_EQ(bad.triangleTable[1].i[2], 4);
}

}  // namespace
}  // namespace kvx
