#pragma once
// The distance measurement between two picked points: its record, the
// pending first point and scene flag 0x02 (a complete measurement of two
// distinct points exists).
#include "sdk/plugin_state.h"

namespace kvx {


// A pick at window pixel (x, y) from the bottom left: the first point,
// the second point, or (on empty space, with nothing pending) the end of
// the measurement.
void measurementPick(kvx_GL_Plugin& sdk, int x, int y);

// Drops a pending first point; leaves measurement mode.
void cancelMeasurement(kvx_GL_Plugin& sdk);

// Forgets the measurement, its pending point and the mode, so that nothing
// of it reaches the next file.
void forgetMeasurement(kvx_GL_Plugin::State& state);

}  // namespace kvx
