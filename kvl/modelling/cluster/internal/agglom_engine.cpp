// Agglomerative clustering with cached row minima.

#include "kvl/modelling/cluster/internal/agglom_engine.h"

#include <algorithm>
#include <cstddef>

#include "kvl/base/KVL_univconst.h"

namespace kvl::cluster_internal {
namespace {

constexpr double MaxFlexParam = 0.5;

/// LanceWilliams: the distance of cluster k to the union of i and j.
double LanceWilliams(TClusterMethod Method, double Flex, double dik, double djk, double dij, double ni, double nj,
                     double nk) {
  switch (Method) {
    case TClusterMethod::cmSingleLink: return std::min(dik, djk);
    case TClusterMethod::cmCompleteLink: return std::max(dik, djk);
    case TClusterMethod::cmWard: return ((nk + ni) * dik + (nk + nj) * djk - nk * dij) / (ni + nj + nk);
    case TClusterMethod::cmAvgLink: return (dik + djk) / 2.0;
    case TClusterMethod::cmFlexLink: return Flex * (dik + djk) + (1.0 - 2.0 * Flex) * dij;
    case TClusterMethod::cmUpgma: return (ni * dik + nj * djk) / (ni + nj);
  }
  return dik;
}

/// TRowMinima: for every active row i the first active j > i with the
/// smallest distance (strict less-than from uc_MaxReal; none: −1). Scanning
/// the rows in order with the same rule then finds the pair a full scan of
/// the matrix would.
class TRowMinima {
 public:
  TRowMinima(const double* D, std::size_t n, const std::vector<char>& Active)
      : FD(D), FN(n), FActive(Active), FNext(n, -1), FMin(n, uc_MaxReal) {}

  void Recompute(std::size_t i) {
    const double* row = FD + i * FN;  // symmetric: column i is row i
    double best = uc_MaxReal;
    std::ptrdiff_t arg = -1;
    for (std::size_t j = i + 1; j < FN; ++j)
      if (FActive[j] && row[j] < best) {
        best = row[j];
        arg = static_cast<std::ptrdiff_t>(j);
      }
    FMin[i] = best;
    FNext[i] = arg;
  }
  /// Offer: column j of row i changed to d (j > i, not the row's cached
  /// argument): takes it when smaller, or equal and earlier.
  void Offer(std::size_t i, std::size_t j, double d) {
    const std::ptrdiff_t sj = static_cast<std::ptrdiff_t>(j);
    if (d < FMin[i] || (d == FMin[i] && FNext[i] >= 0 && sj < FNext[i])) {
      FMin[i] = d;
      FNext[i] = sj;
    }
  }
  std::ptrdiff_t Next(std::size_t i) const { return FNext[i]; }
  double Min(std::size_t i) const { return FMin[i]; }

