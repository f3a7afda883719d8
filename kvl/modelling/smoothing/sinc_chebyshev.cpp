#include "kvl/modelling/smoothing/sinc_chebyshev.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <string_view>
#include <vector>

#include "kvl/modelling/smoothing/internal/smooth_frame.h"

namespace kvl {

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;
constexpr std::int32_t kMaxPoles = 20;

// The windowed-sinc low-pass kernel into k (its size is the number of taps).
void SincLowPass(double Cutoff, std::int32_t Window, std::span<double> k) {
  const auto n = static_cast<std::int64_t>(k.size());
  const std::int64_t centre = n / 2;
  const long double w = 2 * kPi * std::clamp(Cutoff, 0.0, 0.5);
  long double sum = 0;
  for (std::int64_t j = 0; j < n; ++j) {
    const auto d = static_cast<long double>(j - centre);
    long double h = d == 0 ? w : std::sin(w * d) / d;
    const long double phase = 2 * kPi * static_cast<long double>(j + 1) / static_cast<long double>(n + 1);
    if (Window == 1) h *= 0.54L - 0.46L * std::cos(phase);
    else if (Window == 2) h *= 0.42L - 0.5L * std::cos(phase) + 0.08L * std::cos(2 * phase);
    k[static_cast<std::size_t>(j)] = static_cast<double>(h);
    sum += h;
  }
  if (sum != 0)
    for (double& c : k) c = static_cast<double>(c / sum);
}

// Spectral inversion: -k plus a unit impulse at the centre.
void Invert(std::span<double> k) {
  for (double& c : k) c = -c;
  k[k.size() / 2] += 1.0;
}

// The four designs with one signature (the single-frequency ones use f1).
using TDesign = void (*)(double f1, double f2, std::int32_t Window, std::span<double> k);

void LowPass(double f1, double, std::int32_t Window, std::span<double> k) { SincLowPass(f1, Window, k); }

void HighPass(double f1, double, std::int32_t Window, std::span<double> k) {
  SincLowPass(f1, Window, k);
  Invert(k);
}

void BandStop(double f1, double f2, std::int32_t Window, std::span<double> k) {
  if (f1 > f2) std::swap(f1, f2);
  SincLowPass(f1, Window, k);
  std::vector<double> high(k.size());
  HighPass(f2, f2, Window, high);
  for (std::size_t j = 0; j < k.size(); ++j) k[j] += high[j];
}

void BandPass(double f1, double f2, std::int32_t Window, std::span<double> k) {
  BandStop(f1, f2, Window, k);
  Invert(k);
}

// The two forms of each kernel routine: a dynamic array sized to the taps,
// or a vector resized to them that fires OnChange once the taps are in.
void DesignInto(std::string_view Func, TDesign Design, std::int32_t NumCoeffs, double f1, double f2,
                std::int32_t Window, TDoubleArray& Kernel) {
  if (NumCoeffs < 1) RaiseFunc<EKVLMath2Error>(Func, "number of coefficients must be at least 1");
  if (std::isnan(f1) || std::isnan(f2)) RaiseFunc<EKVLMath2Error>(Func, "invalid cutoff frequency");
  TDoubleArray k(static_cast<std::size_t>(NumCoeffs));
  Design(f1, f2, Window, k);
  Kernel = std::move(k);
}

void DesignInto(std::string_view Func, TDesign Design, std::int32_t NumCoeffs, double f1, double f2,
                std::int32_t Window, TVector* Kernel) {
  if (Kernel == nullptr) RaiseFunc<EKVLMath2Error>(Func, "Kernel is undefined");
  TDoubleArray k;
  DesignInto(Func, Design, NumCoeffs, f1, f2, Window, k);
  Kernel->Resize(NumCoeffs);
  smoothing_internal::WriteOnce(*Kernel, 1, k);
}

}  // namespace

