// Two-dimensional kernels against a direct sum, and the peak shapes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

// The direct form: for every cell the sum over the kernel with the indices
// clamped into the array.
TDouble2DArray DirectConvolve(const TDouble2DArray& k, const TDouble2DArray& d) {
  const auto s = static_cast<std::ptrdiff_t>(k.size()), h = s / 2;
  const auto rows = static_cast<std::ptrdiff_t>(d.size()), cols = static_cast<std::ptrdiff_t>(d[0].size());
  TDouble2DArray out(d.size(), std::vector<double>(d[0].size()));
  for (std::ptrdiff_t i = 0; i < rows; ++i)
    for (std::ptrdiff_t j = 0; j < cols; ++j) {
      double sum = 0;
      for (std::ptrdiff_t r = 0; r < s; ++r)
        for (std::ptrdiff_t c = 0; c < s; ++c)
          sum += d[static_cast<std::size_t>(std::clamp(i + r - h, std::ptrdiff_t{0}, rows - 1))]
                  [static_cast<std::size_t>(std::clamp(j + c - h, std::ptrdiff_t{0}, cols - 1))] *
                 k[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
      out[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = sum;
    }
  return out;
}

// Up to 225 products of values in [-1, 1], summed row by row in the library
// and in one run here: the orders differ by a few roundings of sums up to 225.
constexpr double kConvolveTol = test::kTol1e12;

void ExpectNear(const TDouble2DArray& a, const TDouble2DArray& b, double Tol) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    ASSERT_EQ(a[i].size(), b[i].size());
    for (std::size_t j = 0; j < a[i].size(); ++j) ASSERT_NEAR(a[i][j], b[i][j], Tol) << i << "," << j;
  }
}

TEST(KernelConvolveTest, MatchesTheDirectSumOnRandomArrays) {
  struct TShape {
    std::size_t Rows, Cols, Size;
  };
  unsigned seed = 1;
  for (const TShape& sh : {TShape{37, 23, 3}, TShape{41, 60, 5}, TShape{30, 30, 15}, TShape{2, 9, 3}, TShape{4, 4, 7},
                           TShape{1, 1, 3}}) {
    const TDouble2DArray data = test::RandomMatrix(sh.Rows, sh.Cols, ++seed);
    const TDouble2DArray kernel = test::RandomMatrix(sh.Size, sh.Size, ++seed);
    TDouble2DArray out;
    ASSERT_EQ(KernelConvolve(kernel, data, out, nullptr), 0);
    ExpectNear(out, DirectConvolve(kernel, data), kConvolveTol);
  }
  // Result may be Data itself.
  TDouble2DArray data = test::RandomMatrix(12, 17, 99);
  const TDouble2DArray kernel = test::RandomMatrix(5, 5, 98);
  const TDouble2DArray want = DirectConvolve(kernel, data);
  ASSERT_EQ(KernelConvolve(kernel, data, data, nullptr), 0);
  ExpectNear(data, want, kConvolveTol);
}

TEST(KernelConvolveTest, StatusCodesLeaveResultAlone) {
  const TDouble2DArray data = test::RandomMatrix(6, 6, 3);
  const TDouble2DArray ragged = {{1, 2, 3}, {4, 5}, {6, 7, 8}};
  auto square = [](std::size_t s) { return TDouble2DArray(s, std::vector<double>(s, 1.0)); };
  struct TCase {
    TDouble2DArray Kernel, Data;
    int Status;
  };
  for (const TCase& c : {TCase{square(2), data, -3}, TCase{square(4), data, -2}, TCase{square(1), data, -3},
                         TCase{{}, data, -3}, TCase{{{1, 1, 1}, {1, 1, 1}, {1, 1}}, data, -1},
                         TCase{{{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}}, data, -1}, TCase{square(3), ragged, -4}}) {
    TDouble2DArray out = {{42}};
    EXPECT_EQ(KernelConvolve(c.Kernel, c.Data, out, nullptr), c.Status);
    EXPECT_EQ(out, (TDouble2DArray{{42}}));
  }
  TDouble2DArray out;
  EXPECT_EQ(KernelConvolve(square(3), {}, out, nullptr), 0);
  EXPECT_TRUE(out.empty());
}

TEST(KernelConvolveTest, ProgressCountsInteriorSteps) {
  for (std::size_t n : {12u, 30u}) {
    const TDouble2DArray data = test::RandomMatrix(n, n, 5);
    const TDouble2DArray kernel(3, std::vector<double>(3, 1.0));
    std::vector<double> calls;
    TDouble2DArray out;
    KernelConvolve(kernel, data, out, [&](TObject* Sender, double k) {
      EXPECT_EQ(Sender, nullptr);
      calls.push_back(k);
    });
    // step = max(1, (n - 3)^2 div 100) over (n - 2)^2 interior cells.
    const std::size_t step = std::max<std::size_t>(1, (n - 3) * (n - 3) / 100);
    const std::size_t expected = (n - 2) * (n - 2) / step;
    ASSERT_EQ(calls.size(), expected) << n;
    for (std::size_t k = 0; k < calls.size(); ++k) EXPECT_EQ(calls[k], static_cast<double>(k + 1));
  }
}

