// Text labels in both fonts, and rubber bands drawn in exclusive-or.
#include "offscreen_view.h"
#include "render_scenes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kvx::test {
namespace {

int countColor(const OffscreenView& view, Rgb color) {
  int count = 0;
  for (int y = 0; y < view.gl.height(); ++y)
    for (int x = 0; x < view.gl.width(); ++x) {
      const Rgb p = view.gl.at(x, y);
      count += p.r == color.r && p.g == color.g && p.b == color.b;
    }
  return count;
}

// One label of each kind, stored the way files keep them.
std::vector<uint8_t> labelBlob(bool outline, const char* text) {
  std::vector<uint8_t> blob;
  auto put32 = [&](float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    for (int i = 0; i < 4; ++i) blob.push_back(uint8_t(v >> (8 * i)));
  };
  blob.push_back(outline);
  put32(-0.9f), put32(0), put32(0);
  const float matrix[16] = {0.4f, 0, 0, 0, 0, 0.4f, 0, 0, 0, 0, 0.4f, 0, -0.9f, -0.2f, 0, 1};
  for (float m : matrix) put32(m);
  blob.insert(blob.end(), {255, 255, 0, uint8_t(std::strlen(text))});
  blob.insert(blob.end(), text, text + std::strlen(text));
  return blob;
}

TEST(TextLabels, BothKindsAreDrawnInTheirColour) {
  for (bool outline : {false, true}) {
    OffscreenView view{160, 120};
    kvx::scene& scene = view.setScene(sceneWith(makeSquare(1, 0, 0, 80)));
    const auto blob = labelBlob(outline, "Kavrik");
    scene.add_blob(BLOB_ANNOTATIONS, uint32_t(blob.size()), blob.data());
    view.state().render.lastScene = nullptr;  // labels are read when the scene changes
    view.plugin.ViewPredefined(kvx_BaseSDK::VIEW_TOP);
    view.plugin.RenderFrame();
    view.keepPicture(outline ? "outline_label" : "bitmap_label");
    EXPECT_GT(countColor(view, {255, 255, 0}), 20) << (outline ? "outline" : "bitmap");
  }
}

// The band is drawn over a whole new frame and presented, so the scene stays
// visible around and inside it on a double-buffered window.
TEST(RubberBand, FollowsThePointerOverTheVisibleScene) {
  OffscreenView view{100, 80};
  view.setScene(sceneWith(makeSquare(1, 200, 40, 40)));
  view.plugin.RenderFrame();
  const Rgb inside = view.gl.at(50, 40);
  ASSERT_GT(inside.r, 100) << "the square covers the middle";
  const int squarePixels = countColor(view, inside);
  kvx_GL_Plugin::State& s = view.state();
  s.drag.rectangle = true;
  s.drag.startX = 45, s.drag.startY = 35;
  view.frame.currentX = 55, view.frame.currentY = 45;
  const int presentedBefore = view.presented;
  view.plugin.Render();
  EXPECT_EQ(view.presented, presentedBefore + 1) << "the band reaches the screen";
  EXPECT_EQ(view.gl.at(50, 40).r, inside.r) << "the scene inside the band stays";
  EXPECT_EQ(view.gl.at(50, 35).r, 255 - inside.r) << "top edge in exclusive-or";
  EXPECT_EQ(view.gl.at(55, 40).r, 255 - inside.r) << "right edge";
  EXPECT_GT(countColor(view, inside), squarePixels - 60) << "only the band's pixels changed";
  view.frame.currentX = 58, view.frame.currentY = 48;
  view.plugin.Render();
  EXPECT_EQ(view.gl.at(55, 40).r, inside.r) << "the old right edge is gone";
  EXPECT_EQ(view.gl.at(58, 40).r, 255 - inside.r);
  view.keepPicture("rubber_band_over_scene");
  s.drag.rectangle = false;
  view.plugin.RenderFrame();
  EXPECT_EQ(countColor(view, inside), squarePixels);
}

}  // namespace
}  // namespace kvx::test
