// The moving smoothers and the smoother frame shared with the Savitzky-Golay
// filters: argument checks, edges, notifications, and each result against a
// direct computation per window.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kEps;

void Fill(TVector& v, const std::vector<double>& x) {
  v.Resize(static_cast<std::int32_t>(x.size()));
  for (std::size_t i = 0; i < x.size(); ++i) v.SetVal(static_cast<std::int32_t>(i + 1), x[i]);
}

std::vector<double> Values(const TVector& v) { return {v.Data().begin(), v.Data().end()}; }

using TSmoother = void (*)(const TVector*, std::int32_t, std::int32_t, TVector*, std::int32_t);

struct TFrameCase {
  const char* Name;
  TSmoother Run;
  std::int32_t MinLength;
  std::int32_t MaxLength;  // 0: none
  const char* Range;
  const char* Noun;  // what the length messages call the window
};

const char* const kWindowRange = "specified range for smoothing is smaller than the length of the smoothing windows";
const char* const kPolyRange = "specified range for smoothing is smaller than the length of the polynomial";

const TFrameCase kFrameCases[] = {
    {"MovingAverageSmooth", MovingAverageSmooth, 3, 0, kWindowRange, "smoothing window"},
    {"MovingMedianSmooth", MovingMedianSmooth, 3, 0, kWindowRange, "smoothing window"},
    {"WeightedAverageSmooth", WeightedAverageSmooth, 3, 0, kWindowRange, "smoothing window"},
    {"PolynomialSmooth", PolynomialSmooth, 5, 25, kPolyRange, "polynomial"},
    {"SecondDeriv", SecondDeriv, 5, 25, kPolyRange, "polynomial"},
    {"FirstDeriv", FirstDeriv, 5, 25,
     "specified range for calculation is smaller than the length of the polynomial", "polynomial"},
};

void PrintTo(const TFrameCase& c, std::ostream* os) { *os << c.Name; }

class SmootherFrameTest : public testing::TestWithParam<TFrameCase> {};

TEST_P(SmootherFrameTest, ChecksInOrderAndWritesNothingOnError) {
  const TFrameCase& c = GetParam();
  const std::string f = std::string(c.Name) + ": ";
  TVector src, dest;
  Fill(src, test::RandomValues(40, 3));
  Fill(dest, std::vector<double>(40, 7.0));
  int changes = 0;
  dest.OnChange = [&](TObject*) { ++changes; };
  const std::string noun = c.Noun;
  KVL_EXPECT_THROW_MSG(c.Run(nullptr, 1, 40, &dest, 5), EKVLMath2Error,
                       f + "either SourceVec or DestVec is undefined");
  KVL_EXPECT_THROW_MSG(c.Run(&src, 1, 40, nullptr, 5), EKVLMath2Error, f + "either SourceVec or DestVec is undefined");
  // last - first < L; bounds are clamped first (1..100 is 1..40), and the range check comes before the others.
  KVL_EXPECT_THROW_MSG(c.Run(&src, 31, 100, &dest, 11), EKVLMath2Error, f + c.Range);
  KVL_EXPECT_THROW_MSG(c.Run(&src, 1, 40, &dest, 40), EKVLMath2Error, f + c.Range);
  KVL_EXPECT_THROW_MSG(c.Run(&src, 1, 40, &dest, c.MinLength - 2), EKVLMath2Error,
                       f + "length of " + noun + " is out of range");
  if (c.MaxLength > 0)
    KVL_EXPECT_THROW_MSG(c.Run(&src, 1, 40, &dest, c.MaxLength + 2), EKVLMath2Error,
                         f + "length of " + noun + " is out of range");
  KVL_EXPECT_THROW_MSG(c.Run(&src, 1, 40, &dest, c.MinLength + 1), EKVLMath2Error,
                       f + "length of " + noun + " must be odd");
  // A vector of one element (the least a vector holds) is too short for any window.
  TVector one;
  KVL_EXPECT_THROW_MSG(c.Run(&one, 0, 0, &dest, c.MinLength), EKVLMath2Error, f + c.Range);
  EXPECT_EQ(Values(dest), std::vector<double>(40, 7.0));
  EXPECT_EQ(changes, 0);
}

