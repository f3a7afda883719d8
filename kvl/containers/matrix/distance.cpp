// TMatrix distances between objects (rows) over all features (columns).
// Every pair sums its terms over the columns in order, in DistanceOfObjects
// and in CalcDistMat alike, so both give the same bits; CalcDistMat runs one
// object against all later ones at a time, column after column over
// contiguous cells, with two work lines for the whole call.

#include <cmath>
#include <vector>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/arrays/array_kernels.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/matrix/internal/results.h"

namespace kvl {
namespace {

// The similarity quotients (two all-zero objects give 0, as for arrays).
using detail::Dice;
using detail::DistanceSums;
using detail::DistanceTerm;
using detail::Tanimoto;

bool IsPairwise(TDistMode Mode) {
  const auto m = static_cast<int>(Mode);
  return m >= 0 && m <= 4;
}

}  // namespace

double TMatrix::DistanceOfObjects(TDistMode Mode, std::int32_t obj1, std::int32_t obj2) {
  if (Mode == TDistMode::dmMahalanobis) {
    double dist = 0.0;
    if (OnCalcDistance) OnCalcDistance(this, obj1, obj2, dist);
    return dist;
  }
  if (!IsPairwise(Mode)) return 0.0;
  double s = 0.0, sxx = 0.0, syy = 0.0;
  for (std::int32_t k = 1; k <= FNCol; ++k) {
    const double x = GetVal(k, obj1), y = GetVal(k, obj2);
    switch (Mode) {
      case TDistMode::dmManhattan: s += DistanceTerm<TDistMode::dmManhattan>(x, y); break;
      case TDistMode::dmEuclid:
      case TDistMode::dmEuclidSqr: s += DistanceTerm<TDistMode::dmEuclidSqr>(x, y); break;
      default:
        s += x * y;
        sxx += x * x;
        syy += y * y;
    }
  }
  switch (Mode) {
    case TDistMode::dmTanimoto: return Tanimoto(s, sxx, syy);
    case TDistMode::dmDice: return Dice(s, sxx, syy);
    case TDistMode::dmEuclid: return std::sqrt(s);
    default: return s;
  }
}

std::int32_t TMatrix::CalcDistMat(TDistMode Mode, TMatrix* DMat) {
  if (DMat == nullptr || DMat->FNCol != FNRow) return -2;
  if (DMat->FNCol != DMat->FNRow) return -1;
  const std::size_t n = Rows(), cols = Cols();
  // A distance matrix of this very matrix is written into a work block.
  std::vector<double> work = DMat == this ? matrix_internal::WorkCells(*this, n * n) : std::vector<double>();
  double* d = DMat == this ? work.data() : DMat->FData.data();
  auto store = [d, n](std::size_t i, std::size_t j, double v) {
    d[i * n + j] = v;
    d[j * n + i] = v;
  };
  for (std::size_t i = 0; i < n; ++i) d[i * n + i] = 0.0;
  if (Mode == TDistMode::dmMahalanobis) {
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = i + 1; j < n; ++j)
        store(i, j, DistanceOfObjects(Mode, static_cast<std::int32_t>(i + 1), static_cast<std::int32_t>(j + 1)));
  } else if (!IsPairwise(Mode)) {
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = i + 1; j < n; ++j) store(i, j, 0.0);
  } else {
    const bool similarity = Mode == TDistMode::dmTanimoto || Mode == TDistMode::dmDice;
    std::vector<double> acc = matrix_internal::WorkCells(*this, n);
    std::vector<double> sq = matrix_internal::WorkCells(*this, similarity ? n : 0);
    for (std::size_t k = 0; similarity && k < cols; ++k)
      for (std::size_t j = 0; j < n; ++j) sq[j] += FData[k * n + j] * FData[k * n + j];
    for (std::size_t i = 0; i + 1 < n; ++i) {
      std::fill(acc.begin() + static_cast<std::ptrdiff_t>(i + 1), acc.end(), 0.0);
      DistanceSums(Mode, FData.data(), n, cols, i, acc.data());
      for (std::size_t j = i + 1; j < n; ++j) {
        switch (Mode) {
          case TDistMode::dmTanimoto: store(i, j, Tanimoto(acc[j], sq[i], sq[j])); break;
          case TDistMode::dmDice: store(i, j, Dice(acc[j], sq[i], sq[j])); break;
          case TDistMode::dmEuclid: store(i, j, std::sqrt(acc[j])); break;
          default: store(i, j, acc[j]);
        }
      }
    }
  }
  if (DMat == this) std::copy(work.begin(), work.end(), FData.begin());
  DMat->Changed();
  return 0;
}

}  // namespace kvl
