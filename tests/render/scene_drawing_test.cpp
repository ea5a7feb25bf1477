// What one frame shows: background, lighting, texture, primitives, modes.
#include "offscreen_view.h"
#include "render_scenes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kvx::test {
namespace {

::testing::AssertionResult near(Rgb actual, Rgb expected, int tolerance = 6) {
  if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
      std::abs(actual.b - expected.b) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel (" << actual.r << ", " << actual.g << ", " << actual.b
                                       << ") expected (" << expected.r << ", " << expected.g << ", "
                                       << expected.b << ")";
}

TEST(OffscreenHarness, DrawsWithMesaThroughOSMesa) {
  OffscreenView view;
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  ASSERT_NE(renderer, nullptr) << "GL calls do not reach the OSMesa context";
  EXPECT_GT(std::strlen(renderer), 0u);
}

TEST(EmptyView, DrawsTheBlueGradientAndPresents) {
  OffscreenView view(64, 100);
  EXPECT_FALSE(view.plugin.Render());
  EXPECT_EQ(view.presented, 1);
  EXPECT_TRUE(near(view.gl.at(10, 99), {0, 0, 100}, 3));
  EXPECT_TRUE(near(view.gl.at(10, 0), {8, 33, 255}, 3));
  EXPECT_TRUE(near(view.gl.at(10, 50), {4, 17, 178}, 4));
}

TEST(EmptyView, NothingIsDrawnWhileLoadingOrLocked) {
  OffscreenView view;
  view.setScene(sceneWith(makeSquare()));
  view.state().files.loading = true;
  EXPECT_FALSE(view.plugin.Render());
  view.state().files.loading = false;
  view.state().files.viewLocked = true;
  EXPECT_FALSE(view.plugin.Render());
  EXPECT_EQ(view.presented, 0);
}

TEST(SceneFrame, ClearsToTheSceneBackgroundAndPresents) {
  OffscreenView view;
  view.setScene(sceneWith(makeSquare(0.2f)));
  view.plugin.SetBKColor(30, 140, 70);
  EXPECT_TRUE(view.plugin.Render());
  EXPECT_EQ(view.presented, 1);
  EXPECT_TRUE(near(view.gl.at(2, 2), {30, 140, 70}, 1));
}

// Square facing the viewer from the top view: orthographic, known pixels.
struct TopView : ::testing::Test {
  OffscreenView view{160, 120};
  kvx::scene& scene = view.setScene(sceneWith(makeSquare(1, 200, 40, 40)));
  void SetUp() override {
    scene.objects[0]->lit = false;
    view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
    view.plugin.RenderFrame();
  }
};

TEST_F(TopView, IsOrthographicWithTheSquareAtItsExpectedPixels) {
  EXPECT_FALSE(view.state().perspective);
  view.keepPicture("top_view");
  // Half height 32/30 * 0.5 * r with r = the diagonal 2*sqrt(2): edges at 60 +- 39.8
  // rows and 80 +- 39.8 columns (the ruler covers the bottom 28 rows and left 28 columns).
  for (auto [x, y] : {std::pair{80, 60}, {42, 60}, {118, 60}, {80, 22}, {80, 90}})
    EXPECT_TRUE(near(view.gl.at(x, y), {200, 40, 40})) << x << "," << y;
  for (auto [x, y] : {std::pair{37, 60}, {123, 60}, {80, 17}, {122, 90}})
    EXPECT_TRUE(near(view.gl.at(x, y), {0, 0, 0}, 2)) << x << "," << y;
}

TEST_F(TopView, SmallRotationSwitchesToPerspective) {
  view.plugin.ManipFromPointerMove(kvx_BaseSDK::ROTATE, 80, 60, 86, 60);
  view.plugin.RenderFrame();
  EXPECT_TRUE(view.state().perspective);
  view.keepPicture("rotated_view");
  EXPECT_TRUE(near(view.gl.at(80, 60), {200, 40, 40}));
  // Turned about the vertical axis, one vertical edge comes nearer and looks taller.
  int left = 0, right = 0;
  for (int y = 0; y < 120; ++y) {
    left += near(view.gl.at(50, y), {200, 40, 40}) ? 1 : 0;
    right += near(view.gl.at(110, y), {200, 40, 40}) ? 1 : 0;
  }
  EXPECT_NE(left, right);
}

TEST(SceneFrame, AutomaticLightShadesWhatAnUnlitObjectShowsFlat) {
  OffscreenView view;
  kvx::scene& scene = view.setScene(sceneWith(makeSquare(1, 200, 200, 200)));
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
  view.plugin.RenderFrame();
  const Rgb lit = view.gl.at(80, 60);
  scene.objects[0]->lit = false;
  view.plugin.RenderFrame();
  const Rgb unlit = view.gl.at(80, 60);
  EXPECT_TRUE(near(unlit, {200, 200, 200}, 1));
  EXPECT_GT(std::abs(lit.r - unlit.r), 10);
  EXPECT_EQ(lit.r, lit.g);
}

TEST(SceneFrame, WithoutAnyLightObjectsShowFullEmission) {
  OffscreenView view;
  view.setScene(sceneWith(makeSquare(1, 90, 20, 20)));
  view.state().automaticLight = false;
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
  view.plugin.RenderFrame();
  EXPECT_TRUE(near(view.gl.at(80, 60), {255, 255, 255}, 1));
}

TEST(SceneFrame, ScenePointLightLightsTheObject) {
  OffscreenView view;
  kvx::scene& scene = view.setScene(sceneWith(makeSquare(1, 255, 255, 255)));
  view.state().automaticLight = false;
  auto light = std::make_unique<SceneLight>();
  light->kind = LIGHT_DIRECTIONAL;
  light->r = 0, light->g = 255, light->b = 0;
  light->values[5] = 1;  // from +z, towards the viewer's side of the square
  scene.lights.push_back(std::move(light));
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
  view.plugin.RenderFrame();
  const Rgb pixel = view.gl.at(80, 60);
  EXPECT_LT(pixel.r, 10);
  EXPECT_GT(pixel.g, 200);
}

// A white square showing a 2 x 2 texture, seen from the top.
kvx::scene& showTexturedSquare(OffscreenView& view) {
  kvx::scene& scene = view.setScene(sceneWith(makeSquare(1)));
  auto texture = std::make_unique<SceneTexture>();
  texture->name = 7;
  texture->width = texture->height = 2;
  // BGRA texels, bottom row first: blue, green / red, white.
  texture->bitmap = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
  scene.textures.add(std::move(texture));
  scene.objects[0]->textureName = 7;
  scene.objects[0]->lit = false;
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
  return scene;
}

// With the wireframe shown too, its pass once switched texturing off before
// the faces were drawn, and the square came out white.
TEST(SceneFrame, TexturedQuadShowsItsTexelsWithAndWithoutLines) {
  for (const uint8_t flags : {uint8_t(KVX_DISPLAY_FACES), uint8_t(KVX_DISPLAY_FACES | KVX_DISPLAY_LINES)}) {
    SCOPED_TRACE(testing::Message() << "display flags " << int(flags));
    OffscreenView view{160, 120};
    kvx::scene& scene = showTexturedSquare(view);
    view.manip.displayFlags = flags;
    view.plugin.RenderFrame();
    view.keepPicture(flags & KVX_DISPLAY_LINES ? "textured_quad_lines" : "textured_quad");
    // Texel centres; nearer the edges the clamped border darkens the filtered colour.
    EXPECT_TRUE(near(view.gl.at(60, 80), {0, 0, 255}, 12));  // bottom left
    EXPECT_TRUE(near(view.gl.at(100, 80), {0, 255, 0}, 12));  // bottom right
    EXPECT_TRUE(near(view.gl.at(60, 40), {255, 0, 0}, 12));  // top left
    EXPECT_TRUE(near(view.gl.at(100, 40), {255, 255, 255}, 12));
    EXPECT_NE(scene.textures.find(7)->glTexture, 0u);
  }
}

int countPixels(const OffscreenView& view, Rgb color, int tolerance = 40) {
  int count = 0;
  for (int y = 0; y < view.gl.height(); ++y)
    for (int x = 0; x < view.gl.width(); ++x) count += near(view.gl.at(x, y), color, tolerance) ? 1 : 0;
  return count;
}

TEST(SceneFrame, LinesAndPointsAreDrawn) {
  OffscreenView view{160, 120};
  auto scene = std::make_unique<kvx::scene>();
  auto lines = makeObject(line, {vertexAt(-1, -1, 0), vertexAt(1, 1, 0)}, 255, 255, 0);
  auto points = makeObject(kvx::points, {vertexAt(-1, 1, 0), vertexAt(1, 0, 0)}, 0, 255, 255);
  lines->lit = points->lit = false;
  points->pointSize = 6;
  scene->AddObjet(lines);
  scene->AddObjet(points);
  view.setScene(std::move(scene));
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
  view.plugin.RenderFrame();
  view.keepPicture("lines_points");
  EXPECT_GT(countPixels(view, {255, 255, 0}), 60);  // the diagonal
  EXPECT_GE(countPixels(view, {0, 255, 255}, 10), 2 * 25);   // two 6 x 6 points
}

// One object's point size or line width must not carry over to the next
// object, which asks for none.
TEST(SceneFrame, PointSizeOfOneObjectIsNotTheNextOnes) {
  OffscreenView view{160, 120};
  auto scene = std::make_unique<kvx::scene>();
  auto corners = makeSquare(1, 255, 255, 0);
  corners->pointSize = 9;  // the square drawn as its four corners
  corners->lit = false;
  auto centre = makeObject(kvx::points, {vertexAt(0, 0, 0)}, 255, 0, 255);
  centre->lit = false;
  scene->AddObjet(corners);
  scene->AddObjet(centre);
  view.setScene(std::move(scene));
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
  view.plugin.RenderFrame();
  view.keepPicture("point_sizes");
  EXPECT_GE(countPixels(view, {255, 255, 0}, 10), 100);  // four 9 x 9 corners, the ruler over two
  const int centrePixels = countPixels(view, {255, 0, 255}, 10);
  EXPECT_GE(centrePixels, 1);
  EXPECT_LE(centrePixels, 4);
}

// The host's GL state is the same after a frame as before it.
TEST(SceneFrame, LeavesTheContextsStateAsItFoundIt) {
  OffscreenView view{160, 120};
  showTexturedSquare(view);
  view.manip.displayFlags = KVX_DISPLAY_FACES | KVX_DISPLAY_LINES | KVX_DISPLAY_AXIS1 | KVX_DISPLAY_AXIS2;
  view.plugin.SetCutPlane(kvx_CutPlane::Z_PLAN);
  glLineWidth(3);
  glPointSize(5);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  for (int frame = 0; frame < 2; ++frame) {
    if (frame == 0)
      view.plugin.RenderFrame();
    else
      view.plugin.Render();
    GLfloat width = 0, size = 0;
    GLint alignment = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    glGetFloatv(GL_POINT_SIZE, &size);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(size, 5);
    EXPECT_EQ(alignment, 8);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  }
}

// A frame sets every state it relies on: what a host left behind changes
// nothing in the picture.
TEST(SceneFrame, PictureDoesNotDependOnTheHostsState) {
  const auto draw = [](bool disturbHost) {
    OffscreenView view{160, 120};
    showTexturedSquare(view);
    view.manip.displayFlags = KVX_DISPLAY_FACES | KVX_DISPLAY_LINES | KVX_DISPLAY_AXIS1 | KVX_DISPLAY_AXIS2;
    view.plugin.SetCutPlane(kvx_CutPlane::Z_PLAN);
    if (disturbHost) {
      glLineWidth(6);
      glPointSize(8);
      glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
      glEnable(GL_CULL_FACE);
      glCullFace(GL_FRONT);
      glFrontFace(GL_CW);
      glEnable(GL_BLEND);
      glBlendFunc(GL_ONE, GL_ONE);
      glDepthMask(GL_FALSE);
      glEnable(GL_LINE_STIPPLE);
      glLineStipple(1, 0x0f0f);
      glEnable(GL_LIGHTING);
      glEnable(GL_TEXTURE_GEN_S);
    }
    view.plugin.RenderFrame();
    view.keepPicture(disturbHost ? "host_state_disturbed" : "host_state_clean");
    std::vector<Rgb> pixels;
    for (int y = 0; y < view.gl.height(); ++y)
      for (int x = 0; x < view.gl.width(); ++x) pixels.push_back(view.gl.at(x, y));
    return pixels;
  };
  const std::vector<Rgb> clean = draw(false);
  const std::vector<Rgb> disturbed = draw(true);
  int differing = 0;
  for (size_t i = 0; i < clean.size(); ++i) differing += near(clean[i], disturbed[i], 0) ? 0 : 1;
  EXPECT_EQ(differing, 0);
}

TEST(SceneFrame, TransparencyWritesNoDepth) {
  OffscreenView view;
  view.setScene(sceneWith(makeSquare()));
  view.manip.displayFlags |= KVX_DISPLAY_TRANS;
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
  view.plugin.RenderFrame();
  std::vector<float> depth(160 * 120);
  glReadPixels(0, 0, 160, 120, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
  for (float d : depth) ASSERT_EQ(d, 1.0f);
  const Rgb pixel = view.gl.at(80, 60);
  EXPECT_GT(pixel.r, 20);
  EXPECT_LT(pixel.r, 200);  // blended over the black background
}

TEST(SceneFrame, OpaqueFacesWriteDepth) {
  OffscreenView view;
  view.setScene(sceneWith(makeSquare()));
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
  view.plugin.RenderFrame();
  float depth = 1;
  glReadPixels(80, 60, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  EXPECT_LT(depth, 1.0f);
}

TEST(SceneFrame, OriginAxesShowRedGreenAndBlue) {
  OffscreenView view{200, 200};
  auto scene = sceneWith(makeSquare(0.05f, 0, 0, 0));
  auto far = makeObject(kvx::points, {vertexAt(-2, -2, -2), vertexAt(2, 2, 2)}, 0, 0, 0);
  scene->AddObjet(far);
  view.setScene(std::move(scene));
  view.manip.displayFlags |= KVX_DISPLAY_AXIS2;
  view.plugin.RenderFrame();
  view.keepPicture("axes");
  EXPECT_GT(countPixels(view, {255, 0, 0}, 60), 20);
  EXPECT_GT(countPixels(view, {0, 255, 0}, 60), 20);
  EXPECT_GT(countPixels(view, {0, 0, 255}, 60), 20);
}

TEST(SceneFrame, BoundsBoxIsWhiteOnDarkAndBlackOnBright) {
  for (uint8_t shade : {uint8_t(0), uint8_t(250)}) {
    OffscreenView view{200, 200};
    view.setScene(sceneWith(makeObject(kvx::points, {vertexAt(-1, -1, -1), vertexAt(1, 1, 1)}, 128, 128, 128)));
    view.plugin.SetBKColor(shade, shade, shade);
    view.manip.displayFlags |= KVX_DISPLAY_AXIS1;
    view.plugin.RenderFrame();
    const Rgb edge = shade ? Rgb{0, 0, 0} : Rgb{255, 255, 255};
    EXPECT_GT(countPixels(view, edge, 60), 200) << int(shade);
  }
}

TEST(SceneFrame, LogoSitsInTheBottomRightCorner) {
  OffscreenView view{200, 160};
  kvx::scene& scene = view.setScene(sceneWith(makeSquare(0.1f)));
  auto& logo = scene.blobImage;
  logo.width = 20, logo.height = 10;
  logo.pixels.assign(20 * 10 * 4, 0);
  for (size_t i = 0; i < logo.pixels.size(); i += 4) logo.pixels[i + 1] = logo.pixels[i + 3] = 255;
  view.plugin.RenderFrame();
  // Right edge inset by max(200/20, 30) = 30, bottom edge by max(160/20, 20) = 20.
  EXPECT_TRUE(near(view.gl.at(200 - 30 - 1, 160 - 20 - 1), {0, 255, 0}, 1));
  EXPECT_TRUE(near(view.gl.at(200 - 30 - 20, 160 - 20 - 10), {0, 255, 0}, 1));
  EXPECT_TRUE(near(view.gl.at(200 - 30, 160 - 20 - 5), {0, 0, 0}, 1));
  EXPECT_TRUE(near(view.gl.at(200 - 40, 160 - 20), {0, 0, 0}, 1));
}

TEST(SceneFrame, OverlayCursorFollowsThePointer) {
  OffscreenView view{160, 120};
  view.setScene(sceneWith(makeSquare(0.1f)));
  std::vector<kvx_ARGB> image(6 * 4, kvx_ARGB{0, 255, 255, 255});  // yellow, opaque
  image[0].alpha = 0;                                             // top-left pixel transparent
  view.plugin.SetCursor(image.data(), 6, 4);
  EXPECT_FALSE(view.plugin.ShowCursor(true));
  view.frame.currentX = 30, view.frame.currentY = 40;
  view.plugin.RenderFrame();
  EXPECT_TRUE(near(view.gl.at(31, 40), {255, 255, 0}, 1));
  EXPECT_TRUE(near(view.gl.at(35, 43), {255, 255, 0}, 1));
  EXPECT_TRUE(near(view.gl.at(30, 40), {0, 0, 0}, 1));
  EXPECT_TRUE(near(view.gl.at(36, 40), {0, 0, 0}, 1));
  EXPECT_TRUE(near(view.gl.at(31, 44), {0, 0, 0}, 1));
  EXPECT_TRUE(view.plugin.ShowCursor(false));
  view.plugin.RenderFrame();
  EXPECT_TRUE(near(view.gl.at(31, 40), {0, 0, 0}, 1));
}

TEST(SceneFrame, SelectedPointsAreRedAndGreenOnRed) {
  for (uint8_t red : {uint8_t(0), uint8_t(255)}) {
    OffscreenView view{160, 120};
    auto object = makeSquare(1, 0, 0, 0);
    object->geometry->vertices[0].mark = 1;
    view.setScene(sceneWith(std::move(object)));
    view.plugin.SetBKColor(red, 0, 0);
    view.plugin.RenderFrame();
    EXPECT_GE(countPixels(view, red ? Rgb{0, 255, 0} : Rgb{255, 0, 0}, 10), 4) << int(red);
  }
}

TEST(SceneFrame, SwitchingContextsRebuildsTextures) {
  OffscreenView view{160, 120};
  kvx::scene& scene = view.setScene(sceneWith(makeSquare(1)));
  auto texture = std::make_unique<SceneTexture>();
  texture->name = 3;
  texture->width = texture->height = 1;
  texture->bitmap = {0, 0, 255, 255};  // red
  scene.textures.add(std::move(texture));
  scene.objects[0]->textureName = 3;
  scene.objects[0]->lit = false;
  view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
  view.plugin.RenderFrame();
  EXPECT_TRUE(near(view.gl.at(80, 60), {255, 0, 0}, 2));
  {
    OffscreenContext other(160, 120);
    view.plugin.RenderFrame();
    EXPECT_TRUE(near(other.at(80, 60), {255, 0, 0}, 2));
  }
  view.gl.makeCurrent();
  view.plugin.RenderFrame();
  EXPECT_TRUE(near(view.gl.at(80, 60), {255, 0, 0}, 2));
}

}  // namespace
}  // namespace kvx::test
