#pragma once
// Internal to the matrix numerics: how a product reaches its result object.
// The result is computed straight into the result's cells when nothing can
// observe the difference; into a work block first when the result is one of
// the operands, or when it has an OnChange handler, which then sees every
// cell written through SetVal as the products promise.

#include <algorithm>
#include <cstdint>
#include <new>
#include <type_traits>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/matrix/internal/matrix_internal.h"

namespace kvl::matrix_internal {

/// WorkCells: a work block of Count cells of type T; raises Sender's "not
/// enough memory on heap" when it cannot be had.
template <class T = double>
std::vector<T> WorkCells(const TComponent& Sender, std::size_t Count) {
  return GuardAllocation<EKVLMatrixError>(Sender, [Count] { return std::vector<T>(Count); });
}

/// ProduceResult: sizes Res to Cols x Rows and fills it by Compute(cells),
/// which writes all Cols * Rows cells column after column. Aliased: Res is
/// an operand that Compute reads. PerCellEvents: Res's OnChange fires for
/// every cell, as SetVal does.
template <class F>
void ProduceResult(const TComponent& Sender, TMatrix& Res, bool Aliased, std::int32_t Cols, std::int32_t Rows,
                   bool PerCellEvents, F&& Compute) {
  const bool events = PerCellEvents && static_cast<bool>(Res.OnChange);
  if (!Aliased && !events) {
    Res.Resize(Cols, Rows);
    Compute(Res.ColumnView().data());
    return;
  }
  std::vector<double> work = WorkCells(Sender, static_cast<std::size_t>(Cols) * static_cast<std::size_t>(Rows));
  Compute(work.data());
  Res.Resize(Cols, Rows);
  if (!events) {
    std::copy(work.begin(), work.end(), Res.ColumnView().data());
    return;
  }
  const double* v = work.data();
  for (std::int32_t c = 1; c <= Cols; ++c)
    for (std::int32_t r = 1; r <= Rows; ++r) Res.SetVal(c, r, *v++);
}

/// ProduceVector: sizes the vector Res (TVector or TIntVector) to N
/// elements and writes Compute's N values through SetVal (one OnChange
/// each); Res may be an operand.
template <class V, class F>
void ProduceVector(const TComponent& Sender, V& Res, std::int32_t N, F&& Compute) {
  using T = std::remove_cvref_t<decltype(Res.GetVal(1))>;
  std::vector<T> work = WorkCells<T>(Sender, static_cast<std::size_t>(N));
  Compute(work.data());
  Res.Resize(N);
  for (std::int32_t i = 1; i <= N; ++i) Res.SetVal(i, work[static_cast<std::size_t>(i - 1)]);
}

/// Deliver: writes one value per line into Out (when given), sized to the
/// number of values.
inline void Deliver(const TComponent& Sender, TVector* Out, const std::vector<double>& Values) {
  if (Out == nullptr) return;
  ProduceVector(Sender, *Out, static_cast<std::int32_t>(Values.size()),
                [&Values](double* v) { std::copy(Values.begin(), Values.end(), v); });
}

}  // namespace kvl::matrix_internal
