#pragma once
// The control's entries in the registry store (HKEY_CLASSES_ROOT), as its
// registration script writes them.
#include <string>

namespace glimmer {

inline constexpr const char* kClsidText = "{5B3E21A7-9C4D-4F18-A2E6-7D90C1B4E35F}";
inline constexpr const char* kLibidText = "{5B3E21A1-9C4D-4F18-A2E6-7D90C1B4E35F}";
inline constexpr const char* kProgId = "Glimmer.GlimmerObj.1";
inline constexpr const char* kVersionIndependentProgId = "Glimmer.GlimmerObj";

// Writes every key for the module at `modulePath`.
bool registerControl(const std::string& modulePath);
// Removes the class key and the two ProgID keys; "CLSID" itself stays.
bool unregisterControl();
// The module registered as the class's in-process server, if any.
std::string registeredServer();
// "ExeModule" of "Glimmer.GlimmerObj": the control's module, if registered.
std::string registeredExeModule();

}  // namespace glimmer
