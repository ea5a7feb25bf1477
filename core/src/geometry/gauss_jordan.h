#pragma once
// Gauss-Jordan elimination with row pivoting, in double precision.
#include <vector>

namespace kvx {

// Solves A x = b for a square system given as rows of A with b appended
// (n rows of n + 1 values). False when the system is singular: no pivot
// is ever zero or not a number.
bool solveGaussJordan(std::vector<std::vector<double>>& augmented, std::vector<double>& solution);

}  // namespace kvx
