// Construction, destruction and the exported entry of the SDK object.
#include "sdk/plugin_state.h"
#include "services/debuglog.h"
#include "services/paths.h"
#include "platform/folders.h"

#include <cstdlib>

kvx_BaseSDK::kvx_BaseSDK() : descriptor(nullptr) {}

kvx_BaseSDK::~kvx_BaseSDK() = default;

const char* kvx_BaseSDK::GetDescriptor() { return descriptor ? descriptor : ""; }

bool kvx_BaseSDK::ResetCurrentCameraManip() { return ResetManip(); }

// The state is allocated last: should anything before it throw, nothing is
// left to free.
kvx_GL_Plugin::kvx_GL_Plugin() : state_(nullptr) {
  descriptor = "Kavrik GL SDK 1.0";
  kvx::DebugLog& log = kvx::debugLog();
  log.setOutput(kvx::stateFolder() + "kvxviewerlog.txt", true);
  // The log stays silent unless a user asks for records.
  const char* level = std::getenv("KAVRIK_LOG_LEVEL");
  log.setLevel(level && *level ? std::atoi(level) : 1);
  kvx::paths() = kvx::buildPathTable();
  state_ = new State;
}

kvx_GL_Plugin::~kvx_GL_Plugin() {
  KVX_LOG(kvx::LOG_INFO, "kvx_GL_Plugin::~kvx_GL_Plugin\n");
  delete state_;
}

// No exception may cross into a host: an allocation failure anywhere in
// construction gives null. The log record needs memory too, so it may fail
// quietly.
extern "C" kvx_GL_Plugin* SDKInit() {
  try {
    return new kvx_GL_Plugin();
  } catch (...) {
  }
  try {
    KVX_LOG(kvx::LOG_ERROR, "SDKInit: cannot create the SDK object\n");
  } catch (...) {
  }
  return nullptr;
}
