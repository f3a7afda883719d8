// kNN estimation: the k nearest training objects of a probe, found in one
// pass, and five ways to turn their targets into an estimate.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <span>
#include <vector>

#include "kvl/arrays/array_svd.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/modelling/cluster/cluster.h"
#include "kvl/modelling/cluster/internal/nearest_list.h"

namespace kvl {

namespace {

constexpr std::size_t MaxK = 100;    // the neighbour list of FindNearestNeighbors
constexpr double ZeroScale = 0.001;  // the distance scale when all neighbours coincide with the probe

/// TNeighbours: the distances and targets of the neighbours, nearest first.
struct TNeighbours {
  std::array<double, MaxK> Dist;
  std::array<double, MaxK> Target;
  std::array<std::int32_t, MaxK> Row;
  std::size_t Count = 0;
};

// The middle quartile of TVector::Quartiles: the (n + 1)/2-th smallest
// value, between the two middle ones for even n. NaNs leave the order to the
// library's sort, as they do there; without them any sort gives the same
// order statistics.
double MedianOf(std::span<double> t) {
  const std::size_t n = t.size();
  if (std::ranges::any_of(t, [](double x) { return std::isnan(x); }))
    SortArray(t, true);
  else
    std::ranges::sort(t);
  if (n % 2 == 1) return t[n / 2];
  const long double lo = t[n / 2 - 1];
  return static_cast<double>(lo + (static_cast<long double>(t[n / 2]) - lo) * 0.5L);
}

// The weighted mean Σ w·t/Σ w with w = exp(−e²), e = d·KWidth/m. The
// weights are taken relative to the nearest neighbour's, exp(−(e − e₁)(e + e₁)):
// the common factor cancels in the quotient, and the nearest weight is 1,
// so far neighbours or a wide kernel cannot underflow every weight to 0.
double GaussEstimate(const TNeighbours& N, double KWidth, double m) {
  const double s = KWidth / m, e1 = N.Dist[0] * s;
  long double sw = 0, swt = 0;
  for (std::size_t i = 0; i < N.Count; ++i) {
    const double e = N.Dist[i] * s;
    const double w = std::exp(-(e - e1) * (e + e1));
    sw += w;
    swt += static_cast<long double>(w) * N.Target[i];
  }
  return static_cast<double>(swt / sw);
}

double LinearEstimate(const TNeighbours& N, double KWidth, double m) {
  long double sw = 0, swt = 0;
  for (std::size_t i = 0; i < N.Count; ++i) {
    const double w = 1.0 - N.Dist[i] / m / KWidth;
    if (w > 0) {
      sw += w;
      swt += static_cast<long double>(w) * N.Target[i];
    }
  }
  return sw > 0 ? static_cast<double>(swt / sw) : 0.0;
}

// Phi: the terms of the full quadratic at x (p values): 1, x_1..x_p,
// x_1²..x_p², then x_i·x_j for i < j.
void Phi(std::span<const double> x, double* Out) {
  const std::size_t p = x.size();
  *Out++ = 1.0;
  for (std::size_t i = 0; i < p; ++i) *Out++ = x[i];
  for (std::size_t i = 0; i < p; ++i) *Out++ = x[i] * x[i];
  for (std::size_t i = 0; i < p; ++i)
    for (std::size_t j = i + 1; j < p; ++j) *Out++ = x[i] * x[j];
}

// The full quadratic in the probe's variables fitted by least squares to the
// neighbours and evaluated at the probe. The SVD works on the transposed
// design (one column of terms per neighbour), so its V has at most 100 x 100
// cells whatever the number of terms; the solution is the minimum-norm one
// with the singular values not above SvdNearSingularRatio of the largest
// left out, as SvdLeastSquares does.
double BiQuadEstimate(const TMatrix& Data, const TNeighbours& N, std::span<const double> Probe) {
  const std::size_t p = Probe.size(), q = 1 + 2 * p + p * (p - 1) / 2, k = N.Count;
  const std::size_t rows = static_cast<std::size_t>(Data.NrOfRows());
  const std::size_t cols = static_cast<std::size_t>(Data.NrOfColumns());
  std::vector<double> bt(k * q), v(k * k), w(k), x(p), phi(q);
  for (std::size_t i = 0; i < k; ++i) {
    const std::size_t r = static_cast<std::size_t>(N.Row[i] - 1);
    for (std::size_t c = 0; c < p; ++c) x[c] = c < cols ? Data.Data()[c * rows + r] : 0.0;
    Phi(x, &bt[i * q]);
  }
  // Bᵀ (q x k) = U·diag(W)·Vᵀ, so B = V·diag(W)·Uᵀ and the least-squares
  // coefficients are U·diag(1/W)·Vᵀ·t; at the probe that is
  // Σ_j (φ(probe)·U_j)·(V_j·t)/W_j.
  if (SvdDecompose(TColumnView<double>(bt.data(), k, q), TColumnView<double>(v.data(), k, k), w) !=
      TSvdResult::svdSuccess)
    return 0.0;
  Phi(Probe, phi.data());
  const double cut = SvdNearSingularRatio * *std::ranges::max_element(w);
  long double est = 0;
  for (std::size_t j = 0; j < k; ++j) {
    if (!(w[j] > cut)) continue;
    long double pu = 0, vt = 0;
    for (std::size_t c = 0; c < q; ++c) pu += static_cast<long double>(phi[c]) * bt[j * q + c];
    for (std::size_t i = 0; i < k; ++i) vt += static_cast<long double>(v[j * k + i]) * N.Target[i];
    est += pu * vt / w[j];
  }
  return static_cast<double>(est);
}

}  // namespace

void EstimateByKNN(const TMatrix& Data, const TVector& Target, std::int32_t k, TKnnWMode WMode, double KWidth,
                   const TVector& Probe, double& Estimate, double& MeanDist) {
  const std::int32_t rows = Data.NrOfRows();
  if (Target.NrOfElem() != rows) 
    RaiseFunc<EKVLMath2Error>("EstimateByKNN", "number of targets does not match number of objects");
  const std::size_t kk = std::min<std::size_t>({static_cast<std::size_t>(std::max(k, 1)), MaxK,
                                                static_cast<std::size_t>(rows)});
  cluster_internal::TNearestList<MaxK + 1> list;
  cluster_internal::OfferRowsByEuclid(Data, 1, rows, Probe.Data(), list);
  TNeighbours n;
  // Entries still at index 0 are fillers: fewer rows had a finite distance.
  while (n.Count < kk && list.Index(n.Count) > 0) {
    n.Dist[n.Count] = list.Dist(n.Count);
    n.Row[n.Count] = list.Index(n.Count);
    n.Target[n.Count] = Target.Data()[static_cast<std::size_t>(n.Row[n.Count] - 1)];
    ++n.Count;
  }
  if (n.Count == 0) {
    Estimate = MeanDist = std::numeric_limits<double>::quiet_NaN();
    return;
  }
  long double sd = 0;
  for (std::size_t i = 0; i < n.Count; ++i) sd += n.Dist[i];
  MeanDist = static_cast<double>(sd / static_cast<long double>(n.Count));
  const double m = MeanDist == 0 ? ZeroScale : MeanDist;
  const std::span<double> t(n.Target.data(), n.Count);
  switch (WMode) {
    case TKnnWMode::kwmGauss: Estimate = GaussEstimate(n, KWidth, m); break;
    case TKnnWMode::kwmAverage: {
      long double s = 0;
      for (const double x : t) s += x;
      Estimate = static_cast<double>(s / static_cast<long double>(n.Count));
      break;
    }
    case TKnnWMode::kwmMedian: Estimate = MedianOf(t); break;
    case TKnnWMode::kwmLinear: Estimate = LinearEstimate(n, KWidth, m); break;
    case TKnnWMode::kwmBiQuad: Estimate = BiQuadEstimate(Data, n, Probe.Data()); break;
  }
}

}  // namespace kvl
