#pragma once
// Internal to the transforms unit: the complex FFT engine behind
// TFastFourier.
//
// A TFFTPlan is made once per block length N and reused. It computes, on an
// interleaved array of N complex values (re, im, re, im, ...), in place,
//   forward:  X_L = sum_k x_k e^{+2 pi i k L / N}            (no scaling)
//   backward: x_k = (1/N) sum_L X_L e^{-2 pi i k L / N}
// Blocks up to kDirectMax values are transformed in one piece: gathered in
// bit-reversed order into a split (real / imaginary) work block, combined
// by radix-4 passes (one radix-2 pass first when log2 N is odd) whose inner
// loops run over contiguous twiddle tables, and written back. Longer
// blocks take the four-step route N = N1 x N2: N2 transforms of length N1
// over the strided columns, a twiddle multiplication, then N1 transforms of
// length N2 over the rows into a second block, so that each short transform
// works in cache; columns and rows move through a small panel of eight
// neighbours, so that each cache line of the long block is touched once. The backward transform is the forward one of the
// conjugate, conjugated and scaled by 1/N (exact: N is a power of two).
// Twiddle factors are computed in 80-bit precision and rounded once.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kvl::transforms_internal {

/// TFFTCore: the in-cache transform of one length n (a power of two).
class TFFTCore {
 public:
  explicit TFFTCore(std::size_t n);

  std::size_t Size() const noexcept { return FN; }

  /// Run: transforms the n complex values at Src (interleaved, Src[2 k s],
  /// Src[2 k s + 1] for k = 0..n-1 with s = SrcStride complex values) and
  /// writes them to Dst (stride DstStride). ConjIn conjugates the input;
  /// ConjOut conjugates the result; the result is multiplied by Scale and,
  /// when PostRe is not null, element L by (PostRe[L], PostIm[L]).
  /// Src and Dst may be the same positions.
  void Run(const double* Src, std::size_t SrcStride, double* Dst, std::size_t DstStride, bool ConjIn,
           bool ConjOut, double Scale, const double* PostRe, const double* PostIm);

 private:
  static constexpr std::size_t kInnerMax = 1024;  // values of a block done in the first-level cache
  std::size_t FN;
  std::size_t FInner = 1;                         // passes up to this block length run block by block
  std::size_t FInnerTw = 0;                       // where the twiddles of the longer passes start
  std::vector<std::uint32_t> FRev;  // bit reversal of 0..n-1
  std::vector<double> FTw;          // per radix-4 pass: w1, w2, w3 (re and im) for j = 0..Q-1
  std::vector<double> FRe, FIm;     // the split work block
};

/// TFFTPlan: the whole transform of one length N (a power of two, >= 1).
class TFFTPlan {
 public:
  /// kDirectMax: the longest block transformed in one piece.
  static constexpr std::size_t kDirectMax = std::size_t{1} << 15;

  /// Makes the plan for length N; blocks longer than DirectMax (at least
  /// 64, so that both factors hold a panel) take the four-step route (a
  /// smaller DirectMax lets tests reach it cheaply).
  explicit TFFTPlan(std::size_t N, std::size_t DirectMax = kDirectMax);

  std::size_t Size() const noexcept { return FN; }

  /// Forward / Backward: the transforms above on Data (2 N Doubles). The
  /// four-step route leaves the result in the plan's second block and swaps
  /// it with Data, so Data's storage may change; its size does not.
  void Forward(std::vector<double>& Data) { Run(Data, false); }
  void Backward(std::vector<double>& Data) { Run(Data, true); }

 private:
  void Run(std::vector<double>& Data, bool Backward);

  std::size_t FN;
  std::unique_ptr<TFFTCore> FDirect;     // N <= kDirectMax
  std::unique_ptr<TFFTCore> FCols, FRows;  // four-step: lengths N1 and N2
  std::size_t FN1 = 0, FN2 = 0;
  int FShift = 0;                            // W^m = coarse[m >> FShift] * fine[m & mask]
  std::vector<double> FCoarseRe, FCoarseIm;
  std::vector<double> FFineRe, FFineIm;
  std::vector<double> FPostRe, FPostIm;      // the twiddles of one column
  static constexpr std::size_t kPanel = 8;   // neighbouring columns / rows moved together
  std::vector<double> FPanel;                // kPanel columns or rows, interleaved
  std::vector<double> FOut;                  // the second block (2 N Doubles)
};

}  // namespace kvl::transforms_internal
