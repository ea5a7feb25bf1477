// The module's exported entries: the class object and self-registration.
#include "glimmer_com.h"
#include "glimmer_obj.h"
#include "module_objects.h"
#include "ref_counted.h"
#include "registration.h"

#include <new>

namespace glimmer {
namespace {

class GlimmerClassFactory final : public IClassFactory {
 public:
  HRESULT QueryInterface(const GUID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  // The class object lives as long as the module.
  uint32_t AddRef() override { return 2; }
  uint32_t Release() override { return 1; }

  HRESULT CreateInstance(IUnknown* outer, const GUID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* control = new (std::nothrow) CGlimmerObj();
    if (!control) return E_OUTOFMEMORY;
    const HRESULT hr = static_cast<IGlimmerObj*>(control)->QueryInterface(iid, object);
    static_cast<IGlimmerObj*>(control)->Release();
    return hr;
  }
  HRESULT LockServer(bool lock) override {
    lock ? moduleObjectCreated() : moduleObjectDestroyed();
    return S_OK;
  }
};

GlimmerClassFactory classFactory;

}  // namespace
}  // namespace glimmer

using namespace glimmer;

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(const GUID& clsid, const GUID& iid,
                                                                            void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (clsid != CLSID_GlimmerObj) return CLASS_E_CLASSNOTAVAILABLE;
  return classFactory.QueryInterface(iid, object);
}

extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
  return moduleObjectCount() == 0 ? S_OK : S_FALSE;
}

extern "C" __attribute__((visibility("default"))) HRESULT DllRegisterServer() {
  const std::string path = modulePath();
  return !path.empty() && registerControl(path) ? S_OK : E_FAIL;
}

extern "C" __attribute__((visibility("default"))) HRESULT DllUnregisterServer() {
  return unregisterControl() ? S_OK : E_FAIL;
}
