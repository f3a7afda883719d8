// The distance kernel of the matrix containers: one object against all later
// ones, feature after feature over contiguous cells, in the CPU clones.
// Compiled without fused multiply-add (see the arrays CMakeLists), so every
// clone gives the bits of the pair-at-a-time sums.

#include "kvl/arrays/array_kernels.h"
#include "kvl/runtime/cpu_clones.h"

namespace kvl::detail {
namespace {

template <TDistMode M>
[[gnu::always_inline]] inline void SumsAgainstLater(const double* A, std::size_t n, std::size_t Cols, std::size_t i,
                                                    double* Acc) {
  for (std::size_t k = 0; k < Cols; ++k) {
    const double* col = A + k * n;
    const double xi = col[i];
    for (std::size_t j = i + 1; j < n; ++j) Acc[j] += DistanceTerm<M>(xi, col[j]);
  }
}

}  // namespace

KVL_CPU_CLONES void DistanceSums(TDistMode Mode, const double* A, std::size_t n, std::size_t Cols, std::size_t i,
                                 double* Acc) {
  switch (Mode) {
    case TDistMode::dmManhattan: SumsAgainstLater<TDistMode::dmManhattan>(A, n, Cols, i, Acc); break;
    case TDistMode::dmEuclid:
    case TDistMode::dmEuclidSqr: SumsAgainstLater<TDistMode::dmEuclidSqr>(A, n, Cols, i, Acc); break;
    default: SumsAgainstLater<TDistMode::dmTanimoto>(A, n, Cols, i, Acc); break;
  }
}

}  // namespace kvl::detail
