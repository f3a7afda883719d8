// TDataTable: search by comparison, removal of marked columns and rows,
// sorts by names and attributes, constancy and dichotomy tests, and the
// tabulation of nominal codes.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "kvl/base/KVL_stringl.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/table_internal.h"

namespace kvl {

using namespace datatable_internal;

namespace {

std::size_t Ix(std::int32_t Number) noexcept { return static_cast<std::size_t>(Number - 1); }

constexpr std::int32_t kMaxFoundCells = 10000;

bool Matches(double x, double Limit, double Limit2, TCompareMode Op) noexcept {
  switch (Op) {
    case TCompareMode::cmLT: return x < Limit;
    case TCompareMode::cmGT: return x > Limit;
    case TCompareMode::cmLE: return x <= Limit;
    case TCompareMode::cmGE: return x >= Limit;
    case TCompareMode::cmEQ: return x == Limit;
    case TCompareMode::cmNE: return x != Limit;
    case TCompareMode::cmInRange: return Limit <= x && x <= Limit2;
    case TCompareMode::cmOutOfRange: return x < Limit || x > Limit2;
  }
  return false;
}

// CodeOf: a nominal code: the value rounded (halves to even); -1 when it
// lies outside 0..150 (NaN included).
std::int32_t CodeOf(double v) noexcept {
  const double a = RoundEven(v);
  return (a >= 0.0 && a <= 150.0) ? static_cast<std::int32_t>(a) : -1;
}

}  // namespace

// --- search ----------------------------------------------------------------------------------

std::int32_t TDataTable::FindCells(double Limit, double Limit2, TCompareMode CompareOp, std::int32_t LowCol,
                                   std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                                   TInt2DArray& CellList) const {
  CellList.assign(2, std::vector<std::int32_t>(kMaxFoundCells, 0));
  std::int32_t found = 0;
  std::int32_t result = 0;
  if (static_cast<int>(CompareOp) < 0 || static_cast<int>(CompareOp) > static_cast<int>(TCompareMode::cmOutOfRange)) {
    result = -1;
  } else {
    MakeValidColRange(LowCol, HighCol);
    MakeValidRowRange(LowRow, HighRow);
    const TColumns<double> cells = Cells();
    for (std::int32_t c = std::max(LowCol, 1); c <= HighCol && result == 0; ++c)
      for (std::int32_t r = std::max(LowRow, 1); r <= HighRow; ++r) {
        if (!Matches(cells.At(c, r), Limit, Limit2, CompareOp)) continue;
        if (found == kMaxFoundCells) {
          result = -2;
          break;
        }
        CellList[0][static_cast<std::size_t>(found)] = c;
        CellList[1][static_cast<std::size_t>(found)] = r;
        ++found;
      }
  }
  CellList[0].resize(static_cast<std::size_t>(found));
  CellList[1].resize(static_cast<std::size_t>(found));
  return result == 0 ? found : result;
}

// --- removal of marked lines -------------------------------------------------------------------

std::int32_t TDataTable::RemoveSelected(bool Columns, std::int32_t First, std::int32_t Last, std::uint8_t CSMask,
                                        bool Marked) {
  const std::int32_t count = Columns ? FNrOfCols : FNrOfRows;
  if (First == 0 && Last == 0) {
    First = 1;
    Last = count;
  } else if (First < 1 || First > count || Last < 1 || Last > count) {
    return -1;
  }
  if (First > Last) std::swap(First, Last);
  std::vector<std::int32_t> keep;  // the lines that stay, in their order
  keep.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 1; i <= count; ++i) {
    const bool inRange = i >= First && i <= Last;
    const bool has = Columns ? IfColHasCellState(i, CSMask) : IfRowHasCellState(i, CSMask);
    if (!inRange || has != Marked) keep.push_back(i);
  }
  const auto kept = static_cast<std::int32_t>(keep.size());
  const TColumns<double> cells = Cells();
  const TColumns<std::uint8_t> states = States();
  if (Columns) {
    for (std::int32_t d = 1; d <= kept; ++d) {
      const std::int32_t s = keep[Ix(d)];
      if (s == d) continue;
      std::ranges::copy(cells.Column(Ix(s)), cells.Column(Ix(d)).begin());
      std::ranges::copy(states.Column(Ix(s)), states.Column(Ix(d)).begin());
      FColName[Ix(d)] = std::move(FColName[Ix(s)]);
      FColAtt[Ix(d)] = FColAtt[Ix(s)];
      FVType[Ix(d)] = std::move(FVType[Ix(s)]);
    }
    for (std::int32_t d = kept + 1; d <= count; ++d) {
      std::ranges::fill(cells.Column(Ix(d)), 0.0);
      std::ranges::fill(states.Column(Ix(d)), std::uint8_t{0});
    }
    Resize(kept, FNrOfRows);
  } else {
    for (std::size_t c = 0; c < cells.Cols; ++c) {
      std::span<double> v = cells.Column(c);
      std::span<std::uint8_t> st = states.Column(c);
      for (std::int32_t d = 1; d <= kept; ++d) {
        v[Ix(d)] = v[Ix(keep[Ix(d)])];
        st[Ix(d)] = st[Ix(keep[Ix(d)])];
      }
      std::fill(v.begin() + kept, v.end(), 0.0);
      std::fill(st.begin() + kept, st.end(), std::uint8_t{0});
    }
    for (std::int32_t d = 1; d <= kept; ++d) {
      const std::int32_t s = keep[Ix(d)];
      if (s == d) continue;
      FRowName[Ix(d)] = std::move(FRowName[Ix(s)]);
      FRowAtt[Ix(d)] = FRowAtt[Ix(s)];
    }
    Resize(FNrOfCols, kept);
  }
  Fire(OnChangeSetup);
  return 0;
}

