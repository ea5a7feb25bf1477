// The demo scene: deterministic, and drawn the way it is meant to look.
#include "format/sample_scene.h"
#include "scene_compare.h"

#include <gtest/gtest.h>

#include <set>

namespace kvx {
namespace {

TEST(SampleScene, ShowsEveryPrimitiveKindWithCamerasLightsAndATexture) {
  scene s;
  buildSampleScene(s);
  std::set<int32_t> types;
  for (const auto& o : s.objects) types.insert(o->geometry->type);
  EXPECT_GE(types.size(), 8u);
  EXPECT_EQ(s.views.size(), 4u);  // the working view and three named cameras
  for (size_t i = 1; i < s.views.size(); ++i) EXPECT_FALSE(s.views[i].text.empty()) << s.views[i].name;
  EXPECT_EQ(s.lights.size(), 3u);
  ASSERT_NE(s.textures.find(1), nullptr);
  EXPECT_EQ(s.textures.find(1)->refCount, 1);
  EXPECT_FALSE(s.authorStamp[0].empty());
  EXPECT_GT(s.radius, 0);

  scene again;
  buildSampleScene(again);
  test::expectSameScene(s, again);
}

// Front faces wind counter-clockwise around their stored normals, so the
// orientation pass of the reader leaves them alone.
TEST(SampleScene, FacesAgreeWithTheirNormals) {
  scene s;
  buildSampleScene(s);
  for (int32_t k = 0; k < s.objectCount(); ++k) {
    const SceneObject& o = *s.objects[k];
    if (!o.lit || o.lineWidth != 0 || o.pointSize != 0) continue;
    const geom& g = *o.geometry;
    for (const Tri& t : g.triangleTable) {
      const Vertex& a = g.vertices[t.i[0]];
      const Vertex& b = g.vertices[t.i[1]];
      const Vertex& c = g.vertices[t.i[2]];
      const float e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
      const float e2[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
      const float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                          e1[0] * e2[1] - e1[1] * e2[0]};
      EXPECT_GT(n[0] * a.nx + n[1] * a.ny + n[2] * a.nz, 0)
          << "object " << k << " (" << primTypeName(g.type) << ") triangle " << t.i[0] << " " << t.i[1] << " "
          << t.i[2];
    }
  }
}

}  // namespace
}  // namespace kvx
