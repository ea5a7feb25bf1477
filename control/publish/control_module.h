#pragma once
// Finds the Glimmer control as a document or page would: through the class
// key "CLSID\{5B3E21A7-...}\InprocServer32" in the registry store, loading
// that module and asking it for its class object.
#include "glimmer_com.h"

#include <string>

namespace publish {

class ControlModule {
 public:
  ~ControlModule();
  // Registers the module `besideProgram` when the class is not registered
  // (or its registered module is gone), then loads the registered module.
  bool load(const std::string& besideProgram, std::string& error);
  // A new control; null on failure.
  glimmer::IGlimmerObj* create();
  // A press of a tools window button; the control acts on the view clicked last.
  void toolsCommand(int controlId) const;
  // The registration entries of the module `path`.
  static bool registerModule(const std::string& path, bool unregister, std::string& error);

 private:
  void* handle_ = nullptr;
  glimmer::IClassFactory* factory_ = nullptr;
  void (*toolsCommand_)(int) = nullptr;
};

}  // namespace publish
