// TCurveFit: every fit recovers the parameters of noise-free data, raises
// its messages, and the model feeds Evaluate, CalcRegModel, Predict and the
// analysis of variance.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl/statistics/KVL_statis.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e10;
using test::kTol1e12;

// Noise-free data are fitted exactly up to a few roundings in the transformed sums.
constexpr double kExactFitTol = kTol1e10;

struct TModelCase {
  const char* Name;
  TRegModel Model;
  std::vector<double> Pars;                  // k0, k1[, k2]
  std::function<double(double)> Curve;       // the model with those parameters
  std::function<void(TCurveFit&, std::vector<double>&, double&)> Fit;
};

std::vector<TModelCase> ModelCases() {
  auto fit2 = [](void (TCurveFit::*m)(double&, double&, double&)) {
    return [m](TCurveFit& f, std::vector<double>& p, double& q) {
      p.assign(2, 0);
      (f.*m)(p[0], p[1], q);
    };
  };
  auto fit3 = [](void (TCurveFit::*m)(double&, double&, double&, double&)) {
    return [m](TCurveFit& f, std::vector<double>& p, double& q) {
      p.assign(3, 0);
      (f.*m)(p[0], p[1], p[2], q);
    };
  };
  return {
      {"Parabolic", TRegModel::rmParabolic, {1.5, -2, 0.25}, [](double x) { return 1.5 - 2 * x + 0.25 * x * x; },
       fit3(&TCurveFit::CalcParabolFit)},
      {"Gaussian", TRegModel::rmGaussian, {3, 2.5, 4}, [](double x) { return 3 * std::exp(-(x - 2.5) * (x - 2.5) / 4); },
       fit3(&TCurveFit::CalcGaussFit)},
      {"Hoerl", TRegModel::rmHoerl, {2, 0.8, 1.5}, [](double x) { return 2 * std::pow(0.8, x) * std::pow(x, 1.5); },
       fit3(&TCurveFit::CalcHoerlFit)},
      {"ReciLin", TRegModel::rmReciLin, {0.5, 0.25}, [](double x) { return 1 / (0.5 + 0.25 * x); },
       fit2(&TCurveFit::CalcReciLinFit)},
      {"Hyperbolic", TRegModel::rmHyperbolic, {3, -2}, [](double x) { return 3 - 2 / x; },
       fit2(&TCurveFit::CalcHyperbolFit)},
      {"ReciHyperbolic", TRegModel::rmReciHyperbolic, {0.5, 2}, [](double x) { return x / (0.5 * x + 2); },
       fit2(&TCurveFit::CalcReciHyperbolFit)},
      {"Log", TRegModel::rmLog, {1, 3}, [](double x) { return 1 + 3 * std::log(x); }, fit2(&TCurveFit::CalcLogFit)},
      {"ReciLog", TRegModel::rmReciLog, {2, 0.5}, [](double x) { return 1 / (2 + 0.5 * std::log(x)); },
       fit2(&TCurveFit::CalcReciLogFit)},
      {"Power", TRegModel::rmPower, {1.5, 0.7}, [](double x) { return 1.5 * std::pow(x, 0.7); },
       fit2(&TCurveFit::CalcPowerFit)},
      {"Expo", TRegModel::rmExpo, {4, -0.3}, [](double x) { return 4 * std::exp(-0.3 * x); },
       fit2(&TCurveFit::CalcExponentialFit)},
  };
}

class CurveFitModels : public ::testing::TestWithParam<TModelCase> {};

