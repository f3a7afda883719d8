#pragma once
// KVL_fourier: TFastFourier, the fast Fourier transform of one block of
// complex samples with a selectable weighting window.
//
//   TFastFourier fft;
//   fft.SetSpectrumSize(1024);                 // a power of two, 1 .. 2^23
//   for (int k = 1; k <= 1024; ++k) fft.SetRealSpec(k, signal[k - 1]);
//   fft.SetWeightingWindow(TFastFourierWgtWin::fwHamming);
//   fft.Transform();                           // window, then forward FFT, in place
//   double a = fft.Magnitude(10);              // amplitude of line 10
//   double f = fft.FreqOfLine(10, 0.001);      // its frequency at 1 ms sampling
//
// Samples are numbered k = 1..N (RealSpec, ImagSpec, WgtFunction); spectral
// lines L = 0..N/2 (PowerSpec, Magnitude, Phase, the Fourier-series
// coefficients, RMS, FreqOfLine), line L being the value at 0-based position
// L of the transformed block. Transform computes X_L = sum_k x_k
// e^{+2 pi i k L / N} without scaling; InverseTransform uses e^{-2 pi i k L / N}
// and divides by N, so it undoes an unwindowed Transform. Reads outside the
// index ranges give 0 and writes there are ignored; a bad size raises
// EKVLFourierError 'Component "Name": data length must be power of 2' and
// leaves the component as it was. See docs/transforms.md.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/classes.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

namespace transforms_internal {
class TFFTPlan;
}

/// TFastFourierWgtWin: the weighting windows of TFastFourier::Transform.
enum class TFastFourierWgtWin {
  fwRectangle,
  fwTriangle,
  fwCos2,
  fwGauss,
  fwHamming,
  fwBlackman,
  fwBlkmHarris,
  fwBlkmNuttall,
  fwTukey,
  fwUserDef
};

/// TFastFourier: one block of N complex samples, its weighting window and
/// its in-place fast Fourier transform with the spectra derived from it.
class TFastFourier : public TComponent {
 public:
  /// kMaxSpectrumSize: the largest block length, 2^23.
  static constexpr std::int32_t kMaxSpectrumSize = std::int32_t{1} << 23;

  /// Creates a block of 256 zero samples, user weights 1, the rectangle
  /// window and TukeyAlpha 0.
  explicit TFastFourier(TComponent* AOwner = nullptr);
  ~TFastFourier() override;

  // --- settings -------------------------------------------------------------------------

  /// SpectrumSize: the number N of complex samples.
  std::int32_t SpectrumSize() const noexcept { return FNumData; }
  /// SetSpectrumSize: N must be a power of two from 1 to 2^23, else
  /// EKVLFourierError "data length must be power of 2" (nothing changes).
  /// Reallocates even for the same N: all samples and user weights 0.
  void SetSpectrumSize(std::int32_t N);
  /// WeightingWindow: the window Transform applies; the setter stores only.
  TFastFourierWgtWin WeightingWindow() const noexcept { return FWgtWin; }
  void SetWeightingWindow(TFastFourierWgtWin Value) noexcept { FWgtWin = Value; }
  /// TukeyAlpha: the Tukey window's parameter; the setter clamps to 0..1
  /// (a NaN is stored as 0).
  double TukeyAlpha() const noexcept { return FTukAlpha; }
  void SetTukeyAlpha(double Value) noexcept;

  // --- samples ----------------------------------------------------------------------------

  /// RealSpec / ImagSpec: real and imaginary part of sample i (1..N), 0
  /// outside; the setters ignore an index outside and clear MaxValuesValid.
  double RealSpec(std::int32_t i) const noexcept { return InRange(i) ? FData[2 * Pos(i)] : 0.0; }
  double ImagSpec(std::int32_t i) const noexcept { return InRange(i) ? FData[2 * Pos(i) + 1] : 0.0; }
  void SetRealSpec(std::int32_t i, double Value) noexcept {
    if (!InRange(i)) return;
    FData[2 * Pos(i)] = Value;
    MaxValuesValid_ = false;
  }
  void SetImagSpec(std::int32_t i, double Value) noexcept {
    if (!InRange(i)) return;
    FData[2 * Pos(i) + 1] = Value;
    MaxValuesValid_ = false;
  }
  /// WgtFunction: user window weight i (1..N), 0 outside; the setter ignores
  /// an index outside and leaves WeightingWindow as it is.
  double WgtFunction(std::int32_t i) const noexcept { return InRange(i) ? FUserWgt[Pos(i)] : 0.0; }
  void SetWgtFunction(std::int32_t i, double Value) noexcept {
    if (InRange(i)) FUserWgt[Pos(i)] = Value;
  }
  /// Data: the samples, interleaved: real part of sample k at 2 (k - 1),
  /// imaginary part at 2 (k - 1) + 1 (a read-only view, valid until the next
  /// change of size, transform or assignment).
  std::span<const double> Data() const noexcept { return FData; }
  /// MaxValuesValid: true while the cached extremes match the samples.
  bool MaxValuesValid() const noexcept { return MaxValuesValid_; }

