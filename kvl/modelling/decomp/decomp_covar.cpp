// Covariance-type matrices, ranks, class scatter matrices, Fisher's quotient.

#include "kvl/modelling/decomp/decomp_covar.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "kvl/modelling/decomp/internal/decomp_store.h"
#include "kvl/statistics/KVL_statis.h"

namespace kvl {
namespace {

constexpr double CorrelationRootFloor = 1e-38;  // stands in for a zero √(sₐ²s_b²)
constexpr double FishQDenominatorFloor = 1e-6;

/// Dot: Σ x_i·y_i in extended precision.
long double Dot(const double* x, const double* y, std::size_t n) {
  long double s = 0.0L;
  for (std::size_t i = 0; i < n; ++i) s += static_cast<long double>(x[i]) * y[i];
  return s;
}

/// SquaredDistance: Σ (x_i − y_i)² in extended precision.
long double SquaredDistance(const double* x, const double* y, std::size_t n) {
  long double s = 0.0L;
  for (std::size_t i = 0; i < n; ++i) {
    const long double e = static_cast<long double>(x[i]) - y[i];
    s += e * e;
  }
  return s;
}

}  // namespace

bool CalcCovar(const TMatrix& Data, TMatrix& Cov, std::int32_t FirstCol, std::int32_t LastCol,
               std::int32_t FirstRow, std::int32_t LastRow, std::int32_t Mode) {
  AbortMathProc = false;
  Data.MakeValidColRange(FirstCol, LastCol);
  Data.MakeValidRowRange(FirstRow, LastRow);
  const std::size_t p = static_cast<std::size_t>(LastCol - FirstCol + 1);
  const std::size_t n = static_cast<std::size_t>(LastRow - FirstRow + 1);
  if (static_cast<std::size_t>(Cov.NrOfColumns()) < p || static_cast<std::size_t>(Cov.NrOfRows()) < p)
    return false;
  if (Mode < 0 || Mode > 4 || n < 2) return false;

  // The selection, column after column (centred for modes 1 to 3), so that
  // every pair runs over two contiguous columns; also lets Cov be Data.
  const std::size_t rows = static_cast<std::size_t>(Data.NrOfRows());
  const std::span<const double> cells = Data.Data();
  std::vector<double> x(p * n);
  std::vector<long double> var(p);
  const long double ln = static_cast<long double>(n);
  for (std::size_t a = 0; a < p; ++a) {
    const double* src = cells.data() + (static_cast<std::size_t>(FirstCol - 1) + a) * rows +
                        static_cast<std::size_t>(FirstRow - 1);
    double* dst = x.data() + a * n;
    long double s1 = 0.0L, s2 = 0.0L;
    for (std::size_t i = 0; i < n; ++i) {
      s1 += src[i];
      s2 += static_cast<long double>(src[i]) * src[i];
    }
    var[a] = std::max((s2 - s1 * s1 / ln) / (ln - 1.0L), 0.0L);
    const double mean = Mode >= 1 && Mode <= 3 ? static_cast<double>(s1 / ln) : 0.0;
    for (std::size_t i = 0; i < n; ++i) dst[i] = src[i] - mean;
  }

  const TColumnView<double> cov = Cov.ColumnView();
  for (std::size_t a = 0; a < p; ++a) {
    const double* xa = x.data() + a * n;
    for (std::size_t b = a; b < p; ++b) {
      ReportMathProgress();
      if (AbortMathProc) {
        Cov.Changed();
        return false;
      }
      const double* xb = x.data() + b * n;
      long double e = Mode == 4 ? SquaredDistance(xa, xb, n) : Dot(xa, xb, n);
      if (Mode == 2 || Mode == 3) {
        long double root = std::sqrt(var[a] * var[b]);
        if (root == 0.0L) root = CorrelationRootFloor;
        e /= root;
      }
      e /= ln - 1.0L;
      if (Mode == 3) e *= e;
      if (Mode == 2 && a == b) e = 1.0L;
      cov[a][b] = cov[b][a] = static_cast<double>(e);
    }
  }
  Cov.Changed();
  return true;
}

double CalcRanks(const TVector& x, TVector& Ranks) {
  std::vector<double> ranks(x.Data().size());
  const double ties = RankWithTies(x.Data(), ranks);
  decomp_internal::StoreVector(Ranks, ranks);
  return ties;
}

std::int32_t ClassScatterMatrices(const TDouble2DArray& Data, const TIntArray& Classes,
                                  std::int32_t& NClasses, TIntArray& ClassSizes, TDouble2DArray& ClassMeans,
                                  TDouble2DArray& ClassVars, TDouble2DArray& Sb, TDouble2DArray& Sw) {
  const std::size_t nVar = Data.size();
  const std::size_t nObj = Classes.size();
  for (const TDoubleArray& column : Data)
    if (column.size() != nObj) return -1;
  if (nVar == 0 && nObj != 0) return -1;

  std::vector<std::size_t> count(nObj + 1, 0);
  for (const std::int32_t c : Classes) {
    if (c < 1 || static_cast<std::size_t>(c) > nObj) return -2;
    ++count[static_cast<std::size_t>(c)];
  }
  std::size_t nc = 0;
  while (nc < nObj && count[nc + 1] > 0) ++nc;
  for (std::size_t c = nc + 1; c <= nObj; ++c)
    if (count[c] > 0) return -3;

  TDouble2DArray means(nVar, TDoubleArray(nc)), vars(nVar, TDoubleArray(nc));
  TDouble2DArray sb(nVar, TDoubleArray(nVar)), sw(nVar, TDoubleArray(nVar));
  std::vector<double> overall(nVar);
  // Deviations from the class means, variable after variable.
  std::vector<double> dev(nVar * nObj);
  std::vector<long double> s1(nc), s2(nc);
  for (std::size_t a = 0; a < nVar; ++a) {
    const TDoubleArray& xa = Data[a];
    std::fill(s1.begin(), s1.end(), 0.0L);
    std::fill(s2.begin(), s2.end(), 0.0L);
    long double total = 0.0L;
    for (std::size_t o = 0; o < nObj; ++o) {
      const std::size_t c = static_cast<std::size_t>(Classes[o] - 1);
      s1[c] += xa[o];
      s2[c] += static_cast<long double>(xa[o]) * xa[o];
      total += xa[o];
    }
    overall[a] = static_cast<double>(total / static_cast<long double>(nObj));
    for (std::size_t c = 0; c < nc; ++c) {
      const long double nk = static_cast<long double>(count[c + 1]);
      means[a][c] = static_cast<double>(s1[c] / nk);
      vars[a][c] = nk > 1 ? static_cast<double>(std::abs((s2[c] - s1[c] * s1[c] / nk) / (nk - 1.0L))) : 0.0;
    }
    for (std::size_t o = 0; o < nObj; ++o)
      dev[a * nObj + o] = xa[o] - means[a][static_cast<std::size_t>(Classes[o] - 1)];
  }
  for (std::size_t a = 0; a < nVar; ++a)
    for (std::size_t b = a; b < nVar; ++b) {
      long double between = 0.0L;
      for (std::size_t c = 0; c < nc; ++c)
        between += static_cast<long double>(count[c + 1]) *
                   (static_cast<long double>(means[a][c]) - overall[a]) *
                   (static_cast<long double>(means[b][c]) - overall[b]);
      sb[a][b] = sb[b][a] = static_cast<double>(between);
      sw[a][b] = sw[b][a] = static_cast<double>(Dot(dev.data() + a * nObj, dev.data() + b * nObj, nObj));
    }

  NClasses = static_cast<std::int32_t>(nc);
  ClassSizes.resize(nc);
  for (std::size_t c = 0; c < nc; ++c) ClassSizes[c] = static_cast<std::int32_t>(count[c + 1]);
  ClassMeans = std::move(means);
  ClassVars = std::move(vars);
  Sb = std::move(sb);
  Sw = std::move(sw);
  return 0;
}

namespace KVL_math2 {

double CalcFishQ(double a, double b, double c, double d) {
  double den = a * a + b * b;
  if (den < FishQDenominatorFloor) den = FishQDenominatorFloor;
  return (d - c) * (d - c) / den;
}

}  // namespace KVL_math2

}  // namespace kvl