void CalcSincLPKernel(std::int32_t NumCoeffs, double Cutoff, std::int32_t Window, TVector* Kernel) {
  DesignInto("CalcSincLPKernel", LowPass, NumCoeffs, Cutoff, Cutoff, Window, Kernel);
}
void CalcSincLPKernel(std::int32_t NumCoeffs, double Cutoff, std::int32_t Window, TDoubleArray& Kernel) {
  DesignInto("CalcSincLPKernel", LowPass, NumCoeffs, Cutoff, Cutoff, Window, Kernel);
}
void CalcSincHPKernel(std::int32_t NumCoeffs, double Cutoff, std::int32_t Window, TVector* Kernel) {
  DesignInto("CalcSincHPKernel", HighPass, NumCoeffs, Cutoff, Cutoff, Window, Kernel);
}
void CalcSincHPKernel(std::int32_t NumCoeffs, double Cutoff, std::int32_t Window, TDoubleArray& Kernel) {
  DesignInto("CalcSincHPKernel", HighPass, NumCoeffs, Cutoff, Cutoff, Window, Kernel);
}
void CalcSincBSKernel(std::int32_t NumCoeffs, double Freq1, double Freq2, std::int32_t Window, TVector* Kernel) {
  DesignInto("CalcSincBSKernel", BandStop, NumCoeffs, Freq1, Freq2, Window, Kernel);
}
void CalcSincBSKernel(std::int32_t NumCoeffs, double Freq1, double Freq2, std::int32_t Window, TDoubleArray& Kernel) {
  DesignInto("CalcSincBSKernel", BandStop, NumCoeffs, Freq1, Freq2, Window, Kernel);
}
void CalcSincBPKernel(std::int32_t NumCoeffs, double Freq1, double Freq2, std::int32_t Window, TVector* Kernel) {
  DesignInto("CalcSincBPKernel", BandPass, NumCoeffs, Freq1, Freq2, Window, Kernel);
}
void CalcSincBPKernel(std::int32_t NumCoeffs, double Freq1, double Freq2, std::int32_t Window, TDoubleArray& Kernel) {
  DesignInto("CalcSincBPKernel", BandPass, NumCoeffs, Freq1, Freq2, Window, Kernel);
}

void CalcChebFilterCoeffs(std::int32_t NPoles, bool HighPass, double Cutoff, double Ripple, double& A0,
                          TMatrix* Coeffs) {
  constexpr std::string_view func = "CalcChebFilterCoeffs";
  if (NPoles % 2 != 0) RaiseFunc<EKVLMath2Error>(func, "NPoles must be even");
  if (!(Ripple >= 0 && Ripple <= 29)) RaiseFunc<EKVLMath2Error>(func, "invalid Ripple value");
  if (!(Cutoff >= 0 && Cutoff <= 0.5)) RaiseFunc<EKVLMath2Error>(func, "invalid cutoff frequency");
  if (NPoles < 2 || NPoles > kMaxPoles) RaiseFunc<EKVLMath2Error>(func, "NPoles must lie between 2 and 20");
  if (Coeffs == nullptr) RaiseFunc<EKVLMath2Error>(func, "Coeffs is undefined");

  using R = long double;
  constexpr int kLen = kMaxPoles + 3;
  R a[kLen] = {}, b[kLen] = {};
  a[2] = b[2] = 1;
  const R np = NPoles;
  const R T = 2 * std::tan(R(0.5));
  const R W = 2 * kPi * Cutoff;
  for (int p = 1; p <= NPoles / 2; ++p) {
    // The pole pair on the unit circle, moved onto an ellipse for the ripple.
    const R angle = kPi / (2 * np) + (p - 1) * kPi / np;
    R rp = -std::cos(angle);
    R ip = std::sin(angle);
    if (Ripple != 0) {
      const R es = std::sqrt(std::pow(100 / (100 - R(Ripple)), 2) - 1);
      const R vx = std::log(1 / es + std::sqrt(1 / (es * es) + 1)) / np;
      R kx = std::log(1 / es + std::sqrt(1 / (es * es) - 1)) / np;
      kx = (std::exp(kx) + std::exp(-kx)) / 2;
      rp *= ((std::exp(vx) - std::exp(-vx)) / 2) / kx;
      ip *= ((std::exp(vx) + std::exp(-vx)) / 2) / kx;
    }
    // s to z by the bilinear transform, then low-pass to low- or high-pass.
    const R m = rp * rp + ip * ip;
    R d = 4 - 4 * rp * T + m * T * T;
    const R x0 = T * T / d, x1 = 2 * T * T / d, x2 = T * T / d;
    const R y1 = (8 - 2 * m * T * T) / d, y2 = (-4 - 4 * rp * T - m * T * T) / d;
    const R k = HighPass ? -std::cos(W / 2 + R(0.5)) / std::cos(W / 2 - R(0.5))
                         : std::sin(R(0.5) - W / 2) / std::sin(R(0.5) + W / 2);
    d = 1 + y1 * k - y2 * k * k;
    const R a0 = (x0 - x1 * k + x2 * k * k) / d;
    R a1 = (-2 * x0 * k + x1 + x1 * k * k - 2 * x2 * k) / d;
    const R a2 = (x0 * k * k - x1 * k + x2) / d;
    R b1 = (2 * k + y1 + y1 * k * k - 2 * y2 * k) / d;
    const R b2 = (-k * k - y1 * k + y2) / d;
    if (HighPass) {
      a1 = -a1;
      b1 = -b1;
    }
    // Cascade the section onto the filter so far.
    R ta[kLen], tb[kLen];
    std::copy(std::begin(a), std::end(a), ta);
    std::copy(std::begin(b), std::end(b), tb);
    for (int i = 2; i < kLen; ++i) {
      a[i] = a0 * ta[i] + a1 * ta[i - 1] + a2 * ta[i - 2];
      b[i] = tb[i] - b1 * tb[i - 1] - b2 * tb[i - 2];
    }
  }
  b[2] = 0;
  for (int i = 0; i <= kLen - 3; ++i) {
    a[i] = a[i + 2];
    b[i] = -b[i + 2];
  }
  R sa = 0, sb = 0;
  for (int i = 0; i <= kLen - 3; ++i) {
    const R sign = HighPass && i % 2 != 0 ? -1 : 1;
    sa += a[i] * sign;
    sb += b[i] * sign;
  }
  const R gain = sa / (1 - sb);
  if (!std::isfinite(gain) || gain == 0) RaiseFunc<EKVLMath2Error>(func, "invalid cutoff frequency");
  for (int i = 0; i <= kLen - 3; ++i) a[i] /= gain;

  A0 = static_cast<double>(a[0]);
  Coeffs->Resize(2, NPoles);
  TColumnView<double> cells = Coeffs->ColumnView();
  for (int k = 1; k <= NPoles; ++k) {
    cells[0][static_cast<std::size_t>(k - 1)] = static_cast<double>(a[k]);
    cells[1][static_cast<std::size_t>(k - 1)] = static_cast<double>(b[k]);
  }
  Coeffs->Changed();
}

