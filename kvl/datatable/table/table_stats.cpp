// TDataTable: statistics over selected cells (num, marked, valid, empty and
// imputed cells), in one pass over the column-major cells and states.

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "kvl/base/KVL_univconst.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/selection_internal.h"
#include "kvl/datatable/table/internal/table_internal.h"
#include "kvl/runtime/extended.h"

namespace kvl {

using namespace datatable_internal;

namespace {

// TSums: n, sum and sum of squares carried in extended precision.
struct TSums {
  std::int32_t n = 0;
  long double s = 0.0L;
  long double s2 = 0.0L;
  void Add(double x) noexcept {
    ++n;
    const long double e = x;
    s += e;
    s2 += e * e;
  }
};

// Quartile: the value at position h = (n + 1) q of the sorted a[1..n].
double Quartile(const std::vector<double>& a, double q) {
  const std::size_t n = a.size();
  const double h = static_cast<double>(n + 1) * q;
  const auto k = static_cast<std::size_t>(std::trunc(h));
  const double f = h - std::trunc(h);
  if (k == 0) return a.front();
  if (k >= n) return a.back();
  return a[k - 1] + (a[k] - a[k - 1]) * f;
}

bool Quartiles(std::vector<double> a, double& Q1, double& Q2, double& Q3, std::int32_t& NumData) {
  NumData = static_cast<std::int32_t>(a.size());
  if (a.empty()) {
    Q1 = Q2 = Q3 = 0.0;
    return false;
  }
  std::sort(a.begin(), a.end());
  Q1 = Quartile(a, 0.25);
  Q2 = Quartile(a, 0.5);
  Q3 = Quartile(a, 0.75);
  return true;
}

double Percentile(std::vector<double> a, double prob, std::int32_t& NumData) {
  NumData = static_cast<std::int32_t>(a.size());
  if (a.empty()) return 0.0;
  std::sort(a.begin(), a.end());
  const std::size_t n = a.size();
  if (!(prob > 0.0)) prob = 0.0;  // NaN counts as 0
  prob = std::min(prob, 100.0);
  if (n == 1) return a[0];
  if (prob >= 100.0) return a[n - 1];
  const double h = static_cast<double>(n - 1) * prob / 100.0;
  const auto k = static_cast<std::size_t>(std::trunc(h));
  const double f = h - std::trunc(h);
  return a[k] + (a[k + 1] - a[k]) * f;
}

void MeanVar(const TSums& t, double& Mean, double& Variance) {
  Mean = t.n > 0 ? static_cast<double>(t.s / t.n) : 0.0;
  Variance = 1.0;
  if (t.n >= 3) {
    const long double v = (t.s2 - t.s * t.s / t.n) / (t.n - 1);
    Variance = v < 0 ? 0.0 : static_cast<double>(v);
  }
}

}  // namespace

std::int32_t TDataTable::CountNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                       std::int32_t HighRow) const {
  std::int32_t n = 0;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TNumCells{}, [&](double) { ++n; });
  return n;
}

std::int32_t TDataTable::CountValidCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                         std::int32_t HighRow) const {
  std::int32_t n = 0;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TValidCells{}, [&](double) { ++n; });
  return n;
}

std::int32_t TDataTable::CountEmptyCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                         std::int32_t HighRow) const {
  std::int32_t n = 0;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TBitCells{2}, [&](double) { ++n; });
  return n;
}

std::int32_t TDataTable::CountImputedCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                           std::int32_t HighRow) const {
  std::int32_t n = 0;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TBitCells{32}, [&](double) { ++n; });
  return n;
}

double TDataTable::SumOfNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                 std::int32_t HighRow, std::int32_t& NumData) const {
  TSums t;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TNumCells{}, [&](double x) { t.Add(x); });
  NumData = t.n;
  return static_cast<double>(t.s);
}

double TDataTable::SumOfSquaredNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                        std::int32_t HighRow, std::int32_t& NumData) const {
  TSums t;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TNumCells{}, [&](double x) { t.Add(x); });
  NumData = t.n;
  return static_cast<double>(t.s2);
}

double TDataTable::SumOfMarkedCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                    std::int32_t HighRow, std::uint8_t CellState, std::int32_t& NumData) const {
  TSums t;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TMarkedCells{CellState}, [&](double x) { t.Add(x); });
  NumData = t.n;
  return static_cast<double>(t.s);
}

double TDataTable::SumOfSquaredMarkedCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                           std::int32_t HighRow, std::uint8_t CellState,
                                           std::int32_t& NumData) const {
  TSums t;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TMarkedCells{CellState}, [&](double x) { t.Add(x); });
  NumData = t.n;
  return static_cast<double>(t.s2);
}

namespace {
template <class F>
std::int32_t MinMax(F&& walk, double& Minimum, double& Maximum) {
  Minimum = uc_MaxReal;
  Maximum = -uc_MaxReal;
  std::int32_t n = 0;
  walk([&](double x) {
    ++n;
    Minimum = std::min(Minimum, x);
    Maximum = std::max(Maximum, x);
  });
  return n;
}
}  // namespace

std::int32_t TDataTable::MinMaxOfNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                          std::int32_t HighRow, double& Minimum, double& Maximum) const {
  return MinMax([&](auto op) { ForSelected(LowCol, LowRow, HighCol, HighRow, TNumCells{}, op); }, Minimum,
                Maximum);
}

std::int32_t TDataTable::MinMaxOfValidCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                            std::int32_t HighRow, double& Minimum, double& Maximum) const {
  return MinMax([&](auto op) { ForSelected(LowCol, LowRow, HighCol, HighRow, TValidCells{}, op); }, Minimum,
                Maximum);
}

