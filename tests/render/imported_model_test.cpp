// Imported models as a user sees them: fitted to the view, lit, textured.
#include "baseline_picture.h"
#include "exchange/model_exchange.h"
#include "model_fixtures.h"
#include "offscreen_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace kvx::test {
namespace {

// Distinct colours among the pixels of the middle third of the picture.
size_t coloursInTheMiddle(const OffscreenContext& gl) {
  std::set<int> colours;
  for (int y = gl.height() / 3; y < 2 * gl.height() / 3; ++y)
    for (int x = gl.width() / 3; x < 2 * gl.width() / 3; ++x) {
      const Rgb p = gl.at(x, y);
      colours.insert((p.r << 16) | (p.g << 8) | p.b);
    }
  return colours.size();
}

TEST(ImportedModel, FillsTheViewWithItsTextureShowing) {
  struct Case {
    const char* model;
    const char* picture;
    size_t minimumColours;  // a flat fill would give one or two
  };
  for (const Case& c : {Case{"glTF2/BoxTextured-glTF-Binary/BoxTextured.glb", "imported_box", 20},
                        Case{"Collada/duck.dae", "imported_duck", 20},
                        Case{"OBJ/spider.obj", "imported_spider", 20}}) {
    SCOPED_TRACE(c.model);
    TempEnv env;
    OffscreenView view(200, 160);
    auto s = std::make_unique<kvx::scene>();
    std::string error;
    ASSERT_TRUE(importModel(kAssimpModels / c.model, *s, error)) << error;
    view.setScene(std::move(s));
    view.plugin.SetBKColor(0, 0, 0);
    ASSERT_TRUE(view.plugin.Render());
    view.keepPicture(c.picture);
    EXPECT_GE(coloursInTheMiddle(view.gl), c.minimumColours);
  }
}

// What a model covers in the picture: the box of the pixels unlike the top
// right corner (the background), with their count and how many are pure
// white. The rulers of the predefined views (left and bottom) are left out.
struct Coverage {
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
  int pixels = 0, white = 0;
  int width() const { return right - left + 1; }
  int height() const { return bottom - top + 1; }
};

Coverage coverageOf(const OffscreenContext& gl) {
  constexpr int kRulerStrip = 30;
  const Rgb background = gl.at(gl.width() - 1, 0);
  Coverage c;
  for (int y = 0; y < gl.height() - kRulerStrip; ++y)
    for (int x = kRulerStrip; x < gl.width(); ++x) {
      const Rgb p = gl.at(x, y);
      if (p.r == background.r && p.g == background.g && p.b == background.b) continue;
      ++c.pixels;
      c.white += p.r == 255 && p.g == 255 && p.b == 255;
      c.left = std::min(c.left, x), c.right = std::max(c.right, x);
      c.top = std::min(c.top, y), c.bottom = std::max(c.bottom, y);
    }
  return c;
}

// Imports the model into a scene file and opens that as the viewer does.
void openImported(OffscreenView& view, const std::filesystem::path& model, const TempEnv& env) {
  kvx::scene s;
  std::string error;
  ASSERT_TRUE(importModel(model, s, error)) << error;
  const std::string file = env.path("imported.kvx").string();
  ASSERT_GT(s.Write(file.c_str(), nullptr, 0, false, nullptr, nullptr, nullptr), 7);
  ASSERT_GT(view.plugin.LoadFile(file.c_str(), nullptr, false), 7);
}

TEST(ImportedModel, TheFrontViewShowsTheFrontUpright) {
  TempEnv env;
  for (const bool zUp : {false, true}) {
    SCOPED_TRACE(zUp ? "STL, z up" : "OBJ, y up");
    OffscreenView view(200, 160);
    openImported(view, zUp ? writeStandingColumnStl(env.root()) : writeStandingColumnObj(env.root()), env);
    view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_FRONT);
    ASSERT_TRUE(view.plugin.RenderFrame());
    view.keepPicture(zUp ? "column_front_z_up" : "column_front_y_up");
    const Coverage c = coverageOf(view.gl);
    ASSERT_GT(c.pixels, 100);
    EXPECT_GT(c.height(), c.width() * 3 / 2) << "standing, not lying";
    if (!zUp) {
      const Rgb middle = view.gl.at((c.left + c.right) / 2, (c.top + c.bottom) / 2);
      EXPECT_GT(middle.r, middle.b + 60) << "the red front faces the front view";
    }
  }
}

// A model with no materials, lights or cameras of its own opens lit, shaded
// and framed; the opening view looks at its front from above.
TEST(ImportedModel, ModelsWithoutTheirOwnLookOpenLookingLikeModels) {
  const struct {
    const char* model;
    const char* picture;
    bool textured;  // a texture may well be white
  } cases[] = {{"PLY/Wuson.ply", "opened_wuson_ply", false},
               {"STL/Spider_binary.stl", "opened_spider_stl", false},
               {"Collada/duck.dae", "opened_duck_dae", true},
               {"glTF2/BoxTextured-glTF-Binary/BoxTextured.glb", "opened_box_glb", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    TempEnv env;
    OffscreenView view(240, 180);
    openImported(view, kAssimpModels / c.model, env);
    ASSERT_TRUE(view.plugin.RenderFrame());
    view.keepPicture(c.picture);
    const Rgb corner = view.gl.at(0, 0);
    EXPECT_FALSE(corner.r == 0 && corner.g == 0 && corner.b == 0) << "a background that is not black";
    const Coverage covered = coverageOf(view.gl);
    EXPECT_GT(covered.height(), view.gl.height() / 4) << "the model fills a sensible part";
    EXPECT_GT(covered.width(), view.gl.width() / 4);
    if (!c.textured) {
      EXPECT_LT(covered.white, covered.pixels / 20) << "no saturated blob";
    }
    EXPECT_GE(coloursInTheMiddle(view.gl), 30u) << "shading varies across the surface";
    // Looked at and kept: a change of the look shows here first.
    const std::string baseline = std::string(KVX_SOURCE_DIR) + "/tests/render/baselines/" + c.picture + ".png";
    const auto difference = differenceFromPicture(view.gl, baseline);
    ASSERT_TRUE(difference) << baseline;
    EXPECT_LT(*difference, 4.0) << "differs from " << baseline;
  }
}

}  // namespace
}  // namespace kvx::test
