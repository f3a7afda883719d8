// TMat3D and TMat4D: storage order, resizing, addressing, block statistics,
// layer exchange, and the threaded reductions against the one-thread ones.

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/runtime/randgen.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::EventLog;

/// Named4: cell (c, r, l, t) = 1000 t + 100 l + 10 r + c.
void Named4(TMat4D& m, std::int32_t C, std::int32_t R, std::int32_t L, std::int32_t T) {
  m.Resize(C, R, L, T);
  for (std::int32_t t = 1; t <= T; ++t)
    for (std::int32_t l = 1; l <= L; ++l)
      for (std::int32_t r = 1; r <= R; ++r)
        for (std::int32_t c = 1; c <= C; ++c) m.SetVal(c, r, l, t, 1000 * t + 100 * l + 10 * r + c);
}

TEST(Mat4DStorage, ColumnFastestInFileOrder) {
  TMat4D m;
  Named4(m, 3, 2, 2, 2);
  const auto data = m.Data();
  ASSERT_EQ(data.size(), 24u);
  for (std::int32_t t = 1; t <= 2; ++t)
    for (std::int32_t l = 1; l <= 2; ++l)
      for (std::int32_t r = 1; r <= 2; ++r)
        for (std::int32_t c = 1; c <= 3; ++c)
          EXPECT_EQ(data[static_cast<std::size_t>(((t - 1) * 2 + (l - 1)) * 6 + (r - 1) * 3 + (c - 1))],
                    m.GetVal(c, r, l, t));
  EXPECT_EQ(m.GetVal(4, 1, 1, 1), 0.0);
  EXPECT_EQ(m.GetVal(1, 1, 1, 0), 0.0);
}

TEST(Mat3DStorage, LayerFastestAndResizeKeepsOverlap) {
  TMat3D s;
  s.Resize(2, 3, 4);
  s.FillSerial(0, 1);
  EXPECT_EQ(s.GetVal(1, 1, 2), 1.0);  // the layer is the fastest index
  EXPECT_EQ(s.GetVal(1, 2, 1), 4.0);
  EXPECT_EQ(s.GetVal(2, 1, 1), 12.0);
  EventLog log;
  s.OnChange = log.Recorder("change");
  s.OnResize = log.Recorder("resize");
  EXPECT_TRUE(s.Resize(3, 2, 5));
  EXPECT_EQ(log.Events, (std::vector<std::string>{"change", "resize"}));
  EXPECT_EQ(s.GetVal(2, 2, 4), 12.0 + 4 + 3);
  EXPECT_EQ(s.GetVal(3, 1, 1), 0.0);
  EXPECT_EQ(s.GetVal(1, 1, 5), 0.0);
  EXPECT_FALSE(s.Resize(3, 2, 5));
  EXPECT_FALSE(s.Resize(3, 0, 5));

  TMat4D m;
  Named4(m, 3, 3, 2, 2);
  m.Resize(2, 4, 2, 3);
  EXPECT_EQ(m.GetVal(2, 3, 2, 2), 2232.0);
  EXPECT_EQ(m.GetVal(2, 4, 2, 2), 0.0);
  EXPECT_EQ(m.GetVal(1, 1, 1, 3), 0.0);
}

TEST(Mat4DAddressing, LinearAddressesAndMemory) {
  TMat4D m;
  m.Resize(4, 5, 2, 1);
  EXPECT_EQ(m.Lin3DAddr(2, 3, 1), 18);
  std::int32_t ix, iy, il;
  ASSERT_TRUE(m.ConvertLinTo3DAddr(18, ix, iy, il));
  EXPECT_EQ((std::vector<std::int32_t>{ix, iy, il}), (std::vector<std::int32_t>{2, 3, 1}));
  EXPECT_EQ(m.Lin3DAddr(5, 1, 1), -1);
  EXPECT_FALSE(m.ConvertLinTo3DAddr(40, ix, iy, il));
  EXPECT_FALSE(m.ConvertLinTo3DAddr(-1, ix, iy, il));
  m.Resize(1024, 1024, 1, 1);
  EXPECT_EQ(m.MemoryConsumed(), 8.0);
}

