// InvertArray and CalcHatMatrix on nested arrays and column views.

#include <utility>

#include "kvl/arrays/array_linalg.h"
#include "kvl/arrays/linalg/internal/linalg_internal.h"

namespace kvl {
namespace {

using namespace detail;
using namespace linalg_internal;

// The one inversion: A is a nested array or a column view. The algorithm's
// rows are the inner arrays (contiguous); the inverse of the transpose read
// the same way is the inverse, so no orientation has to be chosen.
template <class A>
std::int32_t InvertImpl(A&& a) {
  const std::size_t n = SquareSize(a);
  if (n == 0) return -1;
  std::vector<double*> rows = PointRows(a);
  LuRows m{rows.data(), nullptr, n};
  if constexpr (!IsColumnView<std::remove_cvref_t<A>>) m.Vecs = a.data();
  std::vector<std::int32_t> swaps(n);
  GemmWork<double> work;
  if (FactorLU(m, TLuMode::lmInvert, swaps.data(), work) != TLuResult::lrOk) return -3;
  return InvertFactored(m, swaps.data(), work) ? 0 : -3;
}

template <class T>
std::int32_t NegateCells(std::vector<T>& a) {
  if (detail::IsEmpty(ExtentsOf(a))) return -1;
  if constexpr (std::is_same_v<T, bool>) {
    a.flip();
  } else {
    for (auto& v : a) v.flip();
  }
  return 0;
}

// H := X (X'X)^-1 X' by the products X'X, X (X'X)^-1 and that times X'.
template <class MX, class MH>
std::int32_t HatImpl(const MX& x, MH&& h) {
  const auto ext = ExtentsOf(x);
  if (IsEmpty(ext) || !IsRectangular(x)) return -1;
  const auto p = static_cast<std::size_t>(ext[0]), n = static_cast<std::size_t>(ext[1]);
  // H is written by the last product only, after X has been read: H may
  // even be X.
  if constexpr (IsColumnView<std::remove_cvref_t<MH>>)
    if (!PrepareOut(h, n, n)) return -2;
  TDouble2DArray xt(n, TDoubleArray(p));
  for (std::size_t c = 0; c < p; ++c)
    for (std::size_t r = 0; r < n; ++r) xt[r][c] = x[c][r];
  TDouble2DArray g, t;
  MultiplyInto(xt, x, g);
  if (const std::int32_t status = InvertImpl(g)) return status;
  MultiplyInto(x, g, t);
  return MultiplyInto(t, xt, std::forward<MH>(h));
}

}  // namespace

std::int32_t InvertArray(TDouble2DArray& A) { return InvertImpl(A); }
std::int32_t InvertArray(TColumnView<double> A) { return InvertImpl(A); }
std::int32_t InvertArray(TBoolArray& A) { return NegateCells(A); }
std::int32_t InvertArray(TBool2DArray& A) { return NegateCells(A); }

std::int32_t CalcHatMatrix(const TDouble2DArray& X, TDouble2DArray& H) { return HatImpl(X, H); }
std::int32_t CalcHatMatrix(TColumnView<const double> X, TColumnView<double> H) { return HatImpl(X, H); }
std::int32_t CalcHatMatrix(TColumnView<double> X, TColumnView<double> H) {
  return HatImpl(ReadOnly(X), H);
}

}  // namespace kvl
