// The payload: primitives, normals, round trips and the edge cases of the layout.
#include "format/pack_normal.h"
#include "format/sample_scene.h"
#include "payload_bytes.h"
#include "scene/scene.h"
#include "scene_compare.h"
#include "services/capture_options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace kvx {
namespace {

struct CollectSink : KvxSink {
  std::vector<uint8_t> bytes;
  bool put(const void* data, int32_t n) override {
    auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + n);
    return KvxSink::put(data, n);
  }
};

std::vector<uint8_t> payloadOf(scene& s, uint8_t vertexMode = 1) {
  CollectSink sink;
  s.ser.setSink(&sink);
  s.ser.vertexMode = vertexMode;
  s.serialise();
  s.ser.setSink(nullptr);
  return sink.bytes;
}

bool readPayload(scene& s, const std::vector<uint8_t>& payload, uint8_t version = 43) {
  s.Clear();
  s.ser.version = version;
  auto buffer = std::make_unique<uint8_t[]>(payload.size() + 1);
  std::copy(payload.begin(), payload.end(), buffer.get());
  return s.deserialise(std::move(buffer), static_cast<int32_t>(payload.size()));
}

class Payload : public ::testing::Test {
 protected:
  void SetUp() override { resetCaptureOptions(); }
  void TearDown() override { resetCaptureOptions(); }
};

