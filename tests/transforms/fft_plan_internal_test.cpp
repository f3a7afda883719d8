// The four-step route of the FFT engine, reached at small lengths by a
// small one-piece limit, against the direct DFT in 80-bit precision.

#include <gtest/gtest.h>

#include <vector>

#include "kvl/transforms/internal/fft_plan.h"
#include "kvl_test_support.h"
#include "transforms_test_support.h"

namespace kvl {
namespace {

using transforms_internal::TFFTPlan;

class FourStepRoute : public testing::TestWithParam<int> {};

TEST_P(FourStepRoute, ForwardAndBackwardMatchDirectDFT) {
  const int bits = GetParam();
  const std::int32_t N = std::int32_t{1} << bits;
  const auto x = test::RandomComplex(N, 300u + static_cast<unsigned>(bits));
  TFFTPlan plan(static_cast<std::size_t>(N), 64);  // everything above 64 takes four steps
  for (const int sign : {+1, -1}) {
    std::vector<double> data(2 * static_cast<std::size_t>(N));
    for (std::int32_t k = 0; k < N; ++k) {
      data[2 * k] = x[static_cast<std::size_t>(k)].real();
      data[2 * k + 1] = x[static_cast<std::size_t>(k)].imag();
    }
    if (sign > 0)
      plan.Forward(data);
    else
      plan.Backward(data);
    const auto ref = test::DirectDFT(x, sign);
    const long double scale = sign > 0 ? 1.0L : 1.0L / N;
    const double bound = test::kTol1e13 * bits * test::Norm(x) * static_cast<double>(scale);
    for (std::int32_t L = 0; L < N; ++L) {
      ASSERT_NEAR(data[2 * L], static_cast<double>(ref[static_cast<std::size_t>(L)].real() * scale), bound) << L;
      ASSERT_NEAR(data[2 * L + 1], static_cast<double>(ref[static_cast<std::size_t>(L)].imag() * scale), bound) << L;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, FourStepRoute, testing::Range(7, 12),
                         [](const testing::TestParamInfo<int>& p) { return "N_2pow" + std::to_string(p.param); });

}  // namespace
}  // namespace kvl
