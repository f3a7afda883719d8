// TMatrix statistics over a rectangle of cells, and the correlation of two
// matrices. Rectangles are (LowCol, LowRow, HighCol, HighRow), validated by
// MakeValidColRange / MakeValidRowRange; the rules are those of the vector
// statistics applied to the cells in column-major order.

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

#include "kvl/base/KVL_univconst.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/matrix/internal/cellstats.h"
#include "kvl/containers/matrix/internal/matrix_internal.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/runtime/randgen.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

using matrix_internal::NearestRank;
using matrix_internal::RectWalk;
using matrix_internal::TCellRect;

namespace {

// The validated rectangle of (LowCol, LowRow, HighCol, HighRow).
TCellRect ValidRect(const TMatrix& M, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                std::int32_t HighRow) {
  M.MakeValidColRange(LowCol, HighCol);
  M.MakeValidRowRange(LowRow, HighRow);
  return {LowCol, LowRow, HighCol, HighRow};
}

auto Walk(const TMatrix& M, TCellRect R) {
  return RectWalk(M.Data().data(), static_cast<std::size_t>(M.NrOfRows()), R);
}

// The cells of R copied into a work array (the quantiles' working storage).
std::vector<double> RectCells(const TMatrix& M, TCellRect R) {
  return GuardAllocation<EKVLMatrixError>(M, [&] {
    std::vector<double> s;
    s.reserve(static_cast<std::size_t>(R.Count()));
    Walk(M, R)([&s](double x) { s.push_back(x); });
    return s;
  });
}

}  // namespace

double TMatrix::Sum(std::int32_t LoC, std::int32_t LoR, std::int32_t HiC, std::int32_t HiR) const {
  long double sum = 0.0L;
  Walk(*this, ValidRect(*this, LoC, LoR, HiC, HiR))([&sum](double x) { sum += x; });
  return static_cast<double>(sum);
}

void TMatrix::MinMax(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                     double& Minimum, double& Maximum) const {
  Minimum = uc_MaxReal;
  Maximum = -uc_MaxReal;
  // As in the vector: the first comparable cell starts both extremes, so an
  // infinite cell is found too; NaNs are passed over.
  bool first = true;
  Walk(*this, ValidRect(*this, LowCol, LowRow, HighCol, HighRow))([&](double x) {
    if (std::isnan(x)) return;
    if (first || x < Minimum) Minimum = x;
    if (first || x > Maximum) Maximum = x;
    first = false;
  });
}

void TMatrix::MeanVar(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                      double& Mean, double& Variance) const {
  matrix_internal::WalkMeanVar(Walk(*this, ValidRect(*this, LowCol, LowRow, HighCol, HighRow)), Mean, Variance);
}

double TMatrix::GeometricMean(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                              std::int32_t HighRow) const {
  return containers_internal::WalkGeometricMean(Walk(*this, ValidRect(*this, LowCol, LowRow, HighCol, HighRow)), [this] {
    RaiseComponent<EKVLMatrixError>(*this, "negative argument passed to GeometricMean");
  });
}

double TMatrix::HarmonicMean(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                             std::int32_t HighRow) const {
  return containers_internal::WalkHarmonicMean(Walk(*this, ValidRect(*this, LowCol, LowRow, HighCol, HighRow)), [this] {
    RaiseComponent<EKVLMatrixError>(*this, "negative or zero argument passed to HarmonicMean");
  });
}

void TMatrix::SkewKurt(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                       double& Skewness, double& Kurtosis) const {
  matrix_internal::WalkSkewKurt(Walk(*this, ValidRect(*this, LowCol, LowRow, HighCol, HighRow)), Skewness, Kurtosis);
}

void TMatrix::SkewKurtSample(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                             double& Skewness, double& Kurtosis) const {
  const TCellRect r = ValidRect(*this, LowCol, LowRow, HighCol, HighRow);
  double g1 = 0.0, g2 = 0.0;
  matrix_internal::WalkSkewKurt(Walk(*this, r), g1, g2);
  matrix_internal::SampleSkewKurt(static_cast<long double>(r.Count()), g1, g2, Skewness, Kurtosis);
}

