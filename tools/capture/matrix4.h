#pragma once
// Column-major 4x4 matrices in double precision, as OpenGL lays them out.
#include <array>
#include <cmath>

namespace kvx::capture {

using Mat4 = std::array<double, 16>;

inline constexpr Mat4 kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

inline Mat4 multiply(const Mat4& a, const Mat4& b) {
  Mat4 r{};
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 4; ++row) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[c * 4 + k];
      r[c * 4 + row] = sum;
    }
  return r;
}

inline Mat4 translation(double x, double y, double z) {
  Mat4 m = kIdentity;
  m[12] = x, m[13] = y, m[14] = z;
  return m;
}

inline Mat4 scaling(double x, double y, double z) {
  Mat4 m = kIdentity;
  m[0] = x, m[5] = y, m[10] = z;
  return m;
}

// The matrix of glRotate: `degrees` about the axis (x, y, z).
inline Mat4 rotation(double degrees, double x, double y, double z) {
  const double length = std::sqrt(x * x + y * y + z * z);
  if (length == 0) return kIdentity;
  x /= length, y /= length, z /= length;
  const double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a), t = 1 - c;
  return {t * x * x + c,     t * x * y + s * z, t * x * z - s * y, 0,
          t * x * y - s * z, t * y * y + c,     t * y * z + s * x, 0,
          t * x * z + s * y, t * y * z - s * x, t * z * z + c,     0,
          0,                 0,                 0,                 1};
}

inline Mat4 frustum(double l, double r, double b, double t, double n, double f) {
  return {2 * n / (r - l), 0, 0, 0, 0, 2 * n / (t - b), 0, 0,
          (r + l) / (r - l), (t + b) / (t - b), -(f + n) / (f - n), -1,
          0, 0, -2 * f * n / (f - n), 0};
}

inline Mat4 ortho(double l, double r, double b, double t, double n, double f) {
  return {2 / (r - l), 0, 0, 0, 0, 2 / (t - b), 0, 0, 0, 0, -2 / (f - n), 0,
          -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1};
}

inline std::array<double, 4> transform(const Mat4& m, double x, double y, double z, double w) {
  return {m[0] * x + m[4] * y + m[8] * z + m[12] * w, m[1] * x + m[5] * y + m[9] * z + m[13] * w,
          m[2] * x + m[6] * y + m[10] * z + m[14] * w, m[3] * x + m[7] * y + m[11] * z + m[15] * w};
}

// General inverse by cofactors; the identity for a singular matrix.
inline Mat4 inverse(const Mat4& m) {
  Mat4 inv;
  inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
  inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
  inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
  inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
  inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
  inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
  inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
  inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
  inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] + m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
  inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
  inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
  inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
  inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
  inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] + m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
  inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] - m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
  inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] + m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
  const double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
  if (det == 0 || !std::isfinite(det)) return kIdentity;
  for (double& v : inv) v /= det;
  return inv;
}

// Normals go through the inverse transpose of the upper 3x3 part.
inline std::array<double, 3> transformNormal(const Mat4& inverseOfModel, double x, double y, double z) {
  const Mat4& i = inverseOfModel;
  std::array<double, 3> n = {i[0] * x + i[1] * y + i[2] * z, i[4] * x + i[5] * y + i[6] * z,
                             i[8] * x + i[9] * y + i[10] * z};
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (length > 0)
    for (double& v : n) v /= length;
  return n;
}

}  // namespace kvx::capture
