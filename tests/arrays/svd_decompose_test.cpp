#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/arrays/array_kernels.h"
#include "svd_test_helpers.h"

namespace kvl {
namespace {

using test::AllColumns;
using test::Columns;
using test::Decompose;
using test::OrthoError;
using test::ReconstructionError;
using test::Sorted;
using test::TDense;
using test::TSvd;

// Backward-stable algorithm: residuals are a small multiple of eps times the
// matrix scale for the sizes used here (at most 60).
constexpr double kRelTol = 1e-12;
// A singular value counts as zero below this fraction of the largest.
constexpr double kZeroRatio = 1e-13;

double Steps(std::size_t m, std::size_t n) { return 3.0 + 3.0 * n + static_cast<double>(std::min(m, n)); }

// Checks everything a decomposition promises for A: the product, the
// orthogonality of V and of the relevant columns of U, W non-negative.
void ExpectValidSvd(const TDense& A, const TSvd& s) {
  ASSERT_EQ(s.Result, TSvdResult::svdSuccess);
  const double scale = std::max(A.MaxAbs(), 1.0);
  EXPECT_LE(ReconstructionError(A, s), kRelTol * scale);
  EXPECT_LE(OrthoError(s.V, AllColumns(A.n)), kRelTol);
  double wmax = 0.0;
  for (double w : s.W) {
    EXPECT_GE(w, 0.0);
    wmax = std::max(wmax, w);
  }
  if (A.m >= A.n) {
    EXPECT_LE(OrthoError(s.U, AllColumns(A.n)), kRelTol);
  } else {
    std::vector<std::size_t> nonzero;
    for (std::size_t j = 0; j < A.n; ++j)
      if (s.W[j] > kZeroRatio * wmax) nonzero.push_back(j);
    EXPECT_LE(nonzero.size(), A.m);
    EXPECT_LE(OrthoError(s.U, nonzero), kRelTol);
    // rows of U orthonormal: U·Uᵀ = I
    for (std::size_t i = 0; i < A.m; ++i)
      for (std::size_t j = 0; j < A.m; ++j) {
        double x = 0.0;
        for (std::size_t k = 0; k < A.n; ++k) x += s.U(i, k) * s.U(j, k);
        EXPECT_NEAR(x, i == j ? 1.0 : 0.0, kRelTol);
      }
  }
}

// --- random matrices of every shape ------------------------------------------

struct ShapeCase {
  std::size_t m, n;
};

class SvdShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(SvdShapeTest, RandomMatrixDecomposesOnBothForms) {
  const auto [m, n] = GetParam();
  const TDense A = test::RandomDense(m, n, static_cast<std::int32_t>(1000 * m + n));
  const TSvd s = Decompose(A);
  ExpectValidSvd(A, s);
  EXPECT_EQ(s.Steps, Steps(m, n));

