#include "geometry/gauss_jordan.h"

#include <cmath>
#include <utility>

namespace kvx {

bool solveGaussJordan(std::vector<std::vector<double>>& m, std::vector<double>& solution) {
  const size_t n = m.size();
  for (size_t column = 0; column < n; ++column) {
    // The row with the largest magnitude in this column becomes the pivot.
    size_t pivot = column;
    for (size_t row = column + 1; row < n; ++row)
      if (std::fabs(m[row][column]) > std::fabs(m[pivot][column])) pivot = row;
    const double p = m[pivot][column];
    if (p == 0 || !std::isfinite(p)) return false;
    std::swap(m[pivot], m[column]);
    for (double& value : m[column]) value /= p;
    for (size_t row = 0; row < n; ++row) {
      if (row == column || m[row][column] == 0) continue;
      const double factor = m[row][column];
      for (size_t c = column; c <= n; ++c) m[row][c] -= factor * m[column][c];
    }
  }
  solution.resize(n);
  for (size_t row = 0; row < n; ++row) {
    solution[row] = m[row][n];
    if (!std::isfinite(solution[row])) return false;
  }
  return true;
}

}  // namespace kvx
