// Flood fill: described results, agreement with a plain region search on
// random rasters, and large regions without recursion.

#include <gtest/gtest.h>

#include <deque>
#include <random>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

struct TBounds {
  std::int32_t MaxY = -9, MinY = -9, MinX = -9, MaxX = -9;
};

// The 4-connected region of (X, Y) by breadth-first search: its size, the
// bounds, and the raster filled with NewValue.
std::int32_t ReferenceFill(TInt2DArray& D, int X, int Y, std::int32_t NewValue, TBounds& B) {
  const std::int32_t old = D[X][Y];
  const int w = static_cast<int>(D.size()), h = static_cast<int>(D[0].size());
  std::deque<std::pair<int, int>> q{{X, Y}};
  D[X][Y] = NewValue;
  B = {Y, Y, X, X};
  std::int32_t n = 0;
  while (!q.empty()) {
    auto [x, y] = q.front();
    q.pop_front();
    ++n;
    B.MinX = std::min(B.MinX, x), B.MaxX = std::max(B.MaxX, x);
    B.MinY = std::min(B.MinY, y), B.MaxY = std::max(B.MaxY, y);
    const int nb[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
    for (auto& p : nb)
      if (p[0] >= 0 && p[1] >= 0 && p[0] < w && p[1] < h && D[p[0]][p[1]] == old) {
        D[p[0]][p[1]] = NewValue;
        q.push_back({p[0], p[1]});
      }
  }
  return n;
}

TEST(FloodFillTest, OneColourRasterIsFilledWhole) {
  TInt2DArray d(7, TIntArray(5, 3));
  TBounds b;
  EXPECT_EQ(FloodFillArray(4, 2, 8, d, b.MaxY, b.MinY, b.MinX, b.MaxX), 35);
  EXPECT_EQ((TIntArray{b.MaxY, b.MinY, b.MinX, b.MaxX}), (TIntArray{4, 0, 0, 6}));
  EXPECT_EQ(d, TInt2DArray(7, TIntArray(5, 8)));
}

TEST(FloodFillTest, StartOutsideOrAlreadyNewValue) {
  TInt2DArray d(3, TIntArray(3, 1));
  TBounds b;
  EXPECT_EQ(FloodFillArray(3, 0, 2, d, b.MaxY, b.MinY, b.MinX, b.MaxX), -1);
  EXPECT_EQ(FloodFillArray(0, -1, 2, d, b.MaxY, b.MinY, b.MinX, b.MaxX), -1);
  EXPECT_EQ(FloodFillArray(1, 1, 1, d, b.MaxY, b.MinY, b.MinX, b.MaxX), -2);
  EXPECT_EQ(b.MaxY, -9);  // untouched on failure
  TInt2DArray empty;
  EXPECT_EQ(FloodFillArray(0, 0, 1, empty, b.MaxY, b.MinY, b.MinX, b.MaxX), -1);
}

TEST(FloodFillTest, AgreesWithARegionSearchOnRandomRasters) {
  std::mt19937 gen(12345);
  for (int trial = 0; trial < 200; ++trial) {
    const int w = 1 + static_cast<int>(gen() % 30), h = 1 + static_cast<int>(gen() % 30);
    TInt2DArray d(w, TIntArray(h));
    for (auto& col : d)
      for (auto& v : col) v = static_cast<std::int32_t>(gen() % 3);
    const int x = static_cast<int>(gen() % w), y = static_cast<int>(gen() % h);
    TInt2DArray ref = d;
    TBounds got, want;
    const std::int32_t n = FloodFillArray(x, y, 7, d, got.MaxY, got.MinY, got.MinX, got.MaxX);
    ASSERT_EQ(n, ReferenceFill(ref, x, y, 7, want)) << "trial " << trial;
    ASSERT_EQ(d, ref) << "trial " << trial;
    ASSERT_EQ((TIntArray{got.MaxY, got.MinY, got.MinX, got.MaxX}),
              (TIntArray{want.MaxY, want.MinY, want.MinX, want.MaxX}))
        << "trial " << trial;
  }
}

TEST(FloodFillTest, DoubleToleranceBand) {
  TDouble2DArray d = {{1.0, 1.05, 2.0}, {0.9, 5.0, 1.1}, {1.2, 1.0, 1.0}};
  TBounds b;
  EXPECT_EQ(FloodFillArray(0, 0, 0.1, 1.05, d, b.MaxY, b.MinY, b.MinX, b.MaxX), -2);
  EXPECT_EQ(FloodFillArray(0, 0, -0.15, 9.0, d, b.MaxY, b.MinY, b.MinX, b.MaxX), 3);
  EXPECT_EQ(d, (TDouble2DArray{{9, 9, 2.0}, {9, 5.0, 1.1}, {1.2, 1.0, 1.0}}));
  EXPECT_EQ((TIntArray{b.MaxY, b.MinY, b.MinX, b.MaxX}), (TIntArray{1, 0, 0, 1}));
  TDouble2DArray n = {{std::nan(""), std::nan("")}};
  EXPECT_EQ(FloodFillArray(0, 0, 1.0, 0.0, n, b.MaxY, b.MinY, b.MinX, b.MaxX), 0);
}

TEST(FloodFillTest, LargeRegionsNeedNoCallStack) {
  // 4000 x 4000 of one value: 16 million cells in one region.
  {
    TInt2DArray d(4000, TIntArray(4000, 0));
    TBounds b;
    EXPECT_EQ(FloodFillArray(1234, 2345, 1, d, b.MaxY, b.MinY, b.MinX, b.MaxX), 16000000);
    EXPECT_EQ((TIntArray{b.MaxY, b.MinY, b.MinX, b.MaxX}), (TIntArray{3999, 0, 0, 3999}));
    EXPECT_EQ(d[3999][0], 1);
  }
  // A serpentine of one-cell corridors along y, the deepest case of a
  // recursive scan-line fill (every run is one cell long).
  const int w = 801, h = 1000;
  TInt2DArray d(w, TIntArray(h, 0));
  for (int x = 1; x < w; x += 2) {
    for (int y = 0; y < h; ++y) d[x][y] = 5;  // walls
    d[x][(x / 2) % 2 ? 0 : h - 1] = 0;         // a gap at alternating ends
  }
  TInt2DArray ref = d;
  TBounds got, want;
  const std::int32_t n = FloodFillArray(0, 0, 1, d, got.MaxY, got.MinY, got.MinX, got.MaxX);
  EXPECT_EQ(n, ReferenceFill(ref, 0, 0, 1, want));
  EXPECT_EQ(n, 401 * h + 400);
  EXPECT_EQ(d, ref);
}

}  // namespace
}  // namespace kvl
