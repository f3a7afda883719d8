// The map's kernels: winner search against a brute-force search, and the
// node spans of the neighbourhood.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "kvl/learning/kohonen/internal/kohonen_internal.h"
#include "kvl_test_support.h"

using namespace kvl::kohonen_internal;

namespace {

// Brute force: every node by its (x, y) indices, the distance summed in
// extended precision, the first strict minimum below the largest Double.
void BruteWinner(const std::vector<double>& W, std::int32_t SX, std::int32_t SY, std::size_t K,
                 const std::vector<double>& X, std::int32_t& WX, std::int32_t& WY, long double& Best) {
  Best = std::numeric_limits<double>::max();
  WX = WY = 0;
  for (std::int32_t x = 1; x <= SX; ++x)
    for (std::int32_t y = 1; y <= SY; ++y) {
      long double d = 0.0L;
      for (std::size_t k = 0; k < K; ++k) {
        const long double t =
            static_cast<long double>(W[((static_cast<std::size_t>(x) - 1) * SY + (y - 1)) * K + k]) - X[k];
        d += t * t;
      }
      if (d < Best) Best = d, WX = x, WY = y;
    }
}

}  // namespace

TEST(KohonenInternalTest, WinnerSearchAgreesWithBruteForce) {
  struct Shape {
    std::int32_t SX, SY;
    std::size_t K;
  };
  unsigned seed = 1;
  for (const Shape s : {Shape{1, 1, 1}, Shape{20, 20, 10}, Shape{7, 3, 1}, Shape{1, 9, 4}, Shape{5, 5, 33}}) {
    const std::size_t nodes = static_cast<std::size_t>(s.SX) * s.SY;
    std::vector<double> w = kvl::test::RandomValues(nodes * s.K, ++seed);
    // Copies of one node further on tie with it: the earlier one must win.
    for (std::size_t k = 0; k < s.K && nodes > 2; ++k) w[(nodes - 1) * s.K + k] = w[(nodes / 2) * s.K + k];
    for (int trial = 0; trial < 20; ++trial) {
      std::vector<double> x = kvl::test::RandomValues(s.K, ++seed);
      if (trial == 0 && nodes > 2) x.assign(w.begin() + (nodes / 2) * s.K, w.begin() + (nodes / 2 + 1) * s.K);
      std::int32_t wx = 0, wy = 0;
      long double brute = 0;
      BruteWinner(w, s.SX, s.SY, s.K, x, wx, wy, brute);
      long double best = 0;
      std::vector<long double> dist(nodes);
      const std::size_t win = FindWinner<double>(w, s.K, x.data(), best, dist);
      ASSERT_NE(win, kNoNode);
      EXPECT_EQ(static_cast<std::int32_t>(win / s.SY) + 1, wx);
      EXPECT_EQ(static_cast<std::int32_t>(win % s.SY) + 1, wy);
      EXPECT_EQ(best, brute);
      EXPECT_EQ(dist[win], brute);
      std::vector<double> scratch(nodes);
      long double fast = 0;
      EXPECT_EQ(TrainingWinner(w, s.K, x.data(), fast, scratch), win);
      EXPECT_EQ(fast, brute);
    }
  }
  // No finite distance: no winner.
  const std::vector<double> w{0.0, 1.0};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  long double best = 0;
  EXPECT_EQ(FindWinner<double>(w, 1, &nan, best), kNoNode);
  const double far = 1e200;
  EXPECT_EQ(FindWinner<double>(w, 1, &far, best), kNoNode);
  EXPECT_EQ(best, static_cast<long double>(std::numeric_limits<double>::max()));
}

struct SpanCase {
  std::int32_t Centre, Radius, Size;
  bool Cyclic;
  std::vector<std::int32_t> Expected;
};

TEST(KohonenInternalTest, AxisSpansClipOrWrap) {
  const std::int32_t big = std::numeric_limits<std::int32_t>::max();
  const std::vector<SpanCase> cases{
      {3, 2, 10, false, {1, 2, 3, 4, 5}},
      {0, 2, 10, false, {0, 1, 2}},
      {9, 3, 10, false, {6, 7, 8, 9}},
      {4, -1, 10, false, {}},
      {5, big, 7, false, {0, 1, 2, 3, 4, 5, 6}},
      {0, 2, 10, true, {8, 9, 0, 1, 2}},
      {9, 1, 10, true, {8, 9, 0}},
      {1, 5, 4, true, {0, 1, 2}},  // radius limited to 4 div 2 - 1 = 1
      {0, 5, 1, true, {0}},
      {1, 5, 2, true, {1}},
      {2, big, 5, true, {1, 2, 3}},
      {2, -3, 5, true, {2}},
  };
  std::vector<std::int32_t> out;
  for (const SpanCase& c : cases) {
    AxisSpan(c.Centre, c.Radius, c.Size, c.Cyclic, out);
    EXPECT_EQ(out, c.Expected) << c.Centre << " r" << c.Radius << " of " << c.Size << (c.Cyclic ? " cyclic" : "");
  }
}

// Nodes whose Double sums tie (or underflow to 0) while the extended sums
// differ: the two-pass search must still name the extended winner.
TEST(KohonenInternalTest, TwoPassSearchKeepsExtendedWinner) {
  struct Case {
    const char* Name;
    std::vector<double> W;  // two variables per node
    std::vector<double> X;
    std::size_t Winner;
  };
  const double tiny = 0x1p-27;  // its square is lost beside 1 in Double
  const std::vector<Case> cases{
      {"rounded tie, later node smaller", {1, tiny, 1, 0, 3, 0}, {0, 0}, 1},
      {"rounded tie, earlier node smaller", {1, 0, 1, tiny, 3, 0}, {0, 0}, 0},
      {"underflow to 0", {2e-170, 0, 1e-170, 0, 5e-170, 0}, {0, 0}, 1},
      {"exact ties keep the first", {0.5, 0.5, 0.5, 0.5}, {0, 0}, 0},
      {"Double sums near overflow", {1e154, 1e154, 1.2e154, 0, 1.1e154, 0}, {0, 0}, 2},
      {"no finite distance", {1e300, 0, -1e300, 0}, {0, 0}, kNoNode},
  };
  for (const Case& c : cases) {
    std::vector<double> scratch(c.W.size() / 2);
    long double exact = 0, fast = 0;
    EXPECT_EQ(FindWinner<double>(c.W, 2, c.X.data(), exact), c.Winner) << c.Name;
    EXPECT_EQ(TrainingWinner(c.W, 2, c.X.data(), fast, scratch), c.Winner) << c.Name;
    EXPECT_EQ(fast, exact) << c.Name;
  }
}