std::int32_t TDataTable::RemoveMarkedColumns(std::int32_t FirstCol, std::int32_t LastCol, std::uint8_t CSMask) {
  return RemoveSelected(true, FirstCol, LastCol, CSMask, true);
}
std::int32_t TDataTable::RemoveUnmarkedColumns(std::int32_t FirstCol, std::int32_t LastCol, std::uint8_t CSMask) {
  return RemoveSelected(true, FirstCol, LastCol, CSMask, false);
}
std::int32_t TDataTable::RemoveMarkedRows(std::int32_t FirstRow, std::int32_t LastRow, std::uint8_t CSMask) {
  return RemoveSelected(false, FirstRow, LastRow, CSMask, true);
}
std::int32_t TDataTable::RemoveUnmarkedRows(std::int32_t FirstRow, std::int32_t LastRow, std::uint8_t CSMask) {
  return RemoveSelected(false, FirstRow, LastRow, CSMask, false);
}

// --- sorts by headers ------------------------------------------------------------------------

template <class Less>
void TDataTable::CombSortHeaders(bool Columns, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                 std::int32_t HighRow, Less&& OutOfOrder) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  const std::int32_t lo = Columns ? LowCol : LowRow;
  const std::int32_t hi = Columns ? HighCol : HighRow;
  if (lo < 1 || hi <= lo) return;
  const TColumns<double> cells = Cells();
  const TColumns<std::uint8_t> states = States();
  auto exchange = [&](std::int32_t a, std::int32_t b) {
    if (Columns) {
      std::swap(FColName[Ix(a)], FColName[Ix(b)]);
      std::swap(FColAtt[Ix(a)], FColAtt[Ix(b)]);
      std::swap(FVType[Ix(a)], FVType[Ix(b)]);
      for (std::int32_t r = std::max(LowRow, 1); r <= HighRow; ++r) {
        std::swap(cells.At(a, r), cells.At(b, r));
        std::swap(states.At(a, r), states.At(b, r));
      }
    } else {
      std::swap(FRowName[Ix(a)], FRowName[Ix(b)]);
      std::swap(FRowAtt[Ix(a)], FRowAtt[Ix(b)]);
      for (std::int32_t c = std::max(LowCol, 1); c <= HighCol; ++c) {
        std::swap(cells.At(c, a), cells.At(c, b));
        std::swap(states.At(c, a), states.At(c, b));
      }
    }
    if (OnSortExchange)
      OnSortExchange(this, Columns ? 1 : 2, a, b, Columns ? LowRow : LowCol, Columns ? HighRow : HighCol);
  };
  std::int32_t gap = hi - lo;
  bool exchanged = true;
  while (gap > 1 || exchanged) {
    gap = std::max(1, static_cast<std::int32_t>(gap / 1.3));
    exchanged = false;
    for (std::int32_t i = lo; i + gap <= hi; ++i)
      if (OutOfOrder(i, i + gap)) {
        exchange(i, i + gap);
        exchanged = true;
      }
  }
}