TEST(PackNormal, PacksAndUnpacksExactly) {
  const struct {
    float n[3];
    uint16_t q[3];
  } cases[] = {
      {{1, 0, 0}, {65534, 32767, 32767}},
      {{-1, 0, 0}, {0, 32767, 32767}},
      {{0, 0, 5}, {32767, 32767, 65534}},  // scaled to length 1 first
      {{0, 0, 0}, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    uint16_t q[3];
    packNormal(c.n[0], c.n[1], c.n[2], q);
    EXPECT_EQ(q[0], c.q[0]);
    EXPECT_EQ(q[1], c.q[1]);
    EXPECT_EQ(q[2], c.q[2]);
  }
  EXPECT_EQ(unpackNormalComponent(65534), 1.0f);
  EXPECT_EQ(unpackNormalComponent(32767), 0.0f);
  EXPECT_EQ(unpackNormalComponent(0), -1.0f);
}

TEST(Serializer, ReadsPastTheEndLeaveValuesAndFailTheEnd) {
  serializer in;
  EXPECT_FALSE(in.start_de(nullptr, 4));
  EXPECT_FALSE(in.start_de(std::make_unique<uint8_t[]>(1), 0));

  auto bytes = std::make_unique<uint8_t[]>(6);
  const uint8_t content[6] = {0x34, 0x12, 0x78, 0x56, 0x34, 0x12};
  std::copy(content, content + 6, bytes.get());
  ASSERT_TRUE(in.start_de(std::move(bytes), 6));
  uint16_t small = 0;
  uint32_t big = 0xDEAD;
  EXPECT_TRUE(in.get_u16(small));
  EXPECT_EQ(small, 0x1234);
  EXPECT_TRUE(in.get_u32(big));
  EXPECT_EQ(big, 0x12345678u);
  uint32_t untouched = 0xABCD;
  EXPECT_FALSE(in.get_u32(untouched));
  EXPECT_EQ(untouched, 0xABCDu);
  EXPECT_EQ(in.cursor(), 6);
  // The cursor is at the end, but a read failed: the payload was short.
  EXPECT_FALSE(in.end_deser());
}

TEST(Serializer, EndRequiresEveryByteConsumed) {
  serializer in;
  ASSERT_TRUE(in.start_de(std::make_unique<uint8_t[]>(3), 3));
  uint16_t value;
  in.get_u16(value);
  EXPECT_FALSE(in.end_deser());
  ASSERT_TRUE(in.start_de(std::make_unique<uint8_t[]>(2), 2));
  in.get_u16(value);
  EXPECT_TRUE(in.end_deser());
}

TEST_F(Payload, SampleSceneRoundTripsInBothVertexModes) {
  scene original;
  buildSampleScene(original);
  for (uint8_t mode : {1, 2}) {
    SCOPED_TRACE(mode);
    scene copy;
    ASSERT_TRUE(readPayload(copy, payloadOf(original, mode)));
    test::expectSameScene(original, copy);
    EXPECT_EQ(copy.textures.find(1)->refCount, original.textures.find(1)->refCount + 1);
  }
}

TEST_F(Payload, EveryAttributeRoundTrips) {
  scene original;
  auto o = std::make_unique<SceneObject>();
  o->geometry->type = points;
  o->geometry->vertices.resize(2);
  o->geometry->rebuildTriangleTable();
  o->pointSize = 4;
  o->polygonOffset[0] = 1.5f;
  o->polygonOffset[1] = -2;
  o->repeatU = true;
  o->envMap = true;
  o->blendSrc = 0x302;
  o->blendDst = 0x303;
  o->blendByte = 7;
  o->polygonStipple.emplace();
  for (int i = 0; i < 128; ++i) (*o->polygonStipple)[i] = static_cast<uint8_t>(i * 3);
  o->tags = {4, 5, 6};
  o->textureName = 9;
  original.AddObjet(o);
  auto lines = std::make_unique<SceneObject>();
  lines->geometry->type = line;
  lines->geometry->vertices.resize(2);
  lines->geometry->rebuildTriangleTable();
  lines->lineWidth = 3;
  lines->lineStipplePattern = 0xF0F0;
  lines->lineStippleFactor = 2;
  lines->smooth = lines->lit = false;
  original.AddObjet(lines);

  scene copy;
  ASSERT_TRUE(readPayload(copy, payloadOf(original)));
  test::expectSameScene(original, copy);
}

TEST_F(Payload, FlatLitTriangleListStoresOneNormalPerFace) {
  scene s;
  auto o = std::make_unique<SceneObject>();
  o->smooth = false;
  o->geometry->type = tri_list;
  o->geometry->vertices.resize(6);
  for (int i = 0; i < 6; ++i) o->geometry->vertices[i].nx = i < 3 ? 1.0f : -1.0f;
  o->geometry->rebuildTriangleTable();
  s.AddObjet(o);
  const size_t flat = payloadOf(s).size();
  s.objects[0]->smooth = true;
  EXPECT_EQ(payloadOf(s).size(), flat + 4 * 6);  // four more normals of 6 bytes

  s.objects[0]->smooth = false;
  scene copy;
  ASSERT_TRUE(readPayload(copy, payloadOf(s)));
  const auto& read = copy.objects[0]->geometry->vertices;
  for (int i = 0; i < 6; ++i) EXPECT_EQ(read[i].nx, i < 3 ? 1.0f : -1.0f) << i;
}

TEST_F(Payload, SpareByteAtTheEndIsRejected) {
  scene s;
  buildSampleScene(s);
  auto payload = payloadOf(s);
  payload.push_back(0);
  scene copy;
  EXPECT_FALSE(readPayload(copy, payload));
}

TEST_F(Payload, TruncatedPayloadIsRejectedAtEveryLength) {
  scene s;
  auto o = std::make_unique<SceneObject>();
  o->geometry->type = tri_indexed;
  o->geometry->vertices.resize(3);
  o->geometry->triangleTable = {{{0, 1, 2}}};
  s.AddObjet(o);
  s.createCurrentView();
  const auto payload = payloadOf(s);
  scene copy;
  for (size_t length = 1; length < payload.size(); ++length) {
    std::vector<uint8_t> cut(payload.begin(), payload.begin() + length);
    EXPECT_FALSE(readPayload(copy, cut)) << length;
  }
  EXPECT_TRUE(readPayload(copy, payload));
}

// A version 43 payload with one object, for the edge cases below.
struct OneObject {
  uint16_t flags = 0x00C0;  // smooth, lit
  std::vector<uint8_t> attributeFields;
  uint32_t vertexCount = 3;
  uint8_t type = tri_list;
  uint32_t triangles = 0;
  std::vector<uint32_t> indices;
  bool secondObject = false;
  uint16_t secondFlags = 0x0001;

  test::Bytes build() const {
    test::Bytes b;
    b.text("").u8(1);                           // author stamp, vertex mode
    b.u8(0).u32(0xFFFFFFFF).f32(0.5f).u8(0);    // no cutting plane
    b.f32s(6);                                  // no box
    b.f32s(16).u32(0).u32(0).u8(0).u8(0).u8(0); // matrix, no matrices, no lights, background
    b.u32(0).u32(0x800);                        // no textures, flags 0
    b.u32(secondObject ? 2 : 1);
    object(b, flags, true);
    if (secondObject) object(b, secondFlags, !(secondFlags & 1));
    return b.u32(0);  // no views
  }
  void object(test::Bytes& b, uint16_t f, bool material) const {
    b.u16(f).raw(f & 1 ? std::vector<uint8_t>{} : attributeFields);
    if (!(f & 1)) b.u32(0).u32(0);  // tags, texture
    b.u32(vertexCount).u8(0).u8(type);
    for (uint32_t i = 0; i < std::min(vertexCount, 6u); ++i) {
      b.f32(static_cast<float>(i)).f32(static_cast<float>(i * i)).f32(1);
      if (f & 0x40) b.u16(32767).u16(32767).u16(65534);
    }
    if (type == tri_indexed) {
      b.u32(triangles);
      for (uint32_t index : indices) b.u32(index);
    }
    if (material) b.u8(10).u8(20).u8(30).u8(0).u8(0).u8(0).u8(1).u8(2).u8(3).u8(0).u8(0).u8(0).f32(8);
  }
};

TEST_F(Payload, MalformedObjectsAreRejected) {
  const struct {
    const char* what;
    OneObject fixture;
  } cases[] = {
      {"vertex count beyond the payload", [] { OneObject o; o.vertexCount = 0x40000000; return o; }()},
      {"triangle count beyond the payload",
       [] { OneObject o; o.type = tri_indexed; o.triangles = 0x7FFFFFFF; return o; }()},
      {"vertex index out of range",
       [] { OneObject o; o.type = tri_indexed; o.triangles = 1; o.indices = {0, 1, 3}; return o; }()},
      {"quads list naming missing vertices", [] { OneObject o; o.type = quads_list; o.vertexCount = 6; return o; }()},
      {"first object copies a previous one", [] { OneObject o; o.flags = 0x0001; return o; }()},
  };
  for (const auto& c : cases) {
    scene s;
    EXPECT_FALSE(readPayload(s, c.fixture.build().data)) << c.what;
  }
  scene s;
  EXPECT_TRUE(readPayload(s, OneObject().build().data)) << "the unaltered fixture";
}

TEST_F(Payload, ObjectCanTakeTheAttributesOfThePreviousOne) {
  OneObject fixture;
  fixture.flags = 0x00E0;  // smooth, lit, lines
  fixture.attributeFields = test::Bytes().f32(2.5f).data;
  fixture.type = line_strip;
  fixture.secondObject = true;
  fixture.secondFlags = 0x0001 | 0x0040;  // only bit 0 counts: lit comes from the first object
  scene s;
  ASSERT_TRUE(readPayload(s, fixture.build().data));
  ASSERT_EQ(s.objectCount(), 2);
  const SceneObject& second = *s.objects[1];
  EXPECT_EQ(second.lineWidth, 2.5f);
  EXPECT_EQ(second.diffuse[2], 30);
  EXPECT_EQ(second.ambient[0], 1);
  EXPECT_NE(second.geometry, s.objects[0]->geometry);
}

TEST_F(Payload, NormalsReadTheSameInBothVertexModes) {
  for (uint8_t mode : {1, 2}) {
    test::Bytes b;
    b.text("").u8(mode).u8(0).u32(0).f32(0).u8(0).f32s(6).f32s(16).u32(0).u32(0).u8(0).u8(0).u8(0).u32(0).u32(0x800);
    b.u32(1).u16(0x00C0).u32(0).u32(0).u32(1).u8(0).u8(points);
    b.f32(1).f32(2).f32(3).u16(65534).u16(32767).u16(32767);  // one vertex: both layouts agree
    b.u8(1).u8(1).u8(1).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).f32(0).u32(0);
    scene s;
    ASSERT_TRUE(readPayload(s, b.data)) << int(mode);
    const Vertex& v = s.objects[0]->geometry->vertices[0];
    EXPECT_EQ(v.nx, 1.0f);
    EXPECT_EQ(v.ny, 0.0f);
    EXPECT_EQ(v.z, 3.0f);
  }
}

