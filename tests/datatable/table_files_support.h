#pragma once
// Helpers of the table file tests: a table holding every kind of content
// and a comparison of two tables item by item.

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "table_test_support.h"

namespace kvl::test {

/// BuildRichTable: 4 columns x 256 rows: names that need escaping (markup
/// characters, quotes, non-ASCII, tab, CR, control characters), an empty
/// name, every state byte 0..255 in column 4, a nominal and an ordinal
/// column with identifiers, an interval column with a left-over
/// identifier, attributes of both signs, and values that need every digit
/// (pi, 0.1, a subnormal, the largest Double, -0, infinities, NaN).
inline void BuildRichTable(TDataTable& t) {
  t.Resize(4, 256);
  t.SetComment("a <comment> & \"quotes\" 'too' \xC3\xA4\xE2\x82\xAC");
  t.SetColName(1, "x<&>\"'");
  t.SetColName(2, "\xC3\xA9t\xC3\xA9\tcol");
  t.SetColName(3, "");
  t.SetColName(4, "ctl\x01\x1f\rend");
  t.SetMScaleType(1, TMScaleType::stNominal);
  t.SetNominalID(1, 0, "r<d");
  t.SetNominalID(1, 1, "gr&en");
  t.SetNominalID(1, 5, "\xC3\xBC");
  t.SetMScaleType(2, TMScaleType::stOrdinal);
  t.SetNominalID(2, 0, "low");
  t.SetNominalID(2, 1, "high");
  t.SetNominalID(3, 3, "kept");  // an identifier left in an interval column
  t.SetMScaleType(4, TMScaleType::stRatio);
  t.SetColAttrib(1, -7);
  t.SetColAttrib(4, 1 << 30);
  const double special[] = {3.141592653589793, 0.1, 4.9406564584124654e-324, std::numeric_limits<double>::max(),
                            -0.0, std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN(), 1e-300, -123456789.123456789};
  for (std::int32_t r = 1; r <= 256; ++r) {
    t.SetRowName(r, r == 2 ? "row \"2\" & <b>" : "R" + std::to_string(r));
    t.SetRowAttrib(r, r % 3 - 1);
    t.NumericData->SetVal(1, r, r % 3);  // codes 0, 1, 2 (2 has no identifier)
    t.NumericData->SetVal(2, r, r % 2);
    t.NumericData->SetVal(3, r, special[static_cast<std::size_t>(r) % std::size(special)]);
    t.NumericData->SetVal(4, r, r / 7.0);
    t.SetCellState(4, r, static_cast<std::uint8_t>(r - 1));
  }
  t.SetCellState(1, 3, 2);  // an empty nominal cell
}

/// ExpectSameTable: size, comment, names, attributes, scale types,
/// identifiers and states equal; values equal bit for bit.
inline void ExpectSameTable(const TDataTable& a, const TDataTable& b) {
  ASSERT_EQ(a.NrOfColumns(), b.NrOfColumns());
  ASSERT_EQ(a.NrOfRows(), b.NrOfRows());
  EXPECT_EQ(a.Comment(), b.Comment());
  for (std::int32_t c = 1; c <= a.NrOfColumns(); ++c) {
    EXPECT_EQ(a.ColName(c), b.ColName(c)) << "column " << c;
    EXPECT_EQ(a.ColAttrib(c), b.ColAttrib(c));
    EXPECT_EQ(a.MScaleType(c), b.MScaleType(c));
    for (std::int32_t k = 0; k < NrOfNominalSlots; ++k) EXPECT_EQ(a.NominalID(c, k), b.NominalID(c, k));
  }
  for (std::int32_t r = 1; r <= a.NrOfRows(); ++r) {
    EXPECT_EQ(a.RowName(r), b.RowName(r)) << "row " << r;
    EXPECT_EQ(a.RowAttrib(r), b.RowAttrib(r));
  }
  EXPECT_EQ(a.CRCofNamesAndAttributes(), b.CRCofNamesAndAttributes());
  EXPECT_EQ(a.CRCofCellStates(), b.CRCofCellStates());
  for (std::int32_t c = 1; c <= a.NrOfColumns(); ++c)
    for (std::int32_t r = 1; r <= a.NrOfRows(); ++r) {
      const double x = a.NumericData->GetVal(c, r), y = b.NumericData->GetVal(c, r);
      EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << "cell " << c << "," << r << ": " << x << " vs " << y;
    }
}

/// HavePython: /usr/bin/python3 exists and imports Module.
inline bool HavePython(const std::string& Module) {
  const std::string cmd = "/usr/bin/python3 -c 'import " + Module + "' >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

}  // namespace kvl::test
