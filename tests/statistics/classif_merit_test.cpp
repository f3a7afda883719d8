#include "kvl/statistics/statis/classif_merit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "kvl_test_support.h"

namespace kvl {
namespace {

// One hand-made confusion count per row with the figures from their
// definitions (quotients with a zero denominator count 0).
struct TMeritRow {
  std::int32_t tp, fp, tn, fn;
  double Accuracy, Matthews, Informedness;
};

const TMeritRow kMeritRows[] = {
    {40, 5, 50, 5, 0.9, (2000.0 - 25.0) / (45.0 * 55.0), 40.0 / 45.0 + 50.0 / 55.0 - 1.0},
    {10, 0, 10, 0, 1.0, 1.0, 1.0},
    {0, 10, 0, 10, 0.0, -1.0, -1.0},
    {5, 5, 5, 5, 0.5, 0.0, 0.0},
    // No negatives at all (fp + tn = 0): MCC's root is 0, TN/(FP + TN) counts 0.
    {7, 0, 0, 3, 0.7, 0.0, 0.7 - 1.0},
    // No positives (tp + fn = 0).
    {0, 4, 6, 0, 0.6, 0.0, 0.6 - 1.0},
    // Nothing predicted positive.
    {0, 0, 6, 4, 0.6, 0.0, 0.0},
    // Empty matrix.
    {0, 0, 0, 0, 0.0, 0.0, -1.0},
    // Large counts: the products of MCC exceed 2^63.
    {2000000000, 1, 2000000000, 1, 4e9 / (4e9 + 2), (4e18 - 1) / ((2e9 + 1) * (2e9 + 1)),
     2e9 / (2e9 + 1) * 2 - 1},
};

TEST(ClassifMeritTest, FreeFiguresFollowTheirDefinitions) {
  for (const auto& r : kMeritRows) {
    SCOPED_TRACE(testing::Message() << r.tp << " " << r.fp << " " << r.tn << " " << r.fn);
    EXPECT_NEAR(CFAccuracy(r.tp, r.fp, r.tn, r.fn), r.Accuracy, test::kTol1e15);
    EXPECT_NEAR(CFMatthewsCorr(r.tp, r.fp, r.tn, r.fn), r.Matthews, test::kTol1e15);
    EXPECT_NEAR(CFInformedness(r.tp, r.fp, r.tn, r.fn), r.Informedness, test::kTol1e15);
  }
}

TEST(ClassifMeritTest, NegativeTotalsGiveZero) {
  EXPECT_EQ(CFAccuracy(-1, 0, -1, 0), 0.0);
  EXPECT_EQ(CFMatthewsCorr(-1, 0, 3, 4), 0.0);  // negative product under the root
  EXPECT_EQ(CFInformedness(-2, 0, -3, 0), -1.0);
}

TEST(ExtractClassifPerformanceTest, CountsOfEachClassOfAThreeByThreeMatrix) {
  // [column][row]; the cells sum to 132.
  const TInt2DArray conf = {{50, 2, 1}, {3, 40, 2}, {0, 4, 30}};
  // TP = cell (k, k), FP = column k - TP, FN = row k - TP, TN = the rest.
  const struct { std::int32_t tp, fp, tn, fn; } expected[] = {{50, 3, 76, 3}, {40, 5, 81, 6}, {30, 4, 95, 3}};
  for (std::int32_t k = 0; k < 3; ++k) {
    std::int32_t tp = -9, fp = -9, tn = -9, fn = -9;
    ASSERT_EQ(ExtractClassifPerformance(k, conf, tp, fp, tn, fn), 0) << k;
    const auto& e = expected[k];
    EXPECT_EQ(tp, e.tp) << k;
    EXPECT_EQ(fp, e.fp) << k;
    EXPECT_EQ(tn, e.tn) << k;
    EXPECT_EQ(fn, e.fn) << k;
    EXPECT_EQ(tp + fp + tn + fn, 132) << k;
  }
}

TEST(ExtractClassifPerformanceTest, StatusCodes) {
  std::int32_t tp = 7, fp = 7, tn = 7, fn = 7;
  const TInt2DArray square = {{1, 2}, {3, 4}};
  const TInt2DArray twoByThree = {{1, 2, 3}, {4, 5, 6}};
  const TInt2DArray ragged = {{1, 2}, {3}};
  const struct {
    std::string Name;
    const TInt2DArray& M;
    std::int32_t Class, Status;
  } rows[] = {{"2x3", twoByThree, 0, -1},     {"ragged", ragged, 1, -1},  {"negative class", square, -1, -2},
              {"class = size", square, 2, -2}, {"-2 wins", twoByThree, 5, -2}, {"empty", TInt2DArray{}, 0, -2}};
  for (const auto& r : rows) EXPECT_EQ(ExtractClassifPerformance(r.Class, r.M, tp, fp, tn, fn), r.Status) << r.Name;
  EXPECT_EQ(tp + fp + tn + fn, 28) << "outputs untouched on failure";
}

// The matrix form (1-based class, dense or sparse) counts as the array form.
TEST(ExtractClassifPerformanceTest, MatrixFormAgreesWithTheArrayForm) {
  const TInt2DArray conf = {{50, 2, 1}, {3, 40, 2}, {0, 4, 30}};
  TIntMatrix dense;
  dense.Resize(3, 3);
  std::unique_ptr<TIntMatrix> sparse(TIntMatrix::CreateSparse(nullptr, 4));
  sparse->Resize(3, 3);
  for (std::int32_t c = 0; c < 3; ++c)
    for (std::int32_t r = 0; r < 3; ++r) {
      dense.SetVal(c + 1, r + 1, conf[c][r]);
      sparse->SetVal(c + 1, r + 1, conf[c][r]);
    }
  for (const TIntMatrix* m : {&dense, sparse.get()})
    for (std::int32_t k = 0; k < 3; ++k) {
      std::int32_t a[4], b[4];
      ASSERT_EQ(ExtractClassifPerformance(k, conf, a[0], a[1], a[2], a[3]), 0);
      ASSERT_EQ(ExtractClassifPerformance(k + 1, *m, b[0], b[1], b[2], b[3]), 0);
      EXPECT_TRUE(std::equal(a, a + 4, b)) << k;
    }
  std::int32_t tp, fp, tn, fn;
  EXPECT_EQ(ExtractClassifPerformance(0, dense, tp, fp, tn, fn), -2);
  EXPECT_EQ(ExtractClassifPerformance(4, dense, tp, fp, tn, fn), -2);
  dense.Resize(2, 3);
  EXPECT_EQ(ExtractClassifPerformance(1, dense, tp, fp, tn, fn), -1);
  EXPECT_EQ(ExtractClassifPerformance(3, dense, tp, fp, tn, fn), -2);  // -2 wins
}

// --- PLS model comment ------------------------------------------------------------------------

TEST(LoadPLSModelCommentTest, ReadsTheCommentOfAModelFile) {
  test::TempFile f(".xml");
  test::WriteFile(f.Path(),
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- written by a test -->\n"
                  "<plsmodel version=\"1\">\n  <comment>Octane &lt;NIR&gt; &amp; 3 factors</comment>\n"
                  "  <modeltype>mlr</modeltype>\n  <scaling>standardize</scaling>\n</plsmodel>\n");
  std::string comment = "old";
  EXPECT_EQ(LoadPLSModelComment(f.Path(), comment), 0);
  EXPECT_EQ(comment, "Octane <NIR> & 3 factors");
}

TEST(LoadPLSModelCommentTest, StatusCodes) {
  const struct {
    std::string Name, Text;
    std::int32_t Status;
  } rows[] = {
      {"other root", "<matrix><comment>x</comment></matrix>", -2},
      {"plain text", "octane 3 factors", -2},
      {"binary", std::string("\0\1<\xff", 4), -2},
      {"unclosed declaration", "<?xml version=\"1.0\"", -2},
      {"no comment", "<plsmodel><modeltype>rr</modeltype></plsmodel>", -3},
      {"empty model", "<plsmodel/>", -3},
      {"comment after the model", "<plsmodel></plsmodel><comment>x</comment>", -3},
      {"truncated", "<plsmodel><modeltype>lda</modeltype>", -3},
      {"upper case", "<PLSModel><Comment>ok</Comment></PLSModel>", 0},
  };
  for (const auto& r : rows) {
    test::TempFile f(".xml");
    test::WriteFile(f.Path(), r.Text);
    std::string comment = "old";
    EXPECT_EQ(LoadPLSModelComment(f.Path(), comment), r.Status) << r.Name;
    EXPECT_EQ(comment, r.Status == 0 ? "ok" : "") << r.Name;
  }
  std::string comment = "old";
  EXPECT_EQ(LoadPLSModelComment("/nonexistent/dir/model.xml", comment), -1);
  EXPECT_EQ(comment, "");
}

}  // namespace
}  // namespace kvl
