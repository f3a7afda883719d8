// k-means clustering (Lloyd's iterations) and its step estimate.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numeric>
#include <vector>

#include "kvl/core/KVL_frame.h"
#include "kvl/modelling/cluster/cluster.h"
#include "kvl/modelling/cluster/internal/nearest_list.h"
#include "kvl/runtime/randgen.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

using cluster_internal::RowMajorCopy;
using cluster_internal::SquaredEuclid;

namespace {

constexpr std::int32_t MaxKMeansPasses = 1000;

/// TLloydPass: one pass of Lloyd's iteration over row-major objects with
/// buffers allocated once per call. The centres are also kept transposed
/// (variable after variable, the K centres of a variable contiguous), so
/// that the distances of an object to all centres grow together, variable
/// after variable, in a loop over the centres: each distance still sums
/// its terms in variable order, the same bits as one centre at a time.
class TLloydPass {
 public:
  TLloydPass(std::size_t p, std::size_t K) : FP(p), FK(K), FCentresT(p * K), FDist(K), FSums(K * p) {}

  /// SetCentres: takes the K centres (row-major, K x p).
  void SetCentres(const std::vector<double>& Centres) {
    for (std::size_t j = 0; j < FK; ++j)
      for (std::size_t c = 0; c < FP; ++c) FCentresT[c * FK + j] = Centres[j * FP + c];
  }

  /// Assign: every object to its nearest centre (strict less-than from the
  /// largest double: the lowest centre wins ties); the members' sums per
  /// centre are gathered on the way, in object order. True when any
  /// assignment changed.
  bool Assign(const std::vector<double>& x, std::size_t n, std::vector<std::int32_t>& assign) {
    bool changed = false;
    std::fill(FSums.begin(), FSums.end(), 0.0);
    double* dist = FDist.data();
    const double* ct = FCentresT.data();
    for (std::size_t i = 0; i < n; ++i) {
      const double* xi = &x[i * FP];
      std::fill(FDist.begin(), FDist.end(), 0.0);
      for (std::size_t c = 0; c < FP; ++c) {
        const double v = xi[c];
        const double* cc = ct + c * FK;
        for (std::size_t j = 0; j < FK; ++j) {
          const double d = v - cc[j];
          dist[j] += d * d;
        }
      }
      double best = std::numeric_limits<double>::max();
      std::int32_t arg = 0;
      for (std::size_t j = 0; j < FK; ++j)
        if (dist[j] < best) {
          best = dist[j];
          arg = static_cast<std::int32_t>(j);
        }
      if (assign[i] != arg) {
        assign[i] = arg;
        changed = true;
      }
      double* sj = &FSums[static_cast<std::size_t>(arg) * FP];
      for (std::size_t c = 0; c < FP; ++c) sj[c] += xi[c];
    }
    return changed;
  }

  /// UpdateCentres: sizes and centres as the means of their members (the
  /// sums of the last Assign); a centre without members becomes all zeros.
  void UpdateCentres(const std::vector<std::int32_t>& assign, std::vector<double>& Centres,
                     std::vector<std::int32_t>& sizes) const {
    std::fill(sizes.begin(), sizes.end(), 0);
    for (const std::int32_t a : assign) ++sizes[static_cast<std::size_t>(a)];
    for (std::size_t j = 0; j < FK; ++j)
      for (std::size_t c = 0; c < FP; ++c)
        Centres[j * FP + c] = sizes[j] > 0 ? FSums[j * FP + c] / sizes[j] : 0.0;
  }

 private:
  std::size_t FP, FK;
  std::vector<double> FCentresT, FDist, FSums;
};

}  // namespace

