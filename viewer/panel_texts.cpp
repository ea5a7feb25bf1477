#include "panel_texts.h"

#include <cstdio>

namespace kavrik {

std::string measurementText(const kvx_Measure& m) {
  char text[512];
  std::snprintf(text, sizeof text,
                "Point 1:\n   x = %f\n   y = %f\n   z = %f\n\nPoint 2:\n   x = %f\n   y = %f\n   z = %f\n\n"
                "Measurement:\n   dX = %f\n   dY = %f\n   dZ = %f\n\n    L = %f",
                m.pointA[0], m.pointA[1], m.pointA[2], m.pointB[0], m.pointB[1], m.pointB[2],
                m.pointB[0] - m.pointA[0], m.pointB[1] - m.pointA[1], m.pointB[2] - m.pointA[2], m.distance);
  return text;
}

std::string scenePropertiesText(const kvx_SceneInfo& info) {
  char lights[32];
  if (info.lights == -1)
    std::snprintf(lights, sizeof lights, "1 Automatic Light");
  else if (info.lights == 1)
    std::snprintf(lights, sizeof lights, "1 Light");
  else
    std::snprintf(lights, sizeof lights, "%d Lights", info.lights);
  char text[512];
  std::snprintf(text, sizeof text,
                "-- Scene Properties --\n - %d Points\n - %d Triangles\n - %d Objects\n - %s\n"
                " - %d Textures\n - %d Selected Points\n\n%.*s",
                info.points, info.triangles, info.objects, lights, info.textures, info.selectedPoints,
                static_cast<int>(sizeof info.objectInfo), info.objectInfo);
  return text;
}

std::string annotationHeading(const char* cameraName) {
  if (!cameraName || !*cameraName) return "Annotation for current\ncamera :";
  std::string heading = std::string("Annotation for camera \n \"") + cameraName + "\"";
  return heading.substr(0, 127);
}

}  // namespace kavrik
