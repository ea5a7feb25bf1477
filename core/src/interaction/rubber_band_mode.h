#pragma once
// While a selection rectangle or a measurement line follows the pointer,
// it is drawn straight onto the front buffer; these switch to it and back.
#include "sdk/plugin_state.h"

namespace kvx {

void beginRubberBand(kvx_GL_Plugin::State& state);
// Restores the saved draw buffer and forgets the band drawn last.
void endRubberBand(kvx_GL_Plugin::State& state);

}  // namespace kvx
