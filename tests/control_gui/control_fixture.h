#pragma once
// Controls inside a plain X window of the test, answered by a stand-in site.
// The control's window gets real X events, sent with XSendEvent.
// gtest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "glimmer_com.h"
#include "glimmer_obj.h"
#include "registration.h"
#include "run_command.h"
#include "temp_env.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace kvx::test {

struct StandInSite final : glimmer::IGlimmerSite {
  explicit StandInSite(unsigned long parent) : parent(parent) {}
  unsigned long ParentWindow() override { return parent; }
  void ShowMessage(const char* caption, const char* text, glimmer::MessageIcon) override {
    messages.push_back(std::string(caption) + ": " + text);
  }
  bool BrowseForFile(const glimmer::OpenFileSpec& spec, char* name, int nameSize) override {
    browseTitles.push_back(spec.title);
    if (browseAnswer.empty() || static_cast<int>(browseAnswer.size()) >= nameSize) return false;
    std::copy(browseAnswer.c_str(), browseAnswer.c_str() + browseAnswer.size() + 1, name);
    return true;
  }
  bool ToolsWindow(glimmer::ToolsAction action, const glimmer::ToolsWindowSpec& spec) override {
    toolsActions.push_back(action);
    toolsTitle = spec.title;
    if (action == glimmer::ToolsAction::Create) toolsOpen = true;
    if (action == glimmer::ToolsAction::Destroy) toolsOpen = false;
    return action == glimmer::ToolsAction::Create || toolsOpen;
  }
  void AboutDialog(const glimmer::AboutSpec& spec) override { aboutTitles.push_back(spec.title); }
  void DataChanged() override { ++dataChanges; }
  bool TranslateAccelerator(unsigned long keysym, unsigned int modifiers) override {
    accelerators.emplace_back(keysym, modifiers);
    return takeAccelerators;
  }

