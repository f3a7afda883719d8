// TDataTable: statistics over selected cells, standardising, covariance.

#include <gtest/gtest.h>

#include <cmath>

#include "kvl/base/KVL_univconst.h"
#include "kvl/containers/KVL_vector.h"
#include "table_test_support.h"

namespace kvl::test {
namespace {

// OneColumn: a 1-column interval table holding Values.
void OneColumn(TDataTable& t, std::initializer_list<double> Values) {
  t.Resize(1, static_cast<std::int32_t>(Values.size()));
  std::int32_t r = 0;
  for (double v : Values) t.SetElem(1, ++r, v);
}

TEST(TableStats, SelectionsCountTheRightCells) {
  // column 1 interval, 2 nominal, 3 ratio; states: (1,2) empty, (3,1) marked 64,
  // (3,2) imputed and marked 128, (2,1) marked 64
  TDataTable t;
  t.Resize(3, 3);
  FillSerial(t);
  t.SetMScaleType(2, TMScaleType::stNominal);
  t.SetMScaleType(3, TMScaleType::stRatio);
  t.SetCellState(1, 2, 2);
  t.SetCellState(3, 1, 64);
  t.SetCellState(3, 2, 32 | 128);
  t.SetCellState(2, 1, 64);
  EXPECT_EQ(t.CountNumCells(0, 0, 0, 0), 5);    // 9 cells - 3 nominal - 1 empty
  EXPECT_EQ(t.CountValidCells(0, 0, 0, 0), 8);  // only the empty one drops out
  EXPECT_EQ(t.CountEmptyCells(0, 0, 0, 0), 1);
  EXPECT_EQ(t.CountImputedCells(0, 0, 0, 0), 1);
  std::int32_t n = 0;
  // marked 64: (3,1) only (the nominal (2,1) is no num cell)
  EXPECT_DOUBLE_EQ(t.SumOfMarkedCells(0, 0, 0, 0, 64, n), 301.0);
  EXPECT_EQ(n, 1);
  EXPECT_DOUBLE_EQ(t.SumOfMarkedCells(0, 0, 0, 0, 64 | 128, n), 301.0 + 302.0);
  EXPECT_EQ(n, 2);
  // mask bits 1 and 2 are no marks
  EXPECT_DOUBLE_EQ(t.SumOfMarkedCells(0, 0, 0, 0, 3, n), 0.0);
  EXPECT_EQ(n, 0);
  EXPECT_DOUBLE_EQ(t.SumOfNumCells(0, 0, 0, 0, n), 101 + 103 + 301 + 302 + 303);
  EXPECT_DOUBLE_EQ(t.SumOfSquaredNumCells(1, 1, 1, 3, n), 101.0 * 101 + 103.0 * 103);
  double lo = 0, hi = 0;
  EXPECT_EQ(t.MinMaxOfValidCells(0, 0, 0, 0, lo, hi), 8);
  EXPECT_EQ(lo, 101.0);
  EXPECT_EQ(hi, 303.0);
  // an empty selection keeps the starting values
  EXPECT_EQ(t.MinMaxOfMarkedCells(1, 1, 1, 3, 64, lo, hi), 0);
  EXPECT_EQ(lo, uc_MaxReal);
  EXPECT_EQ(hi, -uc_MaxReal);
}

TEST(TableStats, MeanVarianceQuartilesPercentiles) {
  TDataTable t;
  double mean = 0, var = 0;
  OneColumn(t, {1, 2});
  EXPECT_EQ(t.MeanVarOfNumCells(0, 0, 0, 0, mean, var), 2);
  EXPECT_EQ(mean, 1.5);
  EXPECT_EQ(var, 1.0);  // fewer than 3 cells
  double q1, q2, q3;
  std::int32_t n;
  EXPECT_TRUE(t.QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n));
  EXPECT_EQ(q1, 1.0);
  EXPECT_EQ(q2, 1.5);
  EXPECT_EQ(q3, 2.0);
  OneColumn(t, {5, 4, 3, 2, 1});
  EXPECT_EQ(t.MeanVarOfNumCells(0, 0, 0, 0, mean, var), 5);
  EXPECT_EQ(mean, 3.0);
  EXPECT_EQ(var, 2.5);
  EXPECT_TRUE(t.QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n));
  EXPECT_EQ(q1, 1.5);
  EXPECT_EQ(q2, 3.0);
  EXPECT_EQ(q3, 4.5);
  OneColumn(t, {4, 3, 2, 1});
  EXPECT_EQ(t.PercentileOfNumCells(50, 0, 0, 0, 0, n), 2.5);
  EXPECT_EQ(t.PercentileOfNumCells(150, 0, 0, 0, 0, n), 4.0);
  EXPECT_EQ(t.PercentileOfNumCells(-5, 0, 0, 0, 0, n), 1.0);
  // none selected
  t.SetMScaleType(1, TMScaleType::stNominal);
  EXPECT_EQ(t.MeanVarOfNumCells(0, 0, 0, 0, mean, var), 0);
  EXPECT_EQ(mean, 0.0);
  EXPECT_EQ(var, 1.0);
  EXPECT_FALSE(t.QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n));
  EXPECT_EQ(q2, 0.0);
}

