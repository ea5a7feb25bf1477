// Cutting plane and measurement.
#include "sdk/plugin_state.h"

bool kvx_GL_Plugin::SetCutPlane(kvx_CutPlane::CurrentPlan) { return false; }

bool kvx_GL_Plugin::SetCutPlaneOrient(bool) { return false; }

bool kvx_GL_Plugin::SetCutPlanePos(float) { return false; }

bool kvx_GL_Plugin::SetCutPlaneTransp(bool) { return false; }

bool kvx_GL_Plugin::GetCutPlaneRange(float*, float*) { return false; }

bool kvx_GL_Plugin::GetCutPlaneData(kvx_CutPlane*) { return false; }

bool kvx_GL_Plugin::GetMeasureData(kvx_Measure*) { return false; }
