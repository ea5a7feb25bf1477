// Imported models as a user sees them: fitted to the view, lit, textured.
#include "exchange/model_exchange.h"
#include "model_fixtures.h"
#include "offscreen_view.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kvx::test
