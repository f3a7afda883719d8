#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

#include "kvl/base/KVL_univconst.h"
#include "kvl/runtime/rounding.h"
#include "kvl/transforms/KVL_fourier.h"
#include "kvl/transforms/internal/fft_plan.h"

namespace kvl {

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

bool ValidSize(std::int32_t N) noexcept {
  return N >= 1 && N <= TFastFourier::kMaxSpectrumSize && std::has_single_bit(static_cast<std::uint32_t>(N));
}

// The weight of sample k (1..N) under the cosine-sum windows, centred at N/2.
long double CosineWindow(TFastFourierWgtWin Win, std::int32_t k, std::int32_t N) {
  const long double n = N;
  const long double d = static_cast<long double>(k) - n / 2;
  const long double c1 = std::cos(2 * kPi * d / n);
  switch (Win) {
    case TFastFourierWgtWin::fwCos2: {
      const long double c = std::cos(kPi * d / n);
      return c * c;
    }
    case TFastFourierWgtWin::fwGauss: {
      const long double z = (d * 3) / n * 2;
      return std::exp(-0.5L * z * z);
    }
    case TFastFourierWgtWin::fwHamming:
      return 0.456521739L * c1 + 0.543478261L;
    case TFastFourierWgtWin::fwBlackman:
      return 0.49656L * c1 + 0.42659L + 0.076848L * std::cos(4 * kPi * d / n);
    case TFastFourierWgtWin::fwBlkmHarris:
      return 0.48829L * c1 + 0.35875L + 0.14128L * std::cos(4 * kPi * d / n) +
             0.01168L * std::cos(6 * kPi * d / n);
    case TFastFourierWgtWin::fwBlkmNuttall:
      return 0.4891775L * c1 + 0.3635819L + 0.1365995L * std::cos(4 * kPi * d / n) +
             0.0106411L * std::cos(6 * kPi * d / n);
    default:
      return 1;
  }
}

}  // namespace

TFastFourier::TFastFourier(TComponent* AOwner) : TComponent(AOwner) {
  GuardAllocation<EKVLFourierError>(*this, [this] {
    FData.assign(512, 0.0);
    FUserWgt.assign(256, 1.0);
  });
  FNumData = 256;
}

TFastFourier::~TFastFourier() = default;

void TFastFourier::SetSpectrumSize(std::int32_t N) {
  if (!ValidSize(N)) RaiseComponent<EKVLFourierError>(*this, "data length must be power of 2");
  // Build the new blocks first, so that a failed allocation leaves all as it was.
  std::vector<double> data, weights;
  GuardAllocation<EKVLFourierError>(*this, [&] {
    data.assign(2 * static_cast<std::size_t>(N), 0.0);
    weights.assign(static_cast<std::size_t>(N), 0.0);
  });
  FData.swap(data);
  FUserWgt.swap(weights);
  if (FNumData != N) {
    FPlan.reset();
    std::vector<long double>().swap(FWinWeights);
  }
  FNumData = N;
  MaxValuesValid_ = false;
}

void TFastFourier::SetTukeyAlpha(double Value) noexcept {
  FTukAlpha = Value > 1 ? 1.0 : (Value >= 0 ? Value : 0.0);
}

void TFastFourier::Clear() noexcept {
  std::ranges::fill(FData, 0.0);
  MaxValuesValid_ = false;
}

void TFastFourier::ClearReal() noexcept {
  for (std::size_t k = 0; k < FData.size(); k += 2) FData[k] = 0.0;
  MaxValuesValid_ = false;
}

void TFastFourier::ClearImag() noexcept {
  for (std::size_t k = 1; k < FData.size(); k += 2) FData[k] = 0.0;
  MaxValuesValid_ = false;
}

// --- transforms -------------------------------------------------------------------------------

