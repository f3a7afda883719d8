// Vertex component analysis (J. M. P. Nascimento, J. M. Bioucas-Dias,
// IEEE Trans. Geoscience and Remote Sensing 43 (2005) 898-910): the pure
// signatures of a linear mixture are the vertices of the data simplex, found
// one by one as the extreme projection on a direction orthogonal to the
// vertices found so far.

#include <algorithm>
#include <cmath>
#include <limits>

#include "kvl/core/KVL_math1.h"
#include "kvl/modelling/regression/internal/regression_engine.h"
#include "kvl/modelling/regression/multi_regression.h"

namespace kvl {

using namespace regression_internal;

namespace {

// The first Count left singular vectors of the band x pixel data, i.e. the
// leading eigenvectors of its band cross-product, from the pixel x band
// matrix Z (column-major, destroyed). Result: Count vectors of L values.
bool LeadingBandVectors(std::vector<double>& Z, std::size_t L, std::size_t N, std::size_t Count,
                        std::vector<double>& Ud) {
  std::vector<double> V(L * L), W(L);
  if (SvdDecompose(TColumnView<double>(Z.data(), L, N), TColumnView<double>(V.data(), L, L), W) !=
      TSvdResult::svdSuccess)
    return false;
  std::vector<std::size_t> order(L);
  for (std::size_t k = 0; k < L; ++k) order[k] = k;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return W[a] > W[b]; });
  Ud.resize(Count * L);
  for (std::size_t k = 0; k < Count; ++k)
    std::copy(V.begin() + static_cast<std::ptrdiff_t>(order[k] * L),
              V.begin() + static_cast<std::ptrdiff_t>((order[k] + 1) * L),
              Ud.begin() + static_cast<std::ptrdiff_t>(k * L));
  return true;
}

// Coordinates x(k, i) = Σ_j Ud(j, k)·(Y(j, i) − Offset_j), k < Count, stored
// k-th row of pixel i at i * Stride + k.
void Project(const TColumnView<const double>& Y, const std::vector<double>& Ud, std::size_t Count,
             const std::vector<long double>& Offset, std::vector<double>& X, std::size_t Stride) {
  const std::size_t L = Y.size(), N = Y.Rows();
  std::vector<long double> acc(N);
  for (std::size_t k = 0; k < Count; ++k) {
    std::fill(acc.begin(), acc.end(), 0.0L);
    for (std::size_t j = 0; j < L; ++j) {
      const long double u = Ud[k * L + j];
      for (std::size_t i = 0; i < N; ++i) acc[i] += u * (Y[j][i] - Offset[j]);
    }
    for (std::size_t i = 0; i < N; ++i) X[i * Stride + k] = static_cast<double>(acc[i]);
  }
}

}  // namespace

