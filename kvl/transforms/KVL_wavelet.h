#pragma once
// KVL_wavelet: TWavelet1D, the discrete wavelet transform of the Daubechies
// family (orders 1 to 3: 2, 4 or 6 filter coefficients) on one signal of
// power-of-two length, in place, in 80-bit precision.
//
//   TWavelet1D w;
//   w.SetSize(1024);                            // a power of two, 1 .. 2^23
//   for (int i = 1; i <= 1024; ++i) w.SetData(i, signal[i - 1]);
//   w.SetOrder(2);                              // D4
//   w.Transform(10);                            // all levels
//   // Data(1) is the coarsest approximation, then the details, coarsest first
//   w.InverseTransform(10);                     // back (exact with wseWrap)
//
// One forward step on the leading block of length n puts the approximations
// a[i] = sum_j h[j] x[2i - 2K + 2 + j] at positions 0..n/2-1 and the details
// (the same with g) at n/2..n-1; positions before the block's start are
// wrapped, read as zero or mirrored (SignalExtMode). The backward step
// spreads each pair back with the same filters; with wseWrap it inverts the
// forward step exactly (to rounding). What it recovers with the other two
// modes is stated in docs/transforms.md. Errors: EKVLWaveletError with
// 'Component "Name": data length must be power of 2' or '... invalid order
// of Daubechies wavelet family'; the component is then left as it was.

#include <cstdint>
#include <span>
#include <vector>

#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/classes.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TWLSigExtMode: how a step reads positions before the start of the block.
enum class TWLSigExtMode { wseWrap, wseZeroPad, wseSymmetric };

/// TWaveletFamily: the wavelet families of TWavelet1D.
enum class TWaveletFamily { wlfDaubechies };

/// TWavelet1D: one signal of N values and its in-place Daubechies wavelet
/// transform.
class TWavelet1D : public TComponent {
 public:
  /// kMaxSize: the longest signal, 2^23 values.
  static constexpr std::int32_t kMaxSize = std::int32_t{1} << 23;

  /// Creates a signal of 256 zeros, order 2, wseWrap, wlfDaubechies.
  explicit TWavelet1D(TComponent* AOwner = nullptr);

  // --- settings -------------------------------------------------------------------------

  /// WaveletFamily: the family (the setter stores only).
  TWaveletFamily WaveletFamily() const noexcept { return FWaveletFam; }
  void SetWaveletFamily(TWaveletFamily Value) noexcept { FWaveletFam = Value; }
  /// Order: the order K (1, 2 or 3) of the Daubechies filters; the setter
  /// rebuilds them, leaving the data, or raises EKVLWaveletError "invalid
  /// order of Daubechies wavelet family" and changes nothing.
  std::int32_t Order() const noexcept { return FOrder; }
  void SetOrder(std::int32_t K);
  /// Size: the signal length N; the setter needs a power of two from 1 to
  /// 2^23 (else EKVLWaveletError "data length must be power of 2", nothing
  /// changes) and makes the signal N zeros, also for the same N.
  std::int32_t Size() const noexcept { return FNumData; }
  void SetSize(std::int32_t N);
  /// SignalExtMode: the signal extension (the setter stores only).
  TWLSigExtMode SignalExtMode() const noexcept { return FWLSigExtMode; }
  void SetSignalExtMode(TWLSigExtMode Value) noexcept { FWLSigExtMode = Value; }

  /// CoeffsLP / CoeffsHP: the low-pass filter h[0..2K-1] and the high-pass
  /// filter g[m] = (-1)^m h[2K-1-m] of the current order.
  std::span<const long double> CoeffsLP() const noexcept { return FCoeffsLP; }
  std::span<const long double> CoeffsHP() const noexcept { return FCoeffsHP; }

  // --- data -------------------------------------------------------------------------------

  /// Data: value ix (1..N), 0 outside; SetData stores it in 80-bit
  /// precision and ignores an index outside.
  double Data(std::int32_t ix) const noexcept {
    return ix >= 1 && ix <= FNumData ? static_cast<double>(FData[static_cast<std::size_t>(ix - 1)]) : 0.0;
  }
  void SetData(std::int32_t ix, double Value) noexcept {
    if (ix >= 1 && ix <= FNumData) FData[static_cast<std::size_t>(ix - 1)] = Value;
  }
  /// Values: the signal (or its transform) as held, in 80-bit precision.
  std::span<const long double> Values() const noexcept { return FData; }
  /// Clear: all N values := 0.
  void Clear() noexcept;

  // --- transforms ---------------------------------------------------------------------------

  /// Transform: max(Level, 1) forward steps on the blocks of length N, N/2,
  /// ..., stopping early when the block would be shorter than 2.
  void Transform(std::int32_t Level);
  /// InverseTransform: max(Level, 1) backward steps on the blocks of length
  /// 2, 4, ..., stopping early when the block would be longer than N; it
  /// always starts at the coarsest scale.
  void InverseTransform(std::int32_t Level);
  /// SingleStep: one step over the whole length N, backward when Inverse.
  void SingleStep(bool Inverse);

  /// Assign: from a TWavelet1D copies size, data, order (with its filters),
  /// extension mode and family; other sources go to the inherited Assign.
  void Assign(const TPersistent* Source) override;

 private:
  void Steps(std::int32_t Count, bool Inverse, std::size_t FirstLength);

  std::int32_t FNumData = 0;
  std::vector<long double> FData;
  std::int32_t FOrder = 2;
  std::vector<long double> FCoeffsLP;
  std::vector<long double> FCoeffsHP;
  TWLSigExtMode FWLSigExtMode = TWLSigExtMode::wseWrap;
  TWaveletFamily FWaveletFam = TWaveletFamily::wlfDaubechies;
};

}  // namespace kvl

KVL_API_END
