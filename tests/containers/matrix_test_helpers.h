#pragma once
// Helpers of the matrix tests: building matrices from readable tables and
// reading them back row by row.

#include <cstdint>
#include <string>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl_test_support.h"

namespace kvl::test {

/// Table: a matrix written as on paper, one inner vector per row.
using Table = std::vector<std::vector<double>>;
/// Events: the names an EventLog recorded.
using Events = std::vector<std::string>;

/// FillNamed: resizes m to Nc x Nr and sets cell (c, r) to 10 c + r, so that
/// every value names its position.
inline void FillNamed(TMatrix& m, std::int32_t Nc, std::int32_t Nr) {
  m.Resize(Nc, Nr);
  for (std::int32_t c = 1; c <= Nc; ++c)
    for (std::int32_t r = 1; r <= Nr; ++r) m.SetVal(c, r, 10 * c + r);
}

/// SetRows: resizes m to the table and fills it.
inline void SetRows(TMatrix& m, const Table& rows) {
  m.Resize(static_cast<std::int32_t>(rows[0].size()), static_cast<std::int32_t>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      m.SetVal(static_cast<std::int32_t>(c + 1), static_cast<std::int32_t>(r + 1), rows[r][c]);
}

/// RowsOf: the matrix as a table.
inline Table RowsOf(const TMatrix& m) {
  Table rows(static_cast<std::size_t>(m.NrOfRows()));
  for (std::int32_t r = 1; r <= m.NrOfRows(); ++r)
    for (std::int32_t c = 1; c <= m.NrOfColumns(); ++c)
      rows[static_cast<std::size_t>(r - 1)].push_back(m.GetVal(c, r));
  return rows;
}

/// Listen: records m's OnChange as "change" and OnResize as "resize".
inline void Listen(TMatrix& m, EventLog& log) {
  m.OnChange = log.Recorder("change");
  m.OnResize = log.Recorder("resize");
}

}  // namespace kvl::test
