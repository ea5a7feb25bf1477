#include "gl_surface.h"

#include <X11/cursorfont.h>

namespace glimmer {
namespace {

constexpr long kEventMask = ExposureMask | StructureNotifyMask | KeyPressMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | FocusChangeMask;

XVisualInfo* chooseVisual(Display* display) {
  // 32 depth bits first, as the design asks, then what the server offers.
  for (int depth : {32, 24, 16}) {
    int attributes[] = {GLX_RGBA,     GLX_DOUBLEBUFFER, GLX_RED_SIZE,   8,     GLX_GREEN_SIZE, 8,
                        GLX_BLUE_SIZE, 8,               GLX_DEPTH_SIZE, depth, None};
    if (XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes)) return visual;
  }
  return nullptr;
}

// Caption font: a proportional face when the server has one, else "fixed".
XFontStruct* loadCaptionFont(Display* display) {
  for (const char* name : {"-*-dejavu sans-medium-r-normal--15-*-*-*-*-*-iso8859-1",
                           "-*-helvetica-medium-r-normal--14-*-*-*-*-*-iso8859-1", "-misc-fixed-medium-r-normal--13-*",
                           "fixed"})
    if (XFontStruct* font = XLoadQueryFont(display, name)) return font;
  return nullptr;
}

bool windowExists(Display* display, unsigned long window) {
  // The default handler would end the process over a bad window from the
  // container; a quiet one stands in for this one request.
  static bool failed;
  failed = false;
  XSync(display, False);
  auto previous = XSetErrorHandler([](Display*, XErrorEvent*) {
    failed = true;
    return 0;
  });
  XWindowAttributes attributes;
  const bool answered = XGetWindowAttributes(display, window, &attributes) != 0;
  XSync(display, False);
  XSetErrorHandler(previous);
  return answered && !failed;
}

}  // namespace

void GlSurface::create(Display* display, unsigned long parent, int x, int y, int width, int height) {
  if (!display) throw std::runtime_error("Can't open the X display !");
  if (!parent || !windowExists(display, parent)) throw std::runtime_error("The container's window does not exist !");
  display_ = display;
  XVisualInfo* visual = chooseVisual(display);
  if (!visual) throw std::runtime_error("ChoosePixelFormat() failed");
  colormap_ = XCreateColormap(display, parent, visual->visual, AllocNone);
  XSetWindowAttributes attributes{};
  attributes.colormap = colormap_;
  attributes.event_mask = kEventMask;
  attributes.border_pixel = 0;
  attributes.background_pixmap = None;  // nothing is erased
  window_ = XCreateWindow(display, parent, x, y, std::max(1, width), std::max(1, height), 0, visual->depth,
                          InputOutput, visual->visual, CWColormap | CWEventMask | CWBorderPixel | CWBackPixmap,
                          &attributes);
  context_ = glXCreateContext(display, visual, nullptr, True);
  XFree(visual);
  if (!context_) {
    destroy();
    throw std::runtime_error("SetPixelFormat() failed");
  }
  hand_ = XCreateFontCursor(display, XC_hand2);
  arrow_ = XCreateFontCursor(display, XC_left_ptr);
  XDefineCursor(display, window_, arrow_);
  XMapWindow(display, window_);
  font_ = loadCaptionFont(display);
  makeCurrent();
  if (font_) {
    fontLists_ = glGenLists(256);
    glXUseXFont(font_->fid, 0, 256, fontLists_);
  }
}

void GlSurface::destroy() {
  if (!display_) return;
  if (context_) {
    glXMakeCurrent(display_, None, nullptr);
    glXDestroyContext(display_, context_);
  }
  if (font_) XFreeFont(display_, font_);
  if (hand_) XFreeCursor(display_, hand_);
  if (arrow_) XFreeCursor(display_, arrow_);
  if (window_) XDestroyWindow(display_, window_);
  if (colormap_) XFreeColormap(display_, colormap_);
  // Done before the container goes on to destroy the parent window.
  XSync(display_, False);
  context_ = nullptr;
  font_ = nullptr;
  fontLists_ = 0;
  hand_ = arrow_ = 0;
  window_ = 0;
  colormap_ = 0;
  display_ = nullptr;
}

bool GlSurface::makeCurrent() { return context_ && glXMakeCurrent(display_, window_, context_); }

bool GlSurface::swapBuffers() {
  if (!context_) return false;
  glXSwapBuffers(display_, window_);
  return true;
}

void GlSurface::moveResize(int x, int y, int width, int height) {
  if (window_) XMoveResizeWindow(display_, window_, x, y, std::max(1, width), std::max(1, height));
}

void GlSurface::setHandCursor(bool hand) {
  if (window_) XDefineCursor(display_, window_, hand ? hand_ : arrow_);
}

void GlSurface::takeFocus() {
  if (window_) XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
}

void GlSurface::drawText(const std::string& text, int x, int baseline) {
  if (!fontLists_ || text.empty()) return;
  glRasterPos2i(x, baseline);
  glListBase(fontLists_);
  // Glyphs without pixels (the space) draw nothing and would not advance.
  const int space = XTextWidth(font_, " ", 1);
  for (unsigned char c : text) {
    if (c == ' ')
      glBitmap(0, 0, 0, 0, static_cast<GLfloat>(space), 0, nullptr);
    else
      glCallList(fontLists_ + c);
  }
}

int GlSurface::textWidth(const std::string& text) const {
  return font_ ? XTextWidth(font_, text.data(), static_cast<int>(text.size())) : 0;
}

}  // namespace glimmer