  /// Clear / ClearReal / ClearImag: all parts, only the real parts or only
  /// the imaginary parts := 0; clear MaxValuesValid.
  void Clear() noexcept;
  void ClearReal() noexcept;
  void ClearImag() noexcept;

  // --- transforms ---------------------------------------------------------------------------

  /// Transform: multiplies every sample by the selected window's weight (in
  /// 80-bit precision), then transforms forward in place.
  void Transform();
  /// InverseTransform: transforms backward in place and divides by N; no
  /// window is applied or removed.
  void InverseTransform();

  // --- spectra (lines 0..N/2; 0 outside) ------------------------------------------------------

  /// PowerSpec: |X_0|^2 / N at line 0; (|X_L|^2 + |X_{N-L}|^2) / N above.
  double PowerSpec(std::int32_t L) const noexcept;
  /// Magnitude: |X_0| / N at line 0; |X_L + conj X_{N-L}| / N above (the
  /// amplitude of a real cosine at line L).
  double Magnitude(std::int32_t L) const noexcept;
  /// Phase: arctan(Im X_L / Re X_L) of sample L alone, -pi/2 or +pi/2 when
  /// Re X_L is 0 (-pi/2 for Im X_L <= 0); 0 at line 0.
  double Phase(std::int32_t L) const noexcept;
  /// FourSerCosCoeff: Re X_0 / N at line 0; (Re X_L + Re X_{N-L}) / N above.
  double FourSerCosCoeff(std::int32_t L) const noexcept;
  /// FourSerSinCoeff: (Im X_L - Im X_{N-L}) / N; 0 at line 0.
  double FourSerSinCoeff(std::int32_t L) const noexcept;
  /// RMS: sqrt of the summed |X_0|^2 (line 0) and |X_L|^2 + |X_{N-L}|^2 over
  /// lines FirstIx..LastIx, divided by N; both limits are clipped to 0..N/2
  /// and put in order.
  double RMS(std::int32_t FirstIx, std::int32_t LastIx) const noexcept;
  /// FreqOfLine: ix / SampleTime / N for 1 <= ix <= N/2, else 0.
  double FreqOfLine(std::int32_t ix, double SampleTime) const noexcept;
  /// LineOfFreq: round(N SampleTime f) (halves to even) when that lies in
  /// 1..N/2, else 0 (also for a NaN or infinite product).
  std::int32_t LineOfFreq(double f, double SampleTime) const noexcept;

  // --- extremes (computed once per change of the samples) ----------------------------------------

  /// PowerMax: the largest PowerSpec over lines 1..N/2 - 1 (0 if none).
  double PowerMax() const;
  /// MagniMax: the largest Magnitude over lines 1..N/2 (0 if none).
  double MagniMax() const;
  /// RealMax / RealMin / ImagMax / ImagMin: extremes of the sample parts.
  double RealMax() const;
  double RealMin() const;
  double ImagMax() const;
  double ImagMin() const;

  /// Assign: from a TFastFourier copies size, window, TukeyAlpha, user
  /// weights and samples (the cached extremes are recomputed on demand);
  /// other sources go to the inherited Assign.
  void Assign(const TPersistent* Source) override;

 private:
  bool InRange(std::int32_t i) const noexcept { return i >= 1 && i <= FNumData; }
  static std::size_t Pos(std::int32_t i) noexcept { return static_cast<std::size_t>(i - 1); }
  void ApplyWindow();
  void CalcExtremes() const;
  transforms_internal::TFFTPlan& Plan();

  std::int32_t FNumData = 0;
  TFastFourierWgtWin FWgtWin = TFastFourierWgtWin::fwRectangle;
  mutable bool MaxValuesValid_ = false;
  mutable double FMaxReal = 0, FMaxImag = 0, FMinReal = 0, FMinImag = 0;
  mutable double FMaxPower = 0, FMaxMagni = 0;
  double FTukAlpha = 0;
  std::vector<double> FUserWgt;
  std::vector<double> FData;
  std::unique_ptr<transforms_internal::TFFTPlan> FPlan;  // made for the current size on first use
  std::vector<long double> FWinWeights;                  // the last window evaluated, for
  TFastFourierWgtWin FWinKind = TFastFourierWgtWin::fwRectangle;  // this window
  double FWinAlpha = 0;                                  // and this TukeyAlpha
};

}  // namespace kvl

KVL_API_END