TEST_P(CurveFitModels, RecoversTheParametersOfNoiseFreeData) {
  const TModelCase& c = GetParam();
  TCurveFit f;
  for (int i = 1; i <= 12; ++i) f.EnterStatValue(0.5 * i, c.Curve(0.5 * i));
  std::vector<double> p;
  double q = 0;
  c.Fit(f, p, q);
  for (std::size_t j = 0; j < c.Pars.size(); ++j) EXPECT_NEAR(p[j], c.Pars[j], kExactFitTol) << j;
  EXPECT_NEAR(q, 1.0, kExactFitTol);
  EXPECT_EQ(f.RegModel(), c.Model);
  EXPECT_EQ(f.FitQual(), q);
  for (std::size_t j = 0; j < c.Pars.size(); ++j) EXPECT_EQ(f.ModelPar(1, static_cast<std::int32_t>(j)), p[j]);
  EXPECT_NEAR(f.Evaluate(1.75), c.Curve(1.75), kExactFitTol);
  // CalcRegModel keeps the fitted model and fills residuals of about 0.
  EXPECT_EQ(f.CalcRegModel(c.Model, 0), 0);
  EXPECT_NEAR(f.Residual(12), 0, kExactFitTol);
  EXPECT_EQ(f.Residual(13), 0);
}

