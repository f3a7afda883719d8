// Comparisons of two columns or two objects of an array: Pearson correlation,
// sums of squared differences and the distance measures of TDistMode.

#include <cmath>
#include <span>

#include "kvl/arrays/array_stats.h"

namespace kvl {
namespace {

bool ColumnInside(const TDouble2DArray& Data, std::int32_t Col) {
  return Col >= 0 && static_cast<std::size_t>(Col) < Data.size();
}

long double SquaredDiffs(std::span<const double> A, std::span<const double> B) {
  long double sum = 0.0L;
  for (std::size_t i = 0; i < A.size(); ++i) {
    const long double d = static_cast<long double>(A[i]) - B[i];
    sum += d * d;
  }
  return sum;
}

}  // namespace

using std::int32_t;

double PearsonCorrCoeffColsOfArray(const TDouble2DArray& Data, int32_t Col1, int32_t Col2) {
  if (!ColumnInside(Data, Col1) || !ColumnInside(Data, Col2)) return 0.0;
  const std::size_t n = Data[0].size();
  if (n < 3) return 0.0;
  const auto& x = Data[static_cast<std::size_t>(Col1)];
  const auto& y = Data[static_cast<std::size_t>(Col2)];
  detail::TPairSums sums;
  for (std::size_t i = 0; i < n; ++i) sums.Add(x[i], y[i]);
  return sums.Pearson();
}

double SumOfSquaredDiffs(const TDoubleArray& A, const TDoubleArray& B) {
  if (A.empty() || B.empty()) return -1.0;
  if (A.size() != B.size()) return -2.0;
  return static_cast<double>(SquaredDiffs(A, B));
}

double SumOfSquaredDiffs(const TDoubleArray& A, const TDouble2DArray& M, int32_t Col) {
  if (A.empty() || M.empty() || M[0].empty()) return -1.0;
  if (A.size() != M[0].size()) return -2.0;
  if (!ColumnInside(M, Col)) return -3.0;
  return static_cast<double>(SquaredDiffs(A, M[static_cast<std::size_t>(Col)]));
}

int32_t DistanceOfObjects(const TDouble2DArray& Data, TDistMode Mode, int32_t Obj1, int32_t Obj2,
                          int32_t FirstVar, int32_t LastVar, double& Dist) {
  Dist = 0.0;
  const auto nObj = static_cast<std::int64_t>(Data.empty() ? 0 : Data[0].size());
  const auto nVar = static_cast<std::int64_t>(Data.size());
  // Each later check overwrites an earlier code.
  int32_t status = 0;
  if (Obj1 < 0 || Obj2 < 0 || Obj1 >= nObj || Obj2 >= nObj) status = -2;
  if (FirstVar < 0 || LastVar < 0 || FirstVar >= nVar || LastVar >= nVar) status = -3;
  if (LastVar < FirstVar) status = -4;
  const auto mode = static_cast<int>(Mode);
  if (mode < 0 || mode > static_cast<int>(TDistMode::dmDice)) status = -1;
  if (status != 0) return status;

  long double sxy = 0.0L, sxx = 0.0L, syy = 0.0L, sabs = 0.0L, ssq = 0.0L;
  for (int32_t v = FirstVar; v <= LastVar; ++v) {
    const auto& col = Data[static_cast<std::size_t>(v)];
    const long double x = col[static_cast<std::size_t>(Obj1)];
    const long double y = col[static_cast<std::size_t>(Obj2)];
    sxy += x * y;
    sxx += x * x;
    syy += y * y;
    sabs += std::fabs(x - y);
    ssq += (x - y) * (x - y);
  }
  long double d = 0.0L;
  switch (Mode) {
    case TDistMode::dmTanimoto:
      d = detail::Tanimoto(sxy, sxx, syy);
      break;
    case TDistMode::dmManhattan:
      d = sabs;
      break;
    case TDistMode::dmEuclid:
      d = std::sqrt(ssq);
      break;
    case TDistMode::dmEuclidSqr:
      d = ssq;
      break;
    case TDistMode::dmDice:
      d = detail::Dice(sxy, sxx, syy);
      break;
    case TDistMode::dmMahalanobis:
      break;
  }
  Dist = static_cast<double>(d);
  return 0;
}

}  // namespace kvl