bool VertexCompAnalysis(const TMatrix& Data, std::int32_t NumEndMembers, bool AutoSNR, TMatrix& EndMembers,
                        TMatrix& Projected, TIntVector& PixelIx) {
  const std::size_t L = static_cast<std::size_t>(Data.NrOfColumns()),
                    N = static_cast<std::size_t>(Data.NrOfRows());
  if (NumEndMembers < 2 || static_cast<std::size_t>(NumEndMembers) > std::min(L, N))
    RaiseRegression("VertexCompAnalysis", "number of end-members out of range");
  if (!AllFinite(Data.Data())) return false;
  const std::size_t p = static_cast<std::size_t>(NumEndMembers);
  const TColumnView<const double> Y = Data.ColumnView();
  std::vector<long double> mean(L, 0.0L), zero(L, 0.0L);
  for (std::size_t j = 0; j < L; ++j) {
    for (double v : Y[j]) mean[j] += v;
    mean[j] /= static_cast<long double>(N);
  }
  std::vector<double> y(p * N);  // the projected data, p values per pixel
  std::vector<double> Ud;
  std::vector<long double> offset = zero;
  std::size_t d = p;
  bool lowSNR = false;
  if (AutoSNR) {
    // SNR estimate from the p-dimensional PCA subspace of the centred data.
    std::vector<double> Z(L * N);
    for (std::size_t j = 0; j < L; ++j)
      for (std::size_t i = 0; i < N; ++i) Z[j * N + i] = static_cast<double>(Y[j][i] - mean[j]);
    if (!LeadingBandVectors(Z, L, N, p, Ud)) return false;
    std::vector<double> xp(p * N);
    Project(Y, Ud, p, mean, xp, p);
    long double py = 0, px = 0, mm = 0;
    for (double v : Data.Data()) py += static_cast<long double>(v) * v;
    for (double v : xp) px += static_cast<long double>(v) * v;
    for (long double m : mean) mm += m * m;
    py /= static_cast<long double>(N);
    px = px / static_cast<long double>(N) + mm;
    const long double signal = px - static_cast<long double>(p) / static_cast<long double>(L) * py;
    const long double noise = py - px;
    const double snr = noise > 0 ? (signal > 0 ? static_cast<double>(10 * std::log10(signal / noise))
                                               : -std::numeric_limits<double>::infinity())
                                 : std::numeric_limits<double>::infinity();
    lowSNR = snr < 15 + 10 * std::log10(static_cast<double>(p));
  }
  if (lowSNR) {
    // PCA onto p - 1 dimensions; the constant coordinate c = max ‖x_i‖ lifts
    // the simplex off the origin.
    d = p - 1;
    offset = mean;
    Ud.resize(d * L);
    Project(Y, Ud, d, offset, y, p);
    double c = 0;
    for (std::size_t i = 0; i < N; ++i) {
      long double s = 0;
      for (std::size_t k = 0; k < d; ++k) s += static_cast<long double>(y[i * p + k]) * y[i * p + k];
      c = std::max(c, static_cast<double>(std::sqrt(s)));
    }
    for (std::size_t i = 0; i < N; ++i) y[i * p + d] = c;
  } else {
    // Projective projection: the p-dimensional subspace of the uncentred
    // data, each pixel scaled so that its component along the mean is 1.
    std::vector<double> Z(Data.Data().begin(), Data.Data().end());
    if (!LeadingBandVectors(Z, L, N, p, Ud)) return false;
    Project(Y, Ud, p, zero, y, p);
    std::vector<long double> u(p, 0.0L);
    for (std::size_t i = 0; i < N; ++i)
      for (std::size_t k = 0; k < p; ++k) u[k] += y[i * p + k];
    for (std::size_t i = 0; i < N; ++i) {
      long double s = 0;
      for (std::size_t k = 0; k < p; ++k) s += u[k] / static_cast<long double>(N) * y[i * p + k];
      if (s != 0)
        for (std::size_t k = 0; k < p; ++k) y[i * p + k] = static_cast<double>(y[i * p + k] / s);
    }
  }
  // Vertex search: A holds the vertices found (p x p, column-major), its
  // first column starts as the unit vector e_p.
  std::vector<double> A(p * p, 0.0), a(p * p), V(p * p), W(p), f(p);
  std::vector<std::int32_t> index(p, 0);
  A[p - 1] = 1.0;
  for (std::size_t i = 0; i < p; ++i) {
    for (double& v : f) v = GRandom();
    // f := w − A·A⁺·w, the part of w orthogonal to the columns of A.
    a = A;
    if (SvdDecompose(TColumnView<double>(a.data(), p, p), TColumnView<double>(V.data(), p, p), W) !=
        TSvdResult::svdSuccess)
      return false;
    const double wmax = *std::max_element(W.begin(), W.end());
    for (std::size_t k = 0; k < p; ++k) {
      if (W[k] <= SvdNearSingularRatio * wmax) continue;
      long double dot = 0;
      for (std::size_t j = 0; j < p; ++j) dot += static_cast<long double>(a[k * p + j]) * f[j];
      for (std::size_t j = 0; j < p; ++j) f[j] -= static_cast<double>(dot * a[k * p + j]);
    }
    long double fn = 0;
    for (double v : f) fn += static_cast<long double>(v) * v;
    if (!(fn > 0)) return false;
    std::size_t best = 0;
    long double bestVal = -1;
    for (std::size_t px = 0; px < N; ++px) {
      long double v = 0;
      for (std::size_t k = 0; k < p; ++k) v += static_cast<long double>(f[k]) * y[px * p + k];
      if (std::fabs(v) > bestVal) {
        bestVal = std::fabs(v);
        best = px;
      }
    }
    index[i] = static_cast<std::int32_t>(best + 1);
    std::copy(y.begin() + static_cast<std::ptrdiff_t>(best * p),
              y.begin() + static_cast<std::ptrdiff_t>((best + 1) * p),
              A.begin() + static_cast<std::ptrdiff_t>(i * p));
    ReportMathProgress();
    if (AbortMathProc) return false;
  }
  // The signatures: the chosen pixels as seen in the d-dimensional subspace
  // (Ud·x + offset), which removes the noise outside it.
  std::vector<double> M(p * L);
  for (std::size_t e = 0; e < p; ++e) {
    const std::size_t px = static_cast<std::size_t>(index[e] - 1);
    std::vector<long double> coord(d);
    for (std::size_t k = 0; k < d; ++k) {
      long double s = 0;
      for (std::size_t j = 0; j < L; ++j) s += Ud[k * L + j] * (Y[j][px] - offset[j]);
      coord[k] = s;
    }
    for (std::size_t j = 0; j < L; ++j) {
      long double s = offset[j];
      for (std::size_t k = 0; k < d; ++k) s += Ud[k * L + j] * coord[k];
      M[e * L + j] = static_cast<double>(s);
    }
  }
  // Projected: pixel i's p values are row i (cells (k, i)).
  std::vector<double> proj(p * N);
  for (std::size_t i = 0; i < N; ++i)
    for (std::size_t k = 0; k < p; ++k) proj[k * N + i] = y[i * p + k];
  StoreMatrix(EndMembers, p, L, M);
  StoreMatrix(Projected, p, N, proj);
  PixelIx.Resize(NumEndMembers);
  for (std::size_t e = 0; e < p; ++e) PixelIx.SetVal(static_cast<std::int32_t>(e + 1), index[e]);
  return true;
}

}  // namespace kvl
