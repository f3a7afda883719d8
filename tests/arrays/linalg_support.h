#pragma once
// Reference helpers of the matrix routine tests: a naive product, the unit
// matrix and the largest deviation from an expected matrix (random matrices
// come from the shared test support).

#include <algorithm>
#include <cmath>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl_test_support.h"

namespace kvl::test {

/// NaiveProduct: A * B in the library's orientation (A[c][r]), long double sums.
inline TDouble2DArray NaiveProduct(const TDouble2DArray& A, const TDouble2DArray& B) {
  const std::size_t m = A[0].size(), k = A.size(), n = B.size();
  TDouble2DArray c(n, TDoubleArray(m));
  for (std::size_t j = 0; j < n; ++j)
    for (std::size_t i = 0; i < m; ++i) {
      long double s = 0.0L;
      for (std::size_t p = 0; p < k; ++p) s += static_cast<long double>(A[p][i]) * B[j][p];
      c[j][i] = static_cast<double>(s);
    }
  return c;
}

/// Identity: the n x n unit matrix.
inline TDouble2DArray Identity(std::size_t n) {
  TDouble2DArray a(n, TDoubleArray(n, 0.0));
  for (std::size_t i = 0; i < n; ++i) a[i][i] = 1.0;
  return a;
}

/// MaxDeviation: the largest |A - B| over all cells (infinity for other shapes).
inline double MaxDeviation(const TDouble2DArray& A, const TDouble2DArray& B) {
  if (A.size() != B.size()) return INFINITY;
  double d = 0.0;
  for (std::size_t c = 0; c < A.size(); ++c) {
    if (A[c].size() != B[c].size()) return INFINITY;
    for (std::size_t r = 0; r < A[c].size(); ++r) d = std::max(d, std::fabs(A[c][r] - B[c][r]));
  }
  return d;
}

/// Flatten: the cells of a 2-D array column after column (column-view storage).
inline TDoubleArray Flatten(const TDouble2DArray& A) {
  TDoubleArray v;
  for (const auto& col : A) v.insert(v.end(), col.begin(), col.end());
  return v;
}

}  // namespace kvl::test