namespace {
// NameKey: the name as compared: lower-cased (ASCII) when IgnoreCase.
std::string NameKey(const std::string& Name, bool IgnoreCase) {
  std::string key = Name;
  if (IgnoreCase) std::ranges::transform(key, key.begin(), FoldASCII);
  return key;
}
}  // namespace

void TDataTable::SortRowNames(bool Ascending, bool IgnoreCase, std::int32_t LowCol, std::int32_t LowRow,
                              std::int32_t HighCol, std::int32_t HighRow) {
  CombSortHeaders(false, LowCol, LowRow, HighCol, HighRow, [&](std::int32_t a, std::int32_t b) {
    const std::string ka = NameKey(FRowName[Ix(a)], IgnoreCase), kb = NameKey(FRowName[Ix(b)], IgnoreCase);
    return Ascending ? ka > kb : ka < kb;
  });
  Fire(OnChange);
  Fire(OnChangeNames);
}

void TDataTable::SortColNames(bool Ascending, bool IgnoreCase, std::int32_t LowCol, std::int32_t LowRow,
                              std::int32_t HighCol, std::int32_t HighRow) {
  CombSortHeaders(true, LowCol, LowRow, HighCol, HighRow, [&](std::int32_t a, std::int32_t b) {
    const std::string ka = NameKey(FColName[Ix(a)], IgnoreCase), kb = NameKey(FColName[Ix(b)], IgnoreCase);
    return Ascending ? ka > kb : ka < kb;
  });
  Fire(OnChange);
  Fire(OnChangeNames);
}

void TDataTable::SortRowAttributes(bool Ascending, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                   std::int32_t HighRow) {
  CombSortHeaders(false, LowCol, LowRow, HighCol, HighRow, [&](std::int32_t a, std::int32_t b) {
    return Ascending ? FRowAtt[Ix(a)] > FRowAtt[Ix(b)] : FRowAtt[Ix(a)] < FRowAtt[Ix(b)];
  });
  Fire(OnChange);
  Fire(OnChangeAttrib);
}

void TDataTable::SortColAttributes(bool Ascending, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                   std::int32_t HighRow) {
  CombSortHeaders(true, LowCol, LowRow, HighCol, HighRow, [&](std::int32_t a, std::int32_t b) {
    return Ascending ? FColAtt[Ix(a)] > FColAtt[Ix(b)] : FColAtt[Ix(a)] < FColAtt[Ix(b)];
  });
  Fire(OnChange);
  Fire(OnChangeAttrib);
}

// --- constancy and dichotomy -----------------------------------------------------------------

bool TDataTable::IsConstantColumn(std::int32_t ColIx, double& ConstVal) const {
  if (!ValidCol(ColIx) || FNrOfRows < 1) return false;
  const std::span<double> col = Cells().Column(Ix(ColIx));
  ConstVal = col[0];
  return std::ranges::all_of(col, [&](double x) { return x == ConstVal; });
}
bool TDataTable::IsConstantColumn(std::int32_t ColIx) const {
  double v = 0.0;
  return IsConstantColumn(ColIx, v);
}

bool TDataTable::IsConstantRow(std::int32_t RowIx, double& ConstVal) const {
  if (!ValidRow(RowIx) || FNrOfCols < 1) return false;
  const TColumns<double> cells = Cells();
  ConstVal = cells.At(1, RowIx);
  for (std::int32_t c = 2; c <= FNrOfCols; ++c)
    if (cells.At(c, RowIx) != ConstVal) return false;
  return true;
}
bool TDataTable::IsConstantRow(std::int32_t RowIx) const {
  double v = 0.0;
  return IsConstantRow(RowIx, v);
}

