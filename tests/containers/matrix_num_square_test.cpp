// TMatrix::Square: results independent of the thread count, progress,
// abort, and the calling thread's exclusive use of the progress hook.

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "kvl/containers/KVL_matrix.h"
#include "kvl_test_support.h"
#include "matrix_num_support.h"

namespace kvl {
namespace {

using test::FillSeeded;
using test::ProgressHookGuard;
using test::SetColumns;

bool SameCells(const TMatrix& a, const TMatrix& b) {
  return a.NrOfColumns() == b.NrOfColumns() && a.NrOfRows() == b.NrOfRows() &&
         std::memcmp(a.Data().data(), b.Data().data(), a.Data().size() * sizeof(double)) == 0;
}

TEST(MatrixSquare, ThreeByTwoEqualsTransposeAndMultiply) {
  TMatrix a, ref;
  SetColumns(a, {{1, 2}, {-3, 0.5}, {4, 7}});  // 3 columns, 2 rows
  ASSERT_TRUE(a.TransposeAndMultiply(&a, &ref));
  for (int threads : {1, 2, 8}) {
    TMatrix sq;
    ASSERT_TRUE(a.Square(&sq, 1.0, threads)) << threads;
    EXPECT_TRUE(SameCells(sq, ref)) << threads;
  }
  EXPECT_EQ(ref.GetVal(1, 3), 1 * 4 + 2 * 7);
}

TEST(MatrixSquare, SameBitsWithAnyThreadCount) {
  ProgressHookGuard guard;
  TMatrix a, one;
  FillSeeded(a, 157, 300, 11);  // panels, tiles and row blocks all with remainders
  ASSERT_TRUE(a.Square(&one, 3.0, 1));
  EXPECT_NEAR(one.GetVal(5, 9), one.GetVal(9, 5), 0.0);
  for (int threads : {2, 3, 8, 400}) {  // 400: more threads than columns
    TMatrix many;
    ASSERT_TRUE(a.Square(&many, 3.0, threads)) << threads;
    EXPECT_TRUE(SameCells(one, many)) << threads;
  }
  TMatrix dflt;
  ASSERT_TRUE(a.Square(&dflt, 3.0));
  EXPECT_TRUE(SameCells(one, dflt));
  TMatrix unscaled, ref;  // several row blocks and column panels
  ASSERT_TRUE(a.Square(&unscaled, 1.0, 2));
  ASSERT_TRUE(a.TransposeAndMultiply(&a, &ref));
  EXPECT_TRUE(SameCells(unscaled, ref));
  // Divided by Norm: the (1, 2) cell is the column product over 3.
  long double s = 0;
  for (int r = 1; r <= 300; ++r) s += static_cast<long double>(a.GetVal(1, r)) * a.GetVal(2, r);
  EXPECT_NEAR(one.GetVal(1, 2), static_cast<double>(s / 3), test::kTol1e12);
}

TEST(MatrixSquare, NullResultAndResultIntoItself) {
  TMatrix a, ref;
  FillSeeded(a, 4, 9, 12);
  EXPECT_FALSE(a.Square(nullptr, 1.0, 2));
  ASSERT_TRUE(a.Square(&ref, 1.0, 1));
  ASSERT_TRUE(a.Square(&a, 1.0, 2));
  EXPECT_TRUE(SameCells(a, ref));
}

TEST(MatrixSquare, ProgressCountsEveryColumnFromTheCallingThread) {
  ProgressHookGuard guard;
  TMatrix a, sq;
  FillSeeded(a, 90, 50, 13);
  for (int threads : {1, 2, 4}) {
    ProcStat = 0;
    int calls = 0;
    bool foreign = false;
    const auto caller = std::this_thread::get_id();
    MathFeedBackProc = [&](double) {
      ++calls;
      foreign = foreign || std::this_thread::get_id() != caller;
    };
    ASSERT_TRUE(a.Square(&sq, 1.0, threads));
    EXPECT_EQ(ProcStat, 90.0) << threads;  // no increment lost
    EXPECT_GE(calls, threads == 1 ? 90 : 2) << threads;
    EXPECT_FALSE(foreign) << threads;
  }
}

// The workers never write ProcStat: a hook may read it while they run (no
// data race under ThreadSanitizer) and always finds the value it is given.
TEST(MatrixSquare, HookReadsProcStatWhileWorkersRun) {
  ProgressHookGuard guard;
  TMatrix a, sq;
  FillSeeded(a, 300, 400, 15);
  ProcStat = 5;
  double last = 5;
  bool monotone = true, sameAsGlobal = true;
  MathFeedBackProc = [&](double p) {
    sameAsGlobal = sameAsGlobal && p == ProcStat;
    monotone = monotone && ProcStat >= last;
    last = ProcStat;
  };
  ASSERT_TRUE(a.Square(&sq, 1.0, 2));
  EXPECT_TRUE(sameAsGlobal);
  EXPECT_TRUE(monotone);
  EXPECT_EQ(ProcStat, 305.0);
  EXPECT_EQ(last, 305.0);  // the last call reports every column
}

TEST(MatrixSquare, HookThatAbortsMidwayStopsTheHandOut) {
  ProgressHookGuard guard;
  TMatrix a, sq;
  FillSeeded(a, 400, 600, 14);
  for (int threads : {1, 2}) {
    ProcStat = 0;
    AbortMathProc = false;
    MathFeedBackProc = [](double p) {
      if (p >= 20) AbortMathProc = true;
    };
    EXPECT_FALSE(a.Square(&sq, 1.0, threads)) << threads;
    EXPECT_GE(ProcStat, 20.0) << threads;
    EXPECT_EQ(sq.NrOfColumns(), 400);
    // Alone, the calling thread checks the flag before every column.
    if (threads == 1) {
      EXPECT_EQ(ProcStat, 20.0);
    }
  }
  ProcStat = 0;
  AbortMathProc = true;  // set before the call: no column is computed
  MathFeedBackProc = nullptr;
  EXPECT_FALSE(a.Square(&sq, 1.0, 1));
  EXPECT_EQ(ProcStat, 0.0);
}

}  // namespace
}  // namespace kvl
