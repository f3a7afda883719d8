// TIntMatrix fills, copies, arithmetic, searches and statistics. Dense
// matrices run the cell kernels shared with TMatrix; a sparse store runs over
// its entries and counts the absent cells of a rectangle as zeros.

#include <algorithm>
#include <cmath>
#include <limits>
#include <cstdint>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/internal/cell_crc.h"
#include "kvl/containers/internal/stat_rules.h"
#include "kvl/containers/matrix/internal/cellstats.h"
#include "kvl/containers/matrix/internal/matrix_internal.h"
#include "kvl/containers/matrix/internal/results.h"

namespace kvl {

namespace {

using matrix_internal::TRect1;

/// Wrap: 32-bit wrap-around of an integer result (no signed overflow).
std::int32_t Wrap(std::uint32_t x) noexcept { return static_cast<std::int32_t>(x); }

/// InRect: the entry lies inside R.
bool InRect(const TSpMatElemInt& e, const TRect1& R) noexcept {
  return e.colidx >= R.LowCol && e.colidx <= R.HighCol && e.rowidx >= R.LowRow && e.rowidx <= R.HighRow;
}

/// Area: the number of cells of R.
std::int64_t Area(const TRect1& R) noexcept {
  return R.HighCol < R.LowCol || R.HighRow < R.LowRow
             ? 0
             : std::int64_t{R.HighCol - R.LowCol + 1} * (R.HighRow - R.LowRow + 1);
}

}  // namespace

template <class F>
void TIntMatrix::WalkRect(std::int32_t LoC, std::int32_t HiC, std::int32_t LoR, std::int32_t HiR, F&& f) const {
  const TRect1 R = matrix_internal::ValidRect(*this, LoC, HiC, LoR, HiR);
  if (!FIsSparse) {
    matrix_internal::ForEachCell(ColumnView(), R, f);
    return;
  }
  for (std::int32_t c = R.LowCol; c <= R.HighCol; ++c)
    for (std::int32_t r = R.LowRow; r <= R.HighRow; ++r) f(GetVal(c, r));
}

template <class F>
std::int64_t TIntMatrix::VisitStored(std::int32_t LoC, std::int32_t HiC, std::int32_t LoR, std::int32_t HiR,
                                     F&& f) const {
  if (!FIsSparse) {
    WalkRect(LoC, HiC, LoR, HiR, f);
    return 0;
  }
  const TRect1 R = matrix_internal::ValidRect(*this, LoC, HiC, LoR, HiR);
  std::int64_t stored = 0;
  for (const TSpMatElemInt& e : FSparse.Entries())
    if (InRect(e, R)) {
      ++stored;
      f(e.value);
    }
  return Area(R) - stored;
}

// --- fills -------------------------------------------------------------------------------

void TIntMatrix::Fill(std::int32_t value) {
  if (!FIsSparse) {
    std::fill(FData.begin(), FData.end(), value);
  } else if (value != 0) {
    for (TSpMatElemInt& e : FSparse.MutableEntries()) e.value = value;
  } else {
    ResetStore();
  }
  Changed();
}

void TIntMatrix::Fill(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                      std::int32_t value) {
  const TRect1 R = matrix_internal::ValidRect(*this, LowCol, HighCol, LowRow, HighRow);
  if (FIsSparse) {
    for (TSpMatElemInt& e : FSparse.MutableEntries())
      if (InRect(e, R)) e.value = value;
  } else {
    matrix_internal::ForEachCell(MutableView(), R, [value](std::int32_t& x) { x = value; });
  }
  Changed();
}

void TIntMatrix::FillDiag(std::int32_t value) {
  const std::int32_t n = std::min(FNCol, FNRow);
  if (FIsSparse) {
    GuardAllocation<EKVLMatrixError>(*this, [&] {
      for (std::int32_t i = 1; i <= n; ++i)
        if (FSparse.Set(i, i, value)) WidenBox(i, i);
      GrowCapacity(FSparse.Count());
    });
  } else {
    for (std::int32_t i = 1; i <= n; ++i) FData[Offset(i, i)] = value;
  }
  Changed();
}

void TIntMatrix::FillSerial(std::int32_t Offset, std::int32_t Diff) {
  if (FIsSparse) return;
  std::uint32_t x = static_cast<std::uint32_t>(Offset);
  for (std::int32_t& cell : FData) {
    cell = Wrap(x);
    x += static_cast<std::uint32_t>(Diff);
  }
}

// --- copies ------------------------------------------------------------------------------

void TIntMatrix::CopyFrom(const TIntMatrix* MatSource, std::int32_t SourceColLo, std::int32_t SourceRowLo,
                          std::int32_t SourceColHi, std::int32_t SourceRowHi, std::int32_t DestCol,
                          std::int32_t DestRow) {
  if (MatSource == nullptr) return;
  const TRect1 S = matrix_internal::ValidRect(*MatSource, SourceColLo, SourceColHi, SourceRowLo, SourceRowHi);
  const std::int64_t dc = std::int64_t{DestCol} - S.LowCol;
  const std::int64_t dr = std::int64_t{DestRow} - S.LowRow;
  // Reads first (a copy within this matrix reads what was there before).
  std::vector<TSpMatElemInt> cells;
  GuardAllocation<EKVLMatrixError>(*this, [&] {
    if (MatSource->FIsSparse) {
      for (const TSpMatElemInt& e : MatSource->SpMat())
        if (InRect(e, S)) cells.push_back(e);
    }
  });
  const bool destSparse = FIsSparse;
  auto put = [&](std::int64_t c, std::int64_t r, std::int32_t v) {
    if (c >= 1 && r >= 1 && c <= 2147483647 && r <= 2147483647)
      StoreCell(static_cast<std::int32_t>(c), static_cast<std::int32_t>(r), v);
  };
  GuardAllocation<EKVLMatrixError>(*this, [&] {
    if (!MatSource->FIsSparse) {
      std::vector<std::int32_t> snapshot;
      const std::int32_t* src = MatSource->FData.data();
      if (MatSource == this) {
        snapshot.assign(FData.begin(), FData.end());
        src = snapshot.data();
      }
      for (std::int32_t c = S.LowCol; c <= S.HighCol; ++c)
        for (std::int32_t r = S.LowRow; r <= S.HighRow; ++r) put(c + dc, r + dr, src[MatSource->Offset(c, r)]);
    } else {
      // Absent source cells are zeros: clear the target first, then write the entries.
      const TRect1 T{static_cast<std::int32_t>(std::clamp<std::int64_t>(S.LowCol + dc, 1, 2147483647)),
                     static_cast<std::int32_t>(std::clamp<std::int64_t>(S.HighCol + dc, 0, 2147483647)),
                     static_cast<std::int32_t>(std::clamp<std::int64_t>(S.LowRow + dr, 1, 2147483647)),
                     static_cast<std::int32_t>(std::clamp<std::int64_t>(S.HighRow + dr, 0, 2147483647))};
      if (destSparse) {
        for (TSpMatElemInt& e : FSparse.MutableEntries())
          if (InRect(e, T)) e.value = 0;
      } else {
        const TRect1 D{T.LowCol, std::min(T.HighCol, FNCol), T.LowRow, std::min(T.HighRow, FNRow)};
        if (D.LowCol <= D.HighCol && D.LowRow <= D.HighRow)
          matrix_internal::ForEachCell(MutableView(), D, [](std::int32_t& x) { x = 0; });
      }
      for (const TSpMatElemInt& e : cells) put(e.colidx + dc, e.rowidx + dr, e.value);
    }
  });
  Changed();
}

std::int32_t TIntMatrix::DuplicateDataAsArray(TInt2DArray& Dest) const {
  if (FNCol < 1 || FNRow < 1) return -1;
  Dest.assign(static_cast<std::size_t>(FNCol), std::vector<std::int32_t>(static_cast<std::size_t>(FNRow), 0));
  if (FIsSparse) {
    for (const TSpMatElemInt& e : FSparse.Entries())
      Dest[static_cast<std::size_t>(e.colidx - 1)][static_cast<std::size_t>(e.rowidx - 1)] = e.value;
  } else {
    for (std::int32_t c = 1; c <= FNCol; ++c)
      std::copy_n(FData.data() + Offset(c, 1), FNRow, Dest[static_cast<std::size_t>(c - 1)].begin());
  }
  return 0;
}

// --- arithmetic --------------------------------------------------------------------------

bool TIntMatrix::Add(const TIntMatrix* MatB) {
  if (MatB == nullptr || FIsSparse || MatB->FNCol != FNCol || MatB->FNRow != FNRow) return false;
  for (std::int32_t c = 1; c <= FNCol; ++c)
    for (std::int32_t r = 1; r <= FNRow; ++r) {
      std::int32_t& x = FData[Offset(c, r)];
      x = Wrap(static_cast<std::uint32_t>(x) + static_cast<std::uint32_t>(MatB->GetVal(c, r)));
    }
  Changed();
  return true;
}

bool TIntMatrix::Subtract(const TIntMatrix* MatB) {
  if (MatB == nullptr || FIsSparse || MatB->FNCol != FNCol || MatB->FNRow != FNRow) return false;
  for (std::int32_t c = 1; c <= FNCol; ++c)
    for (std::int32_t r = 1; r <= FNRow; ++r) {
      std::int32_t& x = FData[Offset(c, r)];
      x = Wrap(static_cast<std::uint32_t>(x) - static_cast<std::uint32_t>(MatB->GetVal(c, r)));
    }
  Changed();
  return true;
}

void TIntMatrix::SMult(std::int32_t Scalar) {
  const auto s = static_cast<std::uint32_t>(Scalar);
  if (FIsSparse) {
    for (TSpMatElemInt& e : FSparse.MutableEntries()) e.value = Wrap(static_cast<std::uint32_t>(e.value) * s);
  } else {
    for (std::int32_t& x : FData) x = Wrap(static_cast<std::uint32_t>(x) * s);
  }
  Changed();
}

void TIntMatrix::SAdd(std::int32_t Scalar) {
  const auto s = static_cast<std::uint32_t>(Scalar);
  if (FIsSparse) {
    for (TSpMatElemInt& e : FSparse.MutableEntries()) e.value = Wrap(static_cast<std::uint32_t>(e.value) + s);
  } else {
    for (std::int32_t& x : FData) x = Wrap(static_cast<std::uint32_t>(x) + s);
  }
  Changed();
}

// --- searches and statistics -------------------------------------------------------------

void TIntMatrix::Find(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow, std::int32_t HighRow,
                      std::int32_t Value, std::int32_t& ColIx, std::int32_t& RowIx) const {
  const TRect1 R = matrix_internal::ValidRect(*this, LowCol, HighCol, LowRow, HighRow);
  if (!FIsSparse) {
    matrix_internal::FindNearest(ColumnView(), R, static_cast<double>(Value), ColIx, RowIx);
    return;
  }
  ColIx = RowIx = 0;
  double best = std::numeric_limits<double>::max();
  for (std::int32_t c = R.LowCol; c <= R.HighCol; ++c)
    for (std::int32_t r = R.LowRow; r <= R.HighRow; ++r)
      if (const double d = std::fabs(static_cast<double>(GetVal(c, r)) - Value); d < best) {
        best = d;
        ColIx = c;
        RowIx = r;
      }
}

std::int32_t TIntMatrix::Sum(std::int32_t LoC, std::int32_t LoR, std::int32_t HiC, std::int32_t HiR) const {
  std::uint32_t sum = 0;
  VisitStored(LoC, HiC, LoR, HiR, [&sum](std::int32_t x) { sum += static_cast<std::uint32_t>(x); });
  return Wrap(sum);
}

std::int32_t TIntMatrix::Trace() const {
  if (FNCol != FNRow) return 0;
  std::uint32_t sum = 0;
  if (FIsSparse) {
    for (const TSpMatElemInt& e : FSparse.Entries())
      if (e.colidx == e.rowidx) sum += static_cast<std::uint32_t>(e.value);
  } else {
    for (std::int32_t i = 1; i <= FNCol; ++i) sum += static_cast<std::uint32_t>(FData[Offset(i, i)]);
  }
  return Wrap(sum);
}

void TIntMatrix::MinMax(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                        std::int32_t& Minimum, std::int32_t& Maximum) const {
  Minimum = std::numeric_limits<std::int32_t>::max();
  Maximum = std::numeric_limits<std::int32_t>::min();
  auto see = [&](std::int32_t x) {
    Minimum = std::min(Minimum, x);
    Maximum = std::max(Maximum, x);
  };
  if (VisitStored(LowCol, HighCol, LowRow, HighRow, see) > 0) see(0);
}

void TIntMatrix::MeanVar(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                         double& Mean, double& Variance) const {
  containers_internal::WalkMeanVar(
      [&](auto&& f) { WalkRect(LowCol, HighCol, LowRow, HighRow, [&f](std::int32_t x) { f(static_cast<double>(x)); }); },
      Mean, Variance);
}

namespace {

/// StatRect: the validated rectangle in the statistics' argument order.
matrix_internal::TCellRect StatRect(const TIntMatrix& M, std::int32_t LowCol, std::int32_t LowRow,
                                    std::int32_t HighCol, std::int32_t HighRow) {
  const TRect1 R = matrix_internal::ValidRect(M, LowCol, HighCol, LowRow, HighRow);
  return {R.LowCol, R.LowRow, R.HighCol, R.HighRow};
}

}  // namespace

template <class F>
void TIntMatrix::WalkStat(const matrix_internal::TCellRect& R, F&& f) const {
  WalkRect(R.LoC, R.HiC, R.LoR, R.HiR, [&f](std::int32_t x) { f(static_cast<double>(x)); });
}

double TIntMatrix::GeometricMean(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                 std::int32_t HighRow) const {
  const auto R = StatRect(*this, LowCol, LowRow, HighCol, HighRow);
  return containers_internal::WalkGeometricMean([&](auto&& f) { WalkStat(R, f); }, [this] {
    RaiseComponent<EKVLMatrixError>(*this, "negative argument passed to GeometricMean");
  });
}

double TIntMatrix::HarmonicMean(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                std::int32_t HighRow) const {
  const auto R = StatRect(*this, LowCol, LowRow, HighCol, HighRow);
  return containers_internal::WalkHarmonicMean([&](auto&& f) { WalkStat(R, f); }, [this] {
    RaiseComponent<EKVLMatrixError>(*this, "negative or zero argument passed to HarmonicMean");
  });
}

void TIntMatrix::SkewKurt(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                          double& Skewness, double& Kurtosis) const {
  const auto R = StatRect(*this, LowCol, LowRow, HighCol, HighRow);
  containers_internal::WalkSkewKurt([&](auto&& f) { WalkStat(R, f); }, Skewness, Kurtosis);
}

void TIntMatrix::SkewKurtSample(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                std::int32_t HighRow, double& Skewness, double& Kurtosis) const {
  const auto R = StatRect(*this, LowCol, LowRow, HighCol, HighRow);
  double g1 = 0.0, g2 = 0.0;
  containers_internal::WalkSkewKurt([&](auto&& f) { WalkStat(R, f); }, g1, g2);
  containers_internal::SampleSkewKurt(static_cast<long double>(R.Count()), g1, g2, Skewness, Kurtosis);
}

std::vector<double> TIntMatrix::StatCells(const matrix_internal::TCellRect& R) const {
  return GuardAllocation<EKVLMatrixError>(*this, [&] {
    std::vector<double> s;
    s.reserve(static_cast<std::size_t>(std::max<std::int64_t>(R.Count(), 0)));
    WalkStat(R, [&s](double x) { s.push_back(x); });
    return s;
  });
}

bool TIntMatrix::Quartiles(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                           double& Q1, double& Q2, double& Q3) const {
  std::vector<double> s = StatCells(StatRect(*this, LowCol, LowRow, HighCol, HighRow));
  Q1 = Q2 = Q3 = 0.0;
  if (s.empty()) return false;  // a 0 x 0 sparse matrix has no cells
  containers_internal::QuartilesBySelection(s, Q1, Q2, Q3);
  return true;
}

double TIntMatrix::Percentile(double prob, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                              std::int32_t HighRow) const {
  if (std::isnan(prob)) return std::numeric_limits<double>::quiet_NaN();
  std::vector<double> s = StatCells(StatRect(*this, LowCol, LowRow, HighCol, HighRow));
  if (s.empty()) return 0.0;
  return matrix_internal::NearestRank(s, std::clamp(prob, 0.0, 100.0) / 100.0L);
}

double TIntMatrix::Percentile(double prob, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                              std::int32_t HighRow, std::int32_t SampleSize) const {
  const auto R = StatRect(*this, LowCol, LowRow, HighCol, HighRow);
  if (SampleSize <= 0 || SampleSize >= R.Count()) return Percentile(prob, R.LoC, R.LoR, R.HiC, R.HiR);
  if (std::isnan(prob)) return std::numeric_limits<double>::quiet_NaN();
  std::vector<double> s = matrix_internal::WorkCells(*this, static_cast<std::size_t>(SampleSize));
  return matrix_internal::SampledPercentile(s, R, std::clamp(prob, 0.0, 100.0) / 100.0L,
                                            [this](std::int32_t c, std::int32_t r) { return GetVal(c, r); });
}

std::int32_t TIntMatrix::CountValues(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                                     std::int32_t HighRow, std::int32_t RangeLow, std::int32_t RangeHigh) const {
  auto hit = [&](std::int32_t x) { return x >= RangeLow && x <= RangeHigh; };
  std::int64_t count = 0;
  const std::int64_t absent = VisitStored(LowCol, HighCol, LowRow, HighRow, [&](std::int32_t x) { count += hit(x); });
  if (hit(0)) count += absent;
  return static_cast<std::int32_t>(std::min<std::int64_t>(count, 2147483647));
}

std::int32_t TIntMatrix::CountMaskedZeros(std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                                          std::int32_t HighRow, std::uint32_t Bitmask) const {
  std::int64_t count = 0;
  const std::int64_t absent = VisitStored(LowCol, HighCol, LowRow, HighRow, [&](std::int32_t x) {
    count += (static_cast<std::uint32_t>(x) & Bitmask) == 0;
  });
  count += absent;  // an absent cell is 0, and 0 AND mask is 0
  return static_cast<std::int32_t>(std::min<std::int64_t>(count, 2147483647));
}

std::string TIntMatrix::CRCofData() const {
  if (!FIsSparse) return containers_internal::ByteLaneCRC(Data());
  // The dense image, column by column, as a dense matrix of the same cells.
  std::vector<std::int32_t> cells;
  GuardAllocation<EKVLMatrixError>(*this, [&] {
    cells.assign(static_cast<std::size_t>(FNCol) * static_cast<std::size_t>(FNRow), 0);
  });
  for (const TSpMatElemInt& e : FSparse.Entries()) cells[Offset(e.colidx, e.rowidx)] = e.value;
  return containers_internal::ByteLaneCRC(std::span<const std::int32_t>(cells));
}

}  // namespace kvl
