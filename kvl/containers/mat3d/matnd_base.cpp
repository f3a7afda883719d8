// TMatNDBase: storage, resizing, fills and block statistics shared by TMat3D
// and TMat4D.

#include "kvl/containers/mat3d/matnd_base.h"

#include <algorithm>
#include <cmath>

#include "kvl/base/KVL_univconst.h"
#include "kvl/containers/internal/cell_crc.h"
#include "kvl/containers/internal/stat_rules.h"
#include "kvl/core/math1/generators.h"
#include "kvl/runtime/randgen.h"

namespace kvl {

template <std::size_t N>
TMatNDBase<N>::TMatNDBase(TComponent* AOwner, const std::array<std::size_t, N>& SlowToFast)
    : TComponent(AOwner), FSlowToFast(SlowToFast) {
  FDims.fill(1);
  SetStrides();
  GuardAllocation<EKVLMatrixError>(*this, [&] { FCells.assign(1, 0.0); });
}

template <std::size_t N>
void TMatNDBase<N>::SetStrides() {
  std::size_t stride = 1;
  for (std::size_t k = N; k-- > 0;) {
    const std::size_t d = FSlowToFast[k];
    FStride[d] = stride;
    stride *= static_cast<std::size_t>(std::max(FDims[d], 0));
  }
}

template <std::size_t N>
std::size_t TMatNDBase<N>::CellCount(const TIndex& Dims) const noexcept {
  std::size_t n = 1;
  for (const std::int32_t d : Dims) {
    if (d < 1) return 0;
    if (n > std::numeric_limits<std::size_t>::max() / static_cast<std::size_t>(d)) return std::numeric_limits<std::size_t>::max();
    n *= static_cast<std::size_t>(d);
  }
  return n;
}

template <std::size_t N>
bool TMatNDBase<N>::ResizeTo(const TIndex& Dims) {
  for (const std::int32_t d : Dims)
    if (d < 1) return false;
  if (Dims == FDims) return false;
  matrix_internal::TCellBlock cells;
  GuardAllocation<EKVLMatrixError>(*this, [&] {
    const std::size_t n = CellCount(Dims);
    if (n == std::numeric_limits<std::size_t>::max()) throw std::bad_alloc();
    cells.assign(n, 0.0);
  });
  // The overlapping block moves to its place in the new layout.
  const TIndex oldDims = FDims;
  const std::array<std::size_t, N> oldStride = FStride;
  FDims = Dims;
  SetStrides();
  TIndex hi;
  for (std::size_t d = 0; d < N; ++d) hi[d] = std::min(oldDims[d], Dims[d]);
  TIndex lo;
  lo.fill(1);
  const matrix_internal::TCellBlock& old = FCells;
  ForBlock(lo, hi, [&](const TIndex& ix, std::size_t o) {
    std::size_t from = 0;
    for (std::size_t d = 0; d < N; ++d) from += static_cast<std::size_t>(ix[d] - 1) * oldStride[d];
    cells[o] = old[from];
  });
  FCells.swap(cells);
  Changed();
  Resized();
  return true;
}

template <std::size_t N>
bool TMatNDBase<N>::ResizeAndClearTo(const TIndex& Dims) {
  if (!ResizeTo(Dims)) return false;
  std::fill(FCells.begin(), FCells.end(), 0.0);
  Changed();
  Resized();
  return true;
}

template <std::size_t N>
void TMatNDBase<N>::FillRandomUniform(double RangeLow, double RangeHigh) {
  for (double& x : FCells) x = Random() * (RangeHigh - RangeLow) + RangeLow;
  Changed();
}

template <std::size_t N>
void TMatNDBase<N>::FillRandomGauss(double Mean, double StdDev) {
  for (double& x : FCells) x = GRandom() * StdDev + Mean;
  Changed();
}

template <std::size_t N>
std::string TMatNDBase<N>::CRCofData() const {
  return containers_internal::ByteLaneCRC(Data());
}

template <std::size_t N>
void TMatNDBase<N>::BlockFind(TIndex Lo, TIndex Hi, double Value, TIndex& At) const {
  ValidBlock(Lo, Hi);
  At.fill(0);
  double best = std::numeric_limits<double>::max();
  // On ties the first cell in the order of the indices (column slowest)
  // wins, whatever the storage order.
  ForBlock(Lo, Hi, [&](const TIndex& ix, std::size_t o) {
    const double d = std::fabs(FCells[o] - Value);
    if (d < best || (d == best && ix < At)) {
      best = d;
      At = ix;
    }
  });
}

template <std::size_t N>
void TMatNDBase<N>::BlockMinMax(TIndex Lo, TIndex Hi, double& Minimum, double& Maximum) const {
  ValidBlock(Lo, Hi);
  Minimum = uc_MaxReal;
  Maximum = -uc_MaxReal;
  ForBlock(Lo, Hi, [&](const TIndex&, std::size_t o) {
    const double x = FCells[o];
    if (x < Minimum) Minimum = x;
    if (x > Maximum) Maximum = x;
  });
}

template <std::size_t N>
void TMatNDBase<N>::BlockMeanVar(TIndex Lo, TIndex Hi, double& Mean, double& Variance) const {
  ValidBlock(Lo, Hi);
  containers_internal::WalkMeanVar(
      [&](auto&& f) { ForBlock(Lo, Hi, [&](const TIndex&, std::size_t o) { f(FCells[o]); }); }, Mean, Variance);
}

template <std::size_t N>
void TMatNDBase<N>::BlockSums(TIndex Lo, TIndex Hi, double& Sum, double& SquaredSum) const {
  ValidBlock(Lo, Hi);
  long double s = 0.0L, s2 = 0.0L;
  ForBlock(Lo, Hi, [&](const TIndex&, std::size_t o) {
    const long double x = FCells[o];
    s += x;
    s2 += x * x;
  });
  Sum = static_cast<double>(s);
  SquaredSum = static_cast<double>(s2);
}

template <std::size_t N>
std::int32_t TMatNDBase<N>::BlockCount(TIndex Lo, TIndex Hi, double RangeLow, double RangeHigh) const {
  ValidBlock(Lo, Hi);
  std::int64_t n = 0;
  ForBlock(Lo, Hi, [&](const TIndex&, std::size_t o) { n += FCells[o] >= RangeLow && FCells[o] <= RangeHigh; });
  return static_cast<std::int32_t>(std::min<std::int64_t>(n, 2147483647));
}

template <std::size_t N>
void TMatNDBase<N>::CopyCells(const TMatNDBase& Source) {
  GuardAllocation<EKVLMatrixError>(*this, [&] { FCells = Source.FCells; });
  FDims = Source.FDims;
  FStride = Source.FStride;
  FDataID = Source.FDataID;
}

template <std::size_t N>
void TMatNDBase<N>::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TMatNDBase*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  CopyCells(*src);
  OnChange = src->OnChange;
  OnResize = src->OnResize;
  OnPercentDone = src->OnPercentDone;
  AssignHandlers(*src);
}

template <std::size_t N>
void TMatNDBase<N>::AssignTo(TPersistent* Dest) const {
  if (auto* dst = dynamic_cast<TMatNDBase*>(Dest)) {
    dst->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

template <std::size_t N>
void TMatNDBase<N>::Clone(const TMatNDBase* Source) {
  if (Source == nullptr || Source == this) return;
  CopyCells(*Source);
  Changed();
  Resized();
}

template class TMatNDBase<3>;
template class TMatNDBase<4>;

}  // namespace kvl