bool TMatrix::Quartiles(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                        double& Q1, double& Q2, double& Q3) const {
  std::vector<double> s = RectCells(*this, ValidRect(*this, LowCol, LowRow, HighCol, HighRow));
  // NaNs go last; without them the plain order selects faster.
  if (std::ranges::any_of(s, [](double x) { return std::isnan(x); }))
    matrix_internal::QuartilesBySelection(s, Q1, Q2, Q3, matrix_internal::NaNLast);
  else
    matrix_internal::QuartilesBySelection(s, Q1, Q2, Q3);
  return true;
}

double TMatrix::Percentile(double prob, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                           std::int32_t HighRow) const {
  if (std::isnan(prob)) return std::numeric_limits<double>::quiet_NaN();
  std::vector<double> s = RectCells(*this, ValidRect(*this, LowCol, LowRow, HighCol, HighRow));
  return NearestRank(s, std::clamp(prob, 0.0, 100.0) / 100.0L);
}

double TMatrix::Percentile(double prob, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                           std::int32_t HighRow, std::int32_t SampleSize) const {
  const TCellRect r = ValidRect(*this, LowCol, LowRow, HighCol, HighRow);
  if (SampleSize <= 0 || SampleSize >= r.Count()) return Percentile(prob, r.LoC, r.LoR, r.HiC, r.HiR);
  if (std::isnan(prob)) return std::numeric_limits<double>::quiet_NaN();
  const long double p = std::clamp(prob, 0.0, 100.0) / 100.0L;
  std::vector<double> s = GuardAllocation<EKVLMatrixError>(
      *this, [SampleSize] { return std::vector<double>(static_cast<std::size_t>(SampleSize)); });
  return matrix_internal::SampledPercentile(s, r, p, [this](std::int32_t c, std::int32_t row) { return FData[Offset(c, row)]; });
}

bool TMatrix::Histogram(std::int32_t LoX, std::int32_t LoY, std::int32_t HiX, std::int32_t HiY, double FirstBin,
                        double LastBin, double BinWidth, TIntArray& Histo, std::int32_t& Underflow,
                        std::int32_t& Overflow, std::int32_t& MaxCnt) const {
  const matrix_internal::THistogramBins bins(FirstBin, LastBin, BinWidth);
  if (bins.Bins == 0) return false;
  if (static_cast<std::int64_t>(Histo.size()) != bins.Bins) Histo.resize(static_cast<std::size_t>(bins.Bins));
  std::ranges::fill(Histo, 0);
  Underflow = Overflow = MaxCnt = 0;
  Walk(*this, ValidRect(*this, LoX, LoY, HiX, HiY))([&](double x) {
    const std::int64_t b = bins.Bin(x);
    if (b == -1) {
      ++Underflow;
    } else if (b == bins.Bins) {
      ++Overflow;
    } else if (b >= 0) {
      const std::int32_t count = ++Histo[static_cast<std::size_t>(b)];
      MaxCnt = std::max(MaxCnt, count);
    }
  });
  return true;
}

bool TMatrix::Histogram(std::int32_t LoX, std::int32_t LoY, std::int32_t HiX, std::int32_t HiY, double FirstBin,
                        double LastBin, double BinWidth, TIntVector* Histo, std::int32_t& Underflow,
                        std::int32_t& Overflow, std::int32_t& MaxCnt) const {
  if (Histo == nullptr) return false;
  TIntArray counts;
  if (!Histogram(LoX, LoY, HiX, HiY, FirstBin, LastBin, BinWidth, counts, Underflow, Overflow, MaxCnt)) return false;
  Histo->Resize(static_cast<std::int32_t>(counts.size()));
  for (std::size_t k = 0; k < counts.size(); ++k) Histo->SetVal(static_cast<std::int32_t>(k + 1), counts[k]);
  return true;
}

double TMatrix::Correlate(const TMatrix* OtherMat) const {
  if (OtherMat == nullptr || OtherMat->FNCol != FNCol || OtherMat->FNRow != FNRow)
    RaiseComponent<EKVLMatrixError>(*this, "matrices do not match");
  if (FData.size() < 3) return 0.0;
  return containers_internal::PearsonOf<double>(FData, OtherMat->FData);
}

}  // namespace kvl
