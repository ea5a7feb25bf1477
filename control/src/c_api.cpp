// The plain C interface (glimmer.h) over the COM-shaped objects.
#include "glimmer.h"

#include "glimmer_com.h"
#include "memory_stream.h"
#include "text_convert.h"
#include "tools_window.h"
#include "x_connection.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>

#define GLIMMER_API extern "C" __attribute__((visibility("default")))

using namespace glimmer;

namespace {

class CallbackSite final : public IGlimmerSite {
 public:
  CallbackSite(unsigned long parent, const glimmer_callbacks* callbacks) : parent_(parent) {
    if (callbacks) callbacks_ = *callbacks;
  }
  unsigned long ParentWindow() override { return parent_; }
  void ShowMessage(const char* caption, const char* text, MessageIcon) override {
    if (callbacks_.message_box)
      callbacks_.message_box(callbacks_.user, caption, text);
    else
      std::cerr << caption << ": " << text << '\n';
  }
  bool BrowseForFile(const OpenFileSpec& spec, char* name, int nameSize) override {
    return callbacks_.browse && callbacks_.browse(callbacks_.user, spec.title, spec.pattern, name, nameSize) != 0;
  }
  bool ToolsWindow(ToolsAction action, const ToolsWindowSpec&) override {
    return callbacks_.tools_window && callbacks_.tools_window(callbacks_.user, static_cast<int>(action)) != 0;
  }
  void AboutDialog(const AboutSpec&) override {
    if (callbacks_.about) callbacks_.about(callbacks_.user);
  }
  void DataChanged() override {
    if (callbacks_.data_changed) callbacks_.data_changed(callbacks_.user);
  }
  // The C interface has no shortcut callback: the control keeps every key.
  bool TranslateAccelerator(unsigned long, unsigned int) override { return false; }

 private:
  unsigned long parent_;
  glimmer_callbacks callbacks_{};
};

}  // namespace

struct glimmer_control {
  CallbackSite site;
  IGlimmerObj* object = nullptr;
  IGlimmerInPlace* inPlace = nullptr;
  IPersistStreamInit* persist = nullptr;
};

GLIMMER_API glimmer_control* glimmer_create(unsigned long parent, int x, int y, int width, int height,
                                            const glimmer_callbacks* callbacks) {
  auto* control = new (std::nothrow) glimmer_control{CallbackSite(parent, callbacks)};
  if (!control) return nullptr;
  IClassFactory* factory = nullptr;
  if (DllGetClassObject(CLSID_GlimmerObj, IID_IClassFactory, reinterpret_cast<void**>(&factory)) != S_OK ||
      factory->CreateInstance(nullptr, IID_IGlimmerObj, reinterpret_cast<void**>(&control->object)) != S_OK) {
    delete control;
    return nullptr;
  }
  factory->Release();
  control->object->QueryInterface(IID_IGlimmerInPlace, reinterpret_cast<void**>(&control->inPlace));
  control->object->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&control->persist));
  control->inPlace->SetSite(&control->site);
  if (control->inPlace->InPlaceActivate(x, y, width, height) != S_OK) {
    glimmer_destroy(control);
    return nullptr;
  }
  return control;
}

GLIMMER_API void glimmer_destroy(glimmer_control* control) {
  if (!control) return;
  control->inPlace->InPlaceDeactivate();
  control->persist->Release();
  control->inPlace->Release();
  control->object->Release();
  delete control;
}

GLIMMER_API int glimmer_load(glimmer_control* control, const char* name) {
  if (!control || !name) return 0;
  const std::u16string wide = toUtf16(name);
  return control->object->Load(wide.c_str()) == S_OK;
}

GLIMMER_API int glimmer_start_anim(glimmer_control* control) { return control && control->object->StartAnim() == S_OK; }
GLIMMER_API int glimmer_stop_anim(glimmer_control* control) { return control && control->object->StopAnim() == S_OK; }
GLIMMER_API int glimmer_show_toolbar(glimmer_control* control, int visible) {
  return control && control->object->ShowToolbar(visible) == S_OK;
}
GLIMMER_API int glimmer_resize(glimmer_control* control, int x, int y, int width, int height) {
  return control && control->inPlace->SetRect(x, y, width, height) == S_OK;
}
GLIMMER_API unsigned long glimmer_window(glimmer_control* control) { return control ? control->inPlace->Window() : 0; }

GLIMMER_API int glimmer_process_events(void) { return xconn::dispatchPending(); }
GLIMMER_API int glimmer_connection_fd(void) { return xconn::connectionFd(); }

GLIMMER_API void glimmer_tools_command(int control_id) {
  ToolsWindow::command(control_id);
}

GLIMMER_API int glimmer_save(glimmer_control* control, unsigned char** bytes, size_t* size) {
  if (!control || !bytes || !size) return 0;
  auto* stream = new MemoryStream();
  const bool ok = control->persist->Save(stream, true) == S_OK;
  if (ok) {
    *size = stream->bytes().size();
    *bytes = static_cast<unsigned char*>(std::malloc(*size ? *size : 1));
    if (*bytes) std::memcpy(*bytes, stream->bytes().data(), *size);
  }
  stream->Release();
  return ok && *bytes;
}

GLIMMER_API int glimmer_load_stream(glimmer_control* control, const unsigned char* bytes, size_t size) {
  if (!control || (!bytes && size)) return 0;
  auto* stream = new MemoryStream(std::string(reinterpret_cast<const char*>(bytes), size));
  const bool ok = control->persist->Load(stream) == S_OK;
  stream->Release();
  return ok;
}

GLIMMER_API void glimmer_free(void* bytes) { std::free(bytes); }
