// GLX: contexts, the swap that ends a frame, and the two run-time ways of
// reaching GL (glXGetProcAddress and dlsym), which hand out the wrappers.
#include "call_trace.h"
#include "real_functions.h"
#include "state_tracker.h"

#define GLX_GLXEXT_PROTOTYPES
#include <GL/glx.h>
#include <GL/glxext.h>
#include <dlfcn.h>

#include <cstring>

using namespace kvx::capture;

KVX_GL_ENTRY GLXContext glXCreateContext(Display* display, XVisualInfo* visual, GLXContext share, Bool direct) {
  KVX_TRACE(share, direct);
  GLXContext context = KVX_REAL_RESULT(GLXContext(nullptr), glXCreateContext, display, visual, share, direct);
  if (context) createState(context, share);
  return context;
}

KVX_GL_ENTRY GLXContext glXCreateNewContext(Display* display, GLXFBConfig config, int renderType, GLXContext share,
                                          Bool direct) {
  KVX_TRACE(renderType, share, direct);
  GLXContext context =
      KVX_REAL_RESULT(GLXContext(nullptr), glXCreateNewContext, display, config, renderType, share, direct);
  if (context) createState(context, share);
  return context;
}

KVX_GL_ENTRY GLXContext glXCreateContextAttribsARB(Display* display, GLXFBConfig config, GLXContext share, Bool direct,
                                                 const int* attributes) {
  KVX_TRACE(share, direct);
  GLXContext context =
      KVX_REAL_RESULT(GLXContext(nullptr), glXCreateContextAttribsARB, display, config, share, direct, attributes);
  if (context) createState(context, share);
  return context;
}

KVX_GL_ENTRY void glXDestroyContext(Display* display, GLXContext context) {
  KVX_TRACE(context);
  KVX_REAL(glXDestroyContext, display, context);
  destroyState(context);
}

KVX_GL_ENTRY Bool glXMakeCurrent(Display* display, GLXDrawable drawable, GLXContext context) {
  KVX_TRACE(drawable, context);
  const Bool done = KVX_REAL_RESULT(Bool(False), glXMakeCurrent, display, drawable, context);
  if (done) {
    makeStateCurrent(context);
    if (context) contextMadeCurrent(currentState());
  }
  return done;
}

KVX_GL_ENTRY Bool glXMakeContextCurrent(Display* display, GLXDrawable draw, GLXDrawable read, GLXContext context) {
  KVX_TRACE(draw, read, context);
  const Bool done = KVX_REAL_RESULT(Bool(False), glXMakeContextCurrent, display, draw, read, context);
  if (done) {
    makeStateCurrent(context);
    if (context) contextMadeCurrent(currentState());
  }
  return done;
}

KVX_GL_ENTRY void glXSwapBuffers(Display* display, GLXDrawable drawable) {
  KVX_TRACE(drawable);
  frameBoundary(currentState(), Boundary::Swap);
  KVX_REAL(glXSwapBuffers, display, drawable);
}

// The wrapper stands in only for a function the GL library has.
static __GLXextFuncPtr wrapperOr(__GLXextFuncPtr real, const GLubyte* name) {
  if (!real) return nullptr;
  void* wrapper = ownWrapper(reinterpret_cast<const char*>(name));
  return wrapper ? reinterpret_cast<__GLXextFuncPtr>(wrapper) : real;
}

KVX_GL_ENTRY __GLXextFuncPtr glXGetProcAddressARB(const GLubyte* name) {
  return wrapperOr(KVX_REAL_RESULT(__GLXextFuncPtr(nullptr), glXGetProcAddressARB, name), name);
}

KVX_GL_ENTRY __GLXextFuncPtr glXGetProcAddress(const GLubyte* name) {
  return wrapperOr(KVX_REAL_RESULT(__GLXextFuncPtr(nullptr), glXGetProcAddress, name), name);
}

// Programs that open GL themselves and look functions up get the wrappers;
// the GL libraries' own lookups see the real functions. Lookups of other
// names end in a tail call, so that RTLD_NEXT keeps meaning "after the caller".
KVX_GL_ENTRY void* dlsym(void* __restrict handle, const char* __restrict name) {
  if (handle == RTLD_NEXT || name[0] != 'g' || name[1] != 'l') return realDlsym(handle, name);
  void* found = realDlsym(handle, name);
  if (!found || calledFromGlStack(__builtin_return_address(0))) return found;
  void* wrapper = ownWrapper(name);
  if (!wrapper) return found;
  noteProgramGlLibrary(handle);
  return wrapper;
}
