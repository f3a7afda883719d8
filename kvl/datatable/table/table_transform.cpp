// TDataTable: standardising and mean-centring columns and rows, and the
// covariance-type matrices of a column block.

#include <cmath>
#include <vector>

#include "kvl/containers/KVL_vector.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/selection_internal.h"
#include "kvl/datatable/table/internal/table_internal.h"

namespace kvl {

using namespace datatable_internal;

namespace {

// Receive: stores the figure of line Index in V (grown to Count first).
void Receive(TVector* V, std::int32_t Count, std::int32_t Index, double Value) {
  if (V == nullptr) return;
  if (V->NrOfElem() < Count) V->Resize(Count);
  V->SetVal(Index, Value);
}

}  // namespace

void TDataTable::StandardizeNumCellColumns(TVector* Means, TVector* StdDevs) {
  bool changed = false;
  {
    TMatrixMute mute(*this);
    const TColumns<double> cells = Cells();
    for (std::int32_t c = 1; c <= FNrOfCols; ++c) {
      if (!IsMetric(FVType[static_cast<std::size_t>(c - 1)].MScaleType)) continue;
      double mean = 0.0;
      double var = 0.0;
      MeanVarOfNumCells(c, 0, c, 0, mean, var);
      const double sd = std::sqrt(var);
      if (var > 0.0) {
        for (std::int32_t r = 1; r <= FNrOfRows; ++r)
          if ((FCState[StOff(c, r)] & 3) == 0) cells.At(c, r) = (cells.At(c, r) - mean) / sd;
        changed = true;
      }
      Receive(Means, FNrOfCols, c, mean);
      Receive(StdDevs, FNrOfCols, c, sd);
    }
  }
  if (changed) Fire(OnChange);
}

void TDataTable::MeanCenterNumCellColumns(TVector* Means) {
  {
    TMatrixMute mute(*this);
    const TColumns<double> cells = Cells();
    for (std::int32_t c = 1; c <= FNrOfCols; ++c) {
      if (!IsMetric(FVType[static_cast<std::size_t>(c - 1)].MScaleType)) continue;
      double mean = 0.0;
      double var = 0.0;
      MeanVarOfNumCells(c, 0, c, 0, mean, var);
      for (std::int32_t r = 1; r <= FNrOfRows; ++r)
        if ((FCState[StOff(c, r)] & 3) == 0) cells.At(c, r) -= mean;
      Receive(Means, FNrOfCols, c, mean);
    }
  }
  Fire(OnChange);
}

void TDataTable::StandardizeNumCellRows(TVector* Means, TVector* StdDevs) {
  for (const TVTypeSpec& t : FVType)
    if (IsCategorial(t.MScaleType))
      Raise<EKVLDataTableError>("standardization of rows is not possible with nominal or ordinal variables");
  {
    TMatrixMute mute(*this);
    const TColumns<double> cells = Cells();
    for (std::int32_t r = 1; r <= FNrOfRows; ++r) {
      double mean = 0.0;
      double var = 0.0;
      MeanVarOfNumCells(0, r, 0, r, mean, var);
      const double sd = std::sqrt(var);
      if (var > 0.0)
        for (std::int32_t c = 1; c <= FNrOfCols; ++c)
          if ((FCState[StOff(c, r)] & 3) == 0) cells.At(c, r) = (cells.At(c, r) - mean) / sd;
      Receive(Means, FNrOfRows, r, mean);
      Receive(StdDevs, FNrOfRows, r, sd);
    }
  }
  Fire(OnChange);
}

void TDataTable::MeanCenterNumCellRows(TVector* Means) {
  for (const TVTypeSpec& t : FVType)
    if (IsCategorial(t.MScaleType))
      Raise<EKVLDataTableError>("mean centering of rows is not possible with nominal or ordinal variables");
  {
    TMatrixMute mute(*this);
    const TColumns<double> cells = Cells();
    for (std::int32_t r = 1; r <= FNrOfRows; ++r) {
      double mean = 0.0;
      double var = 0.0;
      MeanVarOfNumCells(0, r, 0, r, mean, var);
      for (std::int32_t c = 1; c <= FNrOfCols; ++c)
        if ((FCState[StOff(c, r)] & 3) == 0) cells.At(c, r) -= mean;
      Receive(Means, FNrOfRows, r, mean);
    }
  }
  Fire(OnChange);
}

bool TDataTable::CalcCovar(TMatrix* CovarMat, std::int32_t LoC, std::int32_t HiC, std::int32_t LoR,
                           std::int32_t HiR, std::int32_t Mode) {
  if (CovarMat == nullptr || Mode < 0 || Mode > 4) return false;
  MakeValidColRange(LoC, HiC);
  MakeValidRowRange(LoR, HiR);
  if (LoC < 1 || LoR < 1) return false;
  const std::int32_t n = HiC - LoC + 1;
  if (CovarMat->NrOfColumns() < n || CovarMat->NrOfRows() < n) return false;
  AbortMathProc = false;
  std::vector<double> means(static_cast<std::size_t>(n), 0.0);
  if (Mode > 0)
    for (std::int32_t i = 0; i < n; ++i) {
      double var = 0.0;
      MeanVarOfNumCells(LoC + i, LoR, LoC + i, HiR, means[static_cast<std::size_t>(i)], var);
      ReportMathProgress();
    }
  const TColumns<double> cells = Cells();
  const auto rows = static_cast<std::size_t>(HiR - LoR + 1);
  for (std::int32_t i = 1; i <= n && !AbortMathProc; ++i) {
    ReportMathProgress();
    const double* xv = &cells.At(LoC + i - 1, LoR);
    const std::uint8_t* xs = &FCState[StOff(LoC + i - 1, LoR)];
    const double mx = means[static_cast<std::size_t>(i - 1)];
    for (std::int32_t j = 1; j <= i; ++j) {
      const double* yv = &cells.At(LoC + j - 1, LoR);
      const std::uint8_t* ys = &FCState[StOff(LoC + j - 1, LoR)];
      const double my = means[static_cast<std::size_t>(j - 1)];
      std::int32_t m = 0;
      long double sxy = 0.0L, sx = 0.0L, sy = 0.0L, sxx = 0.0L, syy = 0.0L, scross = 0.0L, sdiff = 0.0L;
      for (std::size_t k = 0; k < rows; ++k) {
        if (((xs[k] | ys[k]) & 3) != 0) continue;
        const long double x = xv[k];
        const long double y = yv[k];
        ++m;
        sxy += x * y;
        sx += x;
        sy += y;
        sxx += x * x;
        syy += y * y;
        scross += (x - mx) * (y - my);
        sdiff += (x - y) * (x - y);
      }
      double e = 0.0;
      switch (Mode) {
        case 0:
          e = m >= 2 ? static_cast<double>(sxy / (m - 1)) : 0.0;
          break;
        case 1:
          e = m >= 2 ? static_cast<double>(scross / (m - 1)) : 0.0;
          break;
        case 2:
        case 3: {
          const long double cx = sxx - sx * sx / m;
          const long double cy = syy - sy * sy / m;
          if (m >= 3 && sxx > 0 && syy > 0 && cx != 0 && cy != 0)
            e = static_cast<double>((sxy - sx * sy / m) / std::sqrt(std::fabs(cx * cy)));
          if (Mode == 3) e *= e;
          if (i == j) e = 1.0;
          break;
        }
        default:
          e = m >= 2 ? static_cast<double>(sdiff / (m - 1)) : 0.0;
      }
      CovarMat->SetVal(j, i, e);
      CovarMat->SetVal(i, j, e);
    }
  }
  return !AbortMathProc;
}

}  // namespace kvl
