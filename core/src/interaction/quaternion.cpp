#include "interaction/quaternion.h"

#include <algorithm>
#include <cmath>

namespace kvx {
namespace {

constexpr float kTrackballRadius = 0.8f;
constexpr int kRenormalisePeriod = 98;
int compositionCount = 0;

// Height of a point on the trackball: a sphere near the centre, a hyperbolic
// sheet further out, so that drags outside the ball still turn smoothly.
float trackballHeight(float x, float y) {
  const float d = std::sqrt(x * x + y * y);
  const float t = kTrackballRadius * 0.70710677f;
  if (d < t) return std::sqrt(kTrackballRadius * kTrackballRadius - d * d);
  return t * t / d;
}

}  // namespace

Quat trackball(float sx, float sy, float cx, float cy) {
  if (sx == cx && sy == cy) return {};
  const float p1[3] = {sx, sy, trackballHeight(sx, sy)};
  const float p2[3] = {cx, cy, trackballHeight(cx, cy)};
  float axis[3] = {p2[1] * p1[2] - p2[2] * p1[1], p2[2] * p1[0] - p2[0] * p1[2],
                   p2[0] * p1[1] - p2[1] * p1[0]};
  const float d[3] = {p1[0] - p2[0], p1[1] - p2[1], p1[2] - p2[2]};
  float s = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) / (2 * kTrackballRadius);
  s = std::clamp(s, -1.0f, 1.0f);
  const float angle = 2 * std::asin(s);
  const float length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  if (length > 0)
    for (float& a : axis) a /= length;
  const float h = std::sin(angle / 2);
  return {axis[0] * h, axis[1] * h, axis[2] * h, std::cos(angle / 2)};
}

Quat composeRotation(const Quat& q1, const Quat& q2) {
  Quat r;
  r.x = q1.x * q2.w + q2.x * q1.w + (q2.y * q1.z - q2.z * q1.y);
  r.y = q1.y * q2.w + q2.y * q1.w + (q2.z * q1.x - q2.x * q1.z);
  r.z = q1.z * q2.w + q2.z * q1.w + (q2.x * q1.y - q2.y * q1.x);
  r.w = q1.w * q2.w - (q1.x * q2.x + q1.y * q2.y + q1.z * q2.z);
  if (++compositionCount >= kRenormalisePeriod) {
    compositionCount = 0;
    const float sum = r.x * r.x + r.y * r.y + r.z * r.z + r.w * r.w;
    if (sum > 0) {
      r.x /= sum;
      r.y /= sum;
      r.z /= sum;
      r.w /= sum;
    }
  }
  return r;
}

void resetCompositionCount() { compositionCount = 0; }

Quat eulerToQuat(float alpha, float beta, float gamma) {
  constexpr float kHalfDegree = 0.017453292f / 2;
  const float a = alpha * kHalfDegree, b = beta * kHalfDegree, c = gamma * kHalfDegree;
  const float sa = std::sin(a), ca = std::cos(a), sb = std::sin(b), cb = std::cos(b);
  const float sc = std::sin(c), cc = std::cos(c);
  return {cb * ca * sc - cc * sb * sa, sb * cc * ca + sa * cb * sc, sa * cc * cb - sb * ca * sc,
          sa * sc * sb + ca * cc * cb};
}

Quat slerp(const Quat& from, Quat& to, float u) {
  float dot = from.x * to.x + from.y * to.y + from.z * to.z + from.w * to.w;
  if (dot < 0) {
    to = {-to.x, -to.y, -to.z, -to.w};
    dot = -dot;
  }
  float s0 = 1 - u, s1 = u;
  if (1 - dot > 0.001f) {
    const float theta = std::acos(std::min(dot, 1.0f));
    const float sinTheta = std::sin(theta);
    s0 = std::sin((1 - u) * theta) / sinTheta;
    s1 = std::sin(u * theta) / sinTheta;
  }
  return {s0 * from.x + s1 * to.x, s0 * from.y + s1 * to.y, s0 * from.z + s1 * to.z,
          s0 * from.w + s1 * to.w};
}

bool sameOrientation(const Quat& a, const Quat& b, float eps) {
  auto near = [eps](float p, float q) { return std::fabs(p - q) <= eps; };
  if (near(a.x, b.x) && near(a.y, b.y) && near(a.z, b.z) && near(a.w, b.w)) return true;
  return near(a.x, -b.x) && near(a.y, -b.y) && near(a.z, -b.z) && near(a.w, -b.w);
}

void eyeDirection(const Quat& q, float out[3]) {
  out[0] = 2 * (q.x * q.z + q.y * q.w);
  out[1] = 2 * (q.y * q.z - q.x * q.w);
  out[2] = 1 - 2 * (q.x * q.x + q.y * q.y);
}

void upVector(const Quat& q, float out[3]) {
  out[0] = 2 * (q.x * q.y - q.z * q.w);
  out[1] = 1 - 2 * (q.z * q.z + q.x * q.x);
  out[2] = 2 * (q.y * q.z + q.x * q.w);
}

}  // namespace kvx