void TFastFourier::ApplyWindow() {
  const std::int32_t N = FNumData;
  auto scale = [this](std::int32_t k, long double w) {
    double* x = &FData[2 * Pos(k)];
    x[0] = static_cast<double>(x[0] * w);
    x[1] = static_cast<double>(x[1] * w);
  };
  switch (FWgtWin) {
    case TFastFourierWgtWin::fwRectangle:
      return;
    case TFastFourierWgtWin::fwTriangle:
      for (std::int32_t k = 1; k <= N / 2; ++k) {
        const long double w = 2.0L * k / N;
        scale(k, w);
        scale(N + 1 - k, w);
      }
      return;
    case TFastFourierWgtWin::fwUserDef:
      for (std::int32_t k = 1; k <= N; ++k) scale(k, FUserWgt[Pos(k)]);
      return;
    default:
      break;
  }
  // The cosine windows and Tukey's: the weights are kept for the next
  // block of the same size, window and alpha (the evaluation in 80-bit
  // precision costs more than the transform).
  if (FWinWeights.size() != static_cast<std::size_t>(N) || FWinKind != FWgtWin ||
      (FWgtWin == TFastFourierWgtWin::fwTukey && FWinAlpha != FTukAlpha)) {
    FWinWeights.clear();  // an allocation failure below leaves no stale key
    FWinWeights.resize(static_cast<std::size_t>(N));
    if (FWgtWin == TFastFourierWgtWin::fwTukey) {
      // 1 on t <= k <= N - t, the raised cosine in k at both ends; with
      // alpha = 0 every k lies in the flat part.
      const long double alpha = FTukAlpha;
      const long double t = static_cast<long double>(N) * alpha / 2;
      for (std::int32_t k = 1; k <= N; ++k)
        FWinWeights[Pos(k)] = (k < t || k > N - t) ? 0.5L * (1 - std::cos(2 * kPi * k / (alpha * N))) : 1.0L;
    } else {
      for (std::int32_t k = 1; k <= N; ++k) FWinWeights[Pos(k)] = CosineWindow(FWgtWin, k, N);
    }
    FWinKind = FWgtWin;
    FWinAlpha = FTukAlpha;
  }
  for (std::int32_t k = 1; k <= N; ++k) scale(k, FWinWeights[Pos(k)]);
}

transforms_internal::TFFTPlan& TFastFourier::Plan() {
  if (!FPlan || FPlan->Size() != static_cast<std::size_t>(FNumData))
    GuardAllocation<EKVLFourierError>(
        *this, [this] { FPlan = std::make_unique<transforms_internal::TFFTPlan>(static_cast<std::size_t>(FNumData)); });
  return *FPlan;
}

void TFastFourier::Transform() {
  auto& plan = Plan();  // a failed allocation raises before the samples change
  GuardAllocation<EKVLFourierError>(*this, [this] { ApplyWindow(); });
  plan.Forward(FData);
  MaxValuesValid_ = false;
}

void TFastFourier::InverseTransform() {
  Plan().Backward(FData);
  MaxValuesValid_ = false;
}

// --- spectra ----------------------------------------------------------------------------------

double TFastFourier::PowerSpec(std::int32_t L) const noexcept {
  const std::int32_t N = FNumData;
  if (L < 0 || L > N / 2) return 0.0;
  const double* x = FData.data();
  const double a = x[2 * L] * x[2 * L] + x[2 * L + 1] * x[2 * L + 1];
  if (L == 0) return a / N;
  const std::size_t m = 2 * static_cast<std::size_t>(N - L);
  return (a + x[m] * x[m] + x[m + 1] * x[m + 1]) / N;
}

double TFastFourier::Magnitude(std::int32_t L) const noexcept {
  const std::int32_t N = FNumData;
  if (L < 0 || L > N / 2) return 0.0;
  const double* x = FData.data();
  if (L == 0) return std::hypot(x[0], x[1]) / N;
  const std::size_t m = 2 * static_cast<std::size_t>(N - L);
  const double re = x[2 * L] + x[m], im = x[2 * L + 1] - x[m + 1];
  return std::sqrt(re * re + im * im) / N;
}

double TFastFourier::Phase(std::int32_t L) const noexcept {
  if (L < 1 || L > FNumData / 2) return 0.0;
  const double re = FData[2 * static_cast<std::size_t>(L)], im = FData[2 * static_cast<std::size_t>(L) + 1];
  if (re == 0) return im <= 0 ? -std::numbers::pi / 2 : std::numbers::pi / 2;
  return std::atan(im / re);
}

double TFastFourier::FourSerCosCoeff(std::int32_t L) const noexcept {
  const std::int32_t N = FNumData;
  if (L < 0 || L > N / 2) return 0.0;
  if (L == 0) return FData[0] / N;
  return (FData[2 * static_cast<std::size_t>(L)] + FData[2 * static_cast<std::size_t>(N - L)]) / N;
}

