// kavrik-publish started as a user would: controls side by side, the tools
// window, saving and reopening a document, exit statuses.
#include <gtest/gtest.h>

#include "publish_document.h"
#include "run_command.h"
#include "temp_env.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

extern char** environ;

namespace kvx::test {
namespace {

const std::string kProgram = std::string(KVX_BIN_DIR) + "/kavrik-publish";

class ContainerProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = XOpenDisplay(nullptr);
    if (!display_) GTEST_SKIP() << "no X display";
    env_.set("TMPDIR", env_.root());
  }
  void TearDown() override {
    stop();
    if (display_) XCloseDisplay(display_);
  }

  std::string sample(const std::string& name) {
    const std::string path = env_.path(name).string();
    runCommand(std::string(KVX_BIN_DIR) + "/kvx sample '" + path + "' >/dev/null");
    return path;
  }

  // A scene unlike the sample one (and the default scene).
  std::string otherScene(const std::string& name) {
    const std::string path = env_.path(name).string();
    runCommand(std::string(KVX_BIN_DIR) + "/kvx convert /usr/share/assimp/models/STL/Wuson.stl '" + path +
               "' >/dev/null");
    return path;
  }

  void start(std::vector<std::string> args, const std::string& program = kProgram) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ASSERT_EQ(posix_spawnp(&pid_, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
  }
  // Exit status after the window is closed; -1 when it did not end.
  int closeAndWait() {
    if (Window frame = findWindow("kavrik publish")) {
      XEvent e{};
      e.xclient.type = ClientMessage;
      e.xclient.window = frame;
      e.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
      e.xclient.format = 32;
      e.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
      XSendEvent(display_, frame, False, NoEventMask, &e);
      XFlush(display_);
    }
    return waitExit(10000);
  }
  int waitExit(int timeoutMs) {
    for (int waited = 0; pid_ > 0 && waited < timeoutMs; waited += 20) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }
  void stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  Window findWindow(const std::string& title, Window from = 0) {
    if (!from) from = DefaultRootWindow(display_);
    char* name = nullptr;
    if (XFetchName(display_, from, &name) && name) {
      const bool match = title == name;
      XFree(name);
      if (match) return from;
    }
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display_, from, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) found = findWindow(title, children[i]);
    if (children) XFree(children);
    return found;
  }
  bool waitFor(const std::function<bool()>& done, int timeoutMs = 15000) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  // The controls' windows: the grandchildren of the frame, left to right.
  std::vector<Window> controlWindows(Window frame) {
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    // A window manager or toolkit may put a wrapper between: look inside it.
    if (XQueryTree(display_, frame, &root, &parent, &children, &count) && count == 1) {
      const Window only = children[0];
      XFree(children);
      if (auto inner = controlWindows(only); !inner.empty()) return inner;
    } else if (children) {
      XFree(children);
    }
    std::vector<std::pair<int, Window>> found;
    Window* cells = nullptr;
    unsigned int cellCount = 0;
    XQueryTree(display_, frame, &root, &parent, &cells, &cellCount);
    for (unsigned int i = 0; i < cellCount; ++i) {
      Window *inner = nullptr;
      unsigned int innerCount = 0;
      XQueryTree(display_, cells[i], &root, &parent, &inner, &innerCount);
      for (unsigned int j = 0; j < innerCount; ++j) {
        XWindowAttributes a;
        XGetWindowAttributes(display_, inner[j], &a);
        int x, y;
        Window child;
        XTranslateCoordinates(display_, inner[j], DefaultRootWindow(display_), 0, 0, &x, &y, &child);
        if (a.width > 100 && a.map_state == IsViewable) found.emplace_back(x, inner[j]);
      }
      if (inner) XFree(inner);
    }
    if (cells) XFree(cells);
    std::sort(found.begin(), found.end());
    std::vector<Window> windows;
    for (auto& [x, w] : found) windows.push_back(w);
    return windows;
  }
  std::vector<uint32_t> pixels(Window window) {
    XWindowAttributes a;
    XGetWindowAttributes(display_, window, &a);
    XImage* image = XGetImage(display_, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    std::vector<uint32_t> out;
    if (!image) return out;
    for (int y = 0; y < image->height; ++y)
      for (int x = 0; x < image->width; ++x) out.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    return out;
  }
  static double differingShare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size() || a.empty()) return 1.0;
    size_t differing = 0;
    for (size_t i = 0; i < a.size(); ++i) differing += a[i] != b[i];
    return static_cast<double>(differing) / static_cast<double>(a.size());
  }
  static size_t distinct(std::vector<uint32_t> p) {
    std::sort(p.begin(), p.end());
    return static_cast<size_t>(std::unique(p.begin(), p.end()) - p.begin());
  }
  void screenshot(Window window, const std::string& name) {
    const char* folder = std::getenv("KVX_SCREENSHOT_DIR");
    if (!folder || !*folder) return;
    runCommand("mkdir -p '" + std::string(folder) + "' && import -window " + std::to_string(window) + " '" + folder +
               "/" + name + ".png' 2>/dev/null");
  }
  // Both controls drew a scene (not a blank or the grey fallback).
  std::vector<Window> twoDrawnControls() {
    Window frame = 0;
    EXPECT_TRUE(waitFor([&] { return (frame = findWindow("kavrik publish")) != 0; }));
    std::vector<Window> controls;
    EXPECT_TRUE(waitFor([&] {
      controls = controlWindows(frame);
      return controls.size() == 2 && distinct(pixels(controls[0])) > 100 && distinct(pixels(controls[1])) > 100;
    }));
    return controls;
  }
  void click(Window window, int x, int y) {
    for (int type : {ButtonPress, ButtonRelease}) {
      XEvent e{};
      e.xbutton.type = type;
      e.xbutton.window = window;
      e.xbutton.button = Button1;
      e.xbutton.x = x;
      e.xbutton.y = y;
      e.xbutton.same_screen = True;
      XSendEvent(display_, window, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
    }
    XFlush(display_);
  }

  // Real input through the server, as from the user's pointer and keyboard:
  // it reaches whichever window is under the pointer or has the focus.
  struct Rect {
    int x, y, width, height;
  };
  Rect onScreen(Window window) {
    XWindowAttributes a;
    XGetWindowAttributes(display_, window, &a);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    return {x, y, a.width, a.height};
  }
  void pause() {
    XSync(display_, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
  }
  void realClick(int rootX, int rootY) {
    XTestFakeMotionEvent(display_, -1, rootX, rootY, CurrentTime);
    pause();
    XTestFakeButtonEvent(display_, Button1, True, CurrentTime);
    pause();
    XTestFakeButtonEvent(display_, Button1, False, CurrentTime);
    pause();
  }
  void realKey(KeySym keysym, KeySym modifier) {
    const unsigned int key = XKeysymToKeycode(display_, keysym), held = XKeysymToKeycode(display_, modifier);
    for (auto [code, down] : {std::pair{held, True}, {key, True}, {key, False}, {held, False}}) {
      XTestFakeKeyEvent(display_, code, down, CurrentTime);
      pause();
    }
  }
  Window focusedWindow() {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    return focus;
  }
  // Opens the tools window with the control's overlay button and puts it
  // below the frame, away from the controls it would otherwise cover.
  Window openToolsWindow(Window control) {
    const Rect c = onScreen(control);
    realClick(c.x + c.width - 5, c.y + c.height - 5);
    Window tools = 0;
    EXPECT_TRUE(waitFor([&] { return (tools = findWindow("kavrik publish - tools")) != 0 && viewable(tools); }));
    if (!tools) return 0;
    const Rect frame = onScreen(findWindow("kavrik publish"));
    XMoveWindow(display_, tools, frame.x, frame.y + frame.height + 60);
    XSync(display_, False);
    EXPECT_TRUE(waitFor([&] { return onScreen(tools).y >= frame.y + frame.height + 60; }, 3000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return tools;
  }
  // The tools window's buttons stand in one row of equal cells: browse,
  // play, stop, About.
  void clickToolButton(Window tools, int index) {
    const Rect t = onScreen(tools);
    realClick(t.x + t.width * (2 * index + 1) / 8, t.y + t.height / 2);
  }
  bool viewable(Window window) {
    XWindowAttributes a;
    return XGetWindowAttributes(display_, window, &a) && a.map_state == IsViewable;
  }

  TempEnv env_;
  Display* display_ = nullptr;
  pid_t pid_ = -1;
};

TEST_F(ContainerProgram, TwoFilesShowSideBySide) {
  start({sample("one.kvx"), otherScene("two.kvx")});
  const auto controls = twoDrawnControls();
  ASSERT_EQ(controls.size(), 2u);
  screenshot(findWindow("kavrik publish"), "publish-two-files");
  EXPECT_EQ(closeAndWait(), 0);
}

TEST_F(ContainerProgram, OverlayButtonOpensTheToolsWindow) {
  start({sample("one.kvx")});
  Window frame = 0;
  ASSERT_TRUE(waitFor([&] { return (frame = findWindow("kavrik publish")) != 0; }));
  std::vector<Window> controls;
  ASSERT_TRUE(waitFor([&] { return (controls = controlWindows(frame)).size() == 1 && distinct(pixels(controls[0])) > 100; }));
  XWindowAttributes a;
  XGetWindowAttributes(display_, controls[0], &a);
  click(controls[0], a.width - 5, a.height - 5);
  Window tools = 0;
  ASSERT_TRUE(waitFor([&] { return (tools = findWindow("kavrik publish - tools")) != 0; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  screenshot(tools, "publish-tools-window");
  EXPECT_EQ(closeAndWait(), 0);
}

TEST_F(ContainerProgram, CtrlSSavesTheDocumentWhileAControlHasTheFocus) {
  const std::string document = env_.path("page.kvxdoc").string();
  start({"--save", document, sample("one.kvx"), otherScene("two.kvx")});
  const auto controls = twoDrawnControls();
  ASSERT_EQ(controls.size(), 2u);
  const Rect right = onScreen(controls[1]);
  realClick(right.x + right.width / 2, right.y + right.height / 2);
  ASSERT_TRUE(waitFor([&] { return focusedWindow() == controls[1]; }, 5000)) << "the click gives the control the focus";

  realKey(XK_s, XK_Control_L);
  ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(document); }, 5000)) << "saved while the window is open";
  std::string error;
  const auto streams = publish::decodeDocument(readFile(document), error);
  ASSERT_TRUE(streams) << error;
  ASSERT_EQ(streams->size(), 2u);
  EXPECT_NE((*streams)[1].find(readFile(env_.path("two.kvx"))), std::string::npos);
  EXPECT_EQ(focusedWindow(), controls[1]) << "the control keeps the focus";
  EXPECT_EQ(closeAndWait(), 0);
}

TEST_F(ContainerProgram, ToolsWindowButtonsActOnTheControlClickedLast) {
  start({sample("one.kvx"), otherScene("two.kvx")});
  const auto controls = twoDrawnControls();
  ASSERT_EQ(controls.size(), 2u);
  const Window tools = openToolsWindow(controls[0]);
  ASSERT_NE(tools, 0u);
  const Rect right = onScreen(controls[1]);
  realClick(right.x + right.width / 2, right.y + right.height / 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const std::vector<uint32_t> leftStill = pixels(controls[0]), rightStill = pixels(controls[1]);

  clickToolButton(tools, 1);  // play: a tour of the views
  EXPECT_TRUE(waitFor([&] { return differingShare(pixels(controls[1]), rightStill) > 0.02; }, 5000))
      << "the control clicked last plays";
  screenshot(findWindow("kavrik publish"), "publish-tools-play");
  screenshot(tools, "publish-tools-window-buttons");
  EXPECT_LT(differingShare(pixels(controls[0]), leftStill), 0.01) << "the other control stays still";

  clickToolButton(tools, 2);  // stop: back to the view it started from
  EXPECT_TRUE(waitFor([&] { return differingShare(pixels(controls[1]), rightStill) < 0.01; }, 5000));
  EXPECT_LT(differingShare(pixels(controls[0]), leftStill), 0.01);
  EXPECT_EQ(closeAndWait(), 0);
}

TEST_F(ContainerProgram, AboutDialogFromTheToolsWindowClosesWithItsButton) {
  start({sample("one.kvx")});
  Window frame = 0;
  ASSERT_TRUE(waitFor([&] { return (frame = findWindow("kavrik publish")) != 0; }));
  std::vector<Window> controls;
  ASSERT_TRUE(waitFor([&] { return (controls = controlWindows(frame)).size() == 1 && distinct(pixels(controls[0])) > 100; }));
  const Window tools = openToolsWindow(controls[0]);
  ASSERT_NE(tools, 0u);

  clickToolButton(tools, 3);
  Window about = 0;
  ASSERT_TRUE(waitFor([&] { return (about = findWindow("kavrik publish - about")) != 0 && viewable(about); }, 5000));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  screenshot(about, "publish-about");
  // "Close" is the last button of the bottom row, 8 pixels in from the corner.
  const Rect a = onScreen(about);
  realClick(a.x + a.width - 8 - 20, a.y + a.height - 8 - 12);
  EXPECT_TRUE(waitFor([&] { return findWindow("kavrik publish - about") == 0; }, 5000));
  EXPECT_EQ(closeAndWait(), 0) << "the program goes on after the modal dialog";
}

TEST_F(ContainerProgram, SavedDocumentReopensTheSameScenes) {
  const std::string document = env_.path("page.kvxdoc").string();
  start({"--save", document, sample("one.kvx"), otherScene("two.kvx")});
  const auto before = twoDrawnControls();
  ASSERT_EQ(before.size(), 2u);
  const std::vector<std::vector<uint32_t>> shownBefore = {pixels(before[0]), pixels(before[1])};
  ASSERT_EQ(closeAndWait(), 0);

  std::string error;
  const auto streams = publish::decodeDocument(readFile(document), error);
  ASSERT_TRUE(streams) << error;
  ASSERT_EQ(streams->size(), 2u);
  EXPECT_NE((*streams)[1].find(readFile(env_.path("two.kvx"))), std::string::npos) << "the file is embedded";

  // The files themselves are gone: the document carries the scenes.
  std::filesystem::remove(env_.path("one.kvx"));
  std::filesystem::remove(env_.path("two.kvx"));
  start({"--open", document});
  const auto after = twoDrawnControls();
  ASSERT_EQ(after.size(), 2u);
  // Wait for the embedded scenes to replace whatever was drawn first.
  EXPECT_TRUE(waitFor([&] { return differingShare(pixels(after[1]), shownBefore[1]) < 0.01; }));
  for (int i = 0; i < 2; ++i)
    EXPECT_LT(differingShare(pixels(after[i]), shownBefore[i]), 0.01) << "control " << i << ": the same scene";
  EXPECT_GT(differingShare(shownBefore[0], shownBefore[1]), 0.1) << "two different scenes to tell apart";
  screenshot(findWindow("kavrik publish"), "publish-reopened");
  EXPECT_EQ(closeAndWait(), 0);
}

TEST_F(ContainerProgram, TkExampleEmbedsAControlShowingTheDefaultScene) {
  if (runCommand("python3 -c 'import tkinter' 2>&1").status != 0) GTEST_SKIP() << "python3-tk is missing";
  start({std::string(KVX_SOURCE_DIR) + "/examples/tk_container.py", "--library",
         std::string(KVX_BIN_DIR) + "/libglimmer.so"},
        "python3");
  Window frame = 0;
  ASSERT_TRUE(waitFor([&] { return (frame = findWindow("Glimmer in Tk")) != 0; }));
  Window control = 0;
  ASSERT_TRUE(waitFor([&] {
    const auto found = controlWindows(frame);
    control = found.empty() ? 0 : found.front();
    return control && distinct(pixels(control)) > 100;
  }));
  screenshot(frame, "tk-example");
  stop();
}

TEST_F(ContainerProgram, DocumentThatCannotBeSavedEndsWithStatusOne) {
  start({"--save", env_.path("no/such/folder/page.kvxdoc").string(), sample("one.kvx")});
  Window frame = 0;
  ASSERT_TRUE(waitFor([&] { return (frame = findWindow("kavrik publish")) != 0; }));
  ASSERT_TRUE(waitFor([&] { return controlWindows(frame).size() == 1; }));
  EXPECT_EQ(closeAndWait(), 1);
}

TEST_F(ContainerProgram, ExitStatuses) {
  struct Case {
    std::string args;
    int status;
  } cases[] = {
      {"--grid", 2},
      {"--grid 0x3 a.kvx", 2},
      {"--grid 2by2", 2},
      {"--bogus", 2},
      {"--open '" + env_.path("missing.kvxdoc").string() + "'", 1},
      {"--open '" + std::string(KVX_BIN_DIR) + "/tamo.sys'", 1},
  };
  for (const Case& c : cases) {
    const CommandResult result = runCommand(kProgram + " " + c.args + " 2>&1");
    EXPECT_EQ(result.status, c.status) << c.args << ": " << result.output;
  }
  EXPECT_EQ(runCommand(kProgram + " --register").status, 0);
  EXPECT_EQ(runCommand(kProgram + " --unregister").status, 0);
}

}  // namespace
}  // namespace kvx::test
