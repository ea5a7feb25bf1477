// The control in a window: default scene, files, drags, keys, the overlay
// button, the tools window and the About dialog.
#include "control_fixture.h"

#include <X11/keysym.h>

#include <cmath>

namespace kvx::test {
namespace {

using glimmer::CGlimmerObj;

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class ControlView : public ControlTest {
 protected:
  CGlimmerObj* shownControl(const std::string& document = "") {
    CGlimmerObj* control = createControl();
    if (!document.empty()) control->Load(bstr(document).c_str());
    EXPECT_TRUE(pumpUntil([&] { return !control->currentDocument().empty() && control->engineInitialised(); }));
    pumpFor(200);
    return control;
  }
};

TEST_F(ControlView, WithoutADocumentShowsTheDefaultSceneAndTheOverlayButton) {
  CGlimmerObj* control = shownControl();
  EXPECT_TRUE(ends_with(control->currentDocument(), "/tamo.sys")) << control->currentDocument();
  const auto pixels = picture(control);
  ASSERT_EQ(pixels.size(), 400u * 300u);
  EXPECT_GT(distinctColours(pixels), 100u) << "a drawn scene, not a flat fallback";
  // The button's dark blue body sits in the bottom-right corner.
  const uint32_t button = pixels[(300 - 6) * 400 + (400 - 14)];
  EXPECT_LT(button >> 16 & 0xFF, 0x50);
  EXPECT_GT(button & 0xFF, 0x50);
  EXPECT_TRUE(site_->messages.empty()) << site_->messages.front();
  screenshot(control->Window(), "control-default-scene");
}

TEST_F(ControlView, LoadsANamedFileAtTheNextPaint) {
  const std::string file = sampleScene("named.kvx");
  CGlimmerObj* control = shownControl(file);
  EXPECT_EQ(control->currentDocument(), file);
  EXPECT_FALSE(control->pendingDocument());
}

TEST_F(ControlView, MissingCoreShowsTheFallbackAndSaysWhy) {
  glimmer::unregisterControl();
  CGlimmerObj* control = createControl();
  pumpFor(300);
  EXPECT_FALSE(control->engineInitialised());
  ASSERT_FALSE(site_->messages.empty());
  EXPECT_EQ(site_->messages.front(), "InitKVXEngine: Can't find Kavrik SDK Library !");
  EXPECT_EQ(site_->messages.size(), 1u) << "the same failure is not repeated at every paint";
  const auto pixels = picture(control);
  EXPECT_EQ(pixels[150 * 400 + 10], 0xBDBDBDu);  // RGB(189,189,189)
  EXPECT_EQ(pixels[150 * 400 + 0], 0x797979u);   // the 1-pixel outline
  screenshot(control->Window(), "control-fallback");
}

TEST_F(ControlView, ABadParentWindowIsReportedNotFatal) {
  site_->parent = 0x7FFFFF;  // no such window
  glimmer::IClassFactory* factory = nullptr;
  ASSERT_EQ(DllGetClassObject(glimmer::CLSID_GlimmerObj, glimmer::IID_IClassFactory, reinterpret_cast<void**>(&factory)),
            glimmer::S_OK);
  glimmer::IGlimmerInPlace* control = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, glimmer::IID_IGlimmerInPlace, reinterpret_cast<void**>(&control)),
            glimmer::S_OK);
  control->SetSite(site_.get());
  EXPECT_EQ(control->InPlaceActivate(0, 0, 100, 100), glimmer::E_FAIL);
  ASSERT_EQ(site_->messages.size(), 1u);
  EXPECT_EQ(site_->messages[0], "CreateContext: The container's window does not exist !");
  control->Release();
}

