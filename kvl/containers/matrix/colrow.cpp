// TMatrix column and row preparation: means, centring, standardising and
// quantile normalisation of each column or row. The output vectors may be
// null; when given they are sized to the number of columns (rows) and
// receive one value each through SetVal. Every routine that changes cells
// fires OnChange once at the end.

#include <cmath>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/matrix/internal/cellstats.h"
#include "kvl/containers/matrix/internal/results.h"

namespace kvl {

using matrix_internal::Deliver;
using matrix_internal::StrideWalk;

namespace {

// The cells of line i (0-based) of M: column i when PerColumn, else row i.
auto LineWalk(const TMatrix& M, bool PerColumn, std::size_t i) {
  const auto rows = static_cast<std::size_t>(M.NrOfRows()), cols = static_cast<std::size_t>(M.NrOfColumns());
  const double* cells = M.Data().data();
  return PerColumn ? StrideWalk(cells + i * rows, rows, 1) : StrideWalk(cells + i, cols, rows);
}

// Applies f to every cell of line i, in place.
template <class F>
void UpdateLine(TMatrix& M, bool PerColumn, std::size_t i, F&& f) {
  const auto rows = static_cast<std::size_t>(M.NrOfRows()), cols = static_cast<std::size_t>(M.NrOfColumns());
  double* cells = M.ColumnView().data();
  if (PerColumn)
    for (double* x = cells + i * rows; x != cells + (i + 1) * rows; ++x) *x = f(*x);
  else
    for (std::size_t c = 0; c < cols; ++c) cells[i + c * rows] = f(cells[i + c * rows]);
}

std::size_t LineCount(const TMatrix& M, bool PerColumn) {
  return static_cast<std::size_t>(PerColumn ? M.NrOfColumns() : M.NrOfRows());
}

// Centres (and when Scale, standardises) every line by its MeanVar.
void Standardize(TMatrix& M, bool PerColumn, bool Scale, TVector* Means, TVector* StdDevs) {
  const std::size_t n = LineCount(M, PerColumn);
  std::vector<double> means = matrix_internal::WorkCells(M, n), devs = matrix_internal::WorkCells(M, n);
  for (std::size_t i = 0; i < n; ++i) {
    double mean = 0.0, var = 0.0;
    matrix_internal::WalkMeanVar(LineWalk(M, PerColumn, i), mean, var);
    const double sd = std::sqrt(var);
    means[i] = mean;
    devs[i] = sd;
    if (!Scale)
      UpdateLine(M, PerColumn, i, [mean](double x) { return x - mean; });
    else if (var > 0)
      UpdateLine(M, PerColumn, i, [mean, sd](double x) { return (x - mean) / sd; });
  }
  M.Changed();
  Deliver(M, Means, means);
  Deliver(M, StdDevs, devs);
}

// Quantile normalisation of every line: m = Percentile(50), q =
// Percentile(RefQuant), d = |m - q|; (x - m) / d where d > 0.
void QNormalize(TMatrix& M, bool PerColumn, double RefQuant, TVector* Medians, TVector* QuantDiffs) {
  const std::size_t n = LineCount(M, PerColumn);
  std::vector<double> medians = matrix_internal::WorkCells(M, n), diffs = matrix_internal::WorkCells(M, n);
  const std::int32_t last = PerColumn ? M.NrOfRows() : M.NrOfColumns();
  for (std::size_t i = 0; i < n; ++i) {
    const auto line = static_cast<std::int32_t>(i + 1);
    const double m = PerColumn ? M.Percentile(50, line, 1, line, last) : M.Percentile(50, 1, line, last, line);
    const double q =
        PerColumn ? M.Percentile(RefQuant, line, 1, line, last) : M.Percentile(RefQuant, 1, line, last, line);
    const double d = std::fabs(m - q);
    medians[i] = m;
    diffs[i] = d;
    if (d > 0) UpdateLine(M, PerColumn, i, [m, d](double x) { return (x - m) / d; });
  }
  M.Changed();
  Deliver(M, Medians, medians);
  Deliver(M, QuantDiffs, diffs);
}

}  // namespace

void TMatrix::MeanVec(TDims Dim, TVector* Means) const {
  if (Means == nullptr) return;
  const bool perColumn = Dim == TDims::dimColumns;
  std::vector<double> means = matrix_internal::WorkCells(*this, LineCount(*this, perColumn));
  matrix_internal::LineMeans(FData.data(), Cols(), Rows(), perColumn, means);
  Deliver(*this, Means, means);
}

void TMatrix::MeanCenterColumns(TVector* Means) { Standardize(*this, true, false, Means, nullptr); }

void TMatrix::MeanCenterRows(TVector* Means) { Standardize(*this, false, false, Means, nullptr); }

void TMatrix::StandardizeColumns(TVector* Means, TVector* StdDevs) { Standardize(*this, true, true, Means, StdDevs); }

void TMatrix::StandardizeRows(TVector* Means, TVector* StdDevs) { Standardize(*this, false, true, Means, StdDevs); }

void TMatrix::QNormalizeColumns(double RefQuant, TVector* Medians, TVector* QuantDiffs) {
  QNormalize(*this, true, RefQuant, Medians, QuantDiffs);
}

void TMatrix::QNormalizeRows(double RefQuant, TVector* Medians, TVector* QuantDiffs) {
  QNormalize(*this, false, RefQuant, Medians, QuantDiffs);
}

}  // namespace kvl
