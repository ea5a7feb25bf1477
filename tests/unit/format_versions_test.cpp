// Hand-built payloads of every version from 13 to 43: each field appears at
// its version and older files read the documented defaults.
#include "payload_bytes.h"
#include "scene/scene.h"
#include "services/capture_options.h"

#include <gtest/gtest.h>

namespace kvx {
namespace {

// One light, one textureless tri_list object of three vertices (the last
// with a zero normal) and one view, laid out as version v wrote them.
test::Bytes legacyPayload(int v, bool polygonOffsetBit = false) {
  test::Bytes b;
  if (v >= 32) b.text("who\x05what");
  if (v >= 24) b.u8(1);
  if (v >= 33) {
    b.u8(1).u32(2).f32(0.3f);
    if (v >= 37) b.u8(1);
  }
  if (v >= 34) b.f32(-1).f32(-1).f32(-1).f32(1).f32(1).f32(1);
  b.f32s(16, 0).u32(0);
  b.u32(1).u8(1).u8(9).u8(8).u8(7);
  for (int i = 1; i <= 10; ++i) b.f32(static_cast<float>(i));
  if (v >= 18) b.u8(11).u8(12).u8(13);
  b.u32(0);
  if (v >= 29) b.u32(0x40 ^ 0x800);
  b.u32(1);
  if (v >= 40) {
    b.u16(polygonOffsetBit ? 0x01C0 : 0x00C0);
    if (polygonOffsetBit && v >= 43) b.f32(1.5f).f32(2.5f);
  } else {
    if (v <= 27) b.f32s(16, 9);
    if (v >= 36) b.u8(1).u8(1);
    if (v >= 39) b.f32(0);
    if (v >= 38) b.f32(0).u16(0).u8(0);
  }
  b.u32(1).u32(77).u32(0);
  b.u32(3);
  if (v >= 35) b.u8(0);
  if (v >= 36) b.u8(tri_list);
  for (int i = 0; i < 3; ++i) {
    b.f32(static_cast<float>(i)).f32(1).f32(2);
    const bool zero = i == 2;
    if (v < 31)
      b.f32(0).f32(0).f32(zero ? 0.0f : 1.0f);
    else
      b.u16(zero ? 0 : 32767).u16(zero ? 0 : 32767).u16(zero ? 0 : 65534);
    if (v < 30) b.f32(0.25f).f32(0.75f);
  }
  if (v < 36) b.u8(tri_list);
  b.u8(100).u8(110).u8(120).u8(1).u8(2).u8(3);
  if (v >= 22) b.u8(4).u8(5).u8(6);
  if (v >= 26) b.u8(7).u8(8).u8(9).f32(12.5f);
  if (v >= 23 && v <= 26) b.u8(1);
  if (v >= 28 && v <= 35) b.u8(1);
  if (v >= 16) {
    b.u32(1);
    for (int i = 1; i <= 10; ++i) b.f32(static_cast<float>(i));
    b.text("Cam").f32(0).f32(0).f32(0).f32(1);
    if (v >= 19) b.u32(4).raw({'n', 'o', 't', 'e'});
    if (v >= 20) b.text("pw").text("");
    if (v >= 21) b.u32(1);
  }
  return b;
}

bool readLegacy(scene& s, int version, const test::Bytes& payload) {
  s.Clear();
  s.ser.version = static_cast<uint8_t>(version);
  auto buffer = std::make_unique<uint8_t[]>(payload.data.size());
  std::copy(payload.data.begin(), payload.data.end(), buffer.get());
  return s.deserialise(std::move(buffer), static_cast<int32_t>(payload.data.size()));
}

class Versions : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override { resetCaptureOptions(); }
};

TEST_P(Versions, FieldsAppearAtTheirVersionAndDefaultsFillTheRest) {
  const int v = GetParam();
  scene s;
  ASSERT_TRUE(readLegacy(s, v, legacyPayload(v)));

  EXPECT_EQ(s.authorStamp[0], v >= 32 ? "who" : "");
  EXPECT_EQ(s.authorStamp[1], v >= 32 ? "what" : "");
  ASSERT_EQ(s.readCutPlane != nullptr, v >= 33);
  if (v >= 33) {
    EXPECT_EQ(s.readCutPlane->plan, kvx_CutPlane::Y_PLAN);
    EXPECT_TRUE(s.readCutPlane->inverted);
    EXPECT_EQ(s.readCutPlane->transparent, v >= 37);
  }
  EXPECT_EQ(s.readCutBox != nullptr, v >= 34);
  EXPECT_EQ(s.background[0], v >= 18 ? 11 : 0);
  EXPECT_EQ(s.sceneFlags, v >= 29 ? 0x40u : 0x800u);

  ASSERT_EQ(s.lights.size(), 1u);
  const SceneLight& light = *s.lights[0];
  EXPECT_EQ(light.kind, LIGHT_DIRECTIONAL);
  EXPECT_EQ(light.b, 7);
  const float stored[10] = {1, 2, 3, 4, 5, 6, 9, 10, 7, 8};  // values 7 and 8 come last
  for (int i = 0; i < 10; ++i) EXPECT_EQ(light.values[i], stored[i]) << i;

  ASSERT_EQ(s.objectCount(), 1);
  const SceneObject& o = *s.objects[0];
  EXPECT_EQ(o.tags, std::vector<uint32_t>{77});
  EXPECT_EQ(o.diffuse[2], 120);
  EXPECT_EQ(o.specular[0], 1);
  EXPECT_EQ(o.ambient[0], v >= 22 ? 4 : 120);
  EXPECT_EQ(o.emission[0], v >= 26 ? 7 : 0);
  EXPECT_EQ(o.shininess, v >= 26 ? 12.5f : 60.0f);
  EXPECT_TRUE(o.smooth);
  EXPECT_TRUE(o.lit);
  EXPECT_FALSE(o.clockwise);  // decided by the winding check, not the file
  const geom& g = *o.geometry;
  EXPECT_EQ(g.type, tri_list);
  ASSERT_EQ(g.vertexCount(), 3);
  EXPECT_EQ(g.vertices[1].x, 1);
  EXPECT_EQ(g.vertices[2].z, 2);
  EXPECT_EQ(g.vertices[0].nz, 1);
  EXPECT_EQ(g.vertices[0].u, v < 30 ? 0.25f : 0.0f);
  // A zero normal: (-1, 0, 0) when stored as floats; packed zeros read as -1 each.
  EXPECT_EQ(g.vertices[2].nx, -1);
  EXPECT_EQ(g.vertices[2].ny, v < 31 ? 0 : -1);
  EXPECT_EQ(g.triangleTable, (std::vector<Tri>{{{0, 1, 2}}}));

  ASSERT_EQ(s.views.size(), v >= 16 ? 1u : 0u);
  if (v >= 16) {
    EXPECT_EQ(s.views[0].name, "Cam");
    EXPECT_EQ(s.views[0].camera[9], 10);
    EXPECT_EQ(s.views[0].rotation[3], 1);
    EXPECT_EQ(s.views[0].text, v >= 19 ? "note" : "");
  }
  EXPECT_EQ(s.readPassword, v >= 20);
  EXPECT_FALSE(s.writePassword);
  EXPECT_EQ(s.currentView, v >= 21 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(EveryVersion, Versions, ::testing::Range(13, 44));

TEST(VersionLayout, PolygonOffsetFieldsOnlyInVersion43) {
  scene s;
  ASSERT_TRUE(readLegacy(s, 42, legacyPayload(42, true)));
  EXPECT_EQ(s.objects[0]->polygonOffset[0], 0);
  ASSERT_TRUE(readLegacy(s, 43, legacyPayload(43, true)));
  EXPECT_EQ(s.objects[0]->polygonOffset[0], 1.5f);
  EXPECT_EQ(s.objects[0]->polygonOffset[1], 2.5f);
}

TEST(VersionLayout, AFileReadAsTheWrongVersionIsRejected) {
  scene s;
  // Versions where the layout changes: each side misreads the other.
  for (int v : {16, 24, 28, 31, 36, 40}) {
    EXPECT_FALSE(readLegacy(s, v - 1, legacyPayload(v))) << v;
    EXPECT_FALSE(readLegacy(s, v, legacyPayload(v - 1))) << v;
  }
}

}  // namespace
}  // namespace kvx