std::int32_t TDataTable::MinMaxOfMarkedCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                             std::int32_t HighRow, std::uint8_t CellState, double& Minimum,
                                             double& Maximum) const {
  return MinMax([&](auto op) { ForSelected(LowCol, LowRow, HighCol, HighRow, TMarkedCells{CellState}, op); },
                Minimum, Maximum);
}

std::int32_t TDataTable::MeanVarOfNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                           std::int32_t HighRow, double& Mean, double& Variance) const {
  TSums t;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TNumCells{}, [&](double x) { t.Add(x); });
  MeanVar(t, Mean, Variance);
  return t.n;
}

std::int32_t TDataTable::MeanVarOfMarkedCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                              std::int32_t HighRow, std::uint8_t CellState, double& Mean,
                                              double& Variance) const {
  TSums t;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TMarkedCells{CellState}, [&](double x) { t.Add(x); });
  MeanVar(t, Mean, Variance);
  return t.n;
}

double TDataTable::GeometricMeanOfNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                           std::int32_t HighRow, std::int32_t& NumData) const {
  std::int32_t n = 0;
  bool zero = false;
  bool negative = false;
  long double sumLn = 0.0L;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TNumCells{}, [&](double x) {
    if (x < 0.0)
      negative = true;
    else if (x == 0.0)
      zero = true;
    else {
      ++n;
      sumLn += std::log(static_cast<long double>(x));
    }
  });
  if (negative) RaiseComponent<EKVLMatrixError>(*this, "negative argument passed to GeometricMean");
  NumData = n;
  if (zero || n == 0) return 0.0;
  return static_cast<double>(std::exp(sumLn / n));
}

double TDataTable::HarmonicMeanOfNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                          std::int32_t HighRow, std::int32_t& NumData) const {
  std::int32_t n = 0;
  bool bad = false;
  long double sumInv = 0.0L;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TNumCells{}, [&](double x) {
    if (!(x > 0.0)) bad = true;
    else {
      ++n;
      sumInv += 1.0L / x;
    }
  });
  if (bad) RaiseComponent<EKVLMatrixError>(*this, "negative or zero argument passed to HarmonicMean");
  NumData = n;
  return n == 0 ? 0.0 : static_cast<double>(n / sumInv);
}

bool TDataTable::QuartilesOfNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                     std::int32_t HighRow, double& Q1, double& Q2, double& Q3,
                                     std::int32_t& NumData) const {
  std::vector<double> a;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TNumCells{}, [&](double x) { a.push_back(x); });
  return Quartiles(std::move(a), Q1, Q2, Q3, NumData);
}

bool TDataTable::QuartilesOfMarkedCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                        std::int32_t HighRow, double& Q1, double& Q2, double& Q3,
                                        std::uint8_t CellState, std::int32_t& NumData) const {
  std::vector<double> a;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TMarkedCells{CellState}, [&](double x) { a.push_back(x); });
  return Quartiles(std::move(a), Q1, Q2, Q3, NumData);
}

double TDataTable::PercentileOfNumCells(double prob, std::int32_t LowCol, std::int32_t LowRow,
                                        std::int32_t HighCol, std::int32_t HighRow, std::int32_t& NumData) const {
  std::vector<double> a;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TNumCells{}, [&](double x) { a.push_back(x); });
  return Percentile(std::move(a), prob, NumData);
}

double TDataTable::PercentileOfMarkedCells(double prob, std::int32_t LowCol, std::int32_t LowRow,
                                           std::int32_t HighCol, std::int32_t HighRow, std::uint8_t CellState,
                                           std::int32_t& NumData) const {
  std::vector<double> a;
  ForSelected(LowCol, LowRow, HighCol, HighRow, TMarkedCells{CellState}, [&](double x) { a.push_back(x); });
  return Percentile(std::move(a), prob, NumData);
}

std::int32_t TDataTable::CopyCellsToVector(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                           std::int32_t HighRow, std::uint8_t CellState, TVector* DestVect) const {
  if (DestVect == nullptr) return -1;
  std::vector<double> a;
  if (CellState == 255)
    ForSelected(LowCol, LowRow, HighCol, HighRow, TValidCells{}, [&](double x) { a.push_back(x); });
  else
    ForSelected(LowCol, LowRow, HighCol, HighRow, TValidMaskCells{CellState}, [&](double x) { a.push_back(x); });
  // A vector holds at least one element: with no cell it is left 1 long, 0, IsEmpty.
  DestVect->Resize(std::max<std::int32_t>(1, static_cast<std::int32_t>(a.size())));
  if (a.empty()) {
    DestVect->SetVal(1, 0.0);
    DestVect->SetIsEmpty(true);
  }
  for (std::size_t i = 0; i < a.size(); ++i) DestVect->SetVal(static_cast<std::int32_t>(i + 1), a[i]);
  return static_cast<std::int32_t>(a.size());
}

std::int32_t TDataTable::FillMarkedCells(double Value, std::uint8_t StateMask) {
  std::int32_t n = 0;
  const TColumns<double> cells = Cells();
  for (std::int32_t c = 1; c <= FNrOfCols; ++c)
    for (std::int32_t r = 1; r <= FNrOfRows; ++r)
      if ((FCState[StOff(c, r)] & StateMask) != 0) {
        cells.At(c, r) = Value;
        ++n;
      }
  if (n > 0) Fire(OnChange);
  return n;
}

}  // namespace kvl