TEST(TableStats, GeometricAndHarmonicMeans) {
  TDataTable t;
  t.SetName("T");
  std::int32_t n = -1;
  OneColumn(t, {2, 0, 8});
  EXPECT_EQ(t.GeometricMeanOfNumCells(0, 0, 0, 0, n), 0.0);
  EXPECT_EQ(n, 2);
  OneColumn(t, {2, 8});
  EXPECT_NEAR(t.GeometricMeanOfNumCells(0, 0, 0, 0, n), 4.0, kTol1e14);
  EXPECT_NEAR(t.HarmonicMeanOfNumCells(0, 0, 0, 0, n), 3.2, kTol1e14);
  OneColumn(t, {2, -1});
  KVL_EXPECT_THROW_MSG(t.GeometricMeanOfNumCells(0, 0, 0, 0, n), EKVLMatrixError,
                       "Component \"T\": negative argument passed to GeometricMean");
  OneColumn(t, {2, 0});
  KVL_EXPECT_THROW_MSG(t.HarmonicMeanOfNumCells(0, 0, 0, 0, n), EKVLMatrixError,
                       "Component \"T\": negative or zero argument passed to HarmonicMean");
  t.SetIsEmpty(1, 1, true);
  t.SetIsEmpty(1, 2, true);
  EXPECT_EQ(t.HarmonicMeanOfNumCells(0, 0, 0, 0, n), 0.0);  // no num cell
  EXPECT_EQ(n, 0);
}

TEST(TableStats, CopyCellsToVectorAndFillMarkedCells) {
  TDataTable t;
  t.Resize(2, 2);
  FillSerial(t);
  t.SetCellState(1, 2, 64);
  t.SetCellState(2, 1, 2 | 64);  // empty: never copied
  TVector v;
  EXPECT_EQ(t.CopyCellsToVector(0, 0, 0, 0, 255, &v), 3);
  EXPECT_EQ(v.NrOfElem(), 3);
  EXPECT_EQ(v.Elem(3), 202.0);
  EXPECT_EQ(t.CopyCellsToVector(0, 0, 0, 0, 64, &v), 1);
  EXPECT_EQ(v.Elem(1), 102.0);
  TableEvents ev(t);
  EXPECT_EQ(t.FillMarkedCells(-1, 64), 2);
  EXPECT_EQ(t.Elem(2, 1), -1.0);
  EXPECT_EQ(ev.Take(), Names({"Change"}));
  EXPECT_EQ(t.FillMarkedCells(-1, 16), 0);
  EXPECT_TRUE(ev.Take().empty());
}

TEST(TableTransform, StandardizeColumnsSkipsConstantAndNominalColumns) {
  TDataTable t;
  t.Resize(3, 3);
  for (int r = 1; r <= 3; ++r) {
    t.SetElem(1, r, r);   // 1 2 3: mean 2, sd 1
    t.SetElem(2, r, 5);   // constant
    t.SetElem(3, r, r);   // nominal
  }
  t.SetMScaleType(3, TMScaleType::stNominal);
  t.SetIsEmpty(1, 2, true);  // its value stays and it is not counted
  TVector means, sds;
  TableEvents ev(t);
  t.StandardizeNumCellColumns(&means, &sds);
  EXPECT_EQ(ev.Take(), Names({"Change"}));
  // num cells of column 1: 1 and 3 -> mean 2, variance 1.0 (two cells)
  EXPECT_EQ(t.Elem(1, 1), -1.0);
  EXPECT_EQ(t.Elem(1, 2), 2.0);
  EXPECT_EQ(t.Elem(1, 3), 1.0);
  EXPECT_EQ(t.Elem(2, 1), 5.0);
  EXPECT_EQ(t.Elem(3, 3), 3.0);
  EXPECT_EQ(means.Elem(1), 2.0);
  EXPECT_EQ(means.Elem(2), 5.0);
  EXPECT_EQ(sds.Elem(2), 0.0);
}

