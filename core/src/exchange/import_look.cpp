#include "exchange/import_look.h"

#include "exchange/import_views.h"

#include <assimp/vector3.h>

#include <cmath>

namespace kvx {
namespace {

constexpr uint8_t kDiffuseGrey = 180;
constexpr uint8_t kAmbientGrey = 40;
constexpr uint8_t kSpecularGrey = 50;
constexpr float kShininess = 30;
constexpr uint8_t kBackground[3] = {58, 64, 74};
// The live view's own zoom, and the distance at which a fitted view sees the model.
constexpr float kOpeningFieldOfView = 32;
constexpr float kDistanceInDiagonals = 2;

struct LightSpec {
  int32_t kind;
  uint8_t level;
  float towards[3];  // direction towards the light, in view space
};

// The renderer places scene lights in view space: they follow the viewer,
// so the side of the model that faces the user is always lit.
constexpr LightSpec kDefaultLights[] = {
    {LIGHT_DIRECTIONAL, 175, {-0.45f, 0.55f, 0.70f}},  // key, upper left
    {LIGHT_DIRECTIONAL, 70, {0.65f, -0.10f, 0.75f}},   // fill, right
    {LIGHT_DIRECTIONAL, 60, {0.10f, 0.60f, -0.80f}},   // rim, behind and above
    {LIGHT_AMBIENT, 40, {0, 0, 0}},
};

}  // namespace

void setDefaultMaterial(SceneObject& object) {
  for (int i = 0; i < 3; ++i) {
    object.diffuse[i] = kDiffuseGrey;
    object.ambient[i] = kAmbientGrey;
    object.specular[i] = kSpecularGrey;
  }
  object.shininess = kShininess;
}

void addDefaultLights(scene& target) {
  for (const LightSpec& spec : kDefaultLights) {
    auto light = std::make_unique<SceneLight>();
    light->kind = spec.kind;
    light->r = light->g = light->b = spec.level;
    aiVector3D towards(spec.towards[0], spec.towards[1], spec.towards[2]);
    if (towards.SquareLength() > 0) towards.Normalize();
    light->values[3] = towards.x;
    light->values[4] = towards.y;
    light->values[5] = towards.z;
    target.lights.push_back(std::move(light));
  }
}

void setDefaultBackground(scene& target) { target.setBackground(kBackground[0], kBackground[1], kBackground[2]); }

void addOpeningCamera(scene& target, UpAxis up) {
  const float* b = target.bounds.v;
  const aiVector3D centre((b[0] + b[1]) / 2, (b[2] + b[3]) / 2, (b[4] + b[5]) / 2);
  const float diagonal = aiVector3D(b[1] - b[0], b[3] - b[2], b[5] - b[4]).Length();
  // Front, raised and turned a little: Y-up models face +z, Z-up ones -y.
  const aiVector3D upward = up == UpAxis::Y ? aiVector3D(0, 1, 0) : aiVector3D(0, 0, 1);
  const aiVector3D forward = up == UpAxis::Y ? aiVector3D(0, 0, 1) : aiVector3D(0, -1, 0);
  const aiVector3D right = upward ^ forward;
  aiVector3D direction = forward + upward * 0.45f + right * 0.35f;
  direction.Normalize();
  const float distance = kDistanceInDiagonals * (diagonal > 0 && std::isfinite(diagonal) ? diagonal : 1.0f);
  const aiVector3D eye = centre + direction * distance;

  target.createCurrentView();
  target.addView("Front Top");
  SceneView& view = target.views.back();
  view.camera[CAM_EYE] = eye.x;
  view.camera[CAM_EYE + 1] = eye.y;
  view.camera[CAM_EYE + 2] = eye.z;
  view.camera[CAM_TARGET] = centre.x;
  view.camera[CAM_TARGET + 1] = centre.y;
  view.camera[CAM_TARGET + 2] = centre.z;
  view.camera[CAM_FOV] = kOpeningFieldOfView;
  rotationLookingAt(eye, centre, upward, view.rotation);
  target.currentView = static_cast<int32_t>(target.views.size()) - 1;
}

}  // namespace kvx