double TFastFourier::FourSerSinCoeff(std::int32_t L) const noexcept {
  const std::int32_t N = FNumData;
  if (L < 1 || L > N / 2) return 0.0;
  return (FData[2 * static_cast<std::size_t>(L) + 1] - FData[2 * static_cast<std::size_t>(N - L) + 1]) / N;
}

double TFastFourier::RMS(std::int32_t FirstIx, std::int32_t LastIx) const noexcept {
  const std::int32_t N = FNumData, top = N / 2;
  FirstIx = std::clamp(FirstIx, 0, top);
  LastIx = std::clamp(LastIx, 0, top);
  if (FirstIx > LastIx) std::swap(FirstIx, LastIx);
  const double* x = FData.data();
  long double sum = 0;
  for (std::int32_t L = FirstIx; L <= LastIx; ++L) {
    sum += static_cast<long double>(x[2 * L]) * x[2 * L] + static_cast<long double>(x[2 * L + 1]) * x[2 * L + 1];
    if (L > 0) {
      const std::size_t m = 2 * static_cast<std::size_t>(N - L);
      sum += static_cast<long double>(x[m]) * x[m] + static_cast<long double>(x[m + 1]) * x[m + 1];
    }
  }
  return static_cast<double>(std::sqrt(sum) / N);
}

double TFastFourier::FreqOfLine(std::int32_t ix, double SampleTime) const noexcept {
  if (ix < 1 || ix > FNumData / 2) return 0.0;
  return ix / SampleTime / FNumData;
}

std::int32_t TFastFourier::LineOfFreq(double f, double SampleTime) const noexcept {
  const double v = FNumData * SampleTime * f;
  if (!(v >= 0.5 && v <= FNumData)) return 0;  // also NaN; beyond N it cannot round into 1..N/2
  const auto line = static_cast<std::int32_t>(RoundEven(v));
  return line >= 1 && line <= FNumData / 2 ? line : 0;
}

// --- extremes ---------------------------------------------------------------------------------

void TFastFourier::CalcExtremes() const {
  const std::int32_t N = FNumData;
  const double* x = FData.data();
  double maxRe = -uc_MaxDouble, maxIm = -uc_MaxDouble, minRe = uc_MaxDouble, minIm = uc_MaxDouble;
  for (std::int32_t k = 0; k < N; ++k) {
    const double re = x[2 * k], im = x[2 * k + 1];
    if (re > maxRe) maxRe = re;
    if (re < minRe) minRe = re;
    if (im > maxIm) maxIm = im;
    if (im < minIm) minIm = im;
  }
  double maxPower = 0, maxMagni = 0;
  for (std::int32_t L = 1; L <= N / 2; ++L) {
    if (L < N / 2) maxPower = std::max(maxPower, PowerSpec(L));
    maxMagni = std::max(maxMagni, Magnitude(L));
  }
  FMaxReal = maxRe;
  FMinReal = minRe;
  FMaxImag = maxIm;
  FMinImag = minIm;
  FMaxPower = maxPower;
  FMaxMagni = maxMagni;
  MaxValuesValid_ = true;
}

#define KVL_FFT_EXTREME(Name, Field)          \
  double TFastFourier::Name() const {         \
    if (!MaxValuesValid_) CalcExtremes();     \
    return Field;                             \
  }
KVL_FFT_EXTREME(PowerMax, FMaxPower)
KVL_FFT_EXTREME(MagniMax, FMaxMagni)
KVL_FFT_EXTREME(RealMax, FMaxReal)
KVL_FFT_EXTREME(RealMin, FMinReal)
KVL_FFT_EXTREME(ImagMax, FMaxImag)
KVL_FFT_EXTREME(ImagMin, FMinImag)
#undef KVL_FFT_EXTREME

void TFastFourier::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TFastFourier*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  std::vector<double> data, weights;
  GuardAllocation<EKVLFourierError>(*this, [&] {
    data = src->FData;
    weights = src->FUserWgt;
  });
  FData.swap(data);
  FUserWgt.swap(weights);
  if (FNumData != src->FNumData) FPlan.reset();
  FNumData = src->FNumData;
  FWgtWin = src->FWgtWin;
  FTukAlpha = src->FTukAlpha;
  MaxValuesValid_ = false;
}

}  // namespace kvl
