#include "exchange/import_views.h"

#include "exchange/node_transforms.h"

#include <assimp/matrix3x3.h>
#include <assimp/quaternion.h>

#include <algorithm>
#include <cmath>

namespace kvx {
namespace {

constexpr float kDegreesPerRadian = 57.29577951f;
constexpr float kDefaultFieldOfView = 32;  // the viewer's own default zoom

aiVector3D normalised(aiVector3D v, const aiVector3D& fallback) {
  const float length = v.Length();
  return length > 1e-12f && std::isfinite(length) ? v / length : fallback;
}

// Assimp's loaders fill mHorizontalFOV with the full horizontal angle; the
// views hold the vertical angle in degrees, as gluPerspective takes it.
float verticalFieldOfView(const aiCamera& camera) {
  const float horizontal = camera.mHorizontalFOV;
  float vertical = camera.mAspect > 0 ? 2 * std::atan(std::tan(horizontal / 2) / camera.mAspect) : horizontal;
  vertical *= kDegreesPerRadian;
  if (!std::isfinite(vertical) || vertical <= 0) return kDefaultFieldOfView;
  return std::min(vertical, 179.0f);
}

// The point along the line of sight nearest the scene centre, so that the
// view turns about the model; a camera facing away looks one scene radius ahead.
aiVector3D targetOf(const aiVector3D& eye, const aiVector3D& direction, const scene& s) {
  const aiVector3D centre(s.center[0], s.center[1], s.center[2]);
  const float along = (centre - eye) * direction;
  const float distance = along > 1e-6f ? along : (s.radius > 0 ? s.radius : 1.0f);
  return eye + direction * distance;
}

void setCamera(SceneView& view, const aiVector3D& eye, const aiVector3D& target, float fieldOfView) {
  std::fill(std::begin(view.camera), std::end(view.camera), 0.0f);
  view.camera[CAM_EYE] = eye.x;
  view.camera[CAM_EYE + 1] = eye.y;
  view.camera[CAM_EYE + 2] = eye.z;
  view.camera[CAM_TARGET] = target.x;
  view.camera[CAM_TARGET + 1] = target.y;
  view.camera[CAM_TARGET + 2] = target.z;
  view.camera[CAM_FOV] = fieldOfView;
}

uint8_t lightByte(float c) { return static_cast<uint8_t>(std::lround(std::clamp(c, 0.0f, 1.0f) * 255)); }

// Light intensities above one (glTF, FBX) are scaled down, keeping the hue.
void setLightColour(const aiColor3D& colour, SceneLight& light) {
  const float brightest = std::max({colour.r, colour.g, colour.b});
  const float scale = brightest > 1 && std::isfinite(brightest) ? 1 / brightest : 1;
  light.r = lightByte(colour.r * scale);
  light.g = lightByte(colour.g * scale);
  light.b = lightByte(colour.b * scale);
}

int32_t lightKind(aiLightSourceType type) {
  switch (type) {
    case aiLightSource_AMBIENT: return LIGHT_AMBIENT;
    case aiLightSource_DIRECTIONAL: return LIGHT_DIRECTIONAL;
    case aiLightSource_SPOT: return LIGHT_SPOT;
    default: return LIGHT_POINT;  // point and area lights
  }
}

}  // namespace

void rotationLookingAt(const aiVector3D& eye, const aiVector3D& target, const aiVector3D& up, float rotation[4]) {
  const aiVector3D back = normalised(eye - target, aiVector3D(0, 0, 1));
  aiVector3D right = up ^ back;
  if (right.Length() < 1e-6f) right = (std::fabs(back.y) < 0.9f ? aiVector3D(0, 1, 0) : aiVector3D(0, 0, 1)) ^ back;
  right.Normalize();
  const aiVector3D trueUp = back ^ right;
  const aiMatrix3x3 columns(right.x, trueUp.x, back.x, right.y, trueUp.y, back.y, right.z, trueUp.z, back.z);
  aiQuaternion q(columns);
  q.Normalize();
  rotation[0] = q.x;
  rotation[1] = q.y;
  rotation[2] = q.z;
  rotation[3] = q.w;
}

void importCameras(const aiScene& model, scene& target) {
  target.createCurrentView();
  for (unsigned i = 0; i < model.mNumCameras; ++i) {
    const aiCamera& camera = *model.mCameras[i];
    const aiMatrix4x4 world = worldTransformOf(model, camera.mName);
    const aiMatrix3x3 turn(world);
    const aiVector3D eye = world * camera.mPosition;
    const aiVector3D direction = normalised(turn * camera.mLookAt, aiVector3D(0, 0, -1));
    const aiVector3D up = normalised(turn * camera.mUp, aiVector3D(0, 1, 0));
    const aiVector3D lookAt = targetOf(eye, direction, target);

    target.addView(camera.mName.length ? camera.mName.C_Str() : nullptr);
    SceneView& view = target.views.back();
    setCamera(view, eye, lookAt, verticalFieldOfView(camera));
    rotationLookingAt(eye, lookAt, up, view.rotation);
  }
  if (model.mNumCameras) target.currentView = 1;
}

void importLights(const aiScene& model, scene& target) {
  for (unsigned i = 0; i < model.mNumLights; ++i) {
    const aiLight& source = *model.mLights[i];
    const aiMatrix4x4 world = worldTransformOf(model, source.mName);
    auto light = std::make_unique<SceneLight>();
    light->kind = lightKind(source.mType);
    setLightColour(source.mType == aiLightSource_AMBIENT ? source.mColorAmbient : source.mColorDiffuse, *light);

    const aiVector3D position = world * source.mPosition;
    aiVector3D direction = normalised(aiMatrix3x3(world) * source.mDirection, aiVector3D(0, 0, -1));
    // A directional light is given to OpenGL as the direction towards it.
    if (light->kind == LIGHT_DIRECTIONAL) direction = -direction;
    light->values[0] = position.x;
    light->values[1] = position.y;
    light->values[2] = position.z;
    light->values[3] = direction.x;
    light->values[4] = direction.y;
    light->values[5] = direction.z;
    // The renderer's cut-off is half the stored cone, and OpenGL allows at most 90 degrees.
    if (light->kind == LIGHT_SPOT) {
      const float halfCone = source.mAngleOuterCone * kDegreesPerRadian;
      light->values[6] = 2 * (halfCone > 0 && halfCone < 90 ? halfCone : 90.0f);
    }
    target.lights.push_back(std::move(light));
  }
}

}  // namespace kvx