TEST_F(ControlView, DragsRotateZoomAndPanByButton) {
  CGlimmerObj* control = shownControl();
  auto snapshot = [&] { return control->manip(); };

  kvx_ManipInfo before = snapshot();
  drag(control, Button3, 200, 150, 200, 60);
  kvx_ManipInfo after = snapshot();
  EXPECT_NE(after.fieldOfView, before.fieldOfView) << "right drag zooms";
  EXPECT_EQ(after.panX, before.panX);

  before = after;
  drag(control, Button2, 200, 150, 260, 190);
  after = snapshot();
  EXPECT_TRUE(after.panX != before.panX || after.panY != before.panY) << "middle drag pans";
  EXPECT_EQ(after.fieldOfView, before.fieldOfView);

  before = after;
  drag(control, Button1, 100, 150, 220, 150);
  after = snapshot();
  EXPECT_NE(std::vector<float>(after.rotation, after.rotation + 4),
            std::vector<float>(before.rotation, before.rotation + 4))
      << "left drag rotates";
  EXPECT_EQ(after.fieldOfView, before.fieldOfView);
}

TEST_F(ControlView, KeyTAnimatesToTheTopViewInStepsUntilTheCoreEndsIt) {
  CGlimmerObj* control = shownControl();
  const kvx_ManipInfo before = control->manip();
  key(control, XK_t, ShiftMask);  // a letter acts whatever the Shift state
  ASSERT_TRUE(pumpUntil([&] { return control->interpolating(); }, 2000));
  int frames = 0;
  ASSERT_TRUE(pumpUntil([&] {
    ++frames;
    return !control->interpolating();
  }));
  EXPECT_GT(frames, 3) << "the change was animated, not a jump";
  const kvx_ManipInfo after = control->manip();
  EXPECT_NE(std::vector<float>(after.rotation, after.rotation + 4),
            std::vector<float>(before.rotation, before.rotation + 4));
  screenshot(control->Window(), "control-top-view");

  // F3 shares its code with "r": it turns to the right view, where "R"
  // then changes nothing.
  key(control, XK_F3);
  auto rotation = [&] {
    const kvx_ManipInfo& m = control->manip();
    return std::vector<float>(m.rotation, m.rotation + 4);
  };
  const auto top = rotation();
  ASSERT_TRUE(pumpUntil([&] { return rotation() != top && !control->interpolating(); }));
  const kvx_ManipInfo right = control->manip();
  key(control, XK_r);
  pumpFor(1500);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(control->manip().rotation[i], right.rotation[i], 1e-3);
}

TEST_F(ControlView, KeysWithCtrlOrAltAreOfferedToTheContainerFirst) {
  CGlimmerObj* control = shownControl();
  site_->takeAccelerators = true;
  key(control, XK_t, ControlMask);
  key(control, XK_s, ControlMask | ShiftMask);
  key(control, XK_l, Mod1Mask);
  pumpFor(300);
  EXPECT_FALSE(control->interpolating()) << "a key the container used is not the control's too";
  using Offer = std::pair<unsigned long, unsigned int>;
  EXPECT_EQ(site_->accelerators,
            (std::vector<Offer>{{XK_t, ControlMask}, {XK_s, ControlMask | ShiftMask}, {XK_l, Mod1Mask}}));

  // Plain and shifted keys stay the control's; a shortcut the container
  // does not know still acts as the letter.
  key(control, XK_t, ShiftMask);
  ASSERT_TRUE(pumpUntil([&] { return control->interpolating(); }, 2000));
  ASSERT_TRUE(pumpUntil([&] { return !control->interpolating(); }));
  EXPECT_EQ(site_->accelerators.size(), 3u);
  site_->takeAccelerators = false;
  key(control, XK_b, ControlMask);
  EXPECT_TRUE(pumpUntil([&] { return control->interpolating(); }, 2000));
  EXPECT_EQ(site_->accelerators.back(), Offer(XK_b, ControlMask));
}

TEST_F(ControlView, PAndEscapeStartAndStopTheAnimation) {
  CGlimmerObj* control = shownControl();
  key(control, XK_p);
  ASSERT_TRUE(pumpUntil([&] { return control->animating(); }, 2000));
  pumpFor(200);
  key(control, XK_Escape);
  ASSERT_TRUE(pumpUntil([&] { return !control->animating(); }, 2000));
}

