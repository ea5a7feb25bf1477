// Re-projection of captures onto the pyramid marker.
#include "geometry/gauss_jordan.h"
#include "geometry/pyramid.h"
#include "geometry_builders.h"
#include "services/paths.h"
#include "temp_env.h"

#include <gtest/gtest.h>

#include <functional>

namespace kvx {
namespace {

using test::objectOf;
using test::OptionGuard;
using test::vertexAt;

constexpr float kScale = 100;

// Target corners of the marker for kScale: apex, then the arm ends.
const Vec3 kTargets[4] = {{-25, -27.5f, -30}, {75, -27.5f, -30}, {-25, 82.5f, -30}, {-25, -27.5f, 90}};

// A capture whose coordinates are `toCapture` of the model's: the marker as
// a tetrahedron of its four corners, plus the given objects.
void addMarker(scene& s, const std::function<Vec3(Vec3)>& toCapture) {
  std::vector<Vertex> corners;
  for (Vec3 t : kTargets) {
    const Vec3 p = toCapture(t);
    corners.push_back(vertexAt(p.x, p.y, p.z));
  }
  auto marker = std::make_unique<SceneObject>();
  marker->geometry->vertices = corners;
  marker->geometry->triangleTable = {{{0, 1, 2}}, {{0, 2, 3}}, {{0, 3, 1}}, {{1, 3, 2}}};
  s.AddObjet(marker);
}

Vertex capturedVertex(const std::function<Vec3(Vec3)>& toCapture, Vec3 model, Vec3 normal = {}) {
  const Vec3 p = toCapture(model);
  return vertexAt(p.x, p.y, p.z, normal.x, normal.y, normal.z);
}

void expectNear(const Vertex& v, Vec3 p) {
  EXPECT_NEAR(v.x, p.x, 1e-3f);
  EXPECT_NEAR(v.y, p.y, 1e-3f);
  EXPECT_NEAR(v.z, p.z, 1e-3f);
}

TEST(Pyramid, ModelCoordinatesComeBackAndTheMarkerGoes) {
  // Captured through a mirror, a scale and a shift: the normals are turned
  // back by the sign of the determinant.
  const auto mirrored = [](Vec3 p) { return Vec3{-0.5f * p.x + 3, 0.5f * p.y - 1, 0.5f * p.z + 7}; };
  scene s;
  auto model = objectOf(tri_indexed,
                        {capturedVertex(mirrored, {10, 20, 30}, {1, 0, 0}), capturedVertex(mirrored, {200, 0, 0}, {0, 1, 0}),
                         capturedVertex(mirrored, {0, 0, 0}, {0, 0, 2})},
                        {{{0, 1, 2}}});
  // Shares a corner with the marker: the face using it goes, and with it the object.
  auto touching = objectOf(tri_indexed, {capturedVertex(mirrored, kTargets[1]), capturedVertex(mirrored, {1, 2, 3}),
                                         capturedVertex(mirrored, {4, 5, 6})},
                           {{{0, 1, 2}}});
  s.AddObjet(model);
  s.AddObjet(touching);
  addMarker(s, mirrored);
  ASSERT_TRUE(reprojectOnMarker(s, PyramidSettings{kScale, std::nullopt}));
  ASSERT_EQ(s.objectCount(), 1);
  const geom& g = *s.objects[0]->geometry;
  expectNear(g.vertices[0], {10, 20, 30});
  expectNear(g.vertices[1], {200, 0, 0});
  expectNear(g.vertices[2], {0, 0, 0});
  // Normals: through the linear part, scaled to length 1, times -1.
  EXPECT_NEAR(g.vertices[0].nx, 1, 1e-6f);
  EXPECT_NEAR(g.vertices[1].ny, -1, 1e-6f);
  EXPECT_NEAR(g.vertices[2].nz, -1, 1e-6f);
  EXPECT_NEAR(s.bounds.v[1], 200, 1e-3f);  // bounds follow the new coordinates
}

TEST(Pyramid, MarkerIsFoundAnywhereAndAPlaneQuadGoes) {
  // A quarter turn about z; the marker is not the last object.
  const auto turned = [](Vec3 p) { return Vec3{-p.y, p.x, p.z}; };
  scene s;
  addMarker(s, turned);
  auto quadOn = [&](float z) {
    std::vector<Vertex> vertices;
    for (Vec3 corner : {Vec3{0, 0, z}, Vec3{9, 0, z}, Vec3{9, 9, z}, Vec3{0, 9, z}})
      for (int side = 0; side < 2; ++side) vertices.push_back(capturedVertex(turned, corner, {0, 0, 1}));
    auto quad = std::make_unique<SceneObject>();
    quad->geometry->vertices = vertices;
    quad->geometry->triangleTable = {{{0, 2, 4}}, {{0, 4, 6}}, {{1, 5, 3}}, {{1, 7, 5}}};
    return quad;
  };
  auto offPlane = quadOn(9), onPlane = quadOn(5.05f), secondOnPlane = quadOn(5);
  s.AddObjet(offPlane);
  s.AddObjet(onPlane);
  s.AddObjet(secondOnPlane);
  ASSERT_TRUE(reprojectOnMarker(s, PyramidSettings{kScale, std::array<float, 3>{0, 0, 5}}));
  ASSERT_EQ(s.objectCount(), 2);  // the marker and the first quad on z = 5
  EXPECT_NEAR(s.objects[0]->geometry->vertices[0].z, 9, 1e-3f);
  EXPECT_NEAR(s.objects[1]->geometry->vertices[0].z, 5, 1e-3f);
  EXPECT_NEAR(s.objects[1]->geometry->vertices[0].nz, 1, 1e-6f);
}

TEST(Pyramid, WithoutAMarkerNothingChanges) {
  scene s;
  // Right corner, but equal arms: not the marker's proportions.
  auto cube = objectOf(tri_indexed, {vertexAt(0, 0, 0), vertexAt(1, 0, 0), vertexAt(0, 1, 0), vertexAt(0, 0, 1)},
                       {{{0, 1, 2}}, {{0, 2, 3}}});
  s.AddObjet(cube);
  EXPECT_FALSE(findPyramidMarker(s));
  EXPECT_FALSE(reprojectOnMarker(s, PyramidSettings{}));
  ASSERT_EQ(s.objectCount(), 1);
  EXPECT_EQ(s.objects[0]->geometry->vertices[1].x, 1);
}

TEST(GaussJordan, SolvesWithPivotingAndRefusesSingularSystems) {
  // The first pivot is zero: only row exchange solves this.
  std::vector<std::vector<double>> system = {{0, 2, 4}, {3, 1, 5}};
  std::vector<double> x;
  ASSERT_TRUE(solveGaussJordan(system, x));
  EXPECT_DOUBLE_EQ(x[0], 1);
  EXPECT_DOUBLE_EQ(x[1], 2);
  std::vector<std::vector<double>> singular = {{1, 2, 3}, {2, 4, 6}};
  EXPECT_FALSE(solveGaussJordan(singular, x));
}

TEST(PyramidSettings, ReadFromTheFile) {
  test::TempEnv env;
  struct Case {
    const char* content;
    float scale;
    std::optional<std::array<float, 3>> plane;
  } cases[] = {
      {"3600 // scale\n1 2 3\n", 3600, std::array<float, 3>{1, 2, 3}},
      {"// comment only\n\n  500\n0 0 7.5 // plane\n", 500, std::array<float, 3>{0, 0, 7.5f}},
      {"1 2\n5 6 7\n", 3600, std::array<float, 3>{5, 6, 7}},  // two numbers: default scale
      {"250\n4 5\n9 9 9\n", 250, std::nullopt},                // the second line decides
      {"250\nno numbers here\n1 2 3", 250, std::array<float, 3>{1, 2, 3}},
      {"", 3600, std::nullopt},
  };
  for (const Case& c : cases) {
    test::writeFile(env.path("pyra.txt"), c.content);
    const auto settings = readPyramidSettings(env.path("pyra.txt").string());
    ASSERT_TRUE(settings) << c.content;
    EXPECT_EQ(settings->scale, c.scale) << c.content;
    EXPECT_EQ(settings->plane, c.plane) << c.content;
  }
  EXPECT_FALSE(readPyramidSettings(env.path("missing.txt").string()));
}

TEST(Pyramid, FileOfTheCapturedApplicationAndTheSwitch) {
  test::TempEnv env;
  const std::string files = *expandPathTemplate("%TEMP%");
  paths().commandFile = files + "kavrik_cmd.txt";
  test::writeFile(paths().commandFile, "My App/2\nN.OPYRAMID\n");
  auto capture = [] {
    auto s = std::make_unique<scene>();
    addMarker(*s, [](Vec3 p) { return p * 2; });
    return s;
  };
  OptionGuard pyramid(CaptureOption::NOPYRAMID, false);
  auto withoutFile = capture();
  EXPECT_FALSE(Retransform_using_pyramid(*withoutFile));
  EXPECT_EQ(withoutFile->objectCount(), 1);

  test::writeFile(files + "My_App_2/pyra.txt", "100\n");
  auto withFile = capture();
  EXPECT_TRUE(Retransform_using_pyramid(*withFile));
  EXPECT_EQ(withFile->objectCount(), 0);

  OptionGuard skip(CaptureOption::NOPYRAMID, true);
  auto skipped = capture();
  EXPECT_FALSE(Retransform_using_pyramid(*skipped));
  EXPECT_EQ(skipped->objectCount(), 1);
}

}  // namespace
}  // namespace kvx
