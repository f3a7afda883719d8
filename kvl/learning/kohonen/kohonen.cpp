// TKohonen: construction, sizes, scaling and the mapping of objects.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

#include "kvl/learning/KVL_kohonen.h"
#include "kvl/learning/kohonen/internal/kohonen_internal.h"
#include "kvl/runtime/randgen.h"

namespace kvl {

using namespace kohonen_internal;

namespace {

// The product of the extents as a cell count; length_error when it does not
// fit (GuardAllocation turns that into "not enough memory on heap").
std::size_t CellCount(std::int32_t X, std::int32_t Y, std::int32_t K) {
  const std::size_t limit = std::vector<double>().max_size();
  std::size_t n = 1;
  for (const std::int32_t e : {X, Y, K}) {
    const auto u = static_cast<std::size_t>(e);
    if (u != 0 && n > limit / u) throw std::length_error("weight block");
    n *= u;
  }
  return n;
}

}  // namespace

TKohonen::TKohonen(TComponent* AOwner) : TComponent(AOwner), MeanVec(nullptr), StdDevVec(nullptr), FDataMat(nullptr) {
  FKohMat.assign(1, 0.0);
  ResetScaling();
  SetWeigtsToRandom();
}

TKohonen::~TKohonen() = default;

void TKohonen::ResetWeights() {
  std::vector<double> fresh =
      GuardAllocation<EKVLError>(*this, [&] { return std::vector<double>(CellCount(FSizeX, FSizeY, FNrInSens), 0.0); });
  FKohMat.swap(fresh);
}

void TKohonen::ResetScaling() {
  MeanVec.Resize(FNrInSens);
  MeanVec.Fill(0.0);
  StdDevVec.Resize(FNrInSens);
  StdDevVec.Fill(1.0);
}

bool TKohonen::ChangeExtent(std::int32_t& Extent, std::int32_t n) {
  if (n <= 0) return false;
  const std::int32_t old = Extent;
  Extent = n;
  try {
    ResetWeights();
  } catch (...) {
    Extent = old;
    throw;
  }
  return true;
}

void TKohonen::SetSizeX(std::int32_t n) { ChangeExtent(FSizeX, n); }

void TKohonen::SetSizeY(std::int32_t n) { ChangeExtent(FSizeY, n); }

void TKohonen::SetNumInsens(std::int32_t n) {
  if (!ChangeExtent(FNrInSens, n)) return;
  if (!FDataMat.ResizeAndClear(n, FNrTrnObj)) FDataMat.Fill(0.0);
  ResetScaling();
}

void TKohonen::SetDataMat(const TMatrix* M) {
  if (M == nullptr) return;
  const std::int32_t cols = M->NrOfColumns();
  const std::int32_t rows = M->NrOfRows();
  // M may be the training matrix itself: take the cells before resizing.
  const std::vector<double> cells(M->Data().begin(), M->Data().end());
  ChangeExtent(FNrInSens, cols);
  FNrTrnObj = rows;
  FDataMat.Resize(cols, rows);
  std::copy(cells.begin(), cells.end(), FDataMat.ColumnView().data());
  FDataMat.Changed();
  ResetScaling();
}

void TKohonen::StandardizeData() {
  FDataMat.StandardizeColumns(&MeanVec, &StdDevVec);
  // A constant column is left as it stands by the matrix; centring it makes
  // its weights meet (x - mean) in ApplyIt and mean in GetWeight.
  const auto rows = static_cast<std::size_t>(FDataMat.NrOfRows());
  double* cells = FDataMat.ColumnView().data();
  bool centred = false;
  for (std::int32_t c = 1; c <= FDataMat.NrOfColumns(); ++c) {
    if (StdDevVec.Elem(c) != 0.0) continue;
    const double mean = MeanVec.Elem(c);
    double* col = cells + static_cast<std::size_t>(c - 1) * rows;
    for (std::size_t r = 0; r < rows; ++r) col[r] -= mean;
    centred = true;
  }
  if (centred) FDataMat.Changed();
}

void TKohonen::SetWeigtsToRandom() {
  // The block's order is x, then y, then the variable: one draw per cell in
  // turn; the product in extended precision, as the library's products are.
  for (double& w : FKohMat) w = static_cast<double>((static_cast<long double>(Random()) - 0.5L) * 0.2L);
}

void TKohonen::ApplyIt(const TVector& InVec, std::int32_t& WinX, std::int32_t& WinY, double& Dist) const {
  Dist = std::numeric_limits<double>::max();
  if (FSizeX < 1) return;
  const auto K = static_cast<std::size_t>(FNrInSens);
  std::vector<long double> z(K);
  for (std::size_t k = 0; k < K; ++k) {
    const auto i = static_cast<std::int32_t>(k + 1);
    const long double centred = static_cast<long double>(InVec.Elem(i)) - MeanVec.Elem(i);
    const double sd = StdDevVec.Elem(i);
    z[k] = sd == 0.0 ? centred : centred / sd;
  }
  long double best = 0.0L;
  const std::size_t win = FindWinner<long double>(FKohMat, K, z.data(), best);
  if (win == kNoNode) return;
  const auto ny = static_cast<std::size_t>(FSizeY);
  WinX = static_cast<std::int32_t>(win / ny) + 1;
  WinY = static_cast<std::int32_t>(win % ny) + 1;
  Dist = static_cast<double>(best);
}

double TKohonen::GetWeight(std::int32_t ix, std::int32_t iy, std::int32_t isens) const noexcept {
  if (ix < 1 || ix > FSizeX || iy < 1 || iy > FSizeY || isens < 1 || isens > FNrInSens) return 0.0;
  const std::size_t node = static_cast<std::size_t>(ix - 1) * static_cast<std::size_t>(FSizeY) +
                           static_cast<std::size_t>(iy - 1);
  const double w = FKohMat[node * static_cast<std::size_t>(FNrInSens) + static_cast<std::size_t>(isens - 1)];
  return static_cast<double>(static_cast<long double>(w) * StdDevVec.Elem(isens) + MeanVec.Elem(isens));
}

void TKohonen::DoFeedback(std::int32_t Percent) { FireEvent(OnFeedback, static_cast<double>(Percent)); }

}  // namespace kvl
