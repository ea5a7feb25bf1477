#pragma once
// Random raw captures for the equivalence tests: every primitive type, a
// few attribute classes, shared corners, repeated faces and degenerate
// objects. The same seed always gives the same scene.
#include "scene/scene.h"

#include <cstring>
#include <random>

#include <gtest/gtest.h>

namespace kvx::test {

struct CaptureShape {
  int objects = 40;
  int maxVertices = 12;
  bool flatZ = false;   // every z is 0: the z axis has no range for welding
  bool textured = true;
};

class RandomCapture {
 public:
  explicit RandomCapture(uint32_t seed) : rng_(seed) {}

  void fill(scene& s, const CaptureShape& shape) {
    if (shape.textured) addTexture(s, 5, 0);
    for (int k = 0; k < shape.objects; ++k) {
      auto object = std::make_unique<SceneObject>();
      if (k > 0 && pick(6) == 0) {
        copyOf(*s.objects[pick(k)], *object);  // the same object captured twice
      } else {
        attributes(*object, shape);
        geometry(*object->geometry, shape);
      }
      if (object->textureName) s.textures.addReference(object->textureName);
      s.AddObjet(object);
    }
    s.updateBounds();
  }

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  template <typename T>
  T oneOf(std::initializer_list<T> values) {
    return values.begin()[pick(static_cast<int>(values.size()))];
  }

  static void addTexture(scene& s, uint32_t name, int32_t references) {
    auto texture = std::make_unique<SceneTexture>();
    texture->name = name;
    texture->refCount = references;
    s.textures.add(std::move(texture));
  }

  static void copyOf(const SceneObject& from, SceneObject& to) {
    to = from;
    to.geometry = std::make_shared<geom>(*from.geometry);
  }

  void attributes(SceneObject& o, const CaptureShape& shape) {
    const uint8_t colour = oneOf<uint8_t>({0, 128, 255});
    o.diffuse[0] = colour;
    o.diffuse[2] = oneOf<uint8_t>({0, 255});
    o.smooth = pick(2);
    o.lit = pick(4) != 0;
    o.textureName = shape.textured && pick(4) == 0 ? 5 : 0;
    o.lineWidth = oneOf({0.f, 0.f, 0.f, 1.f});
    o.pointSize = o.lineWidth == 0 ? oneOf({0.f, 0.f, 0.f, 0.f, 2.f}) : 0.f;
    o.shininess = oneOf({0.f, 0.f, -0.f, 0.5f});
    o.clockwise = pick(2);
    if (pick(10) == 0) {
      o.polygonStipple.emplace();
      o.polygonStipple->fill(oneOf<uint8_t>({0xAA, 0x55}));
    }
    if (pick(10) == 0) o.blendSrc = 770;
  }

  Vertex vertex(const CaptureShape& shape) {
    Vertex v;
    v.x = static_cast<float>(pick(4));
    v.y = static_cast<float>(pick(4)) * 0.5f;
    v.z = shape.flatZ ? 0.f : static_cast<float>(pick(3));
    v.nx = oneOf({0.f, 1.f});
    v.nz = oneOf({0.f, -1.f, 1.f});
    v.u = oneOf({0.f, 0.5f});
    v.r = oneOf<uint8_t>({0, 200});
    return v;
  }

  void geometry(geom& g, const CaptureShape& shape) {
    g.type = pick(11);
    g.perVertexColor = pick(4) == 0;
    const int n = pick(shape.maxVertices + 1);
    for (int k = 0; k < n; ++k) {
      // Often a repeat of an earlier corner, as faces sharing an edge give.
      g.vertices.push_back(k > 0 && pick(3) == 0 ? g.vertices[pick(k)] : vertex(shape));
    }
    if (g.type == tri_indexed && n > 0) {
      const int triangles = pick(2 * n + 1);
      for (int k = 0; k < triangles; ++k) {
        if (k > 0 && pick(4) == 0) {
          Tri t = g.triangleTable[pick(k)];  // a repeated face, maybe turned or reversed
          if (pick(2)) std::swap(t.i[1], t.i[2]);
          if (pick(2)) t = {{t.i[1], t.i[2], t.i[0]}};
          g.triangleTable.push_back(t);
        } else {
          g.triangleTable.push_back({{pick(n), pick(n), pick(n)}});
        }
      }
    }
    g.rebuildTriangleTable();
  }

  std::mt19937 rng_;
};

inline void expectSameObject(const SceneObject& a, const SceneObject& b, const std::string& where) {
  SCOPED_TRACE(where);
  const geom& ga = *a.geometry;
  const geom& gb = *b.geometry;
  EXPECT_EQ(ga.type, gb.type);
  EXPECT_EQ(ga.perVertexColor, gb.perVertexColor);
  EXPECT_EQ(ga.noRealNormals, gb.noRealNormals);
  ASSERT_EQ(ga.vertexCount(), gb.vertexCount());
  EXPECT_EQ(std::memcmp(ga.vertices.data(), gb.vertices.data(), ga.vertices.size() * sizeof(Vertex)), 0);
  EXPECT_EQ(ga.triangleTable, gb.triangleTable);
  EXPECT_EQ(std::memcmp(a.diffuse, b.diffuse, 3), 0);
  EXPECT_EQ(a.clockwise, b.clockwise);
  EXPECT_EQ(a.textureName, b.textureName);
  EXPECT_EQ(a.smooth, b.smooth);
  EXPECT_EQ(a.lineWidth, b.lineWidth);
}

inline void expectSameScene(const scene& a, const scene& b) {
  ASSERT_EQ(a.objectCount(), b.objectCount());
  for (int32_t k = 0; k < a.objectCount(); ++k)
    expectSameObject(*a.objects[k], *b.objects[k], "object " + std::to_string(k));
  ASSERT_EQ(a.textures.size(), b.textures.size());
  for (const auto& [name, texture] : a.textures.entries())
    EXPECT_EQ(texture->refCount, b.textures.find(name) ? b.textures.find(name)->refCount : -999);
}

}  // namespace kvx::test
