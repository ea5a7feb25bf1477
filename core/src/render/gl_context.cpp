#include "render/gl_context.h"

#include <dlfcn.h>

namespace kvx {
namespace {

using GetContextFn = void* (*)();

// Looked up at run time: the core links neither GLX nor OSMesa by name, the
// host brings the one it draws with.
GetContextFn lookUp(const char* name) {
  return reinterpret_cast<GetContextFn>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace

void* currentGLContext() {
  static const GetContextFn osmesa = lookUp("OSMesaGetCurrentContext");
  static const GetContextFn glx = lookUp("glXGetCurrentContext");
  if (osmesa)
    if (void* context = osmesa()) return context;
  return glx ? glx() : nullptr;
}

}  // namespace kvx