  // The nested-array form runs the same engine: identical results.
  TDouble2DArray a = A.Nested(), v;
  TDoubleArray w;
  ASSERT_EQ(SvdDecompose(a, v, w), TSvdResult::svdSuccess);
  EXPECT_EQ(w, s.W);
  EXPECT_EQ(a, s.U.Nested());
  EXPECT_EQ(v, s.V.Nested());
}

INSTANTIATE_TEST_SUITE_P(Shapes, SvdShapeTest,
                         ::testing::Values(ShapeCase{1, 1}, ShapeCase{1, 6}, ShapeCase{6, 1}, ShapeCase{2, 2},
                                           ShapeCase{5, 3}, ShapeCase{3, 5}, ShapeCase{8, 8}, ShapeCase{30, 12},
                                           ShapeCase{12, 30}, ShapeCase{60, 60}),
                         [](const auto& info) {
                           return std::to_string(info.param.m) + "x" + std::to_string(info.param.n);
                         });

// --- structured matrices -----------------------------------------------------

struct KnownCase {
  const char* Name;
  TDense A;
  std::vector<double> W;  // decreasing
};

void PrintTo(const KnownCase& c, std::ostream* os) { *os << c.Name; }

class SvdKnownValuesTest : public ::testing::TestWithParam<KnownCase> {};

TEST_P(SvdKnownValuesTest, SingularValuesAndFactorsAreRight) {
  const KnownCase& c = GetParam();
  const TSvd s = Decompose(c.A);
  ExpectValidSvd(c.A, s);
  const std::vector<double> w = Sorted(s.W);
  ASSERT_EQ(w.size(), c.W.size());
  const double wmax = std::max(c.W.front(), 1e-300);
  for (std::size_t j = 0; j < w.size(); ++j) EXPECT_NEAR(w[j] / wmax, c.W[j] / wmax, kRelTol) << "j=" << j;
}

TDense Scaled(TDense a, double f) {
  for (double& x : a.d) x *= f;
  return a;
}

const double kS5 = std::sqrt(5.0);
// Columns (3, 4) and (0, 5): AᵀA has eigenvalues 45 and 5.
const TDense kTwoByTwo = Columns({{3, 4}, {0, 5}});

INSTANTIATE_TEST_SUITE_P(
    Known, SvdKnownValuesTest,
    ::testing::Values(
        KnownCase{"OneByOneNegative", Columns({{-2.5}}), {2.5}},
        KnownCase{"TwoByTwo", kTwoByTwo, {3 * kS5, kS5}},
        KnownCase{"HugeEntries", Scaled(kTwoByTwo, 1e300), {3 * kS5 * 1e300, kS5 * 1e300}},
        KnownCase{"TinyEntries", Scaled(kTwoByTwo, 1e-300), {3 * kS5 * 1e-300, kS5 * 1e-300}},
        KnownCase{"Diagonal", Columns({{-2, 0, 0}, {0, 0.5, 0}, {0, 0, 7}}), {7, 2, 0.5}},
        KnownCase{"ZeroMatrix", TDense(4, 3), {0, 0, 0}},
        // columns 1 and 2 equal: rank 2 of 3
        KnownCase{"TwoIdenticalColumns", Columns({{1, 0, 0, 0}, {1, 0, 0, 0}, {0, 2, 0, 0}}), {2, std::sqrt(2.0), 0}},
        // one row (1, 1, 1, 1): wide, rank 1
        KnownCase{"WideOneRow", Columns({{1}, {1}, {1}, {1}}), {2, 0, 0, 0}},
        // the outer product (1,2,2)ᵀ(2,1): rank 1, σ = 3·√5
        KnownCase{"OuterProduct", Columns({{2, 4, 4}, {1, 2, 2}}), {3 * kS5, 0}},
        KnownCase{"WideTwoRows", Columns({{3, 0}, {4, 5}, {0, 0}}), {3 * kS5, kS5, 0}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(SvdStructuredTest, RankDeficientRandomMatrixHasExactlyItsRank) {
  // Sum of two random outer products, 9 x 6: rank 2.
  const TDense x = test::RandomDense(9, 2, 7), y = test::RandomDense(6, 2, 8);
  TDense A(9, 6);
  for (std::size_t r = 0; r < 9; ++r)
    for (std::size_t c = 0; c < 6; ++c) A(r, c) = x(r, 0) * y(c, 0) + x(r, 1) * y(c, 1);
  const TSvd s = Decompose(A);
  ExpectValidSvd(A, s);
  const std::vector<double> w = Sorted(s.W);
  EXPECT_GT(w[1], 0.01 * w[0]);
  for (std::size_t j = 2; j < w.size(); ++j) EXPECT_LT(w[j], kZeroRatio * w[0]);

  // The transpose (wide, rank-deficient beyond its shape) has the same
  // singular values and zeros for the rest.
  TDense At(6, 9);
  for (std::size_t r = 0; r < 9; ++r)
    for (std::size_t c = 0; c < 6; ++c) At(c, r) = A(r, c);
  const TSvd st = Decompose(At);
  ExpectValidSvd(At, st);
  const std::vector<double> wt = Sorted(st.W);
  for (std::size_t j = 0; j < 2; ++j) EXPECT_NEAR(wt[j], w[j], kRelTol * w[0]);
  for (std::size_t j = 2; j < wt.size(); ++j) EXPECT_LT(wt[j], kZeroRatio * w[0]);
}

TEST(SvdStructuredTest, NoRowsOrNoColumns) {
  const TSvd noRows = Decompose(TDense(0, 3));
  ASSERT_EQ(noRows.Result, TSvdResult::svdSuccess);
  EXPECT_EQ(noRows.W, (std::vector<double>{0, 0, 0}));
  EXPECT_LE(OrthoError(noRows.V, AllColumns(3)), 0.0);
  const TSvd noCols = Decompose(TDense(4, 0));
  EXPECT_EQ(noCols.Result, TSvdResult::svdSuccess);
  EXPECT_EQ(noCols.Steps, Steps(4, 0));
}

// --- failures ----------------------------------------------------------------

TEST(SvdFailureTest, NonFiniteEntriesReportNoConvergenceAndChangeNothing) {
  for (const double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    TDense A = test::RandomDense(4, 3, 5);
    A(2, 1) = bad;
    const TSvd s = Decompose(A);
    EXPECT_EQ(s.Result, TSvdResult::svdNoConvergence);
    EXPECT_EQ(s.Steps, 0.0);
    EXPECT_EQ(s.U.d.size(), A.d.size());
    for (std::size_t i = 0; i < A.d.size(); ++i) {
      if (!std::isnan(A.d[i])) {
        EXPECT_EQ(s.U.d[i], A.d[i]);
      }
    }
  }
}

TEST(SvdFailureTest, MismatchedExtentsReportBadSize) {
  TDense A = test::RandomDense(4, 3, 5);
  const std::vector<double> before = A.d;
  std::vector<double> v(9), w(3), wShort(2), vSmall(4);
  EXPECT_EQ(SvdDecompose(A.View(), TColumnView<double>(v.data(), 3, 3), wShort), TSvdResult::svdBadSize);
  EXPECT_EQ(SvdDecompose(A.View(), TColumnView<double>(vSmall.data(), 2, 2), w), TSvdResult::svdBadSize);
  EXPECT_EQ(SvdDecompose(A.View(), TColumnView<double>(v.data(), 3, 2), w), TSvdResult::svdBadSize);
  EXPECT_EQ(A.d, before);

  TDouble2DArray ragged = {{1, 2, 3}, {4, 5}}, V;
  TDoubleArray W;
  EXPECT_EQ(SvdDecompose(ragged, V, W), TSvdResult::svdBadSize);
}

TEST(SvdFailureTest, SharedStorageIsRefused) {
  // 3 x 3 matrix whose V or W would overlap it.
  std::vector<double> store(20, 1.0);
  const std::vector<double> before = store;
  TColumnView<double> A(store.data(), 3, 3);
  std::vector<double> v(9), w(3);
  EXPECT_EQ(SvdDecompose(A, TColumnView<double>(store.data() + 8, 3, 3), w), TSvdResult::svdBadSize);
  EXPECT_EQ(SvdDecompose(A, TColumnView<double>(v.data(), 3, 3), std::span<double>(store.data() + 6, 3)),
            TSvdResult::svdBadSize);
  EXPECT_EQ(SvdDecompose(A, TColumnView<double>(v.data(), 3, 3), std::span<double>(v.data() + 7, 3)),
            TSvdResult::svdBadSize);
  EXPECT_EQ(store, before);
  // adjacent storage is fine
  std::vector<double> adj(21, 0.0);
  for (std::size_t i = 0; i < 9; ++i) adj[i] = static_cast<double>(i % 4);
  EXPECT_EQ(SvdDecompose(TColumnView<double>(adj.data(), 3, 3), TColumnView<double>(adj.data() + 9, 3, 3),
                         std::span<double>(adj.data() + 18, 3)),
            TSvdResult::svdSuccess);

  TDouble2DArray a = {{1, 2}, {3, 4}};
  TDoubleArray W;
  EXPECT_EQ(SvdDecompose(a, a, W), TSvdResult::svdBadSize);
  EXPECT_EQ(a, (TDouble2DArray{{1, 2}, {3, 4}}));
}

// --- progress and abort --------------------------------------------------------

// The abort flag is raised by the hook when ProcStat reaches StopAt; the
// decomposition must stop right after that step.
struct AbortCase {
  const char* Name;
  double StopAt;
};

class SvdAbortTest : public ::testing::TestWithParam<AbortCase> {};

TEST_P(SvdAbortTest, StopsAtOnceWhenAbortMathProcIsSet) {
  constexpr std::size_t m = 7, n = 5;
  test::ProgressHookGuard guard;
  const double stopAt = GetParam().StopAt;
  ProcStat = 0.0;
  int calls = 0;
  MathFeedBackProc = [&](double p) {
    ++calls;
    if (p >= stopAt) AbortMathProc = true;
  };
  TDense A = test::RandomDense(m, n, 3);
  TDense V(n, n);
  std::vector<double> W(n);
  EXPECT_EQ(SvdDecompose(A.View(), V.View(), W), TSvdResult::svdAborted);
  EXPECT_EQ(ProcStat, stopAt);
  EXPECT_EQ(calls, static_cast<int>(stopAt));
}

// Steps for 7 x 5: 1 + 5 (bidiagonalisation), 1 + 5 + 5 (accumulation),
// 1 + 5 (diagonalisation).
INSTANTIATE_TEST_SUITE_P(Phases, SvdAbortTest,
                         ::testing::Values(AbortCase{"FirstStep", 1}, AbortCase{"MidBidiagonalisation", 4},
                                           AbortCase{"StartOfAccumulation", 7}, AbortCase{"MidLeftAccumulation", 15},
                                           AbortCase{"StartOfDiagonalisation", 18},
                                           AbortCase{"LastSingularValue", 23}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(SvdProgressTest, CountsEveryStepWithoutHookAndAbortsWhenFlagPreset) {
  test::ProgressHookGuard guard;
  ProcStat = 10.0;
  TDense A = test::RandomDense(4, 6, 11);
  TDense V(6, 6);
  std::vector<double> W(6);
  ASSERT_EQ(SvdDecompose(A.View(), V.View(), W), TSvdResult::svdSuccess);
  EXPECT_EQ(ProcStat, 10.0 + Steps(4, 6));

  AbortMathProc = true;
  ProcStat = 0.0;
  TDense B = test::RandomDense(4, 6, 11);
  EXPECT_EQ(SvdDecompose(B.View(), V.View(), W), TSvdResult::svdAborted);
  EXPECT_EQ(ProcStat, 1.0);
}

// The values-only path (the spectral norm's) gives the decomposition's W bit
// for bit, in the same number of progress steps, on every shape.
TEST(SvdValuesOnlyTest, SameValuesAndStepsAsTheDecomposition) {
  test::ProgressHookGuard guard;
  for (const auto& [m, n] : {std::pair<std::size_t, std::size_t>{9, 6}, {6, 9}, {40, 40}, {1, 3}}) {
    const TDense A = test::RandomDense(m, n, 17);
    TDense full = A, values = A, V(n, n);
    std::vector<double> w(n), wOnly(n);
    ProcStat = 0.0;
    ASSERT_EQ(SvdDecompose(full.View(), V.View(), w), TSvdResult::svdSuccess);
    const double steps = ProcStat;
    ProcStat = 0.0;
    ASSERT_EQ(detail::SingularValues(values.View(), wOnly), TSvdResult::svdSuccess);
    EXPECT_EQ(ProcStat, steps) << m << " x " << n;
    EXPECT_EQ(w, wOnly) << m << " x " << n;
  }
  TDense A = test::RandomDense(5, 4, 2);
  std::vector<double> three(3);
  EXPECT_EQ(detail::SingularValues(A.View(), three), TSvdResult::svdBadSize);
  std::vector<double> w(4);
  AbortMathProc = true;
  EXPECT_EQ(detail::SingularValues(A.View(), w), TSvdResult::svdAborted);
}

}  // namespace
}  // namespace kvl