  unsigned long parent;
  std::vector<std::string> messages, browseTitles, aboutTitles;
  std::vector<glimmer::ToolsAction> toolsActions;
  std::string toolsTitle, browseAnswer;
  std::vector<std::pair<unsigned long, unsigned int>> accelerators;
  bool toolsOpen = false, takeAccelerators = false;
  int dataChanges = 0;
};

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = XOpenDisplay(nullptr);
    if (!display_) GTEST_SKIP() << "no X display";
    env_.set("TMPDIR", env_.root());
    ASSERT_TRUE(glimmer::registerControl(std::string(KVX_BIN_DIR) + "/libglimmer.so"));
    parent_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 820, 320, 0, 0, 0x303030);
    XMapWindow(display_, parent_);
    XSync(display_, False);
    site_ = std::make_unique<StandInSite>(parent_);
  }
  void TearDown() override {
    for (glimmer::CGlimmerObj* control : controls_) {
      control->InPlaceDeactivate();
      static_cast<glimmer::IGlimmerObj*>(control)->Release();
    }
    if (display_) {
      XDestroyWindow(display_, parent_);
      XCloseDisplay(display_);
    }
    glimmer::downloadLimits() = {};
  }

  glimmer::CGlimmerObj* createControl(int x = 0, int y = 0, int width = 400, int height = 300) {
    glimmer::IClassFactory* factory = nullptr;
    EXPECT_EQ(DllGetClassObject(glimmer::CLSID_GlimmerObj, glimmer::IID_IClassFactory,
                                reinterpret_cast<void**>(&factory)),
              glimmer::S_OK);
    glimmer::IGlimmerObj* object = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, glimmer::IID_IGlimmerObj, reinterpret_cast<void**>(&object)),
              glimmer::S_OK);
    auto* control = static_cast<glimmer::CGlimmerObj*>(object);
    control->SetSite(site_.get());
    EXPECT_EQ(control->InPlaceActivate(x, y, width, height), glimmer::S_OK);
    controls_.push_back(control);
    return control;
  }

  // Runs the controls' loop until `done` holds or the time is up.
  bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 8000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
      if (!controls_.empty()) controls_.front()->DispatchPending(nullptr);
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }
  void pumpFor(int ms) {
    pumpUntil([] { return false; }, ms);
  }

  void send(glimmer::CGlimmerObj* control, XEvent event, long mask) {
    event.xany.window = control->Window();
    event.xany.display = display_;
    XSendEvent(display_, control->Window(), False, mask, &event);
    XFlush(display_);
  }
  void button(glimmer::CGlimmerObj* control, bool press, unsigned int which, int x, int y) {
    XEvent e{};
    e.xbutton.type = press ? ButtonPress : ButtonRelease;
    e.xbutton.button = which;
    e.xbutton.x = x;
    e.xbutton.y = y;
    e.xbutton.state = press ? 0 : (Button1Mask << (which - 1));
    e.xbutton.same_screen = True;
    send(control, e, press ? ButtonPressMask : ButtonReleaseMask);
  }
  void motion(glimmer::CGlimmerObj* control, unsigned int state, int x, int y) {
    XEvent e{};
    e.xmotion.type = MotionNotify;
    e.xmotion.x = x;
    e.xmotion.y = y;
    e.xmotion.state = state;
    e.xmotion.same_screen = True;
    send(control, e, PointerMotionMask);
  }
  void drag(glimmer::CGlimmerObj* control, unsigned int which, int x0, int y0, int x1, int y1) {
    button(control, true, which, x0, y0);
    for (int step = 1; step <= 4; ++step)
      motion(control, Button1Mask << (which - 1), x0 + (x1 - x0) * step / 4, y0 + (y1 - y0) * step / 4);
    button(control, false, which, x1, y1);
    pumpFor(150);
  }
  void key(glimmer::CGlimmerObj* control, KeySym keysym, unsigned int state = 0) {
    XEvent e{};
    e.xkey.type = KeyPress;
    e.xkey.keycode = XKeysymToKeycode(display_, keysym);
    e.xkey.state = state;
    e.xkey.same_screen = True;
    send(control, e, KeyPressMask);
  }

  // The control's picture as 0xRRGGBB pixels.
  std::vector<uint32_t> picture(glimmer::CGlimmerObj* control) {
    pumpFor(100);
    XImage* image = XGetImage(display_, control->Window(), 0, 0, control->width(), control->height(), AllPlanes,
                              ZPixmap);
    std::vector<uint32_t> pixels;
    if (!image) return pixels;
    for (int y = 0; y < image->height; ++y)
      for (int x = 0; x < image->width; ++x) pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
  }
  static size_t distinctColours(const std::vector<uint32_t>& pixels) {
    std::vector<uint32_t> sorted = pixels;
    std::sort(sorted.begin(), sorted.end());
    return static_cast<size_t>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
  }
  // Kept for people to look at when KVX_SCREENSHOT_DIR names a folder.
  void screenshot(unsigned long window, const std::string& name) {
    const char* folder = std::getenv("KVX_SCREENSHOT_DIR");
    if (!folder || !*folder) return;
    pumpFor(100);
    runCommand("mkdir -p '" + std::string(folder) + "' && import -window " + std::to_string(window) + " '" + folder +
               "/" + name + ".png' 2>/dev/null");
  }
  std::string sampleScene(const std::string& name) {
    const std::string path = env_.path(name).string();
    runCommand(std::string(KVX_BIN_DIR) + "/kvx sample '" + path + "' >/dev/null");
    return path;
  }

  TempEnv env_;
  Display* display_ = nullptr;
  Window parent_ = 0;
  std::unique_ptr<StandInSite> site_;
  std::vector<glimmer::CGlimmerObj*> controls_;
};

inline std::u16string bstr(const std::string& s) { return std::u16string(s.begin(), s.end()); }

}  // namespace kvx::test
