#pragma once
// Quaternions of the view orientation: the virtual trackball, composition,
// Euler angles and spherical interpolation. Also used by the conference code.
namespace kvx {

struct Quat {
  float x = 0, y = 0, z = 0, w = 1;
  bool operator==(const Quat&) const = default;
};

inline Quat toQuat(const float q[4]) { return {q[0], q[1], q[2], q[3]}; }
inline void storeQuat(const Quat& q, float out[4]) {
  out[0] = q.x;
  out[1] = q.y;
  out[2] = q.z;
  out[3] = q.w;
}

// Rotation increment of a drag from (sx, sy) to (cx, cy), both in normalised
// window coordinates (-1..1, y up), on a trackball of radius 0.8.
Quat trackball(float sx, float sy, float cx, float cy);

// increment * current. Every 98th composition in the process divides the
// result by its sum of squares, so that rounding does not accumulate.
Quat composeRotation(const Quat& increment, const Quat& current);
// Restarts the composition counter (tests).
void resetCompositionCount();

// Euler angles in degrees to a quaternion.
Quat eulerToQuat(float alpha, float beta, float gamma);

// Spherical interpolation from `from` to `to` at u in 0..1. When the two lie
// in opposite hemispheres `to` is negated in place, so that the short way is
// taken and later frames agree.
Quat slerp(const Quat& from, Quat& to, float u);

// Equal component by component within eps, or equal to the negation.
bool sameOrientation(const Quat& a, const Quat& b, float eps);

// Columns of the rotation matrix: where the eye sits seen from the centre
// (unit length) and the up vector.
void eyeDirection(const Quat& q, float out[3]);
void upVector(const Quat& q, float out[3]);

}  // namespace kvx