TEST_F(Payload, ByComponentLayoutGroupsEachCoordinate) {
  test::Bytes b;
  b.text("").u8(2).u8(0).u32(0).f32(0).u8(0).f32s(6).f32s(16).u32(0).u32(0).u8(0).u8(0).u8(0).u32(0).u32(0x800);
  b.u32(1).u16(0x00C0).u32(0).u32(0).u32(2).u8(0).u8(line);
  b.f32(1).f32(2).f32(3).f32(4).f32(5).f32(6);  // x x, y y, z z
  b.u16(65534).u16(0).u16(32767).u16(32767).u16(32767).u16(65534);
  b.u8(1).u8(1).u8(1).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).f32(0).u32(0);
  scene s;
  ASSERT_TRUE(readPayload(s, b.data));
  const auto& v = s.objects[0]->geometry->vertices;
  EXPECT_EQ(v[0].x, 1);
  EXPECT_EQ(v[1].x, 2);
  EXPECT_EQ(v[0].y, 3);
  EXPECT_EQ(v[1].z, 6);
  EXPECT_EQ(v[0].nx, 1);
  EXPECT_EQ(v[1].nx, -1);
  EXPECT_EQ(v[1].nz, 1);
}

TEST_F(Payload, SceneLevelEdgeCases) {
  scene s;
  s.authorStamp = {"a", "b", "c", "d", "e"};
  auto o = std::make_unique<SceneObject>();
  o->geometry->type = points;
  o->geometry->vertices.resize(1);
  o->geometry->rebuildTriangleTable();
  o->textureName = 5;
  s.AddObjet(o);
  auto texture = std::make_unique<SceneTexture>();
  texture->width = 2;
  texture->height = 1;
  texture->bitmap = {1, 2, 3, 0, 4, 5, 6, 0};  // all alpha zero
  texture->internalFormat = 3;                 // no blob type: read back as 4
  texture->name = 5;
  s.textures.add(std::move(texture));
  s.createCurrentView();
  s.views[0].name.clear();
  s.readPassword = true;
  s.readPasswordText = "hjk";

  scene copy;
  ASSERT_TRUE(readPayload(copy, payloadOf(s)));
  EXPECT_EQ(copy.views[0].name, "Noname");
  const SceneTexture* read = copy.textures.find(5);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->bitmap, (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 255}));
  EXPECT_EQ(read->internalFormat, 4);
  EXPECT_EQ(copy.authorStamp, s.authorStamp);
  EXPECT_TRUE(copy.readPassword);
  EXPECT_EQ(copy.readPasswordText, "hjk");
  EXPECT_FALSE(copy.writePassword);
  EXPECT_EQ(copy.readCutPlane, nullptr);
  EXPECT_EQ(copy.readCutBox, nullptr);
}