TEST_P(SmootherFrameTest, ConstantsStayAndEdgesRepeatTheirNeighbour) {
  const TFrameCase& c = GetParam();
  const bool derivative = std::string(c.Name).ends_with("Deriv");
  TVector src, dest;
  Fill(src, std::vector<double>(30, 2.5));
  Fill(dest, std::vector<double>(30, -1.0));
  c.Run(&src, 10, 1, &dest, 9);  // bounds given backwards: 1..10, last - first = 9 = L
  for (std::int32_t i = 1; i <= 10; ++i) EXPECT_NEAR(dest.GetVal(i), derivative ? 0.0 : 2.5, test::kTol1e14) << i;
  EXPECT_EQ(dest.GetVal(11), -1.0);  // DestVec is not resized and nothing past the stretch is written

  // On a random stretch 5..24 (20 values) the first and last h results repeat
  // the nearest computed one, and the inner results are those of the
  // windows of the stretch (also when DestVec is SourceVec).
  Fill(src, test::RandomValues(30, 11));
  TVector copy;
  copy.Assign(&src);
  c.Run(&src, 5, 24, &dest, 7);
  for (std::int32_t i = 1; i <= 3; ++i) {
    EXPECT_EQ(dest.GetVal(i), dest.GetVal(4));
    EXPECT_EQ(dest.GetVal(21 - i), dest.GetVal(17));
  }
  c.Run(&copy, 5, 24, &copy, 7);
  for (std::int32_t i = 1; i <= 20; ++i) EXPECT_EQ(copy.GetVal(i), dest.GetVal(i)) << i;
  EXPECT_EQ(copy.GetVal(25), src.GetVal(25));
}

TEST_P(SmootherFrameTest, FiresOnChangeOnceAndDropsWhatDoesNotFit) {
  TVector src, dest;
  Fill(src, test::RandomValues(50, 5));
  dest.Resize(6);
  int changes = 0, resizes = 0;
  dest.OnChange = [&](TObject*) { ++changes; };
  dest.OnResize = [&](TObject*) { ++resizes; };
  GetParam().Run(&src, 1, 50, &dest, 5);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(resizes, 0);
  EXPECT_EQ(dest.NrOfElem(), 6);
  EXPECT_EQ(dest.GetVal(1), dest.GetVal(3));  // the edge rule holds in what fits
}

INSTANTIATE_TEST_SUITE_P(Smoothers, SmootherFrameTest, testing::ValuesIn(kFrameCases),
                         [](const testing::TestParamInfo<TFrameCase>& info) { return std::string(info.param.Name); });

// --- results against a direct computation per window ---------------------------------

std::vector<double> Smooth(TSmoother Run, const std::vector<double>& x, std::int32_t L) {
  TVector src, dest;
  Fill(src, x);
  dest.Resize(src.NrOfElem());
  Run(&src, 1, src.NrOfElem(), &dest, L);
  return Values(dest);
}

TEST(MovingSmootherTest, AverageKeepsFullPrecisionOverLongSeries) {
  // A large offset with small noise: a plain running sum drifts by many
  // units in the last place over a million steps; the compensated one
  // gives the mean of the exact window sum.
  std::vector<double> x = test::RandomValues(1'000'000, 17);
  for (double& v : x) v = 1e8 + v * 1e-3;
  constexpr std::int32_t L = 11;
  const std::vector<double> got = Smooth(MovingAverageSmooth, x, L);
  double worst = 0;
  for (std::size_t p = L / 2; p + L / 2 < x.size(); ++p) {
    long double s = 0;
    for (std::size_t k = p - L / 2; k <= p + L / 2; ++k) s += x[k];
    const double want = static_cast<double>(s / L);
    worst = std::max(worst, std::fabs(got[p] - want) / want);
  }
  EXPECT_LE(worst, kEps) << "one rounding of the mean at most";
}

TEST(MovingSmootherTest, NonFiniteValuesAffectOnlyTheirWindows) {
  std::vector<double> x = test::RandomValues(60, 2);
  x[20] = std::numeric_limits<double>::infinity();
  x[40] = std::numeric_limits<double>::quiet_NaN();
  x[41] = 1e308;
  x[42] = 1e308;  // their sum overflows
  for (TSmoother run : {MovingAverageSmooth, WeightedAverageSmooth}) {
    const std::vector<double> got = Smooth(run, x, 5);
    EXPECT_EQ(got[19], std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(got[40]));
    for (std::size_t p : {std::size_t{10}, std::size_t{23}, std::size_t{30}, std::size_t{47}, std::size_t{55}})
      EXPECT_TRUE(std::isfinite(got[p]) && std::fabs(got[p]) <= 1.0) << p;
  }
}

