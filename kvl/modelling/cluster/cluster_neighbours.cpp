// Mahalanobis distance, nearest neighbours, mean kNN distance and centres.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "kvl/core/KVL_frame.h"
#include "kvl/modelling/cluster/cluster.h"
#include "kvl/modelling/cluster/internal/nearest_list.h"

namespace kvl {

using cluster_internal::RowMajorCopy;
using cluster_internal::SquaredEuclid;
using cluster_internal::TNearestList;

namespace {

constexpr std::size_t MaxMeanDistK = 50;    // MeanDistanceKNN keeps the 51 smallest
constexpr std::size_t MaxNeighbours = 100;  // FindNearestNeighbors keeps the 101 smallest
constexpr double PairSearchStart = 1e10;    // FindCenters' starting squared distance

void RaiseMahalanobis(std::string_view Text) { RaiseFunc<EKVLVectorError>("MahalanobisDistance", Text); }

}  // namespace

double MahalanobisDistance(const TVector& x, const TVector& y, const TMatrix& InvCov) {
  if (x.NrOfElem() != y.NrOfElem()) RaiseMahalanobis("dimensions of vectors do not match");
  if (InvCov.NrOfColumns() != InvCov.NrOfRows()) RaiseMahalanobis("inverse covariance matrix is not quadratric");
  if (x.NrOfElem() != InvCov.NrOfColumns())
    RaiseMahalanobis("dimension of vectors and inverse covariance matrix do not match");
  const std::size_t n = static_cast<std::size_t>(x.NrOfElem());
  const double* xs = x.Data().data();
  const double* ys = y.Data().data();
  const double* m = InvCov.Data().data();  // cell (j, i) at j·n + i (0-based)
  double d2 = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    double inner = 0.0;
    for (std::size_t j = 0; j < n; ++j) inner += m[j * n + i] * (xs[j] - ys[j]);
    d2 += (xs[i] - ys[i]) * inner;
  }
  if (d2 < 0.0) RaiseMahalanobis("the inverse covariance matrix must be symmetric and positive definite");
  return std::sqrt(d2);
}

void MeanDistanceKNN(const TMatrix& Data, std::int32_t k, std::int32_t first, std::int32_t last,
                     TVector& MeanDist) {
  const std::int32_t rows = Data.NrOfRows();
  first = std::clamp(first, 1, rows);
  last = std::clamp(last, 1, rows);
  if (first > last) std::swap(first, last);
  const std::size_t n = static_cast<std::size_t>(last - first + 1);
  // Beyond the objects in the range the list would average its uc_MaxReal
  // fillers, so k is bounded by the range as well.
  const std::size_t kk = std::min<std::size_t>({static_cast<std::size_t>(std::max(k, 1)), MaxMeanDistK, n});
  const std::size_t cols = static_cast<std::size_t>(Data.NrOfColumns());
  const std::vector<double> x = RowMajorCopy(Data, first, last);
  std::vector<double> means(n);
  TNearestList<MaxMeanDistK + 1> list;
  for (std::size_t i = 0; i < n; ++i) {
    list.Clear();
    for (std::size_t j = 0; j < n; ++j)
      list.Offer(std::sqrt(SquaredEuclid(&x[i * cols], &x[j * cols], cols)), static_cast<std::int32_t>(j));
    double s = 0.0;
    for (std::size_t e = 0; e < kk; ++e) s += list.Dist(e);
    means[i] = s / static_cast<double>(kk);
  }
  if (first <= MeanDist.NrOfElem()) {
    const std::int32_t hi = std::min(last, MeanDist.NrOfElem()) - first;
    MeanDist.CopyFrom(std::span<const double>(means), 0, hi, first);
  }
}