TEST(EdgeKernelTest, AnImpulseShowsTheTableTurnedHalfWay) {
  // The response to a unit impulse at (3, 3) is the kernel rotated by 180
  // degrees: out[3 + a][3 + b] = Kernel[1 - a][1 - b].
  TDouble2DArray impulse(7, std::vector<double>(7, 0.0));
  impulse[3][3] = 1;
  struct TCase {
    bool Kirsch;
    int Direction;
    double Rows[3][3];
  };
  for (const TCase& c : {TCase{false, 0, {{-1, -1, -1}, {1, -2, 1}, {1, 1, 1}}},
                         TCase{false, 5, {{1, 1, 1}, {-1, -2, 1}, {-1, -1, 1}}},
                         TCase{true, 1, {{-3, -3, -3}, {5, 0, -3}, {5, 5, -3}}},
                         TCase{true, 7, {{-3, -3, -3}, {-3, 0, 5}, {-3, 5, 5}}}}) {
    TDouble2DArray out;
    ASSERT_EQ(c.Kirsch ? ApplyKirschKernel(c.Direction, impulse, out, nullptr)
                       : ApplyCompassKernel(c.Direction, impulse, out, nullptr),
              0);
    for (int a = -1; a <= 1; ++a)
      for (int b = -1; b <= 1; ++b) EXPECT_EQ(out[static_cast<std::size_t>(3 + a)][static_cast<std::size_t>(3 + b)], c.Rows[1 - a][1 - b]);
  }
  TDouble2DArray out;
  EXPECT_EQ(ApplyCompassKernel(8, impulse, out, nullptr), -1);
  EXPECT_EQ(ApplyKirschKernel(-1, impulse, out, nullptr), -1);
  EXPECT_TRUE(out.empty());
}

TEST(PeakShapeTest, ValuesAndCodes) {
  TDoubleArray y(50, 9.0);
  EXPECT_EQ(CreateGaussianPeaks({}, y), -1);
  TDoubleArray two(2, 9.0);
  EXPECT_EQ(CreateGaussianPeaks({{1, 1, 1}}, two), -2);
  EXPECT_EQ(two, TDoubleArray(2, 9.0));
  ASSERT_EQ(CreateGaussianPeaks({{10, 2, 3}, {30, 4, -1}}, y), 0);
  EXPECT_NEAR(y[9], 3 + -std::exp(-25.0), test::kTol1e15);  // i = 10
  EXPECT_NEAR(y[11], 3 * std::exp(-1.0) - std::exp(-18.0 * 18 / 16), test::kTol1e15);
  EXPECT_NEAR(y[29], -1 + 3 * std::exp(-100.0), test::kTol1e15);

  TDouble2DArray g(4, std::vector<double>(5, 0.0));
  EXPECT_EQ(Gauss2D(2, 3, 0, 1, g), -1);
  TDouble2DArray thin(1, std::vector<double>(5));
  EXPECT_EQ(Gauss2D(1, 1, 1, 1, thin), -2);
  ASSERT_EQ(Gauss2D(2, 3, 2, 5, g), 0);
  EXPECT_NEAR(g[1][2], 5, test::kTol1e15);
  EXPECT_NEAR(g[3][0], 5 * std::exp(-(4.0 + 4.0) / 4), test::kTol1e15);

  TDoubleArray s(9);
  EXPECT_EQ(CreateSigmoidArray(two, 1, 0, 1, 1), -1);
  ASSERT_EQ(CreateSigmoidArray(s, 2, 0.5, 3, 5), 0);
  EXPECT_NEAR(s[4], 2.0, test::kTol1e15);
  EXPECT_NEAR(s[5], 3 / (1 + std::exp(-2.0)) + 0.5, test::kTol1e15);
}

TEST(GaussKernelTest, DistanceCappedAtTwenty) {
  TVector x, y;
  x.Resize(3);
  y.Resize(2);
  x.SetVal(1, 1);
  x.SetVal(2, 2);
  x.SetVal(3, 100);  // beyond y: not counted
  y.SetVal(1, 0);
  y.SetVal(2, 4);
  EXPECT_NEAR(CalcGaussKernel(&x, &y, 2), std::exp(-(1.0 + 4.0) / 4), test::kTol1e15);
  EXPECT_NEAR(CalcGaussKernel(&x, &y, 0.1), std::exp(-20.0), test::kTol1e18);
  TMatrix m;
  m.Resize(2, 3);
  m.SetVal(1, 2, 1.5);
  m.SetVal(2, 2, 1);
  EXPECT_NEAR(CalcGaussKernelMat(&x, &m, 2, 1), std::exp(-(0.25 + 1.0)), test::kTol1e15);
  KVL_EXPECT_THROW_MSG(CalcGaussKernel(nullptr, &y, 1), EKVLMath2Error, "CalcGaussKernel: x or y is undefined");
}

}  // namespace
}  // namespace kvl
