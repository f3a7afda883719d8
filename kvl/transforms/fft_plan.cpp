#include "kvl/transforms/internal/fft_plan.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>

#include "kvl/runtime/cpu_clones.h"

namespace kvl::transforms_internal {

namespace {

// cis(2 pi m / M) in 80-bit precision, rounded once to Double.
void Cis(std::size_t m, std::size_t M, double& Re, double& Im) {
  const long double angle = 2.0L * std::numbers::pi_v<long double> * static_cast<long double>(m) /
                            static_cast<long double>(M);
  Re = static_cast<double>(std::cos(angle));
  Im = static_cast<double>(std::sin(angle));
}

// The first pass, fused with the bit-reversed gather: twiddle-free radix-2
// (Radix4 false) or radix-4 butterflies on consecutive groups. Sgn is -1 to
// conjugate the input.
KVL_CPU_CLONES
void GatherFirstPass(const double* __restrict Src, std::size_t S, const std::uint32_t* __restrict Rev,
                     std::size_t n, bool Radix4, double Sgn, double* __restrict Re, double* __restrict Im) {
  const std::size_t s2 = 2 * S;
  if (!Radix4) {
    for (std::size_t i = 0; i < n; i += 2) {
      const double* a = Src + Rev[i] * s2;
      const double* b = Src + Rev[i + 1] * s2;
      Re[i] = a[0] + b[0];
      Im[i] = Sgn * (a[1] + b[1]);
      Re[i + 1] = a[0] - b[0];
      Im[i + 1] = Sgn * (a[1] - b[1]);
    }
    return;
  }
  for (std::size_t i = 0; i < n; i += 4) {
    // Quarters in bit-reversed order: residues 0, 2, 1, 3 of the sub-sequence.
    const double* q0 = Src + Rev[i] * s2;
    const double* q1 = Src + Rev[i + 1] * s2;
    const double* q2 = Src + Rev[i + 2] * s2;
    const double* q3 = Src + Rev[i + 3] * s2;
    const double sr = q0[0] + q1[0], si = q0[1] + q1[1];  // A0 + A2
    const double dr = q0[0] - q1[0], di = q0[1] - q1[1];  // A0 - A2
    const double tr = q2[0] + q3[0], ti = q2[1] + q3[1];  // A1 + A3
    const double ur = q2[0] - q3[0], ui = q2[1] - q3[1];  // A1 - A3
    Re[i] = sr + tr;
    Im[i] = Sgn * (si + ti);
    Re[i + 2] = sr - tr;
    Im[i + 2] = Sgn * (si - ti);
    // X1 = (A0 - A2) + i (A1 - A3), X3 = (A0 - A2) - i (A1 - A3); with a
    // conjugated input the sign of i (A1 - A3) turns with it.
    Re[i + 1] = dr - Sgn * ui;
    Im[i + 1] = Sgn * di + ur;
    Re[i + 3] = dr + Sgn * ui;
    Im[i + 3] = Sgn * di - ur;
  }
}

// The butterflies of one radix-4 block: quarters r0..r3 / i0..i3 of Q
// values each. Quarter 1 holds residue 2 of the sub-sequence (twiddle
// w^2j), quarter 2 residue 1 (w^j), quarter 3 residue 3 (w^3j).
inline void Radix4Block(double* __restrict r0, double* __restrict r1, double* __restrict r2,
                        double* __restrict r3, double* __restrict i0, double* __restrict i1,
                        double* __restrict i2, double* __restrict i3, std::size_t Q,
                        const double* __restrict w1r, const double* __restrict w1i,
                        const double* __restrict w2r, const double* __restrict w2i,
                        const double* __restrict w3r, const double* __restrict w3i) {
  for (std::size_t j = 0; j < Q; ++j) {
    const double a2r = r1[j] * w2r[j] - i1[j] * w2i[j];
    const double a2i = r1[j] * w2i[j] + i1[j] * w2r[j];
    const double a1r = r2[j] * w1r[j] - i2[j] * w1i[j];
    const double a1i = r2[j] * w1i[j] + i2[j] * w1r[j];
    const double a3r = r3[j] * w3r[j] - i3[j] * w3i[j];
    const double a3i = r3[j] * w3i[j] + i3[j] * w3r[j];
    const double sr = r0[j] + a2r, si = i0[j] + a2i;
    const double dr = r0[j] - a2r, di = i0[j] - a2i;
    const double tr = a1r + a3r, ti = a1i + a3i;
    const double ur = a1r - a3r, ui = a1i - a3i;
    r0[j] = sr + tr;
    i0[j] = si + ti;
    r2[j] = sr - tr;
    i2[j] = si - ti;
    r1[j] = dr - ui;
    i1[j] = di + ur;
    r3[j] = dr + ui;
    i3[j] = di - ur;
  }
}

// One radix-4 decimation-in-time pass combining quarters of length Q into
// blocks of length 4 Q; Tw holds w^j, w^2j, w^3j (w = e^{2 pi i / 4Q}) as
// six arrays of Q values (re, im of each).
KVL_CPU_CLONES
void Radix4Pass(double* Re, double* Im, std::size_t n, std::size_t Q, const double* Tw) {
  for (std::size_t o = 0; o < n; o += 4 * Q)
    Radix4Block(Re + o, Re + o + Q, Re + o + 2 * Q, Re + o + 3 * Q, Im + o, Im + o + Q, Im + o + 2 * Q,
                Im + o + 3 * Q, Q, Tw, Tw + Q, Tw + 2 * Q, Tw + 3 * Q, Tw + 4 * Q, Tw + 5 * Q);
}

// Writes the split block to Dst (stride S complex values), multiplied by
// Scale and by the post twiddles when given, conjugated when Sgn is -1.
KVL_CPU_CLONES
void Scatter(const double* __restrict Re, const double* __restrict Im, std::size_t n, double* __restrict Dst,
             std::size_t S, double Sgn, double Scale, const double* __restrict PostRe,
             const double* __restrict PostIm) {
  const std::size_t s2 = 2 * S;
  const double si = Sgn * Scale;
  if (PostRe == nullptr) {
    if (S == 1) {
      for (std::size_t k = 0; k < n; ++k) {
        Dst[2 * k] = Scale * Re[k];
        Dst[2 * k + 1] = si * Im[k];
      }
    } else {
      for (std::size_t k = 0; k < n; ++k) {
        Dst[k * s2] = Scale * Re[k];
        Dst[k * s2 + 1] = si * Im[k];
      }
    }
    return;
  }
  for (std::size_t k = 0; k < n; ++k) {
    Dst[k * s2] = Scale * (Re[k] * PostRe[k] - Im[k] * PostIm[k]);
    Dst[k * s2 + 1] = si * (Re[k] * PostIm[k] + Im[k] * PostRe[k]);
  }
}

}  // namespace

// --- TFFTCore ---------------------------------------------------------------------------------

TFFTCore::TFFTCore(std::size_t n) : FN(n), FRev(n), FRe(n), FIm(n) {
  const int bits = std::countr_zero(n);
  for (std::size_t i = 0; i < n; ++i) {
    std::uint32_t r = 0;
    for (int b = 0; b < bits; ++b) r |= static_cast<std::uint32_t>((i >> b) & 1u) << (bits - 1 - b);
    FRev[i] = r;
  }
  // Radix-4 passes after the first (radix-2 when log2 n is odd, else
  // radix-4): Q = L0, 4 L0, ... while 4 Q <= n. FInner: the longest block
  // of at most kInnerMax values that they build.
  const std::size_t L0 = (bits % 2 == 1) ? 2 : 4;
  FInner = std::min(L0, n);
  for (std::size_t Q = L0; 4 * Q <= n; Q *= 4) {
    const std::size_t base = FTw.size();
    FTw.resize(base + 6 * Q);
    for (std::size_t j = 0; j < Q; ++j)
      for (std::size_t m = 1; m <= 3; ++m)
        Cis(m * j, 4 * Q, FTw[base + (2 * m - 2) * Q + j], FTw[base + (2 * m - 1) * Q + j]);
    if (4 * Q <= kInnerMax) {
      FInner = 4 * Q;
      FInnerTw = FTw.size();
    }
  }
}

void TFFTCore::Run(const double* Src, std::size_t SrcStride, double* Dst, std::size_t DstStride, bool ConjIn,
                   bool ConjOut, double Scale, const double* PostRe, const double* PostIm) {
  const std::size_t n = FN;
  double* re = FRe.data();
  double* im = FIm.data();
  if (n == 1) {
    re[0] = Src[0];
    im[0] = ConjIn ? -Src[1] : Src[1];
  } else {
    const bool odd = std::countr_zero(n) % 2 == 1;
    GatherFirstPass(Src, SrcStride, FRev.data(), n, !odd, ConjIn ? -1.0 : 1.0, re, im);
    // The passes up to block length FInner run block by block while the
    // block is in the first-level cache; the longer ones sweep the whole.
    const std::size_t L0 = odd ? 2 : 4;
    for (std::size_t o = 0; o < n; o += FInner) {
      const double* tw = FTw.data();
      for (std::size_t Q = L0; 4 * Q <= FInner; Q *= 4) {
        Radix4Pass(re + o, im + o, FInner, Q, tw);
        tw += 6 * Q;
      }
    }
    const double* tw = FTw.data() + FInnerTw;
    for (std::size_t Q = FInner; 4 * Q <= n; Q *= 4) {
      Radix4Pass(re, im, n, Q, tw);
      tw += 6 * Q;
    }
  }
  Scatter(re, im, n, Dst, DstStride, ConjOut ? -1.0 : 1.0, Scale, PostRe, PostIm);
}

// --- TFFTPlan ---------------------------------------------------------------------------------

TFFTPlan::TFFTPlan(std::size_t N, std::size_t DirectMax) : FN(N) {
  if (N <= DirectMax) {
    FDirect = std::make_unique<TFFTCore>(N);
    return;
  }
  const int bits = std::countr_zero(N);
  FN1 = std::size_t{1} << (bits / 2);
  FN2 = N / FN1;
  FCols = std::make_unique<TFFTCore>(FN1);
  FRows = std::make_unique<TFFTCore>(FN2);
  // W^m (W = e^{2 pi i / N}, m < N) = W^{(m >> shift) << shift} W^{m & mask}:
  // a coarse and a fine table of about sqrt(N) values each.
  FShift = (bits + 1) / 2;
  const std::size_t fine = std::size_t{1} << FShift, coarse = N >> FShift;
  FFineRe.resize(fine);
  FFineIm.resize(fine);
  FCoarseRe.resize(coarse);
  FCoarseIm.resize(coarse);
  for (std::size_t b = 0; b < fine; ++b) Cis(b, N, FFineRe[b], FFineIm[b]);
  for (std::size_t a = 0; a < coarse; ++a) Cis(a << FShift, N, FCoarseRe[a], FCoarseIm[a]);
  FPostRe.resize(FN1);
  FPostIm.resize(FN1);
  FPanel.resize(2 * kPanel * FN2);  // FN2 >= FN1
  FOut.resize(2 * N);
}

void TFFTPlan::Run(std::vector<double>& Data, bool Backward) {
  const double scale = Backward ? 1.0 / static_cast<double>(FN) : 1.0;
  if (FDirect) {
    FDirect->Run(Data.data(), 1, Data.data(), 1, Backward, Backward, scale, nullptr, nullptr);
    return;
  }
  // Data as N1 rows of N2 columns: x[n2 + N2 n1]. Columns and rows go
  // through a panel of kPanel neighbours, so that every cache line (and
  // page) of the long block is visited once per panel, not once per value.
  const std::size_t N1 = FN1, N2 = FN2, B = kPanel;
  double* x = Data.data();
  double* panel = FPanel.data();
  const std::size_t mask = (std::size_t{1} << FShift) - 1;
  for (std::size_t c = 0; c < N2; c += B) {
    for (std::size_t n1 = 0; n1 < N1; ++n1) std::memcpy(panel + 2 * B * n1, x + 2 * (N2 * n1 + c), 16 * B);
    for (std::size_t b = 0; b < B; ++b) {
      // Column n2: transform over n1, then multiply line k1 by W^{n2 k1}.
      const std::size_t n2 = c + b;
      for (std::size_t k1 = 0, m = 0; k1 < N1; ++k1, m += n2) {
        const std::size_t hi = m >> FShift, lo = m & mask;
        FPostRe[k1] = FCoarseRe[hi] * FFineRe[lo] - FCoarseIm[hi] * FFineIm[lo];
        FPostIm[k1] = FCoarseRe[hi] * FFineIm[lo] + FCoarseIm[hi] * FFineRe[lo];
      }
      FCols->Run(panel + 2 * b, B, panel + 2 * b, B, Backward, false, 1.0, FPostRe.data(), FPostIm.data());
    }
    for (std::size_t n1 = 0; n1 < N1; ++n1) std::memcpy(x + 2 * (N2 * n1 + c), panel + 2 * B * n1, 16 * B);
  }
  // Row k1: transform over n2 into X[k1 + N1 k2].
  double* out = FOut.data();
  for (std::size_t r = 0; r < N1; r += B) {
    for (std::size_t b = 0; b < B; ++b)
      FRows->Run(x + 2 * N2 * (r + b), 1, panel + 2 * b, B, false, Backward, scale, nullptr, nullptr);
    for (std::size_t k2 = 0; k2 < N2; ++k2) std::memcpy(out + 2 * (r + N1 * k2), panel + 2 * B * k2, 16 * B);
  }
  Data.swap(FOut);
}

}  // namespace kvl::transforms_internal