void ChebychevFilter(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec, double A0,
                     const TMatrix* Coeffs) {
  if (SourceVec == nullptr || DestVec == nullptr || Coeffs == nullptr)
    RaiseFunc<EKVLMath2Error>("ChebychevFilter", "SourceVec, DestVec and/or Coeffs is undefined");
  const smoothing_internal::TStretch s = smoothing_internal::ClampStretch(*SourceVec, first, last);
  const std::int64_t K = Coeffs->NrOfRows();
  const std::int64_t P = K + 1;
  std::vector<double> a(static_cast<std::size_t>(K)), b(static_cast<std::size_t>(K));
  for (std::int64_t k = 1; k <= K; ++k) {
    a[static_cast<std::size_t>(k - 1)] = Coeffs->Elem(1, static_cast<std::int32_t>(k));
    b[static_cast<std::size_t>(k - 1)] = Coeffs->Elem(2, static_cast<std::int32_t>(k));
  }
  // The work arrays run from 1 to last + 2P, so the whole stretch comes out
  // whatever its first element; K zeros pad each end (reads beyond are 0).
  const std::int64_t len = s.Last + 2 * P;
  const std::span<const double> src = SourceVec->Data();
  const auto n = static_cast<std::int64_t>(src.size());
  // x[j - P] at u[j + K]: source element e sits at e + P + K - 1 (0-based);
  // t1[j], t2[j] at index j + K - 1.
  std::vector<double> u(static_cast<std::size_t>(len + 2 * K + 1), 0.0);
  for (std::int64_t e = 1; e <= std::min(n, len - P); ++e)
    u[static_cast<std::size_t>(e + P + K - 1)] = src[static_cast<std::size_t>(e - 1)];
  std::vector<double> t1(static_cast<std::size_t>(len + 2 * K), 0.0), t2(t1.size(), 0.0);
  for (std::int64_t j = 1; j <= len; ++j) {
    const std::size_t at = static_cast<std::size_t>(j + K - 1);
    double y = A0 * u[at];
    for (std::int64_t k = 1; k <= K; ++k)
      y += a[static_cast<std::size_t>(k - 1)] * u[at - static_cast<std::size_t>(k)] +
           b[static_cast<std::size_t>(k - 1)] * t1[at - static_cast<std::size_t>(k)];
    t1[at] = y;
  }
  for (std::int64_t j = len; j >= 1; --j) {
    const std::size_t at = static_cast<std::size_t>(j + K - 1);
    double y = A0 * t1[at];
    for (std::int64_t k = 1; k <= K; ++k)
      y += a[static_cast<std::size_t>(k - 1)] * t1[at + static_cast<std::size_t>(k)] +
           b[static_cast<std::size_t>(k - 1)] * t2[at + static_cast<std::size_t>(k)];
    t2[at] = y;
  }
  std::vector<double> out(static_cast<std::size_t>(s.Count()));
  for (std::int64_t i = s.First; i <= s.Last; ++i)
    out[static_cast<std::size_t>(i - s.First)] = t2[static_cast<std::size_t>(i + P + K - 1)];
  smoothing_internal::WriteOnce(*DestVec, s.First, out);
}

}  // namespace kvl
