#pragma once
// Internal to the singular value routines: the engine on tables of column
// pointers, which every public form (column views, TDouble2DArray) maps
// onto, and the unit-stride kernels its loops use (svd_kernels.cpp).

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "kvl/arrays/array_svd.h"

namespace kvl::svd_internal {

/// Dot: Σ x_i·y_i over n contiguous values.
double Dot(const double* __restrict x, const double* __restrict y, std::size_t n) noexcept;

/// AxpyDot: y += a·x, then Σ z_i·y_i of the updated y (the bits of
/// Dot (z, y)), over n contiguous values in one pass. z must not overlap y.
double AxpyDot(double a, const double* __restrict x, double* __restrict y, const double* __restrict z,
               std::size_t n) noexcept;

/// Axpy: y += a·x over n contiguous values.
void Axpy(double a, const double* __restrict x, double* __restrict y, std::size_t n) noexcept;

/// AxpyGather: y += a·x, then acc += b·y (the updated y), over n contiguous
/// values in one pass.
void AxpyGather(double a, const double* __restrict x, double* __restrict y, double b, double* __restrict acc,
                std::size_t n) noexcept;

/// Rotate: the plane rotation (x, y) <- (x·c + y·s, y·c − x·s) of two
/// contiguous vectors of n values.
void Rotate(double* __restrict x, double* __restrict y, std::size_t n, double c, double s) noexcept;

/// ColumnTable: pointers to the columns of a 2-D array A[c][r] (view or
/// nested vector); Rows receives the row count. False when a nested array is
/// ragged.
template <class M, class P>
bool ColumnTable(M& A, std::vector<P*>& Cols, std::size_t& Rows) {
  Cols.resize(A.size());
  if constexpr (detail::IsColumnView<std::remove_cvref_t<M>>)
    Rows = A.Rows();
  else
    Rows = A.empty() ? 0 : A[0].size();
  for (std::size_t c = 0; c < A.size(); ++c) {
    if (A[c].size() != Rows) return false;
    Cols[c] = A[c].data();
  }
  return true;
}

/// Overlaps: true when the p[0..np) and q[0..nq) share a value.
inline bool Overlaps(const double* p, std::size_t np, const double* q, std::size_t nq) noexcept {
  if (np == 0 || nq == 0) return false;
  const auto a = reinterpret_cast<std::uintptr_t>(p), b = reinterpret_cast<std::uintptr_t>(q);
  return a < b + nq * sizeof(double) && b < a + np * sizeof(double);
}

/// GolubReinsch: the decomposition on column tables: a (n columns of m
/// rows) becomes U, v (n columns of n rows) V, w (n values) W. With v null
/// only W is computed (the same values; a is left with intermediate cells).
/// With d (max(m, n) values, b on entry) and v, U is not formed: d receives
/// Uᵀ·b in its first n values instead, and a is left with intermediate cells.
TSvdResult GolubReinsch(double* const* a, std::size_t m, std::size_t n, double* const* v, double* w,
                        double* d = nullptr);

/// BackSubstitute: x = V·diag(1/W)·Uᵀ·b (zero W skipped) and, when err is
/// given, the error factors; u has n columns of m rows, v n columns of n.
/// With u null, b holds Uᵀ·b already (n values).
void BackSubstitute(const double* const* u, std::size_t m, std::size_t n, const double* w, const double* const* v,
                    const double* b, TDoubleArray& x, TDoubleArray* err);

}  // namespace kvl::svd_internal
