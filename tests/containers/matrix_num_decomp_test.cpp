// TMatrix decompositions, norms, balancing and differences.

#include <gtest/gtest.h>

#include <cmath>

#include "kvl/containers/KVL_matrix.h"
#include "kvl_test_support.h"
#include "matrix_num_support.h"

namespace kvl {
namespace {

using test::EventLog;
using test::FillSeeded;
using test::SetColumns;

constexpr double kTol = 1e-12;  // well-conditioned small matrices

TEST(MatrixDecomp, InvertAndDeterminant) {
  TMatrix a;
  SetColumns(a, {{4, 2}, {7, 6}});  // det 4·6 - 7·2 = 10
  EXPECT_NEAR(a.Determinant(), 10.0, kTol);
  EventLog log;
  a.OnChange = log.Recorder("change");
  ASSERT_TRUE(a.Invert());
  EXPECT_NEAR(a.GetVal(1, 1), 0.6, kTol);
  EXPECT_NEAR(a.GetVal(1, 2), -0.2, kTol);
  EXPECT_NEAR(a.GetVal(2, 1), -0.7, kTol);
  EXPECT_NEAR(a.GetVal(2, 2), 0.4, kTol);
  EXPECT_EQ(log.Events.size(), 1u);

  TMatrix big, inv, prod;
  FillSeeded(big, 40, 40, 21);
  inv.Assign(&big);
  ASSERT_TRUE(inv.Invert());
  ASSERT_TRUE(big.Multiply(&inv, &prod));
  for (int c = 1; c <= 40; ++c)
    for (int r = 1; r <= 40; ++r) ASSERT_NEAR(prod.GetVal(c, r), c == r ? 1.0 : 0.0, test::kTol1e9);
}

TEST(MatrixDecomp, FailedInversionKeepsTheMatrix) {
  TMatrix s;
  SetColumns(s, {{1, 2}, {2, 4}});  // singular
  EXPECT_FALSE(s.Invert());
  EXPECT_EQ(s.GetVal(2, 2), 4);
  EXPECT_EQ(s.GetVal(1, 2), 2);
  EXPECT_EQ(s.Determinant(), 0.0);
  TMatrix rect;
  rect.Resize(2, 3);
  EXPECT_FALSE(rect.Invert());
  EXPECT_EQ(rect.Determinant(), 0.0);
}

TEST(MatrixDecomp, LuAndCholeskyRebuildTheMatrix) {
  TMatrix a, l, u, lu;
  SetColumns(a, {{4, 12, -16}, {12, 37, -43}, {-16, -43, 98}});  // symmetric positive definite
  ASSERT_TRUE(a.LUdecomposition(&l, &u));
  ASSERT_TRUE(l.Multiply(&u, &lu));
  for (int c = 1; c <= 3; ++c)
    for (int r = 1; r <= 3; ++r) EXPECT_NEAR(lu.GetVal(c, r), a.GetVal(c, r), kTol);
  EXPECT_EQ(l.GetVal(1, 1), 1.0);
  EXPECT_EQ(u.GetVal(1, 2), 0.0);  // U below the diagonal

  TMatrix ch;
  ASSERT_TRUE(a.CholeskyDecomp(&ch));
  // The textbook factor: rows (2), (6, 1), (-8, 5, 3).
  const double expect[3][3] = {{2, 0, 0}, {6, 1, 0}, {-8, 5, 3}};  // [row][column]
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 3; ++c) EXPECT_NEAR(ch.GetVal(c, r), expect[r - 1][c - 1], kTol);
  ASSERT_TRUE(a.CholeskyDecomp(&a));  // into itself
  EXPECT_NEAR(a.GetVal(2, 3), 5, kTol);

