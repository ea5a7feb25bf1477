// One red triangle a frame, with GL reached in the way chosen when this
// file is compiled: KVX_STYLE_LINKED (libGL, or libOpenGL with libGLX),
// KVX_STYLE_GETPROC (every GL function through glXGetProcAddressARB) or
// KVX_STYLE_DLOPEN (dlopen of libGL and dlsym for everything, GLX too).
// Usage: loading_style FRAMES [flush|shared]  (flush: single-buffered, never
// swaps; shared: the triangle is a list compiled in a first context and
// called from a second one that shares its lists)
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Gl {
  void (*clear)(GLbitfield);
  void (*begin)(GLenum);
  void (*end)();
  void (*color3f)(GLfloat, GLfloat, GLfloat);
  void (*vertex3f)(GLfloat, GLfloat, GLfloat);
  void (*loadIdentity)();
  void (*translatef)(GLfloat, GLfloat, GLfloat);
  void (*flush)();
  void (*newList)(GLuint, GLenum);
  void (*endList)();
  void (*callList)(GLuint);
  XVisualInfo* (*chooseVisual)(Display*, int, int*);
  GLXContext (*createContext)(Display*, XVisualInfo*, GLXContext, Bool);
  Bool (*makeCurrent)(Display*, GLXDrawable, GLXContext);
  void (*swapBuffers)(Display*, GLXDrawable);
};

template <typename F>
void take(F& target, void* found, const char* name) {
  if (!found) {
    std::fprintf(stderr, "loading_style: no %s\n", name);
    std::exit(2);
  }
  target = reinterpret_cast<F>(found);
}

Gl loadGl() {
  Gl gl{};
#if defined(KVX_STYLE_DLOPEN)
  void* library = dlopen("libGL.so.1", RTLD_NOW | RTLD_LOCAL);
  if (!library) std::exit(2);
#define KVX_GET(field, name) take(gl.field, dlsym(library, name), name)
#elif defined(KVX_STYLE_GETPROC)
#define KVX_GET(field, name) \
  take(gl.field, reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name))), name)
#endif
#if defined(KVX_STYLE_DLOPEN) || defined(KVX_STYLE_GETPROC)
  KVX_GET(clear, "glClear");
  KVX_GET(begin, "glBegin");
  KVX_GET(end, "glEnd");
  KVX_GET(color3f, "glColor3f");
  KVX_GET(vertex3f, "glVertex3f");
  KVX_GET(loadIdentity, "glLoadIdentity");
  KVX_GET(translatef, "glTranslatef");
  KVX_GET(flush, "glFlush");
  KVX_GET(newList, "glNewList");
  KVX_GET(endList, "glEndList");
  KVX_GET(callList, "glCallList");
#else
  gl.clear = glClear, gl.begin = glBegin, gl.end = glEnd, gl.color3f = glColor3f, gl.vertex3f = glVertex3f;
  gl.loadIdentity = glLoadIdentity, gl.translatef = glTranslatef, gl.flush = glFlush;
  gl.newList = glNewList, gl.endList = glEndList, gl.callList = glCallList;
#endif
#if defined(KVX_STYLE_DLOPEN)
  KVX_GET(chooseVisual, "glXChooseVisual");
  KVX_GET(createContext, "glXCreateContext");
  KVX_GET(makeCurrent, "glXMakeCurrent");
  KVX_GET(swapBuffers, "glXSwapBuffers");
#else
  gl.chooseVisual = glXChooseVisual, gl.createContext = glXCreateContext;
  gl.makeCurrent = glXMakeCurrent, gl.swapBuffers = glXSwapBuffers;
#endif
  return gl;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  const bool flushOnly = argc > 2 && std::strcmp(argv[2], "flush") == 0;
  const bool shared = argc > 2 && std::strcmp(argv[2], "shared") == 0;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 2;
  const Gl gl = loadGl();
  int attributes[] = {GLX_RGBA, GLX_DEPTH_SIZE, 16, flushOnly ? int(None) : GLX_DOUBLEBUFFER, None};
  XVisualInfo* visual = gl.chooseVisual(display, DefaultScreen(display), attributes);
  if (!visual) return 2;
  const Window root = RootWindow(display, visual->screen);
  XSetWindowAttributes window{};
  window.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
  const Window drawable = XCreateWindow(display, root, 0, 0, 64, 64, 0, visual->depth, InputOutput, visual->visual,
                                        CWColormap, &window);
  XMapWindow(display, drawable);
  GLXContext context = gl.createContext(display, visual, nullptr, True);
  if (!context || !gl.makeCurrent(display, drawable, context)) return 2;
  auto triangle = [&gl] {
    gl.color3f(1, 0, 0);
    gl.begin(GL_TRIANGLES);
    gl.vertex3f(-0.5f, -0.5f, 0), gl.vertex3f(0.5f, -0.5f, 0), gl.vertex3f(0, 0.5f, 0);
    gl.end();
  };
  if (shared) {
    gl.newList(1, GL_COMPILE);
    triangle();
    gl.endList();
    GLXContext second = gl.createContext(display, visual, context, True);
    if (!second || !gl.makeCurrent(display, drawable, second)) return 2;
  }
  for (int i = 0; i < frames; ++i) {
    gl.clear(GL_COLOR_BUFFER_BIT);
    gl.loadIdentity();
    gl.translatef(0, 0, -0.5f);
    if (shared)
      gl.callList(1);
    else
      triangle();
    if (flushOnly)
      gl.flush();
    else
      gl.swapBuffers(display, drawable);
  }
  return 0;
}
