#pragma once
// What the text tool panels show.
#include "kvx_sdk.h"

#include <string>

namespace kavrik {

std::string measurementText(const kvx_Measure& measure);
std::string scenePropertiesText(const kvx_SceneInfo& info);
// The heading of the annotations panel; `cameraName` null when none.
std::string annotationHeading(const char* cameraName);

}  // namespace kavrik
