// Cubic splines of TCurveFit: the interpolating spline with natural or
// clamped ends, and the penalised (Reinsch) smoothing spline.

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "kvl/modelling/curvefit/curvefit.h"

namespace kvl {

namespace {

// The pairs sorted by x, pairs of equal x merged into one knot at the mean
// of their y; pairs with a NaN are left out.
void SortedKnots(const double* x, const double* y, std::int32_t n, std::vector<double>& kx, std::vector<double>& ky) {
  std::vector<std::size_t> order;
  order.reserve(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i)
    if (!std::isnan(x[i]) && !std::isnan(y[i])) order.push_back(static_cast<std::size_t>(i));
  std::stable_sort(order.begin(), order.end(), [x](std::size_t a, std::size_t b) { return x[a] < x[b]; });
  kx.clear();
  ky.clear();
  for (std::size_t i = 0; i < order.size();) {
    std::size_t j = i;
    long double sum = 0;
    while (j < order.size() && x[order[j]] == x[order[i]]) sum += y[order[j++]];
    kx.push_back(x[order[i]]);
    ky.push_back(static_cast<double>(sum / static_cast<long double>(j - i)));
    i = j;
  }
}

void StoreInVector(TVector& v, const std::vector<double>& Values) {
  v.Resize(std::max<std::int32_t>(1, static_cast<std::int32_t>(Values.size())));
  if (!Values.empty()) v.CopyFrom(std::span<const double>(Values), 0, static_cast<std::int32_t>(Values.size()) - 1, 1);
}

}  // namespace

double SplineValue(std::span<const double> X, std::span<const double> G, std::span<const double> Deriv2, double x) {
  const std::size_t n = X.size();
  if (n == 0 || G.size() != n || Deriv2.size() != n) return 0.0;
  if (n == 1) return G[0];
  // Interval i with X[i] <= x < X[i + 1], the end intervals extended outwards.
  const auto it = std::upper_bound(X.begin() + 1, X.end() - 1, x);
  const auto i = static_cast<std::size_t>(it - X.begin()) - 1;
  const double h = X[i + 1] - X[i];
  const double a = (X[i + 1] - x) / h, b = 1 - a;
  return a * G[i] + b * G[i + 1] + ((a * a * a - a) * Deriv2[i] + (b * b * b - b) * Deriv2[i + 1]) * h * h / 6;
}

double TCurveFit::CubicSpline(double x) {
  if (!FSplineValid) {
    std::vector<double> kx, ky;
    SortedKnots(XData(), YData(), FNumData, kx, ky);
    const std::size_t n = kx.size();
    if (n < 2) RaiseFunc<EKVLMath2Error>("CubicSpline", "at least two distinct x values are needed");
    // Second derivatives: the tridiagonal system of the spline, solved by
    // elimination; a clamped end takes the given first derivative.
    std::vector<double> d2(n), u(n);
    if (FNatural1) {
      d2[0] = u[0] = 0;
    } else {
      d2[0] = -0.5;
      u[0] = (3 / (kx[1] - kx[0])) * ((ky[1] - ky[0]) / (kx[1] - kx[0]) - FY1Dash);
    }
    for (std::size_t i = 1; i + 1 < n; ++i) {
      const double sig = (kx[i] - kx[i - 1]) / (kx[i + 1] - kx[i - 1]);
      const double p = sig * d2[i - 1] + 2;
      d2[i] = (sig - 1) / p;
      u[i] = (ky[i + 1] - ky[i]) / (kx[i + 1] - kx[i]) - (ky[i] - ky[i - 1]) / (kx[i] - kx[i - 1]);
      u[i] = (6 * u[i] / (kx[i + 1] - kx[i - 1]) - sig * u[i - 1]) / p;
    }
    double qn = 0, un = 0;
    if (!FNaturalN) {
      qn = 0.5;
      const double h = kx[n - 1] - kx[n - 2];
      un = (3 / h) * (FYNDash - (ky[n - 1] - ky[n - 2]) / h);
    }
    d2[n - 1] = (un - qn * u[n - 2]) / (qn * d2[n - 2] + 1);
    for (std::size_t k = n - 1; k-- > 0;) d2[k] = d2[k] * d2[k + 1] + u[k];
    StoreInVector(*SplSortedX, kx);
    StoreInVector(*SplSortedY, ky);
    StoreInVector(*Spl2Deriv, d2);
    FSplineValid = true;
  }
  const auto len = static_cast<std::size_t>(SplSortedX->NrOfElem());
  return SplineValue(SplSortedX->Data().first(len), SplSortedY->Data().first(len), Spl2Deriv->Data().first(len), x);
}

double TCurveFit::SmoothedSpline(double x, double& FitQual, bool& valid) {
  if (!FPenSplineValid) {
    std::vector<double> kx, ky;
    SortedKnots(XData(), YData(), FNumData, kx, ky);
    FPenSplineY.clear();
    FPenSpline2Deriv.clear();
    FPSplineFQ = 0;
    StoreInVector(*SplSortedX, kx);
    StoreInVector(*SplSortedY, ky);
    FSplineValid = false;  // the sorted knots are shared with CubicSpline
    if (PenalizedCubicSpline(kx, ky, FPSplineSmooth, FPenSplineY, FPenSpline2Deriv) == 0) {
      // r² of the smoothed curve against every stored pair
      const double *px = XData(), *py = YData();
      long double my = 0, sst = 0, sse = 0;
      for (std::int32_t i = 0; i < FNumData; ++i) my += py[i];
      my /= FNumData;
      for (std::int32_t i = 0; i < FNumData; ++i) {
        const double g = SplineValue(kx, FPenSplineY, FPenSpline2Deriv, px[i]);
        sse += (py[i] - g) * static_cast<long double>(py[i] - g);
        sst += (py[i] - my) * (py[i] - my);
      }
      FPSplineFQ = sst == 0 ? 1.0 : static_cast<double>(1 - sse / sst);
    } else {
      FPenSplineY.clear();
      FPenSpline2Deriv.clear();
    }
    FPenSplineValid = true;
  }
  valid = !FPenSplineY.empty();
  FitQual = valid ? FPSplineFQ : 0.0;
  if (!valid) return 0.0;
  const auto len = FPenSplineY.size();
  return SplineValue(SplSortedX->Data().first(len), FPenSplineY, FPenSpline2Deriv, x);
}

std::int32_t PenalizedCubicSpline(std::span<const double> X, std::span<const double> Y, double Smooth,
                                  std::vector<double>& G, std::vector<double>& Deriv2) {
  const std::size_t n = X.size();
  if (Y.size() != n) return -3;
  if (n < 3) return -1;
  for (std::size_t i = 0; i < n; ++i)
    if (!std::isfinite(X[i]) || (i > 0 && !(X[i] > X[i - 1]))) return -2;
  const double p = std::isnan(Smooth) ? 1.0 : std::clamp(Smooth, 0.0, 1.0);
  G.assign(n, 0.0);
  Deriv2.assign(n, 0.0);
  if (p == 0) {  // no weight on the data: the straight line of least squares
    long double mx = 0, my = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < n; ++i) {
      mx += X[i];
      my += Y[i];
    }
    mx /= n;
    my /= n;
    for (std::size_t i = 0; i < n; ++i) {
      sxx += (X[i] - mx) * (X[i] - mx);
      sxy += (X[i] - mx) * (Y[i] - my);
    }
    for (std::size_t i = 0; i < n; ++i) G[i] = static_cast<double>(my + sxy / sxx * (X[i] - mx));
    return 0;
  }
  const long double alpha = (1.0L - p) / p;
  const std::size_t m = n - 2;
  std::vector<long double> h(n - 1);
  for (std::size_t i = 0; i + 1 < n; ++i) h[i] = static_cast<long double>(X[i + 1]) - X[i];
  // Column k of Q (n x m) has 1/h[k], −1/h[k] − 1/h[k+1], 1/h[k+1] in rows k..k+2.
  std::vector<long double> qa(m), qb(m), qc(m);
  for (std::size_t k = 0; k < m; ++k) {
    qa[k] = 1 / h[k];
    qc[k] = 1 / h[k + 1];
    qb[k] = -qa[k] - qc[k];
  }
  // M = R + alpha QᵀQ, symmetric with two off-diagonals; right side Qᵀy.
  std::vector<long double> d0(m), e1(m, 0), e2(m, 0), rhs(m);
  for (std::size_t k = 0; k < m; ++k) {
    d0[k] = (h[k] + h[k + 1]) / 3 + alpha * (qa[k] * qa[k] + qb[k] * qb[k] + qc[k] * qc[k]);
    if (k + 1 < m) e1[k] = h[k + 1] / 6 + alpha * (qb[k] * qa[k + 1] + qc[k] * qb[k + 1]);
    if (k + 2 < m) e2[k] = alpha * qc[k] * qa[k + 2];
    rhs[k] = qa[k] * Y[k] + qb[k] * Y[k + 1] + qc[k] * Y[k + 2];
  }
  // LDLᵀ of the band, then the two triangular solves.
  std::vector<long double> D(m), L1(m, 0), L2(m, 0);
  for (std::size_t k = 0; k < m; ++k) {
    long double dk = d0[k];
    if (k >= 1) dk -= L1[k - 1] * L1[k - 1] * D[k - 1];
    if (k >= 2) dk -= L2[k - 2] * L2[k - 2] * D[k - 2];
    if (!(dk > 0)) return -2;  // cannot happen for ascending finite knots: R is positive definite
    D[k] = dk;
    long double off = e1[k];
    if (k >= 1) off -= L2[k - 1] * D[k - 1] * L1[k - 1];
    L1[k] = off / dk;
    L2[k] = e2[k] / dk;
  }
  std::vector<long double> gamma(m);
  for (std::size_t k = 0; k < m; ++k) {
    long double z = rhs[k];
    if (k >= 1) z -= L1[k - 1] * gamma[k - 1];
    if (k >= 2) z -= L2[k - 2] * gamma[k - 2];
    gamma[k] = z;
  }
  for (std::size_t k = 0; k < m; ++k) gamma[k] /= D[k];
  for (std::size_t k = m; k-- > 0;) {
    if (k + 1 < m) gamma[k] -= L1[k] * gamma[k + 1];
    if (k + 2 < m) gamma[k] -= L2[k] * gamma[k + 2];
  }
  // g = y − alpha Q gamma
  std::vector<long double> qg(n, 0);
  for (std::size_t k = 0; k < m; ++k) {
    qg[k] += qa[k] * gamma[k];
    qg[k + 1] += qb[k] * gamma[k];
    qg[k + 2] += qc[k] * gamma[k];
  }
  for (std::size_t i = 0; i < n; ++i) G[i] = static_cast<double>(Y[i] - alpha * qg[i]);
  for (std::size_t k = 0; k < m; ++k) Deriv2[k + 1] = static_cast<double>(gamma[k]);
  return 0;
}

}  // namespace kvl