INSTANTIATE_TEST_SUITE_P(All, CurveFitModels, ::testing::ValuesIn(ModelCases()),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(CurveFitMessages, TooFewPairsAndUndefinedTransformsRaise) {
  TCurveFit f;
  double a, b, c, q;
  KVL_EXPECT_THROW_MSG(f.CalcLinFit(a, b, q), EKVLMath2Error, "CalcLinFit: not enough data points");
  f.EnterStatValue(2, 1);
  f.EnterStatValue(2, 3);
  KVL_EXPECT_THROW_MSG(f.CalcParabolFit(a, b, c, q), EKVLMath2Error, "CalcParabolFit: not enough data points");
  KVL_EXPECT_THROW_MSG(f.CalcCircleFit(a, b, c), EKVLMath2Error, "CalcCircleFit: not enough data points");
  KVL_EXPECT_THROW_MSG(f.CalcPowerFit(a, b, q), EKVLMath2Error, "CalcPowerFit: not enough data points");
  KVL_EXPECT_THROW_MSG(f.CalcLinFit(a, b, q), EKVLMath2Error, "CalcLinFit: slope is infinite");
  EXPECT_EQ(f.RegModel(), TRegModel::rmNone);
  f.EnterStatValue(-1, 0);
  KVL_EXPECT_THROW_MSG(f.CalcLogFit(a, b, q), EKVLMath2Error, "CalcLogFit: x values must be positive");
  KVL_EXPECT_THROW_MSG(f.CalcExponentialFit(a, b, q), EKVLMath2Error, "CalcExponentialFit: y values must be positive");
  KVL_EXPECT_THROW_MSG(f.CalcReciLinFit(a, b, q), EKVLMath2Error, "CalcReciLinFit: y values must not be zero");
  TCurveFit line;
  for (double x : {0.0, 1.0, 2.0}) line.EnterStatValue(x, x);
  KVL_EXPECT_THROW_MSG(line.CalcCircleFit(a, b, c), EKVLMath2Error, "CalcCircleFit: radius is infinite");
  KVL_EXPECT_THROW_MSG(line.CalcHyperbolFit(a, b, q), EKVLMath2Error, "CalcHyperbolFit: x values must not be zero");
}

TEST(CurveFitLine, SlopeInterceptQualityAndTheCircle) {
  TCurveFit f;
  for (double x : {1.0, 2.0, 3.0, 4.0}) f.EnterStatValue(x, 2 * x + 1 + (x == 2 ? 0.5 : 0));
  double k, d, q;
  f.CalcLinFit(k, d, q);
  // least squares of (1,3),(2,5.5),(3,7),(4,9): k = 1.95, d = 1.25
  EXPECT_NEAR(k, 1.95, kTol1e12);
  EXPECT_NEAR(d, 1.25, kTol1e12);
  EXPECT_NEAR(q, 1 - 0.175 / 19.1875, kTol1e12);
  EXPECT_EQ(f.ModelPar(1, 0), d);
  EXPECT_EQ(f.ModelPar(2, 0), -1.0);
  EXPECT_EQ(f.ModelPar(3, 0), -1.0);
  EXPECT_EQ(f.ModelPar(1, 11), 0.0);

  TCurveFit circle;
  for (int i = 0; i < 8; ++i) circle.EnterStatValue(1 + 2 * std::cos(i * 0.785), -3 + 2 * std::sin(i * 0.785));
  double r, cx, cy;
  circle.CalcCircleFit(r, cx, cy);
  EXPECT_NEAR(r, 2, kExactFitTol);
  EXPECT_NEAR(cx, 1, kExactFitTol);
  EXPECT_NEAR(cy, -3, kExactFitTol);
  EXPECT_EQ(circle.RegModel(), TRegModel::rmCircle);
  EXPECT_EQ(circle.Evaluate(1), 0);
}

TEST(CurveFitPoly, OrdersAgainstThePairCountAndTheParameterTable) {
  TCurveFit f;
  for (double x : {1.0, 2.0, 4.0}) f.EnterStatValue(x, x * x - x + 3);
  std::vector<double> k, alpha;
  double q = 0;
  bool near = true;
  EXPECT_TRUE(f.CalcPolyFit(2, k, alpha, q, near));
  ASSERT_EQ(k.size(), 3u);
  EXPECT_NEAR(k[0], 3, kExactFitTol);
  EXPECT_NEAR(k[1], -1, kExactFitTol);
  EXPECT_NEAR(k[2], 1, kExactFitTol);
  EXPECT_FALSE(near);
  for (double a : alpha) EXPECT_EQ(a, 0);  // df = 0
  EXPECT_EQ(f.ModelPar(2, 1), 0);
  EXPECT_EQ(f.PolyOrder(), 2);
  KVL_EXPECT_THROW_MSG(f.CalcPolyFit(3, k, q, near), EKVLMath2Error, "CalcPolyFit: not enough data points");
  EXPECT_EQ(f.RegModel(), TRegModel::rmNone);
  for (int i = 0; i < 20; ++i) f.EnterStatValue(i, i);
  KVL_EXPECT_THROW_MSG(f.CalcPolyFit(11, k, q, near), EKVLMath2Error,
                       "CalcPolyFit: order of polynomial must be between 0 and 10 (is 11)");
  double shift = 0;
  KVL_EXPECT_THROW_MSG(f.CalcCenteredPolyFit(11, k, shift, q, near), EKVLMath2Error,
                       "CalcCenteredPolyFit: order of polynomial must be between 0 and 10 (is 11)");
}

TEST(CurveFitPoly, CenteredFitShiftsScalesAndReportsSignificance) {
  TCurveFit f;
  // y = 5 + 2 (x − 1000) − 0.5 (x − 1000)² with a deterministic wiggle
  for (int i = 0; i < 30; ++i) {
    const double x = 990 + i;
    f.EnterStatValue(x, 5 + 2 * (x - 1000) - 0.5 * (x - 1000) * (x - 1000) + 0.01 * ((i * 7) % 5 - 2));
  }
  std::vector<double> k, alpha;
  double shift = 1000, q = 0;
  bool near = false;
  EXPECT_TRUE(f.CalcCenteredPolyFit(2, k, alpha, shift, q, near));
  EXPECT_EQ(shift, 1000);
  EXPECT_NEAR(k[0], 5, 0.01);
  EXPECT_NEAR(k[1], 2, 1e-3);
  EXPECT_NEAR(k[2], -0.5, 1e-4);
  EXPECT_LT(alpha[2], 1e-10);  // the quadratic term is certain
  EXPECT_GT(q, 0.999);
  EXPECT_EQ(f.CPXShift(), 1000);
  EXPECT_NEAR(f.Evaluate(1003), 5 + 6 - 4.5, 0.01);
  shift = 0;  // 0 asks for the mean of x
  f.CalcCenteredPolyFit(1, k, shift, q, near);
  EXPECT_DOUBLE_EQ(shift, 1004.5);
}

TEST(CurveFitModelUse, StatusCodesOfCalcRegModelAndPredict) {
  TCurveFit f;
  double v = 7, piv = 7, civ = 7;
  EXPECT_EQ(f.CalcRegModel(TRegModel::rmNone, 0), -2);
  EXPECT_EQ(f.CalcRegModel(TRegModel::rmLinear, 0), -1);
  EXPECT_EQ(f.Predict(TRegModel::rmNone, 1, 0.95, 0, v, piv, civ), -3);
  EXPECT_EQ(f.Predict(TRegModel::rmLinear, 1, 0.95, 0, v, piv, civ), -2);
  for (double x : {1.0, 2.0, 3.0, 4.0, 5.0}) f.EnterStatValue(x, 3 * x);
  EXPECT_EQ(f.Predict(TRegModel::rmLinear, 1, 1.0, 0, v, piv, civ), -1);
  EXPECT_EQ(f.Predict(TRegModel::rmLinear, 1, 0.4, 0, v, piv, civ), -1);
  EXPECT_EQ(f.RegModel(), TRegModel::rmNone);  // no fit was run
  EXPECT_EQ(v, 7);
}

TEST(CurveFitModelUse, PredictionAndConfidenceIntervalsOfALine) {
  TCurveFit f;
  const double ys[] = {2.1, 3.9, 6.2, 7.8, 10.1, 11.9};
  for (int i = 0; i < 6; ++i) f.EnterStatValue(i + 1, ys[i]);
  double v = 0, piv = 0, civ = 0;
  ASSERT_EQ(f.Predict(TRegModel::rmLinear, 8, 0.95, 0, v, piv, civ), 0);
  EXPECT_GT(f.StdDevResid(), 0);  // Predict filled the residuals
  double k, d, q;
  f.CalcLinFit(k, d, q);
  EXPECT_NEAR(v, d + 8 * k, kTol1e12);
  double ss = 0;
  for (int i = 0; i < 6; ++i) ss += std::pow(ys[i] - d - k * (i + 1), 2);
  const double s = std::sqrt(ss / 4), h = (8 - 3.5) * (8 - 3.5) / 17.5, t = tDistriQuantile(0.975, 4);
  EXPECT_NEAR(piv, s * std::sqrt(1 + 1.0 / 6 + h) * t, kTol1e10);
  EXPECT_NEAR(civ, s * std::sqrt(1.0 / 6 + h) * t, kTol1e10);
}

TEST(CurveFitModelUse, AnovaOfObservedAgainstEstimated) {
  TCurveFit f;
  const double obs[] = {1, 2, 4, 5}, est[] = {1.5, 2, 3.5, 5};
  for (int i = 0; i < 4; ++i) f.EnterStatValue(obs[i], est[i]);
  std::int32_t dfreg, dfres, dftot;
  double sse, ssr, sst, mse, msr, F;
  f.CalcAnovaReg(1, true, dfreg, dfres, dftot, sse, ssr, sst, mse, msr, F);
  EXPECT_EQ(dfreg, 1);
  EXPECT_EQ(dftot, 3);
  EXPECT_EQ(dfres, 2);
  EXPECT_DOUBLE_EQ(sse, 0.25 + 0 + 0.25 + 0);
  EXPECT_DOUBLE_EQ(sst, 10);                  // Σ(obs − 3)²
  EXPECT_DOUBLE_EQ(ssr, 2.25 + 1 + 0.25 + 4);  // Σ(est − 3)²
  EXPECT_DOUBLE_EQ(F, (ssr / 1) / (sse / 2));
  f.CalcAnovaReg(4, false, dfreg, dfres, dftot, sse, ssr, sst, mse, msr, F);
  EXPECT_EQ(dfres, 0);
  EXPECT_EQ(mse, 0);  // no residual degrees of freedom
  EXPECT_EQ(F, 1e10);
}

TEST(CurveFitModelUse, EnteringAPairResetsTheModel) {
  TCurveFit f;
  for (double x : {1.0, 2.0, 3.0}) f.EnterStatValue(x, x);
  ASSERT_EQ(f.CalcRegModel(TRegModel::rmLinear, 0), 0);
  EXPECT_EQ(f.RegModel(), TRegModel::rmLinear);
  f.EnterStatValue(4, 4);
  EXPECT_EQ(f.RegModel(), TRegModel::rmNone);
  EXPECT_EQ(f.ModelPar(1, 1), 0);
  EXPECT_EQ(f.Residual(1), 0);
  EXPECT_EQ(f.FitQual(), 0);
}

}  // namespace
}  // namespace kvl