bool TDataTable::CheckDichotomousColumn(std::int32_t col, double& v1, double& v2) const {
  v1 = v2 = 0.0;
  if (!ValidCol(col) || FNrOfRows < 2) return false;
  const std::span<double> values = Cells().Column(Ix(col));
  v1 = values[0];
  bool second = false;
  for (const double x : values) {
    if (x == v1 || (second && x == v2)) continue;
    if (second) return false;
    v2 = x;
    second = true;
  }
  if (!second) v2 = v1;  // a constant column: both values are the constant
  if (v2 < v1) std::swap(v1, v2);
  return true;
}
bool TDataTable::IsDichotomousColumn(std::int32_t ColIx) const {
  double v1 = 0.0, v2 = 0.0;
  return CheckDichotomousColumn(ColIx, v1, v2);
}

// --- nominal codes ---------------------------------------------------------------------------

std::int32_t TDataTable::CreateContingencyTable(std::int32_t Col1, std::int32_t Col2, std::int32_t LowRow,
                                                std::int32_t HighRow, TInt2DArray& ContTab) const {
  if (!ValidCol(Col1) || !ValidCol(Col2)) return -1;
  if (!IsCategorial(FVType[Ix(Col1)].MScaleType) || !IsCategorial(FVType[Ix(Col2)].MScaleType)) return -2;
  MakeValidRowRange(LowRow, HighRow);
  constexpr std::size_t kSide = NrOfNominalSlots + 1;
  ContTab.assign(kSide, std::vector<std::int32_t>(kSide, 0));
  const TColumns<double> cells = Cells();
  bool outOfRange = false;
  std::int32_t maxA = 0, maxB = 0;
  for (std::int32_t r = std::max(LowRow, 1); r <= HighRow; ++r) {
    const std::int32_t a = CodeOf(cells.At(Col1, r));
    const std::int32_t b = CodeOf(cells.At(Col2, r));
    // Code k sits at index k - 1, so code 0 has no place: such a row is
    // left out and reported like a code outside 0..150.
    if (a < 1 || b < 1) {
      outOfRange = true;
      continue;
    }
    if (!IsNumber(Col1, r) || !IsNumber(Col2, r)) continue;
    ++ContTab[Ix(a)][Ix(b)];
    maxA = std::max(maxA, a);
    maxB = std::max(maxB, b);
  }
  ContTab.resize(static_cast<std::size_t>(maxA + 1));
  for (auto& col : ContTab) col.resize(static_cast<std::size_t>(maxB + 1));
  for (std::int32_t a = 0; a < maxA; ++a)
    for (std::int32_t b = 0; b < maxB; ++b) {
      const std::int32_t n = ContTab[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)];
      ContTab[static_cast<std::size_t>(a)][static_cast<std::size_t>(maxB)] += n;
      ContTab[static_cast<std::size_t>(maxA)][static_cast<std::size_t>(b)] += n;
      ContTab[static_cast<std::size_t>(maxA)][static_cast<std::size_t>(maxB)] += n;
    }
  return outOfRange ? -3 : 0;
}

std::int32_t TDataTable::ScanForCatValues(std::int32_t ACol, std::int32_t LowRow, std::int32_t HighRow,
                                          TIntArray& OrdList) const {
  if (!ValidCol(ACol)) return -1;
  if (!IsCategorial(FVType[Ix(ACol)].MScaleType)) return -2;
  MakeValidRowRange(LowRow, HighRow);
  OrdList.assign(NrOfNominalSlots, 0);
  std::int32_t outside = 0;
  const TColumns<double> cells = Cells();
  for (std::int32_t r = std::max(LowRow, 1); r <= HighRow; ++r) {
    const std::int32_t k = CodeOf(cells.At(ACol, r));
    if (k < 0)
      ++outside;
    else
      ++OrdList[static_cast<std::size_t>(k)];
  }
  return outside;
}

}  // namespace kvl
