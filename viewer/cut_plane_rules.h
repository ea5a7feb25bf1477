#pragma once
// How the cutting-plane panel maps its controls to the plane and back.
#include "kvx_sdk.h"

#include <string>

namespace kavrik {

// Axis choices of the panel: " None", " XY", " YZ", " ZX".
inline constexpr int kAxisChoices = 4;
const char* axisChoiceLabel(int choice);
// The plane each choice cuts with (XY cuts across Z, ...); -1 for none.
kvx_CutPlane::CurrentPlan planForChoice(int choice);
int choiceForPlan(int plan);

// The axis range of a position: its ends and length.
struct CutRange {
  float minimum = 0;
  float maximum = 0;
  float length() const { return maximum - minimum; }
  // The coordinate at a fraction of the range.
  float at(float fraction) const { return fraction * length() + minimum; }
  // The fraction of a coordinate, clamped into the range; 0 for an empty range.
  float fractionOf(float value) const;
  float clamp(float value) const;
};

// The coordinate text of the panel: two decimals.
std::string coordinateText(float value);
// A typed coordinate: the leading number of the text, 0 when there is none.
// Too large a number reads as an infinity, which the range clamps.
float parseCoordinate(const std::string& text);
// The slider position (0..100) of a new fraction, rounded towards the way the
// plane moved from `previous` so that the slider never lags behind it.
int sliderPosition(float fraction, float previous);

}  // namespace kavrik