double kMeansClustering(const TMatrix& Data, std::int32_t IgnoredA, std::int32_t IgnoredB, std::int32_t NClust,
                        std::int32_t RandSeed, TMatrix& Centers, TIntVector& ClustAssign, TIntVector& ClustSize) {
  (void)IgnoredA;
  (void)IgnoredB;
  const std::int32_t rows = Data.NrOfRows();
  if (NClust > rows) RaiseFunc<EKVLMath2Error>("kMeansClustering", "number of clusters is greater than number of objects");
  if (NClust < 1) RaiseFunc<EKVLMath2Error>("kMeansClustering", "number of clusters must be at least 1");
  const std::size_t n = static_cast<std::size_t>(rows);
  const std::size_t p = static_cast<std::size_t>(Data.NrOfColumns());
  const std::size_t K = static_cast<std::size_t>(NClust);
  const std::vector<double> x = RowMajorCopy(Data, 1, rows);

  std::vector<double> centres(K * p);
  for (std::size_t j = 0; j < K; ++j) {
    std::size_t row = j;
    if (RandSeed > 0) {
      if (j == 0) kvl::RandSeed = RandSeed;
      row = static_cast<std::size_t>(Random(rows));
    }
    std::copy_n(&x[row * p], p, &centres[j * p]);
  }

  std::vector<std::int32_t> assign(n, -1);
  std::vector<std::int32_t> sizes(K, 0);
  std::int32_t passes = 0;
  bool aborted = false;
  TLloydPass lloyd(p, K);
  for (;;) {
    ReportMathProgress();
    if (AbortMathProc) {
      aborted = true;
      break;
    }
    ++passes;
    lloyd.SetCentres(centres);
    const bool changed = lloyd.Assign(x, n, assign);
    if (changed) lloyd.UpdateCentres(assign, centres, sizes);
    if (!changed || passes > MaxKMeansPasses) break;
  }
  if (passes == 0) std::fill(assign.begin(), assign.end(), 0);  // aborted before any pass

  double sum = 0.0;
  std::vector<std::size_t> order(K);
  std::iota(order.begin(), order.end(), std::size_t{0});
  if (!aborted) {
    for (std::size_t i = 0; i < n; ++i)
      sum += SquaredEuclid(&x[i * p], &centres[static_cast<std::size_t>(assign[i]) * p], p);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return sizes[a] > sizes[b]; });
  }
  std::vector<std::int32_t> label(K);
  for (std::size_t r = 0; r < K; ++r) label[order[r]] = static_cast<std::int32_t>(r + 1);

  // Store: Centers is columns x NClust, centre r in row r.
  if (Centers.NrOfColumns() != static_cast<std::int32_t>(p) || Centers.NrOfRows() != NClust)
    Centers.Resize(static_cast<std::int32_t>(p), NClust);
  TColumnView<double> cv = Centers.ColumnView();
  for (std::size_t r = 0; r < K; ++r)
    for (std::size_t c = 0; c < p; ++c) cv[c][r] = centres[order[r] * p + c];
  Centers.Changed();
  for (std::size_t i = 0; i < n; ++i) assign[i] = label[static_cast<std::size_t>(assign[i])];
  std::vector<std::int32_t> sorted(K);
  for (std::size_t r = 0; r < K; ++r) sorted[r] = sizes[order[r]];
  ClustAssign.SetVecSize(rows);
  ClustAssign.CopyFrom(std::span<const std::int32_t>(assign), 0, rows - 1, 1);
  ClustSize.SetVecSize(NClust);
  ClustSize.CopyFrom(std::span<const std::int32_t>(sorted), 0, NClust - 1, 1);

  if (passes > MaxKMeansPasses) RaiseFunc<EKVLMath2Error>("kMeansClustering", "max. number of iterations exceeded");
  return sum;
}

double kMeansClustering(const TMatrix& Data, std::int32_t IgnoredA, std::int32_t IgnoredB, std::int32_t NClust,
                        TMatrix& Centers, TIntVector& ClustAssign) {
  TIntVector sizes;
  return kMeansClustering(Data, IgnoredA, IgnoredB, NClust, 0, Centers, ClustAssign, sizes);
}

std::int32_t kMeansEstimatedSteps(std::int32_t a, std::int32_t b, std::int32_t c) {
  const double A = a, B = b, C = c;
  const double v = 0.38775 * std::sqrt(A * C) + 0.18232 * std::sqrt(A * B) - 108.0 - 0.00092427 * A -
                   0.00017557 * A * C;
  if (!(v > 20.0)) return 20;
  return static_cast<std::int32_t>(std::min(RoundEven(v), 2147483647.0));
}

}  // namespace kvl
