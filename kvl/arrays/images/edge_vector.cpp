// Edge aggregates of 2-D arrays (EdgeVector): one minimum, maximum, sum, mean
// or standard deviation per column or per row over listed indices.

#include <cmath>
#include <limits>

#include "kvl/arrays/array_images.h"
#include "kvl/arrays/array_kernels.h"
#include "kvl/arrays/images/internal/raster_checks.h"

namespace kvl {

namespace {

using detail::TEdgeSums;

template <class A>
std::int32_t EdgeOf(const A& Data, TOrientation Orient, TEdgeOp Op, const TIntArray& Ix, TDoubleArray& Result) {
  const auto ext = detail::ExtentsOf(Data);
  // A ragged array is refused like an empty one: its cells cannot be read
  // as a raster.
  if (detail::IsEmpty(ext) || !images_internal::IsRectangular(Data)) return -1;
  const std::int64_t cols = ext[0], rows = ext[1];
  const bool perColumn = Orient != TOrientation::orRows;
  const std::int64_t lines = perColumn ? cols : rows;  // one result each
  const std::int64_t across = perColumn ? rows : cols;  // the aggregated dimension
  std::int32_t status = 0;
  // The listed indices inside the dimension (all when the list is empty).
  std::vector<std::size_t> use;
  if (Ix.empty()) {
    use.resize(static_cast<std::size_t>(across));
    for (std::size_t i = 0; i < use.size(); ++i) use[i] = i;
  } else {
    for (std::int32_t i : Ix) {
      if (i < 0 || i >= across)
        status = -2;
      else
        use.push_back(static_cast<std::size_t>(i));
    }
  }
  // A per-column mean divides by the listed rows inside the data, a per-row
  // mean by the number of columns, also when fewer are listed.
  const std::int64_t divisor = perColumn ? static_cast<std::int64_t>(use.size()) : cols;
  Result.assign(static_cast<std::size_t>(lines), 0.0);
  for (std::int64_t l = 0; l < lines; ++l) {
    TEdgeSums acc;
    const auto line = static_cast<std::size_t>(l);
    for (std::size_t i : use) acc.Add(static_cast<double>(perColumn ? Data[line][i] : Data[i][line]));
    Result[line] = acc.Value(Op, divisor);
  }
  return status;
}

}  // namespace

std::int32_t EdgeVector(const TDouble2DArray& Data, TOrientation Orient, TEdgeOp EdgeOp, const TIntArray& EdgeIx,
                        TDoubleArray& Result) {
  return EdgeOf(Data, Orient, EdgeOp, EdgeIx, Result);
}

std::int32_t EdgeVector(const TInt2DArray& Data, TOrientation Orient, TEdgeOp EdgeOp, const TIntArray& EdgeIx,
                        TDoubleArray& Result) {
  return EdgeOf(Data, Orient, EdgeOp, EdgeIx, Result);
}

std::int32_t EdgeVector(const TDouble2DArray& Data, TOrientation Orient, TEdgeOp EdgeOp, TDoubleArray& Result) {
  return EdgeOf(Data, Orient, EdgeOp, {}, Result);
}

std::int32_t EdgeVector(const TInt2DArray& Data, TOrientation Orient, TEdgeOp EdgeOp, TDoubleArray& Result) {
  return EdgeOf(Data, Orient, EdgeOp, {}, Result);
}

}  // namespace kvl