void FindNearestNeighbors(std::int32_t k, const TMatrix& Data, std::int32_t first, std::int32_t last,
                          const TVector& Probe, TMatrix& NN, const TCalcDistFunc& DistFunc) {
  Data.MakeValidRowRange(first, last);
  const std::size_t n = static_cast<std::size_t>(last - first + 1);
  const std::size_t kk = std::min<std::size_t>({static_cast<std::size_t>(std::max(k, 0)), MaxNeighbours, n});
  TNearestList<MaxNeighbours + 1> list;
  if (DistFunc) {
    for (std::int32_t i = first; i <= last; ++i) list.Offer(DistFunc(i), i);
  } else {
    cluster_internal::OfferRowsByEuclid(Data, first, last, Probe.Data(), list);
  }
  for (std::size_t r = 0; r < kk; ++r) {
    const std::int32_t row = static_cast<std::int32_t>(r + 1);
    if (row > NN.NrOfRows()) break;
    TColumnView<double> nn = NN.ColumnView();
    nn[0][r] = list.Index(r);
    if (NN.NrOfColumns() >= 2) nn[1][r] = list.Dist(r);
  }
  if (kk > 0) NN.Changed();
}

void FindCenters(const TMatrix& Data, std::int32_t first, std::int32_t last, std::int32_t NumCenters,
                 TMatrix& Centers, double& MeanDist) {
  Data.MakeValidRowRange(first, last);
  NumCenters = std::max(NumCenters, 1);
  const std::size_t cols = static_cast<std::size_t>(Data.NrOfColumns());
  const std::size_t total = static_cast<std::size_t>(Data.NrOfRows() - first + 1);
  // Working copy of the rows from first to the end of Data: the centres
  // past the range (NumCenters above its size) are the rows that follow it.
  std::vector<double> x = RowMajorCopy(Data, first, Data.NrOfRows());
  std::vector<double> w(total, 1.0);
  std::size_t m = static_cast<std::size_t>(last - first);  // offset of the last active row
  const std::size_t nc = static_cast<std::size_t>(NumCenters);
  while (m + 1 > nc) {
    ReportMathProgress();
    double best = PairSearchStart;
    // Pairs all 1e10 or more apart (or NaN) merge the first pair rather
    // than silently dropping the last row.
    std::size_t a = 0, b = 1;
    for (std::size_t i = 0; i < m; ++i)
      for (std::size_t j = i + 1; j <= m; ++j) {
        const double d = SquaredEuclid(&x[i * cols], &x[j * cols], cols);
        if (d < best) {
          best = d;
          a = i;
          b = j;
        }
      }
    const double wa = w[a], wb = w[b], ws = wa + wb;
    for (std::size_t c = 0; c < cols; ++c) x[a * cols + c] = (wa * x[a * cols + c] + wb * x[b * cols + c]) / ws;
    w[a] = ws;
    std::copy_n(&x[m * cols], cols, &x[b * cols]);
    w[b] = w[m];
    --m;
  }
  // Centres past the end of Data read as 0, like any cell outside a matrix.
  const auto cell = [&](std::size_t r, std::size_t c) { return r < total && c < cols ? x[r * cols + c] : 0.0; };
  TColumnView<double> out = Centers.ColumnView();
  const std::size_t outRows = std::min(nc, static_cast<std::size_t>(Centers.NrOfRows()));
  for (std::size_t c = 0; c < static_cast<std::size_t>(Centers.NrOfColumns()); ++c)
    for (std::size_t r = 0; r < outRows; ++r) out[c][r] = cell(r, c);
  Centers.Changed();
  double sum = 0.0;
  for (std::size_t r = 0; r < nc; ++r) {
    double best = PairSearchStart;
    for (std::size_t s = 0; s < nc; ++s) {
      if (s == r) continue;
      double d = 0.0;
      for (std::size_t c = 0; c < cols; ++c) {
        const double e = cell(r, c) - cell(s, c);
        d += e * e;
      }
      best = std::min(best, d);
    }
    sum += std::sqrt(best);
  }
  MeanDist = sum / static_cast<double>(nc);
}

}  // namespace kvl