  TMatrix notPd;
  SetColumns(notPd, {{1, 2}, {2, 1}});
  ch.Resize(1, 1);
  EXPECT_FALSE(notPd.CholeskyDecomp(&ch));
  EXPECT_EQ(ch.NrOfColumns(), 1);
  TMatrix rect;
  rect.Resize(3, 2);
  EXPECT_FALSE(rect.CholeskyDecomp(&ch));
  EXPECT_FALSE(rect.LUdecomposition(&l, &u));
}

TEST(MatrixDecomp, HatMatrixIsAProjection) {
  TMatrix x, h, hh;
  FillSeeded(x, 3, 10, 22);  // 3 variables, 10 objects
  ASSERT_EQ(x.CalcHatMatrix(&h), 0);
  ASSERT_EQ(h.NrOfColumns(), 10);
  ASSERT_TRUE(h.Multiply(&h, &hh));
  for (int c = 1; c <= 10; ++c)
    for (int r = 1; r <= 10; ++r) EXPECT_NEAR(hh.GetVal(c, r), h.GetVal(c, r), test::kTol1e10);
  EXPECT_NEAR(h.Trace(), 3.0, test::kTol1e10);  // the rank of X
  TMatrix collinear;
  SetColumns(collinear, {{1, 2, 3}, {2, 4, 6}});
  EXPECT_EQ(collinear.CalcHatMatrix(&h), -3);
  EXPECT_EQ(h.NrOfColumns(), 10);  // untouched on failure
}

TEST(MatrixNorms, TheFourNorms) {
  TMatrix a;
  SetColumns(a, {{1, 3}, {-2, 4}});
  EXPECT_EQ(a.Norm(TNormType::ntColwise), 6);
  EXPECT_EQ(a.Norm(TNormType::ntRowwise), 7);
  EXPECT_NEAR(a.Norm(TNormType::ntFrobenius), std::sqrt(30.0), kTol);
  // Singular values of [[1, -2], [3, 4]]: squares are the roots of
  // t² - 30t + 100 = 0, the largest 15 + √125.
  EXPECT_NEAR(a.Norm(TNormType::ntSpectral), std::sqrt(15 + std::sqrt(125.0)), kTol);
  TMatrix wide;
  SetColumns(wide, {{3}, {0}, {-4}});  // one row: the spectral norm is its length
  EXPECT_NEAR(wide.Norm(TNormType::ntSpectral), 5.0, kTol);
  EXPECT_EQ(a.Norm(static_cast<TNormType>(9)), 0.0);
}

TEST(MatrixNorms, SpectralNormThatDoesNotConvergeRaises) {
  TMatrix a;
  SetColumns(a, {{1, std::nan("")}, {2, 3}});
  KVL_EXPECT_THROW_MSG(a.Norm(TNormType::ntSpectral), EKVLMatrixError, "near singular covariance matrix");
}

TEST(MatrixBalance, ScalesOffDiagonalWeightAndKeepsTheDiagonal) {
  TMatrix a;
  SetColumns(a, {{1, 1e-4, 0}, {1e4, 2, 1}, {0, 1, 3}});
  const double trace = a.Trace();
  EventLog log;
  a.OnChange = log.Recorder("change");
  ASSERT_TRUE(a.Balance(5));  // tolerance 1.05
  EXPECT_TRUE(log.Events.empty());
  EXPECT_EQ(a.Trace(), trace);
  // Row 1 and column 1 off-diagonal sums end within the tolerance's reach.
  const double r1 = std::fabs(a.GetVal(2, 1)) + std::fabs(a.GetVal(3, 1));
  const double c1 = std::fabs(a.GetVal(1, 2)) + std::fabs(a.GetVal(1, 3));
  constexpr double kBalanceReach = 0.25;  // balancing stops within a factor of the tolerance
  EXPECT_NEAR(r1 / c1, 1.0, kBalanceReach);
  // The product of the two mirrored cells is invariant under diagonal scaling.
  EXPECT_NEAR(a.GetVal(2, 1) * a.GetVal(1, 2), 1.0, test::kTol1e9);
  TMatrix rect;
  rect.Resize(2, 3);
  EXPECT_FALSE(rect.Balance(1.01));
  TMatrix lonely;  // row 1 has no off-diagonal weight, column 1 has
  SetColumns(lonely, {{1, 5}, {0, 2}});
  ASSERT_TRUE(lonely.Balance(1.01));
  EXPECT_EQ(lonely.GetVal(1, 2), 5);
  EXPECT_TRUE(std::isfinite(lonely.GetVal(2, 1)));
}

TEST(MatrixDiff, StatusCodesAndDifferences) {
  TMatrix a;
  SetColumns(a, {{1, 4, 9}, {2, 2, 5}});  // 2 columns, 3 rows
  EventLog log;
  a.OnChange = log.Recorder("change");
  a.OnResize = log.Recorder("resize");
  EXPECT_EQ(a.Diff(0, TApplyColRow::acrColumns), -1);
  EXPECT_EQ(a.Diff(11, TApplyColRow::acrColumns), -1);
  EXPECT_EQ(a.Diff(3, TApplyColRow::acrColumns), -2);
  EXPECT_EQ(a.Diff(2, TApplyColRow::acrRows), -2);
  EXPECT_EQ(a.Diff(1, static_cast<TApplyColRow>(5)), 0);
  EXPECT_TRUE(log.Events.empty());
  ASSERT_EQ(a.Diff(1, TApplyColRow::acrColumns), 0);
  EXPECT_EQ(log.Events, (std::vector<std::string>{"change", "resize"}));
  ASSERT_EQ(a.NrOfRows(), 2);
  EXPECT_EQ(a.GetVal(1, 1), 3);
  EXPECT_EQ(a.GetVal(1, 2), 5);
  EXPECT_EQ(a.GetVal(2, 1), 0);
  EXPECT_EQ(a.GetVal(2, 2), 3);
  TMatrix b;
  SetColumns(b, {{1}, {4}, {9}, {16}});  // one row, 4 columns
  ASSERT_EQ(b.Diff(2, TApplyColRow::acrRows), 0);
  ASSERT_EQ(b.NrOfColumns(), 2);
  EXPECT_EQ(b.GetVal(1, 1), 2);  // second differences of squares
  EXPECT_EQ(b.GetVal(2, 1), 2);
}

}  // namespace
}  // namespace kvl