TEST(TableTransform, RowOperationsRefuseCategoricalColumns) {
  TDataTable t;
  t.Resize(2, 2);
  FillSerial(t);
  t.SetMScaleType(2, TMScaleType::stOrdinal);
  KVL_EXPECT_THROW_MSG(t.StandardizeNumCellRows(nullptr, nullptr), EKVLDataTableError,
                       "standardization of rows is not possible with nominal or ordinal variables");
  KVL_EXPECT_THROW_MSG(t.MeanCenterNumCellRows(nullptr), EKVLDataTableError,
                       "mean centering of rows is not possible with nominal or ordinal variables");
  EXPECT_EQ(t.Elem(1, 1), 101.0);
  t.SetMScaleType(2, TMScaleType::stInterval);
  TVector means;
  t.MeanCenterNumCellRows(&means);
  EXPECT_EQ(means.Elem(1), 151.0);
  EXPECT_EQ(t.Elem(1, 1), -50.0);
  EXPECT_EQ(t.Elem(2, 2), 50.0);
}

TEST(TableTransform, CalcCovarModes) {
  TDataTable t;
  t.Resize(2, 4);
  const double x[] = {1, 2, 3, 4}, y[] = {2, 4, 6, 9};
  for (int r = 0; r < 4; ++r) {
    t.SetElem(1, r + 1, x[r]);
    t.SetElem(2, r + 1, y[r]);
  }
  TMatrix m;
  m.Resize(2, 2);
  ASSERT_TRUE(t.CalcCovar(&m, 0, 0, 0, 0, 1));
  EXPECT_NEAR(m.Elem(1, 1), 5.0 / 3.0, kTol1e14);  // variance of x
  EXPECT_NEAR(m.Elem(1, 2), 11.5 / 3.0, kTol1e14);  // sum (x-2.5)(y-5.25) = 11.5
  EXPECT_EQ(m.Elem(1, 2), m.Elem(2, 1));
  ASSERT_TRUE(t.CalcCovar(&m, 0, 0, 0, 0, 2));
  EXPECT_EQ(m.Elem(1, 1), 1.0);
  EXPECT_NEAR(m.Elem(2, 1), 11.5 / std::sqrt(5.0 * 26.75), kTol1e14);
  ASSERT_TRUE(t.CalcCovar(&m, 0, 0, 0, 0, 4));
  EXPECT_NEAR(m.Elem(2, 1), (1 + 4 + 9 + 25) / 3.0, kTol1e14);
  ASSERT_TRUE(t.CalcCovar(&m, 0, 0, 0, 0, 0));
  EXPECT_NEAR(m.Elem(1, 1), 30.0 / 3.0, kTol1e14);
  TMatrix small;
  EXPECT_FALSE(t.CalcCovar(&small, 0, 0, 0, 0, 1));  // 1 x 1 for 2 variables
  // fewer than two common numbers
  t.SetIsEmpty(1, 1, true);
  t.SetIsEmpty(1, 2, true);
  t.SetIsEmpty(2, 3, true);
  ASSERT_TRUE(t.CalcCovar(&m, 0, 0, 0, 0, 1));
  EXPECT_EQ(m.Elem(2, 1), 0.0);
}

TEST(TableTransform, CalcCovarStopsOnAbort) {
  ProgressHookGuard guard;
  TDataTable t;
  t.Resize(3, 3);
  FillSerial(t);
  TMatrix m;
  m.Resize(3, 3);
  int calls = 0;
  MathFeedBackProc = [&](double) {
    if (++calls == 4) AbortMathProc = true;  // after the three means, in the first step
  };
  EXPECT_FALSE(t.CalcCovar(&m, 0, 0, 0, 0, 1));
  EXPECT_EQ(m.Elem(3, 3), 0.0);  // never reached
}

}  // namespace
}  // namespace kvl::test
