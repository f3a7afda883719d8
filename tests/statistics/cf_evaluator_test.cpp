#include "kvl/statistics/statis/cf_evaluator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "kvl_test_support.h"

namespace kvl {
namespace {

void Load(TCFEvaluator& ev, const std::vector<double>& truth, const std::vector<double>& est) {
  ev.SetNData(static_cast<std::int32_t>(truth.size()));
  for (std::size_t i = 0; i < truth.size(); ++i) {
    ev.SetTrueData(static_cast<std::int32_t>(i + 1), truth[i]);
    ev.SetEstimData(static_cast<std::int32_t>(i + 1), est[i]);
  }
}

struct TFigures {
  double Tp, Tn, Fp, Fn, Prec, Npv, Threat, F1, Acc, Inf, Mcc, Unc;
};

TFigures FiguresOf(const TCFEvaluator& ev) {
  return {ev.TpRate(),      ev.TnRate(),   ev.FpRate(),   ev.FnRate(),       ev.Precision(),   ev.NegPredVal(),
          ev.ThreatScore(), ev.F1Score(),  ev.Accuracy(), ev.Informedness(), ev.MatthewsCorr(), ev.UncertCoeff()};
}

TEST(TCFEvaluatorTest, FreshComponentIsNotDichotomous) {
  TCFEvaluator ev;
  EXPECT_EQ(ev.NData(), 1);
  const TFigures f = FiguresOf(ev);
  for (const double v : {f.Tp, f.Tn, f.Fp, f.Fn, f.Prec, f.Npv, f.Threat, f.F1, f.Acc, f.Mcc, f.Unc}) EXPECT_EQ(v, -2.0);
  EXPECT_EQ(f.Inf, -3.0);
  EXPECT_EQ(ev.CalcConfusionMatrix(0.0), -2);
}

TEST(TCFEvaluatorTest, ErrorValuesOfCountsThatAreNotCurrent) {
  TMatrix m;
  m.Resize(2, 4);
  for (std::int32_t r = 1; r <= 4; ++r) {
    m.SetVal(1, r, r % 2);
    m.SetVal(2, r, 0.25 * r);
  }
  TCFEvaluator ev;
  EXPECT_EQ(ev.CopyEstFromMatrix(2, &m), 0);
  EXPECT_EQ(ev.CopyTrueFromMatrix(1, &m), 0);
  EXPECT_EQ(ev.MatthewsCorr(), -3.0);
  EXPECT_EQ(ev.Informedness(), -2.0);
  EXPECT_EQ(ev.Accuracy(), -1.0);
  std::int64_t tp, fp, tn, fn;
  double th;
  EXPECT_EQ(ev.GetConfMatValues(tp, fp, tn, fn, th), -1);
  // Sorting alone does not make counts current; a calculation does.
  EXPECT_EQ(ev.SortEstimated(), 0);
  EXPECT_EQ(ev.Accuracy(), -1.0);
  ASSERT_EQ(ev.CalcConfusionMatrix(0.6), 0);
  EXPECT_EQ(ev.GetConfMatValues(tp, fp, tn, fn, th), 0);
  EXPECT_EQ(th, 0.6);
  EXPECT_EQ(ev.Threshold(), 0.6);
  ev.SetEstimData(1, 0.1);  // the counts are stale now
  EXPECT_EQ(ev.Accuracy(), -1.0);
  // Not dichotomous wins over not current.
  for (std::int32_t r = 1; r <= 3; ++r) m.SetVal(1, r, 1.0);
  m.SetVal(1, 4, 1.0);
  EXPECT_EQ(ev.CopyTrueFromMatrix(1, &m), -2);
  EXPECT_EQ(ev.Accuracy(), -2.0);
  EXPECT_EQ(ev.MatthewsCorr(), -2.0);
  EXPECT_EQ(ev.Informedness(), -3.0);
  EXPECT_EQ(ev.GetConfMatValues(tp, fp, tn, fn, th), -2);
  EXPECT_EQ(ev.CopyTrueFromMatrix(3, &m), -1);
  EXPECT_EQ(ev.CopyTrueFromMatrix(0, &m), -1);
  EXPECT_EQ(ev.CopyEstFromMatrix(1, nullptr), -1);
}

TEST(TCFEvaluatorTest, EstimateEqualToTheThresholdIsPredictedPositive) {
  TCFEvaluator ev;
  Load(ev, {0, 1, 0, 1}, {0.5, 0.5, 0.5, 0.5});
  ASSERT_EQ(ev.CalcConfusionMatrix(0.5), 0);
  std::int64_t tp, fp, tn, fn;
  double th;
  ASSERT_EQ(ev.GetConfMatValues(tp, fp, tn, fn, th), 0);
  EXPECT_EQ(tp, 2);
  EXPECT_EQ(fp, 2);
  EXPECT_EQ(tn, 0);
  EXPECT_EQ(fn, 0);
}

TEST(TCFEvaluatorTest, CalculationSortsByDescendingEstimate) {
  TCFEvaluator ev;
  Load(ev, {0, 1, 0, 1, 0}, {0.2, NAN, 0.9, 0.5, 0.5});
  ASSERT_EQ(ev.CalcConfusionMatrix(0.4), 0);
  const double est[] = {0.9, 0.5, 0.5, NAN};
  const double truth[] = {0, 1, 0, 0};  // equal estimates keep their order
  for (std::int32_t i = 1; i <= 4; ++i) {
    if (std::isnan(est[i - 1]))
      EXPECT_TRUE(std::isnan(ev.GetEstimData(5)));
    else
      EXPECT_EQ(ev.GetEstimData(i), est[i - 1]) << i;
    EXPECT_EQ(ev.GetTrueData(i), truth[i - 1]) << i;
  }
  EXPECT_EQ(ev.GetEstimData(4), 0.2);
  EXPECT_EQ(ev.GetTrueData(6), 0.0);
  std::int64_t tp, fp, tn, fn;
  double th;
  ev.GetConfMatValues(tp, fp, tn, fn, th);
  EXPECT_EQ(tp, 1);  // the NaN estimate of a positive is predicted negative
  EXPECT_EQ(fn, 1);
  EXPECT_EQ(fp, 2);
  EXPECT_EQ(tn, 1);
}

// Hand-made data and the figures from their definitions.
struct TCountsCase {
  std::string Name;
  std::vector<double> Truth, Est;
  double Thresh;
  double tp, fp, tn, fn;
};

class TCFEvaluatorFigures : public testing::TestWithParam<TCountsCase> {};

double Q(double a, double b) { return b == 0.0 ? 0.0 : a / b; }

TEST_P(TCFEvaluatorFigures, FiguresFollowTheirDefinitions) {
  const TCountsCase& c = GetParam();
  TCFEvaluator ev;
  Load(ev, c.Truth, c.Est);
  ASSERT_EQ(ev.CalcConfusionMatrix(c.Thresh), 0);
  std::int64_t tp, fp, tn, fn;
  double th;
  ASSERT_EQ(ev.GetConfMatValues(tp, fp, tn, fn, th), 0);
  EXPECT_EQ(tp, c.tp);
  EXPECT_EQ(fp, c.fp);
  EXPECT_EQ(tn, c.tn);
  EXPECT_EQ(fn, c.fn);
  const double n = c.tp + c.fp + c.tn + c.fn;
  const auto h = [n](std::initializer_list<double> counts) {
    double s = 0.0;
    for (const double k : counts)
      if (k > 0) s -= k / n * std::log(k / n);
    return s;
  };
  const double hp = h({c.tp + c.fp, c.fn + c.tn}), ht = h({c.tp + c.fn, c.fp + c.tn}), hj = h({c.tp, c.fp, c.tn, c.fn});
  const double root = std::sqrt((c.tp + c.fp) * (c.tp + c.fn) * (c.tn + c.fp) * (c.tn + c.fn));
  const TFigures f = FiguresOf(ev);
  EXPECT_NEAR(f.Tp, Q(c.tp, c.tp + c.fn), test::kTol1e15);
  EXPECT_NEAR(f.Tn, Q(c.tn, c.tn + c.fp), test::kTol1e15);
  EXPECT_NEAR(f.Fp, Q(c.fp, c.tn + c.fp), test::kTol1e15);
  EXPECT_NEAR(f.Fn, Q(c.fn, c.tp + c.fn), test::kTol1e15);
  EXPECT_NEAR(f.Prec, Q(c.tp, c.tp + c.fp), test::kTol1e15);
  EXPECT_NEAR(f.Npv, Q(c.tn, c.tn + c.fn), test::kTol1e15);
  EXPECT_NEAR(f.Threat, Q(c.tp, c.tp + c.fn + c.fp), test::kTol1e15);
  EXPECT_NEAR(f.F1, Q(2 * c.tp, 2 * c.tp + c.fn + c.fp), test::kTol1e15);
  EXPECT_NEAR(f.Acc, Q(c.tp + c.tn, n), test::kTol1e15);
  EXPECT_NEAR(f.Inf, Q(c.tp, c.tp + c.fn) + Q(c.tn, c.tn + c.fp) - 1.0, test::kTol1e15);
  EXPECT_NEAR(f.Mcc, Q(c.tp * c.tn - c.fp * c.fn, root), test::kTol1e15);
  EXPECT_NEAR(f.Unc, 2 * (hp + ht - hj) / (hp + ht + 1e-15), test::kTol1e14);
  for (const double v : {f.Tp, f.Tn, f.Fp, f.Fn, f.Prec, f.Npv, f.Threat, f.F1, f.Acc, f.Inf, f.Mcc, f.Unc})
    EXPECT_FALSE(std::isnan(v));
}

INSTANTIATE_TEST_SUITE_P(
    Counts, TCFEvaluatorFigures,
    testing::Values(
        TCountsCase{"Mixed", {1, 1, 1, 1, 1, 0, 0, 0, 0, 0}, {.9, .8, .7, .3, .2, .6, .4, .1, .1, 0}, 0.5, 3, 1, 4, 2},
        TCountsCase{"Perfect", {2, 2, 5, 5}, {0, 1, 7, 8}, 5, 2, 0, 2, 0},
        // The larger true value is the positive class, whatever its value.
        TCountsCase{"NegativeValues", {-1, -3, -3}, {0.4, 0.5, 0.1}, 0.45, 0, 1, 1, 1},
        // Nothing predicted positive: TP + FP = 0.
        TCountsCase{"NonePredictedPositive", {0, 1, 0, 1}, {1, 2, 3, 4}, 10, 0, 0, 2, 2},
        // Everything predicted positive: TN + FN = 0.
        TCountsCase{"AllPredictedPositive", {0, 1, 1}, {1, 2, 3}, -10, 2, 1, 0, 0}),
    [](const testing::TestParamInfo<TCountsCase>& info) { return info.param.Name; });

TEST(TCFEvaluatorTest, NDataAndDichotomy) {
  TCFEvaluator ev;
  ev.SetNData(3);
  EXPECT_EQ(ev.NData(), 3);
  ev.SetNData(0);
  ev.SetNData(-4);
  EXPECT_EQ(ev.NData(), 3);
  ev.SetTrueData(1, 4.0);
  ev.SetTrueData(4, 9.0);  // outside: ignored
  EXPECT_EQ(ev.DichoV1(), 0.0);
  EXPECT_EQ(ev.DichoV2(), 4.0);
  TMatrix m;
  m.Resize(1, 5);
  ev.CopyTrueFromMatrix(1, &m);
  EXPECT_EQ(ev.NData(), -1);
  EXPECT_EQ(ev.CalcConfusionMatrix(0.0), -2);  // five zeros: not dichotomous, -2 wins
  m.SetVal(1, 2, 1.0);
  ev.CopyTrueFromMatrix(1, &m);
  EXPECT_EQ(ev.CalcConfusionMatrix(0.0), -1);
  EXPECT_EQ(ev.SortEstimated(), -1);
}

TEST(TCFEvaluatorTest, ActualDichoValues) {
  const struct {
    std::vector<double> Truth;
    bool Result;
    double V1, V2;
  } rows[] = {{{5}, false, 0, 0},          {{3, 1, 3, 1}, true, 1, 3}, {{2, 2, 2}, true, 2, 2},
              {{4, 2, 7, 2}, false, 2, 4}, {{1, 1, 0}, true, 0, 1}};
  for (const auto& r : rows) {
    TCFEvaluator ev;
    Load(ev, r.Truth, r.Truth);
    double v1 = -9, v2 = -9;
    EXPECT_EQ(ev.GetActualDichoValues(v1, v2), r.Result) << r.Truth.size();
    EXPECT_EQ(v1, r.V1);
    EXPECT_EQ(v2, r.V2);
  }
}

// --- ROC ---------------------------------------------------------------------------------------

TEST(TCFEvaluatorROC, CurveAreaAndThresholdsOfASmallExample) {
  TCFEvaluator ev;
  Load(ev, {0, 1, 1, 0, 1, 0}, {0.4, 0.7, 0.9, 0.8, 0.6, 0.5});
  TDouble2DArray roc;
  std::int32_t best = -1;
  double auc = -1, tMcc = -1, tAcc = -1, tInf = -1;
  ASSERT_EQ(ev.OptimizeThresholds(roc, best, auc, tMcc, tAcc, tInf), 0);
  ASSERT_EQ(roc.size(), 3u);
  const std::vector<double> fpr = {0, 1. / 3, 1. / 3, 1. / 3, 2. / 3, 1, 1};
  const std::vector<double> tpr = {1. / 3, 1. / 3, 2. / 3, 1, 1, 1, 1};
  const std::vector<double> est = {0.9, 0.8, 0.7, 0.6, 0.5, 0.4, 0.4};
  ASSERT_EQ(roc[0].size(), fpr.size());
  for (std::size_t k = 0; k < fpr.size(); ++k) {
    EXPECT_NEAR(roc[0][k], fpr[k], test::kTol1e15) << k;
    EXPECT_NEAR(roc[1][k], tpr[k], test::kTol1e15) << k;
    EXPECT_EQ(roc[2][k], est[k]) << k;
  }
  EXPECT_EQ(best, 3);
  EXPECT_NEAR(auc, 7.0 / 9.0, test::kTol1e15);  // 7 of the 9 pairs are ordered
  // Every figure is best for thresholds in (0.5, 0.6]: the scan passes
  // 0.375 + 0.005 k, so the run is 0.505 .. 0.6 (its end within rounding).
  for (const double t : {tMcc, tAcc, tInf}) EXPECT_NEAR(t, 0.5525, 0.0025 + test::kTol1e12);
  ASSERT_EQ(ev.CalcConfusionMatrix(tMcc), 0);
  EXPECT_NEAR(ev.MatthewsCorr(), 6 / std::sqrt(72.0), test::kTol1e15);
  EXPECT_NEAR(ev.Accuracy(), 5.0 / 6.0, test::kTol1e15);
}

TEST(TCFEvaluatorROC, CountsOfTheLastScannedThresholdStayCurrent) {
  TCFEvaluator ev;
  Load(ev, {0, 1, 1, 0}, {0.0, 1.0, 0.5, 0.2});
  TDouble2DArray roc;
  std::int32_t best;
  double auc, a = 0, b = 0, c = 0;
  ASSERT_EQ(ev.OptimizeThresholds(roc, best, auc, a, b, c), 0);
  EXPECT_NEAR(ev.Threshold(), 1.0 + 0.04, 0.011);  // the last t below max + 5 step
  std::int64_t tp, fp, tn, fn;
  double th;
  ASSERT_EQ(ev.GetConfMatValues(tp, fp, tn, fn, th), 0);
  EXPECT_EQ(tp + fp, 0);  // above every estimate
  EXPECT_EQ(tn, 2);
  EXPECT_EQ(fn, 2);
}

TEST(TCFEvaluatorROC, EqualEstimatesScanNoThreshold) {
  TCFEvaluator ev;
  Load(ev, {0, 1, 0, 1}, {0.3, 0.3, 0.3, 0.3});
  TDouble2DArray roc;
  std::int32_t best = 9;
  double auc = -1, tMcc = 11, tAcc = 12, tInf = 13;
  ASSERT_EQ(ev.OptimizeThresholds(roc, best, auc, tMcc, tAcc, tInf), 0);
  EXPECT_EQ(tMcc, 11);
  EXPECT_EQ(tAcc, 12);
  EXPECT_EQ(tInf, 13);
  EXPECT_NEAR(auc, 0.5, test::kTol1e15);
  ASSERT_EQ(roc[0].size(), 2u);  // the one group, then the final (1, 1)
  EXPECT_EQ(roc[0][0], 1.0);
  EXPECT_EQ(roc[1][0], 1.0);
  EXPECT_EQ(best, 0);
}

TEST(TCFEvaluatorROC, StatusCodes) {
  TDouble2DArray roc;
  std::int32_t best;
  double auc, a, b, c;
  TCFEvaluator ev;
  Load(ev, {1, 1, 1}, {1, 2, 3});
  EXPECT_EQ(ev.OptimizeThresholds(roc, best, auc, a, b, c), -1);
  TMatrix m;
  m.Resize(1, 4);
  m.SetVal(1, 1, 1.0);
  ev.CopyEstFromMatrix(1, &m);  // lengths 3 and 4, and still not dichotomous: -3 wins
  EXPECT_EQ(ev.OptimizeThresholds(roc, best, auc, a, b, c), -3);
  // Adjacent doubles as the two classes: their midpoint rounds onto one of
  // them, yet each class keeps its members.
  TCFEvaluator close;
  Load(close, {1.0, std::nextafter(1.0, 2.0)}, {0.1, 0.2});
  EXPECT_EQ(close.OptimizeThresholds(roc, best, auc, a, b, c), 0);
  EXPECT_EQ(auc, 1.0);
}

// The area under the ROC equals the Mann-Whitney statistic U/(P N), ties
// between a positive and a negative counting one half, whatever order the
// sort leaves tied elements in.
TEST(TCFEvaluatorROC, AreaEqualsTheMannWhitneyStatistic) {
  for (const double grid : {0.0, 0.1, 0.5}) {  // 0: no ties; else scores rounded to the grid
    for (const unsigned seed : {1u, 2u, 3u}) {
      std::mt19937 gen(seed);
      std::normal_distribution<double> noise(0.0, 1.0);
      std::vector<double> truth(301), est(301);
      for (std::size_t i = 0; i < truth.size(); ++i) {
        truth[i] = (gen() % 3 == 0) ? 1.0 : 0.0;
        const double s = noise(gen) + 0.8 * truth[i];
        est[i] = grid > 0 ? std::round(s / grid) * grid : s;
      }
      double u = 0.0, P = 0.0, N = 0.0;
      for (std::size_t i = 0; i < truth.size(); ++i) {
        (truth[i] > 0.5 ? P : N) += 1.0;
        if (truth[i] < 0.5) continue;
        for (std::size_t j = 0; j < truth.size(); ++j)
          if (truth[j] < 0.5) u += est[i] > est[j] ? 1.0 : (est[i] == est[j] ? 0.5 : 0.0);
      }
      TCFEvaluator ev;
      Load(ev, truth, est);
      TDouble2DArray roc;
      std::int32_t best;
      double auc, a, b, c;
      ASSERT_EQ(ev.OptimizeThresholds(roc, best, auc, a, b, c), 0);
      EXPECT_NEAR(auc, u / (P * N), test::kTol1e14) << "grid " << grid << ", seed " << seed;
      // The stored curve's own trapezoids give the same area.
      double area = 0.0;
      for (std::size_t k = 1; k < roc[0].size(); ++k)
        area += (roc[0][k] - roc[0][k - 1]) * (roc[1][k] + roc[1][k - 1]) / 2;
      area += roc[0][0] * roc[1][0] / 2;
      EXPECT_NEAR(area, auc, test::kTol1e12);
    }
  }
}

}  // namespace
}  // namespace kvl