TEST_F(Payload, CuttingPlaneAndBoxAreKept) {
  scene s;
  buildSampleScene(s);
  const kvx_CutPlane plane = {kvx_CutPlane::Y_PLAN, true, 0.25f, true};
  const CutBox box = {-1, -2, -3, 1, 2, 3, 0};
  s.cutPlane = &plane;
  s.cutBox = &box;
  scene copy;
  ASSERT_TRUE(readPayload(copy, payloadOf(s)));
  ASSERT_NE(copy.readCutPlane, nullptr);
  EXPECT_EQ(copy.readCutPlane->plan, kvx_CutPlane::Y_PLAN);
  EXPECT_TRUE(copy.readCutPlane->inverted);
  EXPECT_EQ(copy.readCutPlane->position, 0.25f);
  EXPECT_TRUE(copy.readCutPlane->transparent);
  ASSERT_NE(copy.readCutBox, nullptr);
  EXPECT_FLOAT_EQ((*copy.readCutBox)[6], std::sqrt(4.0f + 16 + 36));
}

TEST_F(Payload, AuthorStampKeepsFiveFields) {
  scene s;
  buildSampleScene(s);
  s.authorStamp = {"one", "two", "three", "four", "five\x05six"};
  scene copy;
  ASSERT_TRUE(readPayload(copy, payloadOf(s)));
  EXPECT_EQ(copy.authorStamp[4], "five");
}

TEST_F(Payload, BakeFlagWritesThroughTheObjectMatrix) {
  scene s;
  auto o = std::make_unique<SceneObject>();
  o->geometry->type = points;
  o->geometry->vertices.resize(1);
  o->geometry->vertices[0].x = 1;
  o->geometry->vertices[0].nx = 1;
  o->geometry->rebuildTriangleTable();
  // Half a turn about z, then a shift by (10, 20, 30); column-major as OpenGL.
  o->matrix = {-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1};
  s.AddObjet(o);
  s.ser.bake = true;
  scene copy;
  ASSERT_TRUE(readPayload(copy, payloadOf(s)));
  const Vertex& v = copy.objects[0]->geometry->vertices[0];
  EXPECT_EQ(v.x, 9);
  EXPECT_EQ(v.y, 20);
  EXPECT_EQ(v.z, 30);
  EXPECT_EQ(v.nx, -1);

  // A projective matrix divides by w.
  s.objects[0]->matrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2};
  ASSERT_TRUE(readPayload(copy, payloadOf(s)));
  EXPECT_EQ(copy.objects[0]->geometry->vertices[0].x, 0.5f);
}

TEST_F(Payload, NormalizeOptionScalesReadNormals) {
  scene s;
  auto o = std::make_unique<SceneObject>();
  o->geometry->type = points;
  o->geometry->vertices.resize(2);
  o->geometry->vertices[0].ny = 1;  // the other normal is zero
  o->geometry->rebuildTriangleTable();
  s.AddObjet(o);
  const auto payload = payloadOf(s);
  scene copy;
  ASSERT_TRUE(readPayload(copy, payload));
  // A zero normal packs as 0, 0, 0, which unpacks as (-1, -1, -1).
  EXPECT_EQ(copy.objects[0]->geometry->vertices[1].nx, -1);
  EXPECT_EQ(copy.objects[0]->geometry->vertices[1].ny, -1);
  setCaptureOption(CaptureOption::NORMALIZENORMALS, true);
  ASSERT_TRUE(readPayload(copy, payload));
  const Vertex& v = copy.objects[0]->geometry->vertices[1];
  EXPECT_FLOAT_EQ(v.nx, -1 / std::sqrt(3.0f));
  EXPECT_FLOAT_EQ(v.nz, -1 / std::sqrt(3.0f));
  EXPECT_EQ(copy.objects[0]->geometry->vertices[0].ny, 1);
}

}  // namespace
}  // namespace kvx
