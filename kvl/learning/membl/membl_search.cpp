// The packed search space of the memory-based learner and its one-pass scan.

#include <algorithm>
#include <cmath>
#include <limits>

#include "kvl/learning/membl/internal/membl_search.h"
#include "kvl/modelling/KVL_math2.h"
#include "kvl/runtime/cpu_clones.h"

namespace kvl::membl_internal {

namespace {

// Eigenvalues of the covariance not above this share of the largest count
// as no spread: their directions are left out of the Mahalanobis distance.
constexpr double WhitenRelTol = 1e-12;

// ScaleInto: Out[q] := the scaled value of independent column q.
void ScaleInto(const TSearchSpace& S, const double* Raw, double* Out) noexcept {
  for (std::size_t q = 0; q < S.P; ++q) {
    double v = Raw[q] - S.Center[q];
    if (S.Spread[q] > 0) v /= S.Spread[q];
    Out[q] = v;
  }
}

// ToSpace: Out (Q values) := the whitened Scaled (P values), or a copy.
void ToSpace(const TSearchSpace& S, const double* Scaled, double* Out) noexcept {
  if (!S.Whitened) {
    std::copy(Scaled, Scaled + S.P, Out);
    return;
  }
  for (std::size_t r = 0; r < S.Q; ++r) {
    const double* w = S.Whiten.data() + r * S.P;
    double s = 0;
    for (std::size_t q = 0; q < S.P; ++q) s += w[q] * Scaled[q];
    Out[r] = s;
  }
}

// MakeWhitening: S.Whiten := Λ^(-1/2)·Vᵀ of the covariance V·Λ·Vᵀ of the
// scaled objects (Rows: N rows x P columns), directions without spread left
// out. Fewer than two objects give no direction at all.
void MakeWhitening(TSearchSpace& S, const TMatrix& Rows) {
  S.Whiten.clear();
  S.Whitened = true;
  S.Q = 0;
  const auto p = static_cast<std::int32_t>(S.P);
  TMatrix cov;
  cov.Resize(p, p);
  if (S.N < 2 || !CalcCovar(Rows, cov, 0, 0, 0, 0, 1)) return;
  TMatrix v;
  TVector w;
  if (!SingValDecomp(cov, v, w)) return;
  const double largest = w.GetVal(1);
  if (!(largest > 0)) return;
  for (std::int32_t j = 1; j <= p; ++j) {
    const double lambda = w.GetVal(j);
    if (!(lambda > WhitenRelTol * largest)) continue;
    const double f = 1.0 / std::sqrt(lambda);
    for (std::int32_t q = 1; q <= p; ++q) S.Whiten.push_back(v.GetVal(j, q) * f);
    ++S.Q;
  }
}

// Single-precision screening. u: the unit roundoff of float; an object's
// float distance sf and its exact distance r (the real number) differ by at
// most E = ‖e‖ (squares) or Σe (magnitudes), e_d = 2.01·u·(max|x_d| + |y_d|)
// the error of one float difference, and the float and double sums add at
// most (Q + 1)·u (resp. (Q + 1)·2^-53) relative error on top.
constexpr double FloatU = 0x1p-24;
constexpr double DoubleU = 0x1p-53;
constexpr double FloatSafeMax = 1e37;  // values beyond this are not screened

// ScreenLimit: the float sum below or at which an object may have a double
// distance sum not above Bound; +inf when no finite limit says more.
float ScreenLimit(const TSearchSpace& S, double Bound) noexcept {
  const double q1 = static_cast<double>(S.Q + 1);
  const double gf = 1.01 * q1 * FloatU;
  const double gd = 1.01 * (q1 + 3) * DoubleU;  // the double differences round too
  const double tiny = q1 * 3e-38;  // squares and differences lost to underflow
  double t = 0;
  if (S.Manhattan)
    t = (Bound / (1 - gd) + S.ScreenE) * (1 + gf) + tiny;
  else {
    const double r = std::sqrt(Bound / (1 - gd)) + S.ScreenE;
    t = r * r * (1 + gf) + tiny;
  }
  t *= 1 + 1e-12;  // the rounding of this very computation
  if (!(t < static_cast<double>(std::numeric_limits<float>::max()))) return std::numeric_limits<float>::infinity();
  return std::nextafter(static_cast<float>(t), std::numeric_limits<float>::infinity());
}

// Four lanes of a block as one vector, and the eight lanes of a block in
// single precision (GCC/Clang vector extension; each CPU clone maps them to
// its registers). Only used inside the scan bodies: no vector crosses a call.
using V4 = double __attribute__((vector_size(32)));
using V4Bits = long long __attribute__((vector_size(32)));
using V8f = float __attribute__((vector_size(32)));
using V8Bits = int __attribute__((vector_size(32)));
static_assert(BlockLen == 8, "a block is two four-lane vectors, or one of eight floats");

// ExactBlock: the raw distances of the eight objects of a block, each
// summed in dimension order (so an object's distance has the same bits in
// every pass).
template <bool Abs>
[[gnu::always_inline]] inline void ExactBlock(const double* Blk, const double* y, std::size_t q, V4& Acc0,
                                              V4& Acc1) {
  constexpr long long noSign = 0x7FFFFFFFFFFFFFFFLL;
  Acc0 = V4{0, 0, 0, 0};
  Acc1 = V4{0, 0, 0, 0};
  for (std::size_t d = 0; d < q; ++d) {
    V4 x0, x1;
    __builtin_memcpy(&x0, Blk + d * BlockLen, sizeof x0);
    __builtin_memcpy(&x1, Blk + d * BlockLen + 4, sizeof x1);
    x0 -= y[d];
    x1 -= y[d];
    if constexpr (Abs) {
      Acc0 += reinterpret_cast<V4>(reinterpret_cast<V4Bits>(x0) & noSign);
      Acc1 += reinterpret_cast<V4>(reinterpret_cast<V4Bits>(x1) & noSign);
    } else {
      Acc0 += x0 * x0;
      Acc1 += x1 * x1;
    }
  }
}

// OfferBlock: offers the objects of block b (and adds their distances to Sums).
template <bool Abs>
[[gnu::always_inline]] inline void OfferBlock(const TSearchSpace& S, std::size_t b, const V4& Acc0, const V4& Acc1,
                                              std::int32_t Exclude, TNeighbourList& List, TDistSums* Sums) {
  const std::size_t first = b * BlockLen;
  const std::size_t lanes = std::min(BlockLen, S.N - first);
  for (std::size_t l = 0; l < lanes; ++l) {
    const double raw = l < 4 ? Acc0[l] : Acc1[l - 4];
    const auto j = static_cast<std::int32_t>(first + l + 1);
    if (j == Exclude) continue;
    if (Sums != nullptr) {
      const double dist = Abs ? raw : std::sqrt(raw);
      if (Sums->Count == 0) Sums->Shift = dist;
      const double dev = dist - Sums->Shift;
      Sums->Sum += dev;
      Sums->SumSq += dev * dev;
      ++Sums->Count;
    }
    List.Offer(raw, j);
  }
}

// ExactBody: the pass over the double blocks; with Sums every object is
// offered, without, a block none of whose objects reaches the list's bound
// is passed over after one test.
template <bool Abs>
[[gnu::always_inline]] inline void ExactBody(const TSearchSpace& S, std::int32_t Exclude, TNeighbourList& List,
                                             TDistSums* Sums) {
  const std::size_t nBlocks = (S.N + BlockLen - 1) / BlockLen;
  const std::size_t q = S.Q;
  for (std::size_t b = 0; b < nBlocks; ++b) {
    V4 acc0, acc1;
    ExactBlock<Abs>(S.Blocks.data() + b * q * BlockLen, S.Probe.data(), q, acc0, acc1);
    const double bound = List.Bound();
    const auto enter = (acc0 <= bound) | (acc1 <= bound);
    if (Sums == nullptr && (enter[0] | enter[1] | enter[2] | enter[3]) == 0) continue;
    OfferBlock<Abs>(S, b, acc0, acc1, Exclude, List, Sums);
  }
}

// ScreenedBody: the same result from half the memory: each block is first
// scored in single precision, and only a block with an object that may
// reach the bound (ScreenLimit) is scored again exactly.
template <bool Abs>
[[gnu::always_inline]] inline void ScreenedBody(const TSearchSpace& S, std::int32_t Exclude, TNeighbourList& List) {
  constexpr int noSign = 0x7FFFFFFF;
  const std::size_t nBlocks = (S.N + BlockLen - 1) / BlockLen;
  const std::size_t q = S.Q;
  const float* yf = S.ProbeF.data();
  double lastBound = -1.0;
  float limit = 0.0F;
  for (std::size_t b = 0; b < nBlocks; ++b) {
    const float* fb = S.FBlocks.data() + b * q * BlockLen;
    V8f acc = {0, 0, 0, 0, 0, 0, 0, 0};
    for (std::size_t d = 0; d < q; ++d) {
      V8f x;
      __builtin_memcpy(&x, fb + d * BlockLen, sizeof x);
      x -= yf[d];
      if constexpr (Abs)
        acc += reinterpret_cast<V8f>(reinterpret_cast<V8Bits>(x) & noSign);
      else
        acc += x * x;
    }
    const double bound = List.Bound();
    if (bound != lastBound) {
      lastBound = bound;
      limit = ScreenLimit(S, bound);
    }
    const auto maybe = acc <= limit;
    if ((maybe[0] | maybe[1] | maybe[2] | maybe[3] | maybe[4] | maybe[5] | maybe[6] | maybe[7]) == 0) continue;
    V4 acc0, acc1;
    ExactBlock<Abs>(S.Blocks.data() + b * q * BlockLen, S.Probe.data(), q, acc0, acc1);
    OfferBlock<Abs>(S, b, acc0, acc1, Exclude, List, nullptr);
  }
}

template <bool Abs>
[[gnu::always_inline]] inline void ScanBody(const TSearchSpace& S, std::int32_t Exclude, TNeighbourList& List,
                                            TDistSums* Sums) {
  if (Sums == nullptr && S.ScreenOK)
    ScreenedBody<Abs>(S, Exclude, List);
  else
    ExactBody<Abs>(S, Exclude, List, Sums);
}

KVL_CPU_CLONES void ScanSquared(const TSearchSpace& S, std::int32_t Exclude, TNeighbourList& List,
                                TDistSums* Sums) {
  ScanBody<false>(S, Exclude, List, Sums);
}

KVL_CPU_CLONES void ScanAbsolute(const TSearchSpace& S, std::int32_t Exclude, TNeighbourList& List,
                                 TDistSums* Sums) {
  ScanBody<true>(S, Exclude, List, Sums);
}

}  // namespace

double TDistSums::StdDev() const noexcept {
  if (Count < 3) return 0.0;
  return static_cast<double>(std::sqrt(std::fabs((SumSq - Sum * Sum / Count) / (Count - 1))));
}

void BuildSpace(const TDataTable& Table, std::span<const double> MeanVarRange, TMBLDistMode Dist,
                TMBLScalingMode Scaling, TSearchSpace& S) {
  S.Valid = false;
  S.IndepCols.clear();
  for (std::int32_t c = 1; c <= Table.NrOfColumns(); ++c)
    if (Table.ColAttrib(c) == static_cast<std::int32_t>(TMBLVarType::mblVarIndep)) S.IndepCols.push_back(c);
  S.P = S.IndepCols.size();
  S.N = static_cast<std::size_t>(std::max(Table.NrOfRows(), 0));
  S.Manhattan = Dist == TMBLDistMode::mblDistManhattan;
  S.Center.assign(S.P, 0.0);
  S.Spread.assign(S.P, 0.0);
  if (Scaling == TMBLScalingMode::mblStandardized) {
    for (std::size_t q = 0; q < S.P; ++q) {
      const auto base = static_cast<std::size_t>(S.IndepCols[q] - 1) * 4;
      S.Center[q] = MeanVarRange[base];
      S.Spread[q] = std::sqrt(MeanVarRange[base + 1]);
    }
  }
  // The scaled objects, one row each (a matrix, as the covariance takes them).
  TMatrix scaled;
  scaled.Resize(static_cast<std::int32_t>(std::max<std::size_t>(S.P, 1)),
                static_cast<std::int32_t>(std::max<std::size_t>(S.N, 1)));
  std::vector<double> raw(S.P), row(S.P);
  for (std::size_t j = 0; j < S.N; ++j) {
    for (std::size_t q = 0; q < S.P; ++q) raw[q] = Table.Elem(S.IndepCols[q], static_cast<std::int32_t>(j + 1));
    ScaleInto(S, raw.data(), row.data());
    for (std::size_t q = 0; q < S.P; ++q)
      scaled.SetVal(static_cast<std::int32_t>(q + 1), static_cast<std::int32_t>(j + 1), row[q]);
  }
  S.Whiten.clear();
  S.Whitened = false;
  S.Q = S.P;
  if (Dist == TMBLDistMode::mblDistMahalanobis && S.P > 0) MakeWhitening(S, scaled);

  const std::size_t L = BlockLen;
  const std::size_t nBlocks = (S.N + L - 1) / L;
  S.Blocks.assign(nBlocks * S.Q * L, 0.0);
  std::vector<double> out(S.Q);
  for (std::size_t j = 0; j < S.N; ++j) {
    for (std::size_t q = 0; q < S.P; ++q)
      row[q] = scaled.GetVal(static_cast<std::int32_t>(q + 1), static_cast<std::int32_t>(j + 1));
    ToSpace(S, row.data(), out.data());
    double* blk = S.Blocks.data() + (j / L) * S.Q * L + j % L;
    for (std::size_t d = 0; d < S.Q; ++d) blk[d * L] = out[d];
  }
  // The single-precision copy for screening, when every value fits.
  S.MaxAbs.assign(S.Q, 0.0);
  for (std::size_t j = 0; j < S.N; ++j)
    for (std::size_t d = 0; d < S.Q; ++d)
      S.MaxAbs[d] = std::max(S.MaxAbs[d], std::fabs(S.Blocks[(j / L) * S.Q * L + d * L + j % L]));
  S.FloatOK = S.N > 0 && std::all_of(S.MaxAbs.begin(), S.MaxAbs.end(), [](double m) { return m <= FloatSafeMax; });
  S.FBlocks.clear();
  if (S.FloatOK) S.FBlocks.assign(S.Blocks.begin(), S.Blocks.end());
  S.Scaled.assign(S.P, 0.0);
  S.Probe.assign(S.Q, 0.0);
  S.ProbeF.assign(S.Q, 0.0F);
  S.ScreenOK = false;
  S.Valid = true;
}

void SetProbe(TSearchSpace& S, std::span<const double> Values) noexcept {
  // Values has one entry per column; the independent ones are picked.
  for (std::size_t q = 0; q < S.P; ++q) S.Scaled[q] = Values[static_cast<std::size_t>(S.IndepCols[q] - 1)];
  ScaleInto(S, S.Scaled.data(), S.Scaled.data());
  ToSpace(S, S.Scaled.data(), S.Probe.data());
  // The probe in single precision and the error bound E of the screening.
  S.ScreenOK = S.FloatOK;
  double e2 = 0;
  double e1 = 0;
  for (std::size_t d = 0; d < S.Q; ++d) {
    const double y = S.Probe[d];
    if (!(std::fabs(y) <= FloatSafeMax)) S.ScreenOK = false;  // NaN too
    S.ProbeF[d] = static_cast<float>(y);
    const double e = 2.01 * FloatU * (S.MaxAbs[d] + std::fabs(y)) + 3e-45;
    e1 += e;
    e2 += e * e;
  }
  S.ScreenE = S.Manhattan ? e1 : std::sqrt(e2);
}

void Scan(const TSearchSpace& S, std::int32_t Exclude, TNeighbourList& List, TDistSums* Sums) {
  if (S.Manhattan)
    ScanAbsolute(S, Exclude, List, Sums);
  else
    ScanSquared(S, Exclude, List, Sums);
}

double Distance(const TSearchSpace& S, double Raw) noexcept { return S.Manhattan ? Raw : std::sqrt(Raw); }

}  // namespace kvl::membl_internal