TEST_F(ControlView, OverlayButtonOpensTheToolsWindowWhichActsOnTheControlClickedLast) {
  CGlimmerObj* left = createControl(0, 0, 400, 300);
  CGlimmerObj* right = createControl(410, 0, 400, 300);
  ASSERT_TRUE(pumpUntil([&] {
    return !left->currentDocument().empty() && !right->currentDocument().empty();
  }));
  pumpFor(200);

  button(left, true, Button1, 395, 295);  // inside the button's 64 x 32 corner
  button(left, false, Button1, 395, 295);
  ASSERT_TRUE(pumpUntil([&] { return site_->toolsOpen; }, 2000));
  EXPECT_EQ(site_->toolsTitle, "kavrik publish - tools");
  EXPECT_TRUE(left->isActive());

  // A second click shows it again and draws attention to it.
  button(left, true, Button1, 395, 295);
  pumpFor(100);
  ASSERT_GE(site_->toolsActions.size(), 3u);
  EXPECT_EQ(site_->toolsActions[site_->toolsActions.size() - 2], glimmer::ToolsAction::Show);
  EXPECT_EQ(site_->toolsActions.back(), glimmer::ToolsAction::Flash);

  button(right, true, Button1, 100, 100);  // a click in the view, not the button
  button(right, false, Button1, 100, 100);
  ASSERT_TRUE(pumpUntil([&] { return right->isActive(); }, 2000));
  left->ToolsCommand(207);  // play
  pumpFor(100);
  EXPECT_TRUE(right->animating());
  EXPECT_FALSE(left->animating());
  left->ToolsCommand(208);  // stop
  pumpFor(100);
  EXPECT_FALSE(right->animating());

  site_->browseAnswer = sampleScene("browsed.kvx");
  left->ToolsCommand(204);
  ASSERT_TRUE(pumpUntil([&] { return right->currentDocument() == site_->browseAnswer; }));
  EXPECT_EQ(site_->browseTitles.front(), "KAVRIK : Select file to load...");
  EXPECT_NE(left->currentDocument(), site_->browseAnswer);

  left->ToolsCommand(206);
  ASSERT_EQ(site_->aboutTitles.size(), 1u);
  EXPECT_EQ(site_->aboutTitles.front(), "kavrik publish - about");
}

TEST_F(ControlView, ToolsWindowStaysWithTheSiteOfAControlStillShown) {
  CGlimmerObj* left = createControl(0, 0, 400, 300);
  CGlimmerObj* right = createControl(410, 0, 400, 300);
  StandInSite rightSite(parent_);
  right->SetSite(&rightSite);
  ASSERT_TRUE(pumpUntil([&] { return left->engineInitialised() && right->engineInitialised(); }));
  button(left, true, Button1, 395, 295);
  ASSERT_TRUE(pumpUntil([&] { return site_->toolsOpen; }, 2000));

  // The container drops the left control and its site; the tools window
  // remains, and its end goes through the site still there.
  left->InPlaceDeactivate();
  const size_t leftActions = site_->toolsActions.size();
  right->InPlaceDeactivate();
  EXPECT_EQ(site_->toolsActions.size(), leftActions);
  ASSERT_FALSE(rightSite.toolsActions.empty());
  EXPECT_EQ(rightSite.toolsActions.back(), glimmer::ToolsAction::Destroy);
  right->SetSite(site_.get());
}

TEST_F(ControlView, WithoutToolBarTheOverlayButtonShowsAbout) {
  CGlimmerObj* control = shownControl();
  control->ShowToolbar(0);
  button(control, true, Button1, 399, 299);
  pumpFor(100);
  EXPECT_FALSE(site_->toolsOpen);
  ASSERT_EQ(site_->aboutTitles.size(), 1u);
}

}  // namespace
}  // namespace kvx::test
