// The capture handshake with the interceptor, through files in the
// installation's Files folder.
#include "sdk/plugin_state.h"

bool kvx_GL_Plugin::EnableCapture(bool) { return false; }

bool kvx_GL_Plugin::DisableCapture() { return EnableCapture(false); }

bool kvx_GL_Plugin::CaptureNow(int, void*) { return false; }

bool kvx_GL_Plugin::IsCaptureOk(void*) { return false; }

bool kvx_GL_Plugin::LoadCapture(void*) { return false; }
