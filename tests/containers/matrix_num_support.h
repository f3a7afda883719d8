#pragma once
// Helpers of the matrix numerics tests: matrices from column lists, random
// fills from a fixed seed, and a plain reference product.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl_test_support.h"

namespace kvl::test {

/// SetColumns: M := the given columns (each of the same length).
inline void SetColumns(TMatrix& M, const std::vector<std::vector<double>>& Cols) {
  M.Resize(static_cast<std::int32_t>(Cols.size()), static_cast<std::int32_t>(Cols[0].size()));
  for (std::size_t c = 0; c < Cols.size(); ++c)
    for (std::size_t r = 0; r < Cols[c].size(); ++r)
      M.SetVal(static_cast<std::int32_t>(c + 1), static_cast<std::int32_t>(r + 1), Cols[c][r]);
}

/// FillSeeded: M := Cols x Rows cells uniform in [-1, 1) from Seed.
inline void FillSeeded(TMatrix& M, std::int32_t Cols, std::int32_t Rows, unsigned Seed) {
  M.Resize(Cols, Rows);
  const std::vector<double> v = RandomValues(M.Data().size(), Seed);
  std::copy(v.begin(), v.end(), M.ColumnView().data());
}

/// ProductRef: cell (c, r) of the product with Inner terms a(k, r)·b(c, k),
/// summed in extended precision.
template <class A, class B>
double ProductRef(std::int32_t Inner, A&& a, B&& b, std::int32_t c, std::int32_t r) {
  long double s = 0.0L;
  for (std::int32_t k = 1; k <= Inner; ++k) s += static_cast<long double>(a(k, r)) * b(c, k);
  return static_cast<double>(s);
}

/// ProductTol: the tolerance of a product of Inner terms of magnitude <= 1.
inline double ProductTol(std::int32_t Inner) { return 64 * 2.2e-16 * Inner; }

/// ProductMismatch: the first cell of Res (Cols x Rows) that differs from
/// ProductRef(Inner, a, b) by more than ProductTol, as "(c, r)"; "" when
/// none does, "size" when Res has another size.
template <class A, class B>
std::string ProductMismatch(const TMatrix& Res, std::int32_t Cols, std::int32_t Rows, std::int32_t Inner, A&& a,
                            B&& b) {
  if (Res.NrOfColumns() != Cols || Res.NrOfRows() != Rows) return "size";
  for (std::int32_t c = 1; c <= Cols; ++c)
    for (std::int32_t r = 1; r <= Rows; ++r)
      if (std::abs(Res.GetVal(c, r) - ProductRef(Inner, a, b, c, r)) > ProductTol(Inner))
        return "(" + std::to_string(c) + ", " + std::to_string(r) + ")";
  return "";
}

}  // namespace kvl::test