TEST(Mat4DBlocks, StatisticsOverABlock) {
  TMat4D m;
  Named4(m, 3, 3, 2, 2);
  double lo, hi;
  m.MinMax(2, 3, 1, 1, 0, 0, 2, 2, lo, hi);
  EXPECT_EQ(lo, 2112.0);
  EXPECT_EQ(hi, 2213.0);
  EXPECT_EQ(m.Sum(1, 1, 1, 1, 1, 1, 0, 0), 1111.0 + 2111.0);
  EXPECT_EQ(m.SquaredSum(1, 1, 1, 1, 1, 1, 1, 1), 1111.0 * 1111.0);
  EXPECT_EQ(m.CountValues(0, 0, 0, 0, 0, 0, 0, 0, 1200, 2199), 18);
  std::int32_t c, r, l, t;
  m.Find(0, 0, 0, 0, 0, 0, 0, 0, 1222.4, c, r, l, t);
  EXPECT_EQ((std::vector<std::int32_t>{c, r, l, t}), (std::vector<std::int32_t>{2, 2, 2, 1}));
  double mean, var;
  m.MeanVar(1, 1, 1, 1, 1, 1, 1, 2, mean, var);
  EXPECT_EQ(mean, 1611.0);

  TMat3D s;
  s.Resize(2, 2, 2);
  s.Fill(5.0);
  s.SetVal(2, 1, 2, 5.0 + 1e-3);
  s.Find(0, 0, 0, 0, 0, 0, 5.0, c, r, l);  // ties: the first in index order
  EXPECT_EQ((std::vector<std::int32_t>{c, r, l}), (std::vector<std::int32_t>{1, 1, 1}));
}

TEST(Mat4DExchange, LayersToAndFromMatrices) {
  TMat4D m;
  m.SetName("M4");
  Named4(m, 3, 2, 2, 2);
  TMatrix a;
  m.CopyLayerToMatrix(&a, 2, 1);
  ASSERT_EQ(a.NrOfColumns(), 3);
  ASSERT_EQ(a.NrOfRows(), 2);
  EXPECT_EQ(a.GetVal(3, 2), 1223.0);
  a.SMult(-1.0);
  m.CopyMatrixToLayer(&a, 1, 2);
  EXPECT_EQ(m.GetVal(3, 2, 1, 2), -1223.0);
  EXPECT_EQ(m.GetVal(3, 2, 2, 2), 2223.0);
  KVL_EXPECT_THROW_MSG(m.CopyLayerToMatrix(&a, 0, 1), EKVLMatrixError,
                       "Component \"M4\": specified layer beyond data range");
  KVL_EXPECT_THROW_MSG(m.CopyLayerToMatrix(&a, 1, 3), EKVLMatrixError,
                       "Component \"M4\": specified time slot beyond data range");
  m.FillLayer(2, 7.0);
  EXPECT_EQ(m.GetVal(1, 1, 2, 1), 7.0);
  EXPECT_EQ(m.GetVal(3, 2, 2, 2), 7.0);
  EXPECT_EQ(m.GetVal(3, 2, 1, 1), 1123.0);

  TMat3D s;
  s.SetName("S3");
  s.Resize(3, 2, 2);
  s.CopyMatrixToLayer(&a, 2);
  EXPECT_EQ(s.GetVal(2, 1, 2), -1212.0);
  KVL_EXPECT_THROW_MSG(s.CopyLayerToMatrix(&a, 0), EKVLMatrixError,
                       "Component \"S3\": specified layer beyond data range");
  TMatrix b;
  b.SetName("B");
  b.Resize(2, 2);
  b.CopyFrom(&s, 2, 2, 1, 3, 2, 1, 1);  // columns 2..3, rows 1..2 of layer 2
  EXPECT_EQ(b.GetVal(1, 1), -1212.0);
  EXPECT_EQ(b.GetVal(2, 2), -1223.0);
  KVL_EXPECT_THROW_MSG(b.CopyFrom(&s, 3, 0, 0, 0, 0, 1, 1), EKVLMatrixError,
                       "Component \"B\": specified layer beyond data range");
}

