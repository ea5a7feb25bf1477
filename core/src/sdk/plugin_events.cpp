// Pointer events and commands.
#include "sdk/plugin_state.h"

bool kvx_GL_Plugin::OnMouseMove(kvx_MouseEvent*) { return false; }

bool kvx_GL_Plugin::OnMouseUp(kvx_MouseEvent*) { return false; }

bool kvx_GL_Plugin::OnEvent(int) { return false; }
