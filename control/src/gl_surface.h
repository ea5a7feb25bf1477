#pragma once
// The control's X11 child window and its GLX context (double-buffered RGBA,
// 8 bits per colour, a depth buffer). The context is kept across resizes:
// a GLX drawable follows its window's size, and keeping it keeps the
// core's textures and display lists.
#include <X11/Xlib.h>
#include <GL/glx.h>

#include <stdexcept>
#include <string>

namespace glimmer {

class GlSurface {
 public:
  GlSurface() = default;
  ~GlSurface() { destroy(); }
  GlSurface(const GlSurface&) = delete;
  GlSurface& operator=(const GlSurface&) = delete;

  // Throws the failure text.
  void create(Display* display, unsigned long parent, int x, int y, int width, int height);
  void destroy();
  bool makeCurrent();
  bool swapBuffers();
  void moveResize(int x, int y, int width, int height);
  void setHandCursor(bool hand);
  void takeFocus();

  // Draws `text` with the surface's bitmap font at window pixel x, y (baseline).
  void drawText(const std::string& text, int x, int baseline);
  int textWidth(const std::string& text) const;
  int fontAscent() const { return font_ ? font_->ascent : 0; }
  int fontHeight() const { return font_ ? font_->ascent + font_->descent : 0; }

  unsigned long window() const { return window_; }
  bool exists() const { return window_ != 0; }

 private:
  Display* display_ = nullptr;
  Window window_ = 0;
  Colormap colormap_ = 0;
  GLXContext context_ = nullptr;
  XFontStruct* font_ = nullptr;
  unsigned int fontLists_ = 0;
  Cursor hand_ = 0, arrow_ = 0;
};

}  // namespace glimmer