 private:
  const double* FD;
  std::size_t FN;
  const std::vector<char>& FActive;
  std::vector<std::ptrdiff_t> FNext;
  std::vector<double> FMin;
};

}  // namespace

std::int32_t AgglomMerges(TMatrix& Data, TDistMode DistMode, TClusterMethod Method, double FlexParam,
                          const std::function<void(double Percent)>& FeedBack, TAgglomResult& Result) {
  if (FeedBack) FeedBack(0.0);
  FlexParam = std::min(FlexParam, MaxFlexParam);
  const std::int32_t n32 = Data.NrOfRows();
  const std::size_t n = static_cast<std::size_t>(n32);
  TMatrix dist;
  dist.Resize(n32, n32);
  Data.CalcDistMat(DistMode, &dist);
  double* D = dist.ColumnView()[0].data();

  std::vector<char> active(n, 1);
  std::vector<std::int32_t> id(n), size(n, 1);
  for (std::size_t i = 0; i < n; ++i) id[i] = static_cast<std::int32_t>(i + 1);
  TRowMinima minima(D, n, active);
  for (std::size_t i = 0; i < n; ++i) minima.Recompute(i);

  Result.Tree.assign(3 * (n > 0 ? n - 1 : 0), 0);
  Result.MergeDist.assign(n > 0 ? n - 1 : 0, 0.0);
  for (std::size_t s = 1; s < n; ++s) {
    if (AbortMathProc) {
      std::fill(Result.Tree.begin(), Result.Tree.end(), 0);
      Result.MergeDist.clear();
      Result.Positions.clear();
      return -1;
    }
    ReportMathProgress();
    double best = uc_MaxReal;
    std::ptrdiff_t bi = -1;
    for (std::size_t i = 0; i < n; ++i)
      if (active[i] && minima.Next(i) >= 0 && minima.Min(i) < best) {
        best = minima.Min(i);
        bi = static_cast<std::ptrdiff_t>(i);
      }
    std::size_t i, j;
    if (bi >= 0) {
      i = static_cast<std::size_t>(bi);
      j = static_cast<std::size_t>(minima.Next(i));
    } else {  // no distance below uc_MaxReal: the first active pair
      i = static_cast<std::size_t>(std::find(active.begin(), active.end(), 1) - active.begin());
      j = static_cast<std::size_t>(std::find(active.begin() + static_cast<std::ptrdiff_t>(i) + 1, active.end(), 1) -
                                   active.begin());
    }
    const double dij = D[i * n + j];
    const double ni = size[i], nj = size[j];
    for (std::size_t k = 0; k < n; ++k) {
      if (!active[k] || k == i || k == j) continue;
      const double d = LanceWilliams(Method, FlexParam, D[i * n + k], D[j * n + k], dij, ni, nj, size[k]);
      D[i * n + k] = d;
      D[k * n + i] = d;
    }
    Result.Tree[3 * (s - 1)] = id[i];
    Result.Tree[3 * (s - 1) + 1] = id[j];
    Result.Tree[3 * (s - 1) + 2] = static_cast<std::int32_t>(n + s);
    Result.MergeDist[s - 1] = dij;
    id[i] = static_cast<std::int32_t>(n + s);
    size[i] += size[j];
    active[j] = 0;

    // Row minima: i's row changed; rows before i see a new column i, rows
    // before j lose column j.
    minima.Recompute(i);
    for (std::size_t k = 0; k < j; ++k) {
      if (!active[k] || k == i) continue;
      const std::ptrdiff_t nk = minima.Next(k);
      if (nk == static_cast<std::ptrdiff_t>(j) || nk == static_cast<std::ptrdiff_t>(i))
        minima.Recompute(k);
      else if (k < i)
        minima.Offer(k, i, D[k * n + i]);
    }
    if (FeedBack) FeedBack(static_cast<double>(s) * 100.0 / static_cast<double>(n));
  }

  // Dendrogram: objects in the left-to-right order of the tree expanded from
  // the last merge (first member left), ranked 1..n; each merge at the mean
  // of its two members.
  Result.Positions.assign(n > 0 ? 2 * n - 1 : 0, 0.0);
  if (n == 0) return 0;
  std::vector<std::int32_t> stack{static_cast<std::int32_t>(2 * n - 1)};
  double rank = 0.0;
  while (!stack.empty()) {
    const std::int32_t v = stack.back();
    stack.pop_back();
    if (v <= n32) {
      Result.Positions[static_cast<std::size_t>(v - 1)] = ++rank;
    } else {
      const std::size_t s = static_cast<std::size_t>(v) - n - 1;
      stack.push_back(Result.Tree[3 * s + 1]);
      stack.push_back(Result.Tree[3 * s]);
    }
  }
  for (std::size_t s = 0; s + 1 < n; ++s)
    Result.Positions[n + s] = (Result.Positions[static_cast<std::size_t>(Result.Tree[3 * s] - 1)] +
                               Result.Positions[static_cast<std::size_t>(Result.Tree[3 * s + 1] - 1)]) /
                              2.0;
  return 0;
}

}  // namespace kvl::cluster_internal
