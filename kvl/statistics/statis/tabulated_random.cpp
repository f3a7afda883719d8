// TRandGen: tabulated distribution, its shapes and the alias-table sampler.

#include "kvl/statistics/statis/tabulated_random.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "kvl/runtime/randgen.h"
#include "kvl/statistics/statis/continuous.h"
#include "kvl/statistics/statis/densities.h"

namespace kvl {

namespace {

constexpr std::int32_t kDefaultResolution = 500;
constexpr std::int32_t kMinResolution = 10;
constexpr std::int32_t kMaxResolution = 4000;
// Entries beyond this magnitude (infinities among them) count as this
// value: the line still crosses 0 and 1 at an offset that a double resolves.
constexpr double kEntryBound = 1e15;

double SanitizedEntry(double p) noexcept {
  if (std::isnan(p)) return 0.0;
  return std::clamp(p, -kEntryBound, kEntryBound);
}

double Cut(double p) noexcept { return std::clamp(p, 0.0, 1.0); }

}  // namespace

TRandGen::TRandGen(TComponent* AOwner) : TComponent(AOwner) {
  GuardAllocation<EKVLStatisError>(*this, [&] {
    FDistVec.assign(kDefaultResolution, 1.0);
    FPieces.reserve(3 * kDefaultResolution);
  });
  FResolution = kDefaultResolution;
}

void TRandGen::SetResolution(std::int32_t Value) {
  const std::int32_t n = std::clamp(Value, kMinResolution, kMaxResolution);
  GuardAllocation<EKVLStatisError>(*this, [&] { FDistVec.assign(static_cast<std::size_t>(n), 1.0); },
                                   "not enough memory");
  FResolution = n;
  Changed();
}

double TRandGen::GetProbability(std::int32_t Idx) const noexcept {
  return (Idx >= 1 && Idx <= FResolution) ? FDistVec[static_cast<std::size_t>(Idx - 1)] : 0.0;
}

void TRandGen::SetProbability(std::int32_t Idx, double Value) noexcept {
  if (Idx < 1 || Idx > FResolution) return;
  FDistVec[static_cast<std::size_t>(Idx - 1)] = std::isnan(Value) ? 0.0 : std::clamp(Value, 0.0, 1.0);
  Changed();
}

double TRandGen::GetLambda(std::int32_t ix) const noexcept {
  if (ix < 1) return FLowBorder;
  if (ix > FResolution) return FHighBorder;
  return FLowBorder + (ix - 1) * (FHighBorder - FLowBorder) / FResolution;
}

std::int32_t TRandGen::IndexOfLambda(double Lambda) const noexcept {
  if (std::isnan(Lambda) || Lambda < FLowBorder) return 0;
  if (Lambda >= FHighBorder) return FResolution + 1;  // also an empty interval
  const double pos = std::floor((Lambda - FLowBorder) * FResolution / (FHighBorder - FLowBorder));
  // Within [Low, High) pos lies in 0..n - 1 but for rounding (or an
  // interval wider than the largest double).
  return static_cast<std::int32_t>(std::clamp(pos, 0.0, static_cast<double>(FResolution))) + 1;
}

void TRandGen::Normalize() noexcept {
  const auto [lo, hi] = std::minmax_element(FDistVec.begin(), FDistVec.end());
  const double mn = *lo, mx = *hi;
  if (mx == mn) return;
  for (double& p : FDistVec) p = (p - mn) / (mx - mn);
  Changed();
}

bool TRandGen::Standardize() noexcept {
  const double mx = *std::max_element(FDistVec.begin(), FDistVec.end());
  if (mx == 0.0) return false;
  for (double& p : FDistVec) p /= mx;
  Changed();
  return true;
}

template <class Shape>
void TRandGen::FillShape(Shape&& f) noexcept {
  for (std::int32_t i = 1; i <= FResolution; ++i) FDistVec[static_cast<std::size_t>(i - 1)] = f(GetLambda(i));
  Changed();
}

void TRandGen::NormalDistri(double m, double s) noexcept {
  FillShape([&](double x) { return std::exp(-(x - m) * (x - m) / (2.0 * s * s)); });
}

void TRandGen::tDistri(std::int32_t df) noexcept {
  FillShape([&](double x) { return tDistriDensity(x, df); });
}

void TRandGen::Chi2Distri(std::int32_t df) noexcept {
  FillShape([&](double x) { return x < 0.0 ? 0.0 : Chi2DistriDensity(x, df); });
}

void TRandGen::FDistri(std::int32_t df1, std::int32_t df2) noexcept {
  FillShape([&](double x) { return x <= 0.0 ? 0.0 : FDistriDensity(x, df1, df2); });
}

void TRandGen::WeibullDistri(double beta, double eta) noexcept {
  FillShape([&](double x) { return WeibullDensity(x, beta, eta); });
}

void TRandGen::UniformDistri() noexcept {
  std::fill(FDistVec.begin(), FDistVec.end(), 1.0);
  Changed();
}

// The density of sub-interval k at offset u is Cut(a + (b - a) u), a = P[k],
// b = P[k + 1] (0 after the last entry). Where the line crosses 0 or 1 the
// cut density has a kink, so each sub-interval gives up to three pieces on
// which it is one straight line; the pieces' areas are the weights of the
// alias table (Vose's method).
void TRandGen::BuildAliasTable() {
  FPieces.clear();
  const std::int32_t n = FResolution;
  for (std::int32_t k = 0; k < n; ++k) {
    const double a = SanitizedEntry(FDistVec[static_cast<std::size_t>(k)]);
    const double b = k + 1 < n ? SanitizedEntry(FDistVec[static_cast<std::size_t>(k + 1)]) : 0.0;
    if (a <= 0.0 && b <= 0.0) continue;
    double cuts[4] = {0.0, 0.0, 0.0, 1.0};
    int nc = 1;
    if (a != b) {
      for (const double level : {0.0, 1.0}) {
        const double u = (a - level) / (a - b);
        if (u > 0.0 && u < 1.0) cuts[nc++] = u;
      }
    }
    if (nc == 3 && cuts[2] < cuts[1]) std::swap(cuts[1], cuts[2]);
    cuts[nc++] = 1.0;
    for (int j = 0; j + 1 < nc; ++j) {
      const double u0 = cuts[j], u1 = cuts[j + 1];
      if (!(u1 > u0)) continue;
      const double f0 = Cut(a + (b - a) * u0), f1 = Cut(a + (b - a) * u1);
      if (f0 + f1 > 0.0) FPieces.push_back({k, u0, u1, f0, f1});
    }
  }
  const std::size_t m = FPieces.size();
  FAliasProb.assign(m, 0.0);
  FAlias.assign(m, 0);
  long double total = 0.0L;
  for (const TPiece& p : FPieces) total += static_cast<long double>(p.U1 - p.U0) * (p.F0 + p.F1);
  FHasWeight = m > 0 && total > 0.0L;
  FTableBuilt = true;
  if (!FHasWeight) return;
  // Scaled weights m w_i / sum w: below 1 "small", else "large".
  std::vector<std::int32_t> small, large;
  small.reserve(m);
  large.reserve(m);
  for (std::size_t i = 0; i < m; ++i) {
    const TPiece& p = FPieces[i];
    FAliasProb[i] = static_cast<double>(static_cast<long double>(p.U1 - p.U0) * (p.F0 + p.F1) *
                                        static_cast<long double>(m) / total);
    FAlias[i] = static_cast<std::int32_t>(i);
    (FAliasProb[i] < 1.0 ? small : large).push_back(static_cast<std::int32_t>(i));
  }
  while (!small.empty() && !large.empty()) {
    const std::int32_t s = small.back(), l = large.back();
    small.pop_back();
    FAlias[static_cast<std::size_t>(s)] = l;
    double& pl = FAliasProb[static_cast<std::size_t>(l)];
    pl = (pl + FAliasProb[static_cast<std::size_t>(s)]) - 1.0;
    if (pl < 1.0) {
      large.pop_back();
      small.push_back(l);
    }
  }
  // What is left holds probability 1 up to rounding.
  for (const std::int32_t i : large) FAliasProb[static_cast<std::size_t>(i)] = 1.0;
  for (const std::int32_t i : small) FAliasProb[static_cast<std::size_t>(i)] = 1.0;
}

double TRandGen::Output(std::int32_t Cell, double u) const noexcept {
  const double x = FLowBorder + (Cell + u) * (FHighBorder - FLowBorder) / FResolution;
  // Keep the half-open interval when the last rounding reaches High.
  if (FLowBorder < FHighBorder && x >= FHighBorder) return std::nextafter(FHighBorder, FLowBorder);
  return x;
}

double TRandGen::RejectionDraw() const {
  const std::int32_t n = FResolution;
  std::int32_t k = 1;
  double u = 0.0;
  for (std::int32_t tries = 0; tries < GetRandNumMaxTries; ++tries) {
    k = Random(n) + 1;
    u = Random();
    const double pk = FDistVec[static_cast<std::size_t>(k - 1)];
    const double p = k < n ? pk + (FDistVec[static_cast<std::size_t>(k)] - pk) * u : (1.0 - u) * pk;
    if (p >= 1.0 || p > Random()) break;  // never for a table without weight
  }
  return Output(k - 1, u);
}

double TRandGen::GetRandNum() {
  if (!FTableBuilt) BuildAliasTable();
  if (!FHasWeight) return RejectionDraw();
  std::size_t j = static_cast<std::size_t>(Random(static_cast<std::int32_t>(FPieces.size())));
  if (Random() >= FAliasProb[j]) j = static_cast<std::size_t>(FAlias[j]);
  const TPiece& p = FPieces[j];
  // Inverse distribution function of the line F0..F1 on [0, 1], in the form
  // that stays accurate when F0 and F1 are close.
  const double v = Random();
  const double den = p.F0 + std::sqrt(p.F0 * p.F0 + (p.F1 * p.F1 - p.F0 * p.F0) * v);
  const double t = den > 0.0 ? v * (p.F0 + p.F1) / den : 0.0;
  const double u = std::min(p.U0 + t * (p.U1 - p.U0), std::nextafter(1.0, 0.0));
  return Output(p.Cell, u);
}

}  // namespace kvl
