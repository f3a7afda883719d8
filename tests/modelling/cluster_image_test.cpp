// CalcImgCorrelation: each compared quantity against Pearson's r computed
// directly, the agreement with TCurveFit, offsets, pixels outside the
// bitmaps and the width check.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "kvl/base/KVL_kvlcolors.h"
#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

// r of a few dozen byte-sized values, summed two different ways.
constexpr double kRTol = 1e-12;

TBitmap RandomImage(std::int32_t W, std::int32_t H, unsigned Seed) {
  TBitmap b(W, H);
  const std::vector<double> v = test::RandomValues(static_cast<std::size_t>(3 * W * H), Seed);
  std::size_t i = 0;
  for (std::int32_t y = 0; y < H; ++y)
    for (std::int32_t x = 0; x < W; ++x, i += 3) {
      const auto byte = [&](std::size_t j) { return static_cast<std::uint8_t>((v[j] + 1) * 127.9); };
      b.SetPixelRGBA(x, y, {byte(i), byte(i + 1), byte(i + 2), 255});
    }
  return b;
}

// What each mode compares, written out from the pixel bytes.
double Quantity(TRGBA p, TImgCompareMode Mode) {
  double h = 0, s = 0, i = 0;
  RGBtoHSI(p.R, p.G, p.B, h, s, i);
  switch (Mode) {
    case TImgCompareMode::icmRed: return p.R;
    case TImgCompareMode::icmBlue: return p.B;
    case TImgCompareMode::icmGreen: return p.G;
    case TImgCompareMode::icmHue: return h;
    case TImgCompareMode::icmLightness: return i;
    case TImgCompareMode::icmSaturation: return s;
    case TImgCompareMode::icmGrayValues: return RGBtoGray(p.R, p.G, p.B);
  }
  return 0;
}

// Pearson's r by deviations from the means, over the pairs of Rect1 and the
// shifted Rect2 (PixelRGBA reads black outside a bitmap).
double DirectR(const TBitmap& A, const TBitmap& B, const TRect& R1, const TRect& R2, TImgCompareMode Mode) {
  std::vector<double> x, y;
  for (std::int32_t py = R1.Top; py <= R1.Bottom; ++py)
    for (std::int32_t px = R1.Left; px <= R1.Right; ++px) {
      x.push_back(Quantity(A.PixelRGBA(px, py), Mode));
      y.push_back(Quantity(B.PixelRGBA(px + R2.Left - R1.Left, py + R2.Top - R1.Top), Mode));
    }
  const double n = static_cast<double>(x.size());
  double mx = 0, my = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    mx += x[i] / n;
    my += y[i] / n;
  }
  double sxy = 0, sxx = 0, syy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sxy += (x[i] - mx) * (y[i] - my);
    sxx += (x[i] - mx) * (x[i] - mx);
    syy += (y[i] - my) * (y[i] - my);
  }
  return sxy / std::sqrt(sxx * syy);
}

class ImgCorrelationModes : public ::testing::TestWithParam<TImgCompareMode> {};

TEST_P(ImgCorrelationModes, MatchesPearsonsRAndTheCurveFitter) {
  const TImgCompareMode mode = GetParam();
  const TBitmap a = RandomImage(9, 7, 1);
  TBitmap b = RandomImage(11, 8, 2);
  // Make B's region a noisy copy of A's, so r is well away from 0.
  for (std::int32_t y = 1; y <= 5; ++y)
    for (std::int32_t x = 2; x <= 6; ++x) {
      TRGBA p = a.PixelRGBA(x, y), q = b.PixelRGBA(x + 3, y + 2);
      p.R = static_cast<std::uint8_t>((3 * p.R + q.R) / 4);
      p.G = static_cast<std::uint8_t>((3 * p.G + q.G) / 4);
      b.SetPixelRGBA(x + 3, y + 2, p);
    }
  const TRect r1{2, 1, 6, 5}, r2{5, 3, 9, 7};
  const double r = CalcImgCorrelation(a, b, r1, r2, mode);
  EXPECT_NEAR(r, DirectR(a, b, r1, r2, mode), kRTol);
  TCurveFit fit;
  for (std::int32_t y = r1.Top; y <= r1.Bottom; ++y)
    for (std::int32_t x = r1.Left; x <= r1.Right; ++x)
      fit.EnterStatValue(Quantity(a.PixelRGBA(x, y), mode), Quantity(b.PixelRGBA(x + 3, y + 2), mode));
  EXPECT_DOUBLE_EQ(r, fit.CorrCoeff());
}

INSTANTIATE_TEST_SUITE_P(Modes, ImgCorrelationModes,
                         ::testing::Values(TImgCompareMode::icmRed, TImgCompareMode::icmBlue,
                                           TImgCompareMode::icmGreen, TImgCompareMode::icmHue,
                                           TImgCompareMode::icmLightness, TImgCompareMode::icmSaturation,
                                           TImgCompareMode::icmGrayValues));

TEST(ImgCorrelation, PixelsOutsideTheBitmapsReadBlack) {
  const TBitmap a = RandomImage(6, 6, 3), b = RandomImage(6, 6, 4);
  // Rect2 runs past the right and bottom edges of b; Rect1 starts left of a.
  const TRect r1{-2, 0, 3, 4}, r2{2, 3, 7, 7};
  EXPECT_NEAR(CalcImgCorrelation(a, b, r1, r2, TImgCompareMode::icmGrayValues),
              DirectR(a, b, r1, r2, TImgCompareMode::icmGrayValues), kRTol);
}

TEST(ImgCorrelation, HeightComesFromRect1AndWidthsMustAgree) {
  const TBitmap a = RandomImage(6, 6, 5), b = RandomImage(6, 6, 6);
  const double r = CalcImgCorrelation(a, b, {0, 0, 3, 3}, {1, 1, 4, 2}, TImgCompareMode::icmRed);
  EXPECT_EQ(r, CalcImgCorrelation(a, b, {0, 0, 3, 3}, {1, 1, 4, 4}, TImgCompareMode::icmRed));
  try {
    CalcImgCorrelation(a, b, {0, 0, 3, 3}, {0, 0, 4, 3}, TImgCompareMode::icmRed);
    ADD_FAILURE() << "no exception";
  } catch (const EKVLMath2Error& e) {
    EXPECT_STREQ(e.what(), "image ranges to compare are not of equal size");
  }
}

TEST(ImgCorrelation, TooFewPixelsOrAConstantSideGiveZero) {
  const TBitmap a = RandomImage(6, 6, 7), gray(6, 6, 0x808080);
  EXPECT_EQ(CalcImgCorrelation(a, a, {0, 0, 1, 0}, {0, 0, 1, 0}, TImgCompareMode::icmRed), 0.0);  // 2 pixels
  EXPECT_EQ(CalcImgCorrelation(a, gray, {0, 0, 5, 5}, {0, 0, 5, 5}, TImgCompareMode::icmRed), 0.0);
  EXPECT_EQ(CalcImgCorrelation(a, a, {3, 0, 1, 5}, {3, 0, 1, 5}, TImgCompareMode::icmRed), 0.0);  // Left > Right
}

}  // namespace
}  // namespace kvl
