#pragma once
// While a selection rectangle or a measurement line follows the pointer,
// it is drawn straight onto the front buffer; these switch to it and back.

namespace kvx {

struct RubberBand {
  int lastDrawn[4] = {-1, 0, 0, 0};  // rectangle or line drawn last; x = -1: none
  int savedDrawBuffer = 0;           // GL_NONE (0): nothing saved
};

void beginRubberBand(RubberBand& band);
// Restores the saved draw buffer and forgets the band drawn last.
void endRubberBand(RubberBand& band);

}  // namespace kvx
