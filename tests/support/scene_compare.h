#pragma once
// Field-by-field comparison of two scenes, for round trips through a file.
#include "scene/scene.h"

#include <gtest/gtest.h>

namespace kvx::test {

// Normals go through 16-bit packing, so they compare with a tolerance.
inline void expectSameObject(const SceneObject& a, const SceneObject& b, int index) {
  SCOPED_TRACE("object " + std::to_string(index));
  EXPECT_EQ(a.tags, b.tags);
  EXPECT_EQ(a.textureName, b.textureName);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(a.diffuse[c], b.diffuse[c]);
    EXPECT_EQ(a.specular[c], b.specular[c]);
    EXPECT_EQ(a.ambient[c], b.ambient[c]);
    EXPECT_EQ(a.emission[c], b.emission[c]);
  }
  EXPECT_EQ(a.shininess, b.shininess);
  EXPECT_EQ(a.smooth, b.smooth);
  EXPECT_EQ(a.lit, b.lit);
  EXPECT_EQ(a.polygonOffset[0], b.polygonOffset[0]);
  EXPECT_EQ(a.polygonOffset[1], b.polygonOffset[1]);
  EXPECT_EQ(a.repeatU, b.repeatU);
  EXPECT_EQ(a.repeatV, b.repeatV);
  EXPECT_EQ(a.envMap, b.envMap);
  EXPECT_EQ(a.pointSize, b.pointSize);
  EXPECT_EQ(a.lineWidth, b.lineWidth);
  EXPECT_EQ(a.lineStipplePattern, b.lineStipplePattern);
  EXPECT_EQ(a.lineStippleFactor, b.lineStippleFactor);
  EXPECT_EQ(a.polygonStipple, b.polygonStipple);
  EXPECT_EQ(a.blendSrc, b.blendSrc);
  EXPECT_EQ(a.blendDst, b.blendDst);
  EXPECT_EQ(a.blendByte, b.blendByte);
  const geom& ga = *a.geometry;
  const geom& gb = *b.geometry;
  EXPECT_EQ(ga.type, gb.type);
  EXPECT_EQ(ga.perVertexColor, gb.perVertexColor);
  EXPECT_EQ(ga.triangleTable, gb.triangleTable);
  ASSERT_EQ(ga.vertexCount(), gb.vertexCount());
  for (int32_t i = 0; i < ga.vertexCount(); ++i) {
    const Vertex& va = ga.vertices[i];
    const Vertex& vb = gb.vertices[i];
    EXPECT_EQ(va.x, vb.x) << "vertex " << i;
    EXPECT_EQ(va.y, vb.y) << "vertex " << i;
    EXPECT_EQ(va.z, vb.z) << "vertex " << i;
    if (a.textureName != 0 && !a.envMap) {
      EXPECT_EQ(va.u, vb.u) << "vertex " << i;
      EXPECT_EQ(va.v, vb.v) << "vertex " << i;
    }
    if (ga.perVertexColor) {
      EXPECT_EQ(va.r, vb.r) << "vertex " << i;
      EXPECT_EQ(va.g, vb.g) << "vertex " << i;
      EXPECT_EQ(va.b, vb.b) << "vertex " << i;
    }
    const bool zeroNormal = va.nx == 0 && va.ny == 0 && va.nz == 0;  // packs as (-1, -1, -1)
    if (a.lit && !ga.noRealNormals && !zeroNormal) {
      EXPECT_NEAR(va.nx, vb.nx, 1e-4) << "vertex " << i;
      EXPECT_NEAR(va.ny, vb.ny, 1e-4) << "vertex " << i;
      EXPECT_NEAR(va.nz, vb.nz, 1e-4) << "vertex " << i;
    }
  }
}

inline void expectSameScene(const scene& a, const scene& b) {
  EXPECT_EQ(a.authorStamp, b.authorStamp);
  EXPECT_EQ(a.matrix, b.matrix);
  EXPECT_EQ(a.matrices, b.matrices);
  EXPECT_EQ(0, std::memcmp(a.background, b.background, 3));
  EXPECT_EQ(a.sceneFlags, b.sceneFlags);
  EXPECT_EQ(a.currentView, b.currentView);
  EXPECT_EQ(a.readPassword, b.readPassword);
  EXPECT_EQ(a.readPasswordText, b.readPasswordText);
  EXPECT_EQ(a.writePassword, b.writePassword);
  EXPECT_EQ(a.writePasswordText, b.writePasswordText);
  ASSERT_EQ(a.lights.size(), b.lights.size());
  for (size_t i = 0; i < a.lights.size(); ++i) {
    EXPECT_EQ(a.lights[i]->kind, b.lights[i]->kind);
    EXPECT_EQ(a.lights[i]->r, b.lights[i]->r);
    EXPECT_EQ(0, std::memcmp(a.lights[i]->values, b.lights[i]->values, sizeof a.lights[i]->values));
  }
  ASSERT_EQ(a.textures.size(), b.textures.size());
  for (const auto& [name, texture] : a.textures.entries()) {
    const SceneTexture* other = b.textures.find(name);
    ASSERT_NE(other, nullptr) << "texture " << name;
    EXPECT_EQ(texture->width, other->width);
    EXPECT_EQ(texture->height, other->height);
    EXPECT_EQ(texture->bitmap, other->bitmap);
    EXPECT_EQ(texture->internalFormat, other->internalFormat);
  }
  ASSERT_EQ(a.views.size(), b.views.size());
  for (size_t i = 0; i < a.views.size(); ++i) {
    EXPECT_EQ(a.views[i].name, b.views[i].name);
    EXPECT_EQ(a.views[i].text, b.views[i].text);
    EXPECT_EQ(0, std::memcmp(a.views[i].camera, b.views[i].camera, sizeof a.views[i].camera));
    EXPECT_EQ(0, std::memcmp(a.views[i].rotation, b.views[i].rotation, sizeof a.views[i].rotation));
  }
  ASSERT_EQ(a.objectCount(), b.objectCount());
  for (int32_t i = 0; i < a.objectCount(); ++i) expectSameObject(*a.objects[i], *b.objects[i], i);
}

}  // namespace kvx::test
