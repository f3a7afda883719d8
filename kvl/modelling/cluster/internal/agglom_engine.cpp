// Agglomerative clustering with cached row minima.

#include "kvl/modelling/cluster/internal/agglom_engine.h"

#include <algorithm>
#include <cstddef>

#include "kvl/base/KVL_univconst.h"

namespace kvl::cluster_internal {
namespace {

constexpr double MaxFlexParam = 0.5;

/// TLanceWilliams: the distance of cluster k to the union of i and j, one
/// type per method so that the row update below is a plain loop.
template <TClusterMethod Method>
struct TLanceWilliams {
  double Flex, dij, ni, nj;
  double operator()(double dik, double djk, double nk) const {
    if constexpr (Method == TClusterMethod::cmSingleLink) return std::min(dik, djk);
    if constexpr (Method == TClusterMethod::cmCompleteLink) return std::max(dik, djk);
    if constexpr (Method == TClusterMethod::cmWard) return ((nk + ni) * dik + (nk + nj) * djk - nk * dij) / (ni + nj + nk);
    if constexpr (Method == TClusterMethod::cmAvgLink) return (dik + djk) / 2.0;
    if constexpr (Method == TClusterMethod::cmFlexLink) return Flex * (dik + djk) + (1.0 - 2.0 * Flex) * dij;
    if constexpr (Method == TClusterMethod::cmUpgma) return (ni * dik + nj * djk) / (ni + nj);
    return dik;
  }
};

/// UpdateRow: Ri[k] := the update of (Ri[k], Rj[k]) for every k, inactive
/// clusters included (their cells are never read again), so the loop runs
/// over contiguous cells without a test; the diagonal cell is put back.
template <TClusterMethod Method>
void UpdateRow(double* Ri, const double* Rj, const double* Sizes, std::size_t n, std::size_t i,
               const TLanceWilliams<Method>& Update) {
  for (std::size_t k = 0; k < n; ++k) Ri[k] = Update(Ri[k], Rj[k], Sizes[k]);
  Ri[i] = 0.0;
}

void UpdateRow(TClusterMethod Method, double Flex, double dij, double ni, double nj, double* Ri, const double* Rj,
               const double* Sizes, std::size_t n, std::size_t i) {
  switch (Method) {
    case TClusterMethod::cmSingleLink:
      return UpdateRow<TClusterMethod::cmSingleLink>(Ri, Rj, Sizes, n, i, {Flex, dij, ni, nj});
    case TClusterMethod::cmCompleteLink:
      return UpdateRow<TClusterMethod::cmCompleteLink>(Ri, Rj, Sizes, n, i, {Flex, dij, ni, nj});
    case TClusterMethod::cmWard: return UpdateRow<TClusterMethod::cmWard>(Ri, Rj, Sizes, n, i, {Flex, dij, ni, nj});
    case TClusterMethod::cmAvgLink:
      return UpdateRow<TClusterMethod::cmAvgLink>(Ri, Rj, Sizes, n, i, {Flex, dij, ni, nj});
    case TClusterMethod::cmFlexLink:
      return UpdateRow<TClusterMethod::cmFlexLink>(Ri, Rj, Sizes, n, i, {Flex, dij, ni, nj});
    case TClusterMethod::cmUpgma: return UpdateRow<TClusterMethod::cmUpgma>(Ri, Rj, Sizes, n, i, {Flex, dij, ni, nj});
  }
}

/// TRowMinima: for every active row i the first active j > i with the
/// smallest distance (strict less-than from uc_MaxReal; none: −1). Scanning
/// the rows in order with the same rule then finds the pair a full scan of
/// the matrix would. The active clusters are kept as an ascending list, so
/// that no loop visits a merged one.
class TRowMinima {
 public:
  TRowMinima(const double* D, std::size_t n, const std::vector<std::uint32_t>& Alive)
      : FD(D), FN(n), FAlive(Alive), FNext(n, -1), FMin(n, uc_MaxReal) {}

  /// Recompute: row i over the active columns FAlive[From..] (those after i).
  void Recompute(std::size_t i, std::size_t From) {
    const double* row = FD + i * FN;  // symmetric: column i is row i
    double best = uc_MaxReal;
    std::ptrdiff_t arg = -1;
    for (std::size_t q = From; q < FAlive.size(); ++q) {
      const std::uint32_t j = FAlive[q];
      if (row[j] < best) {
        best = row[j];
        arg = static_cast<std::ptrdiff_t>(j);
      }
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
  const std::vector<std::uint32_t>& FAlive;
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

  std::vector<std::uint32_t> alive(n);  // the active clusters' rows, ascending
  std::vector<std::int32_t> id(n);
  std::vector<double> sizes(n, 1.0);  // as doubles: the updates' operands
  for (std::size_t i = 0; i < n; ++i) {
    alive[i] = static_cast<std::uint32_t>(i);
    id[i] = static_cast<std::int32_t>(i + 1);
  }
  TRowMinima minima(D, n, alive);
  for (std::size_t i = 0; i < n; ++i) minima.Recompute(i, i + 1);

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
    for (const std::uint32_t a : alive)
      if (minima.Next(a) >= 0 && minima.Min(a) < best) {
        best = minima.Min(a);
        bi = static_cast<std::ptrdiff_t>(a);
      }
    std::size_t i = alive[0], j = alive[1];  // no distance below uc_MaxReal: the first active pair
    if (bi >= 0) {
      i = static_cast<std::size_t>(bi);
      j = static_cast<std::size_t>(minima.Next(i));
    }
    const double dij = D[i * n + j];
    double* Ri = D + i * n;
    UpdateRow(Method, FlexParam, dij, sizes[i], sizes[j], Ri, D + j * n, sizes.data(), n, i);
    Result.Tree[3 * (s - 1)] = id[i];
    Result.Tree[3 * (s - 1) + 1] = id[j];
    Result.Tree[3 * (s - 1) + 2] = static_cast<std::int32_t>(n + s);
    Result.MergeDist[s - 1] = dij;
    id[i] = static_cast<std::int32_t>(n + s);
    sizes[i] += sizes[j];
    alive.erase(std::lower_bound(alive.begin(), alive.end(), static_cast<std::uint32_t>(j)));

    // Column i := row i (one cell per row: the cache lines are fetched
    // ahead), and the row minima: i's row changed; rows before i see a new
    // column i, rows before j lose column j.
    const std::size_t m = alive.size();
    const std::uint32_t* A = alive.data();
    constexpr std::size_t Ahead = 16;
    double* Ci = D + i;
    for (std::size_t p = 0; p < m; ++p) {
      if (p + Ahead < m) __builtin_prefetch(Ci + A[p + Ahead] * n, 1, 3);
      const std::size_t k = A[p];
      if (k == i) {
        minima.Recompute(i, p + 1);
        continue;
      }
      Ci[k * n] = Ri[k];
      if (k >= j) continue;
      const std::ptrdiff_t nk = minima.Next(k);
      if (nk == static_cast<std::ptrdiff_t>(j) || nk == static_cast<std::ptrdiff_t>(i))
        minima.Recompute(k, p + 1);
      else if (k < i)
        minima.Offer(k, i, Ri[k]);
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
