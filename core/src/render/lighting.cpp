#include "render/lighting.h"

#include "interaction/quaternion.h"

#include <GL/gl.h>

#include <algorithm>

namespace kvx {
namespace {

constexpr int kMaxSceneLights = 9;

void disableAllLights() {
  GLint count = 8;
  glGetIntegerv(GL_MAX_LIGHTS, &count);
  for (int i = 0; i < count; ++i) glDisable(GL_LIGHT0 + i);
}

// v turned by the rotation q.
void rotate(const Quat& q, const float v[3], float out[3]) {
  const float tx = 2 * (q.y * v[2] - q.z * v[1]);
  const float ty = 2 * (q.z * v[0] - q.x * v[2]);
  const float tz = 2 * (q.x * v[1] - q.y * v[0]);
  out[0] = v[0] + q.w * tx + (q.y * tz - q.z * ty);
  out[1] = v[1] + q.w * ty + (q.z * tx - q.x * tz);
  out[2] = v[2] + q.w * tz + (q.x * ty - q.y * tx);
}

}  // namespace

void setInitialGLState() {
  glDisable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_DITHER);
  glShadeModel(GL_SMOOTH);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
}

void setDefaultLights() {
  const GLfloat position0[] = {-50, 50, 50, 0}, diffuse0[] = {0.6f, 0.6f, 0.6f, 1};
  const GLfloat position1[] = {50, 50, 0, 0}, diffuse1[] = {0.4f, 0.4f, 0.4f, 1};
  glLightfv(GL_LIGHT0, GL_POSITION, position0);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse0);
  glLightfv(GL_LIGHT1, GL_POSITION, position1);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse1);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHTING);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glDisable(GL_COLOR_MATERIAL);
}

void setAutomaticLight() {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  disableAllLights();
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 60);
  const GLfloat white[] = {1, 1, 1, 1};
  glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
  glLightfv(GL_LIGHT0, GL_SPECULAR, white);
  const float ahead[3] = {0, 0, -1};
  float turned[3];
  rotate(eulerToQuat(30, 30, 0), ahead, turned);
  const GLfloat direction[] = {-turned[0], -turned[1], -turned[2], 0};
  glLightfv(GL_LIGHT0, GL_POSITION, direction);
  glEnable(GL_LIGHT0);
  const GLfloat ambient[] = {0.22f, 0.22f, 0.22f, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_LIGHTING);
  glShadeModel(GL_SMOOTH);
}

bool setSceneLights(const scene& scene, bool noLight) {
  disableAllLights();
  const bool lit = !scene.lights.empty() && !noLight;
  if (lit)
    glEnable(GL_LIGHTING);
  else
    glDisable(GL_LIGHTING);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  const int count = std::min<int>(kMaxSceneLights, static_cast<int>(scene.lights.size()));
  GLint available = 8;
  glGetIntegerv(GL_MAX_LIGHTS, &available);
  for (int i = 0; i < count && i < available; ++i) {
    const SceneLight& light = *scene.lights[i];
    const GLenum id = GL_LIGHT0 + i;
    glEnable(id);
    const GLfloat color[] = {light.r / 255.0f, light.g / 255.0f, light.b / 255.0f, 1};
    glLightfv(id, GL_DIFFUSE, color);
    glLightf(id, GL_CONSTANT_ATTENUATION, 1);
    glLightf(id, GL_LINEAR_ATTENUATION, 0);
    glLightf(id, GL_QUADRATIC_ATTENUATION, 0);
    const float* v = light.values;
    const GLfloat position[] = {v[0], v[1], v[2], 1};
    switch (light.kind) {
      case LIGHT_AMBIENT: glLightModelfv(GL_LIGHT_MODEL_AMBIENT, color); break;
      case LIGHT_SPOT:
        glLightfv(id, GL_POSITION, position);
        glLightfv(id, GL_SPOT_DIRECTION, v + 3);
        glLightf(id, GL_SPOT_CUTOFF, std::clamp(v[6] / 2, 0.0f, 90.0f));
        glLightf(id, GL_SPOT_EXPONENT, 4);
        break;
      case LIGHT_DIRECTIONAL: {
        const GLfloat direction[] = {v[3], v[4], v[5], 0};
        glLightfv(id, GL_POSITION, direction);
        break;
      }
      case LIGHT_POINT:
        glLightfv(id, GL_POSITION, position);
        glLightf(id, GL_SPOT_CUTOFF, 180);
        break;
    }
  }
  return lit;
}

}  // namespace kvx
