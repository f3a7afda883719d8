// The packed search space of the memory-based learner and its one-pass scan.

#include <algorithm>
#include <cmath>

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

// Four lanes of a block as one vector (GCC/Clang vector extension; each
// CPU clone maps it to its registers). Only used inside ScanBody, so no
// vector crosses a call.
using V4 = double __attribute__((vector_size(32)));
using V4Bits = long long __attribute__((vector_size(32)));
static_assert(BlockLen == 8, "a block is two four-lane vectors");

// ScanBody: the pass over all blocks; Abs selects |a - b| over (a - b)².
// Each lane sums its object's terms in dimension order, so an object's
// distance has the same bits in every pass.
template <bool Abs>
[[gnu::always_inline]] inline void ScanBody(const TSearchSpace& S, std::int32_t Exclude, TNeighbourList& List,
                                            TDistSums* Sums) {
  constexpr std::size_t L = BlockLen;
  constexpr long long noSign = 0x7FFFFFFFFFFFFFFFLL;
  const std::size_t nBlocks = (S.N + L - 1) / L;
  const std::size_t q = S.Q;
  const double* y = S.Probe.data();
  for (std::size_t b = 0; b < nBlocks; ++b) {
    const double* blk = S.Blocks.data() + b * q * L;
    V4 acc0 = {0, 0, 0, 0};
    V4 acc1 = {0, 0, 0, 0};
    for (std::size_t d = 0; d < q; ++d) {
      V4 x0, x1;
      __builtin_memcpy(&x0, blk + d * L, sizeof x0);
      __builtin_memcpy(&x1, blk + d * L + 4, sizeof x1);
      x0 -= y[d];
      x1 -= y[d];
      if constexpr (Abs) {
        acc0 += reinterpret_cast<V4>(reinterpret_cast<V4Bits>(x0) & noSign);
        acc1 += reinterpret_cast<V4>(reinterpret_cast<V4Bits>(x1) & noSign);
      } else {
        acc0 += x0 * x0;
        acc1 += x1 * x1;
      }
    }
    // Most blocks hold no candidate: one test for all eight lanes.
    const double bound = List.Bound();
    const auto enter = (acc0 <= bound) | (acc1 <= bound);
    if (Sums == nullptr && (enter[0] | enter[1] | enter[2] | enter[3]) == 0) continue;
    const std::size_t first = b * L;
    const std::size_t lanes = std::min(L, S.N - first);
    for (std::size_t l = 0; l < lanes; ++l) {
      const double raw = l < 4 ? acc0[l] : acc1[l - 4];
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
  S.Scaled.assign(S.P, 0.0);
  S.Probe.assign(S.Q, 0.0);
  S.Valid = true;
}

void SetProbe(TSearchSpace& S, std::span<const double> Values) noexcept {
  // Values has one entry per column; the independent ones are picked.
  for (std::size_t q = 0; q < S.P; ++q) S.Scaled[q] = Values[static_cast<std::size_t>(S.IndepCols[q] - 1)];
  ScaleInto(S, S.Scaled.data(), S.Scaled.data());
  ToSpace(S, S.Scaled.data(), S.Probe.data());
}

void Scan(const TSearchSpace& S, std::int32_t Exclude, TNeighbourList& List, TDistSums* Sums) {
  if (S.Manhattan)
    ScanAbsolute(S, Exclude, List, Sums);
  else
    ScanSquared(S, Exclude, List, Sums);
}

double Distance(const TSearchSpace& S, double Raw) noexcept { return S.Manhattan ? Raw : std::sqrt(Raw); }

}  // namespace kvl::membl_internal
