// TMatrix storage: construction, resizing, element access, ranges, Assign,
// Clone, Precision, structure changes, and the events each one fires.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl_test_support.h"
#include "matrix_test_helpers.h"

namespace kvl {
namespace {

using namespace test;  // NOLINT: the shared matrix test helpers

double CellSum(const TMatrix& m) {
  double s = 0;
  for (double x : m.Data()) s += x;
  return s;
}

TEST(MatrixStorage, NewMatrixIsOneByOneZero) {
  TMatrix m;
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(m.GetVal(1, 1), 0.0);
  EXPECT_EQ(m.DataID(), "");
  EXPECT_EQ(m.Precision(1), 15);
  EXPECT_EQ(m.Precision(2), -1);
  EXPECT_EQ(m.Data().size(), 1u);
  EXPECT_FALSE(m.OnChange);
  EXPECT_FALSE(m.OnCalcDistance);
}

TEST(MatrixStorage, PrecisionIndexAndClamp) {
  TMatrix m;
  m.SetPrecision(7, 40);
  EXPECT_EQ(m.Precision(2), 25);
  EXPECT_EQ(m.Precision(1), 15);
  m.SetPrecision(-3, -9);
  EXPECT_EQ(m.Precision(0), -1);
  EXPECT_EQ(m.Precision(1), -1);
}

TEST(MatrixStorage, CellsAreColumnMajor) {
  TMatrix m;
  FillNamed(m, 3, 2);
  EXPECT_EQ(std::vector<double>(m.Data().begin(), m.Data().end()),
            (std::vector<double>{11, 12, 21, 22, 31, 32}));
  EXPECT_EQ(m.ColumnView()[2][1], 32);
}

TEST(MatrixStorage, OutsideReadsZeroAndWritesAreIgnored) {
  TMatrix m;
  FillNamed(m, 2, 2);
  EventLog log;
  Listen(m, log);
  for (auto [c, r] : {std::pair{0, 1}, {1, 0}, {3, 1}, {1, 3}, {-1, -1}}) {
    EXPECT_EQ(m.GetVal(c, r), 0.0);
    m.SetVal(c, r, 99);
  }
  EXPECT_TRUE(log.Events.empty());
  EXPECT_EQ(CellSum(m), 11 + 12 + 21 + 22);
  m.SetElem(2, 1, 5);
  EXPECT_EQ(log.Events, Events{"change"});
  EXPECT_EQ(m.Elem(2, 1), 5);
}

struct ResizeCase {
  std::int32_t Nc, Nr;
};

class MatrixResize : public testing::TestWithParam<ResizeCase> {};

TEST_P(MatrixResize, KeepsOverlapZeroesNewCellsAndFiresChangeThenResize) {
  const auto [nc, nr] = GetParam();
  TMatrix m;
  FillNamed(m, 3, 4);
  EventLog log;
  Listen(m, log);
  ASSERT_TRUE(m.Resize(nc, nr));
  EXPECT_EQ(log.Events, (Events{"change", "resize"}));
  ASSERT_EQ(m.Data().size(), static_cast<std::size_t>(nc * nr));
  for (std::int32_t c = 1; c <= nc; ++c)
    for (std::int32_t r = 1; r <= nr; ++r)
      EXPECT_EQ(m.GetVal(c, r), (c <= 3 && r <= 4) ? 10 * c + r : 0.0) << c << "," << r;
}

INSTANTIATE_TEST_SUITE_P(Shapes, MatrixResize,
                         testing::Values(ResizeCase{5, 6}, ResizeCase{2, 2}, ResizeCase{1, 7},
                                         ResizeCase{6, 1}, ResizeCase{3, 9}, ResizeCase{3, 1},
                                         ResizeCase{9, 4}, ResizeCase{1, 1}),
                         [](const auto& info) { return test::CaseName("Cols", info.param.Nc, "Rows", info.param.Nr); });

TEST(MatrixStorage, ResizeRefusals) {
  TMatrix m;
  FillNamed(m, 2, 3);
  EventLog log;
  Listen(m, log);
  EXPECT_FALSE(m.Resize(2, 3));
  EXPECT_FALSE(m.Resize(0, 3));
  EXPECT_FALSE(m.Resize(2, -1));
  EXPECT_FALSE(m.ResizeAndClear(2, 3));
  EXPECT_TRUE(log.Events.empty());
  EXPECT_EQ(m.GetVal(2, 3), 23);  // unchanged size keeps the data
}

TEST(MatrixStorage, ResizeAndClearZeroesAndFiresTwice) {
  TMatrix m;
  FillNamed(m, 2, 3);
  EventLog log;
  Listen(m, log);
  ASSERT_TRUE(m.ResizeAndClear(3, 3));
  EXPECT_EQ(log.Events, (Events{"change", "resize", "change", "resize"}));
  EXPECT_EQ(CellSum(m), 0.0);
}

TEST(MatrixStorage, DimensionSetters) {
  TMatrix m;
  FillNamed(m, 2, 3);
  m.SetNrOfColumns(4);
  EXPECT_EQ(m.NrOfColumns(), 4);
  EXPECT_EQ(m.NrOfRows(), 3);
  m.SetNrOfRows(-5);  // below 1: nothing happens
  m.SetNrOfColumns(0);
  EXPECT_EQ(m.NrOfColumns(), 4);
  EXPECT_EQ(m.NrOfRows(), 3);
  m.SetNrOfRows(1);
  EXPECT_EQ(m.GetVal(2, 1), 21);
}

struct RangeCase {
  std::int32_t Lo, Hi, WantLo, WantHi, WantResult;
};

class MatrixRange : public testing::TestWithParam<RangeCase> {};

TEST_P(MatrixRange, RowsAndColumnsFollowOneRule) {
  const RangeCase k = GetParam();
  TMatrix m;
  m.Resize(10, 10);
  std::int32_t lo = k.Lo, hi = k.Hi;
  EXPECT_EQ(m.MakeValidRowRange(lo, hi), k.WantResult);
  EXPECT_EQ(lo, k.WantLo);
  EXPECT_EQ(hi, k.WantHi);
  lo = k.Lo;
  hi = k.Hi;
  EXPECT_EQ(m.MakeValidColRange(lo, hi), k.WantResult);
  EXPECT_EQ(lo, k.WantLo);
  EXPECT_EQ(hi, k.WantHi);
}

INSTANTIATE_TEST_SUITE_P(Bounds, MatrixRange,
                         testing::Values(RangeCase{0, 0, 1, 10, 0}, RangeCase{2, 5, 2, 5, 0},
                                         RangeCase{5, 2, 2, 5, -1},  // an exchange alone counts
                                         RangeCase{0, 4, 1, 4, -1}, RangeCase{3, 12, 3, 10, -1},
                                         RangeCase{-4, -2, 1, 1, -1}, RangeCase{11, 0, 1, 10, -1},
                                         RangeCase{7, 7, 7, 7, 0}),
                         [](const auto& info) { return test::CaseName("From", info.param.Lo, "To", info.param.Hi); });

TEST(MatrixStorage, AssignCopiesEverythingWithoutEvents) {
  TMatrix src;
  FillNamed(src, 3, 2);
  src.SetDataID("probe");
  src.SetPrecision(1, 4);
  EventLog srcLog;
  Listen(src, srcLog);
  int sortCalls = 0;
  src.OnSortExchange = [&](TObject*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    ++sortCalls;
  };
  src.OnCalcDistance = [](TObject*, std::int32_t, std::int32_t, double& d) { d = 7; };
  src.OnPercentDone = [](TObject*, double) {};

  TMatrix dst;
  EventLog dstLog;
  Listen(dst, dstLog);
  dst.Assign(&src);
  EXPECT_TRUE(dstLog.Events.empty());
  EXPECT_TRUE(srcLog.Events.empty());
  EXPECT_EQ(RowsOf(dst), RowsOf(src));
  EXPECT_EQ(dst.DataID(), "probe");
  EXPECT_EQ(dst.Precision(1), 4);
  ASSERT_TRUE(dst.OnCalcDistance && dst.OnPercentDone && dst.OnSortExchange);
  dst.SetVal(1, 1, 0);  // the handlers are the source's: its log records
  EXPECT_EQ(srcLog.Events, Events{"change"});

  TMatrix viaAssignTo;
  src.AssignTo(&viaAssignTo);
  EXPECT_EQ(RowsOf(viaAssignTo), RowsOf(src));
}

TEST(MatrixStorage, AssignFromAnotherClassRaises) {
  TMatrix m;
  TComponent other;
  EXPECT_THROW(m.Assign(&other), EConvertError);
}

TEST(MatrixStorage, CloneWritesThroughTheSetterThenFiresBoth) {
  TMatrix src;
  FillNamed(src, 2, 2);
  TMatrix dst;
  dst.Resize(2, 2);
  EventLog log;
  Listen(dst, log);
  dst.Clone(&src);
  EXPECT_EQ(RowsOf(dst), RowsOf(src));
  EXPECT_EQ(log.Events, (Events{"change", "change", "change", "change", "change", "resize"}));
  log.Events.clear();
  dst.Clone(nullptr);
  EXPECT_TRUE(log.Events.empty());
}

TEST(MatrixStructure, RemoveColumnAndRow) {
  TMatrix m;
  FillNamed(m, 3, 3);
  EventLog log;
  Listen(m, log);
  EXPECT_FALSE(m.RemoveColumn(0));
  EXPECT_FALSE(m.RemoveRow(4));
  EXPECT_TRUE(log.Events.empty());
  ASSERT_TRUE(m.RemoveColumn(2));
  EXPECT_EQ(log.Events, (Events{"change", "resize"}));
  EXPECT_EQ(RowsOf(m), (Table{{11, 31}, {12, 32}, {13, 33}}));
  ASSERT_TRUE(m.RemoveRow(1));
  EXPECT_EQ(RowsOf(m), (Table{{12, 32}, {13, 33}}));
  ASSERT_TRUE(m.RemoveColumn(2));
  EXPECT_FALSE(m.RemoveColumn(1));  // one column left
  ASSERT_TRUE(m.RemoveRow(2));
  EXPECT_FALSE(m.RemoveRow(1));
  EXPECT_EQ(m.GetVal(1, 1), 12);
}

TEST(MatrixStructure, ExchangeAndMirror) {
  TMatrix m;
  FillNamed(m, 3, 2);
  EventLog log;
  Listen(m, log);
  m.ExchangeColumns(1, 3);
  EXPECT_EQ(RowsOf(m), (Table{{31, 21, 11}, {32, 22, 12}}));
  m.ExchangeRows(1, 2);
  EXPECT_EQ(RowsOf(m), (Table{{32, 22, 12}, {31, 21, 11}}));
  EXPECT_EQ(log.Events, (Events{"change", "change"}));
  m.ExchangeColumns(1, 4);  // outside: ignored, no event
  m.ExchangeRows(0, 1);
  EXPECT_EQ(log.Events.size(), 2u);
  m.MirrorColumns();
  EXPECT_EQ(RowsOf(m), (Table{{12, 22, 32}, {11, 21, 31}}));
  m.MirrorRows();
  EXPECT_EQ(RowsOf(m), (Table{{11, 21, 31}, {12, 22, 32}}));
  TMatrix single;
  EventLog singleLog;
  Listen(single, singleLog);
  single.MirrorColumns();
  single.MirrorRows();
  EXPECT_EQ(singleLog.Events, (Events{"change", "change"}));
}

TEST(MatrixStructure, TransposeExchangesDimensions) {
  TMatrix m;
  FillNamed(m, 37, 45);  // larger than one transpose block
  EventLog log;
  Listen(m, log);
  ASSERT_TRUE(m.Transpose());
  EXPECT_EQ(log.Events, (Events{"change", "resize"}));
  ASSERT_EQ(m.NrOfColumns(), 45);
  ASSERT_EQ(m.NrOfRows(), 37);
  for (std::int32_t c = 1; c <= 45; ++c)
    for (std::int32_t r = 1; r <= 37; ++r) ASSERT_EQ(m.GetVal(c, r), 10 * r + c);
}

TEST(MatrixStorage, OwnedMatrixIsFreedWithItsOwner) {
  auto owner = std::make_unique<TComponent>();
  auto* m = new TMatrix(owner.get());
  m->Resize(4, 4);
  EXPECT_EQ(owner->ComponentCount(), 1);
  owner.reset();  // frees m; the sanitizer build checks for leaks
}

}  // namespace
}  // namespace kvl
