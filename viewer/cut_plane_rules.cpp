#include "cut_plane_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kavrik {

const char* axisChoiceLabel(int choice) {
  static const char* const kLabels[kAxisChoices] = {" None", " XY", " YZ", " ZX"};
  return choice >= 0 && choice < kAxisChoices ? kLabels[choice] : "";
}

kvx_CutPlane::CurrentPlan planForChoice(int choice) {
  switch (choice) {
    case 1: return kvx_CutPlane::Z_PLAN;
    case 2: return kvx_CutPlane::X_PLAN;
    case 3: return kvx_CutPlane::Y_PLAN;
    default: return static_cast<kvx_CutPlane::CurrentPlan>(-1);
  }
}

int choiceForPlan(int plan) {
  switch (plan) {
    case -1: return 0;
    case kvx_CutPlane::Z_PLAN: return 1;
    case kvx_CutPlane::X_PLAN: return 2;
    default: return 3;
  }
}

float CutRange::clamp(float value) const {
  if (std::isnan(value)) return minimum;
  return std::clamp(value, std::min(minimum, maximum), std::max(minimum, maximum));
}

float CutRange::fractionOf(float value) const {
  if (!(length() > 0)) return 0;
  return std::clamp((clamp(value) - minimum) / length(), 0.0f, 1.0f);
}

std::string coordinateText(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%0.2f", value);
  return text;
}

float parseCoordinate(const std::string& text) {
  const float value = std::strtof(text.c_str(), nullptr);
  return std::isnan(value) ? 0.0f : value;  // out-of-range values clamp later
}

int sliderPosition(float fraction, float previous) {
  const float scaled = fraction * 100;
  if (fraction > previous) return static_cast<int>(std::ceil(scaled));
  if (fraction < previous) return static_cast<int>(std::floor(scaled));
  return static_cast<int>(scaled);
}

}  // namespace kavrik