TEST(MovingSmootherTest, WeightedAverageIsTheTriangleFormula) {
  const std::vector<double> x = test::RandomValues(300, 8);
  for (std::int32_t L : {3, 5, 9, 31, 101}) {
    const std::vector<double> got = Smooth(WeightedAverageSmooth, x, L);
    const std::int32_t h = L / 2;
    for (std::int32_t p = h; p + h < 300; ++p) {
      double s = (h + 1) * x[static_cast<std::size_t>(p)];
      for (std::int32_t k = 1; k <= h; ++k)
        s += (h + 1 - k) * (x[static_cast<std::size_t>(p + k)] + x[static_cast<std::size_t>(p - k)]);
      EXPECT_NEAR(got[static_cast<std::size_t>(p)], s * 4 / ((L + 1.0) * (L + 1)), test::kTol1e14) << L << " " << p;
    }
  }
}

double BruteMedian(std::vector<double> w) {
  if (std::ranges::any_of(w, [](double v) { return std::isnan(v); })) return std::numeric_limits<double>::quiet_NaN();
  std::ranges::sort(w);
  return w[w.size() / 2];
}

TEST(MovingSmootherTest, MedianIsTheMiddleOfTheSortedWindowTiesIncluded) {
  std::mt19937 gen(29);
  for (std::int32_t L : {3, 5, 7, 21, 101}) {
    for (int levels : {3, 1000}) {  // many ties, few ties
      std::vector<double> x(700);
      for (double& v : x) v = static_cast<double>(gen() % static_cast<unsigned>(levels)) - levels / 2;
      x[100] = -std::numeric_limits<double>::infinity();
      x[101] = std::numeric_limits<double>::infinity();
      const std::vector<double> got = Smooth(MovingMedianSmooth, x, L);
      const std::size_t h = static_cast<std::size_t>(L / 2);
      for (std::size_t p = h; p + h < x.size(); ++p)
        ASSERT_EQ(got[p], BruteMedian({x.begin() + static_cast<std::ptrdiff_t>(p - h),
                                       x.begin() + static_cast<std::ptrdiff_t>(p + h + 1)}))
            << "L " << L << " at " << p;
    }
  }
  // A NaN makes its windows NaN, and only those.
  std::vector<double> x = test::RandomValues(50, 4);
  x[25] = std::numeric_limits<double>::quiet_NaN();
  const std::vector<double> got = Smooth(MovingMedianSmooth, x, 5);
  for (std::size_t p = 2; p < 48; ++p)
    EXPECT_EQ(std::isnan(got[p]), p >= 23 && p <= 27) << p;
}

TEST(MovingKernelFilterTest, ClampedSumOverTheStretch) {
  TVector src, dest, kernel;
  Fill(src, test::RandomValues(40, 12));
  Fill(kernel, {0.5, -1.0, 2.0, 0.25});  // even length: h = 2, taps at offsets -2..1
  int changes = 0, resizes = 0;
  dest.OnChange = [&](TObject*) { ++changes; };
  dest.OnResize = [&](TObject*) { ++resizes; };
  MovingKernelFilter(&src, 30, 6, &dest, &kernel);
  EXPECT_EQ(dest.NrOfElem(), 40);
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(changes, 2);  // the resize's and the result's
  for (std::int32_t i = 6; i <= 30; ++i) {
    double want = 0;
    for (std::int32_t k = 1; k <= 4; ++k) want += kernel.GetVal(k) * src.GetVal(std::clamp(i - 2 + k - 1, 6, 30));
    EXPECT_NEAR(dest.GetVal(i - 5), want, test::kTol1e15) << i;
  }
  EXPECT_EQ(dest.GetVal(26), 0.0);

  TVector before;
  before.Assign(&dest);
  KVL_EXPECT_THROW_MSG(MovingKernelFilter(&src, 1, 4, &dest, &kernel), EKVLMath2Error,
                       "MovingKernelfilter: specified range for smoothing is smaller than the length of the kernel");
  KVL_EXPECT_THROW_MSG(MovingKernelFilter(&src, 1, 40, &dest, nullptr), EKVLMath2Error,
                       "MovingKernelfilter: SourceVec, DestVec and/or FilterKernel is undefined");
  EXPECT_EQ(Values(dest), Values(before));
}

}  // namespace
}  // namespace kvl