// The four reductions on several thread counts give bit for bit the
// one-thread results, on a block that is not a whole number of tiles.
TEST(Mat4DReductions, ThreadedEqualsSingleThreaded) {
  RandSeed = 5;
  TMat4D m;
  m.Resize(37, 11, 3, 5);
  m.FillRandomGauss(2.0, 3.0);
  using TReduce = void (TMat4D::*)(TMatrix*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                   std::int32_t, std::int32_t, std::int32_t, std::int32_t);
  const std::vector<std::pair<const char*, TReduce>> ops = {{"mean", &TMat4D::MeanOfLayersToMatrix},
                                                            {"max", &TMat4D::MaximumOfLayersToMatrix},
                                                            {"min", &TMat4D::MinimumOfLayersToMatrix},
                                                            {"stddev", &TMat4D::StdDevOfLayersToMatrix}};
  for (const auto& [name, op] : ops) {
    SCOPED_TRACE(name);
    TMatrix one, many;
    (m.*op)(&one, 2, 35, 3, 10, 1, 3, 2, 5, 1);
    (m.*op)(&many, 2, 35, 3, 10, 1, 3, 2, 5, 8);
    ASSERT_EQ(one.NrOfColumns(), 34);
    ASSERT_EQ(one.NrOfRows(), 8);
    EXPECT_EQ(one.CRCofData(), many.CRCofData());
    // Spot check against a direct computation of cell (5, 4) = source (6, 6).
    double sum = 0, sq = 0, lo = 1e300, hi = -1e300;
    for (std::int32_t t = 2; t <= 5; ++t)
      for (std::int32_t l = 1; l <= 3; ++l) {
        const double x = m.GetVal(6, 6, l, t);
        sum += x, sq += x * x, lo = std::min(lo, x), hi = std::max(hi, x);
      }
    const double expected = std::string(name) == "mean"  ? sum / 12
                            : std::string(name) == "max" ? hi
                            : std::string(name) == "min" ? lo
                                                         : std::sqrt(sq / 12 - (sum / 12) * (sum / 12));
    EXPECT_NEAR(one.GetVal(5, 4), expected, 1e-12 * std::fabs(expected) + 1e-12);
  }
}

TEST(Mat4DReductions, LayerCopyConstantStackAndProgress) {
  test::ProgressHookGuard guard;
  TMat4D m;
  Named4(m, 9, 4, 2, 3);
  TMatrix mean;
  m.MeanOfLayersToMatrix(&mean, 0, 0, 0, 0, 2, 2, 3, 3);
  for (std::int32_t c = 1; c <= 9; ++c)
    for (std::int32_t r = 1; r <= 4; ++r) EXPECT_EQ(mean.GetVal(c, r), m.GetVal(c, r, 2, 3));
  m.Fill(4.25);
  TMatrix sd;
  m.StdDevOfLayersToMatrix(&sd, 0, 0, 0, 0, 0, 0, 0, 0, 2);
  double lo, hi;
  sd.MinMax(0, 0, 0, 0, lo, hi);
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(hi, 0.0);
  // Progress adds up to 100 over a call, reported from the calling thread.
  const auto caller = std::this_thread::get_id();
  bool otherThread = false;
  MathFeedBackProc = [&](double) { otherThread |= std::this_thread::get_id() != caller; };
  for (const std::int32_t threads : {1, 2}) {
    ProcStat = 0;
    m.MaximumOfLayersToMatrix(&sd, 0, 0, 0, 0, 0, 0, 0, 0, threads);
    EXPECT_NEAR(ProcStat, 100.0, 1e-9);
  }
  EXPECT_FALSE(otherThread);
  // An abort before the call: no column is handed out, DestMat stays 0.
  AbortMathProc = true;
  m.MaximumOfLayersToMatrix(&sd, 0, 0, 0, 0, 0, 0, 0, 0, 1);
  sd.MinMax(0, 0, 0, 0, lo, hi);
  EXPECT_EQ(hi, 0.0);
}

}  // namespace
}  // namespace kvl
