// TMat3D and TMat4D: percentiles, sampled checksum, the exchange of layers,
// time slots and pixels with arrays, vectors and TMat3D, the layer
// arithmetic, the reshaping operations, and appending to a binary file.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/randgen.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::EventLog;
using test::TempFile;
using TIdx = std::array<std::int32_t, 4>;

/// Code: the value Named puts at (c, r, l, t).
double Code(std::int32_t c, std::int32_t r, std::int32_t l, std::int32_t t) { return 1000 * t + 100 * l + 10 * r + c; }

void Named(TMat4D& m, std::int32_t C, std::int32_t R, std::int32_t L, std::int32_t T) {
  m.Resize(C, R, L, T);
  for (std::int32_t t = 1; t <= T; ++t)
    for (std::int32_t l = 1; l <= L; ++l)
      for (std::int32_t r = 1; r <= R; ++r)
        for (std::int32_t c = 1; c <= C; ++c) m.SetVal(c, r, l, t, Code(c, r, l, t));
}

TIdx Dims(const TMat4D& m) { return {m.NrOfColumns(), m.NrOfRows(), m.NrOfLayers(), m.NrOfTimeSlots()}; }

/// ExpectCells: every cell of m equals Want(c, r, l, t).
void ExpectCells(const TMat4D& m, const std::function<double(std::int32_t, std::int32_t, std::int32_t, std::int32_t)>& Want) {
  for (std::int32_t t = 1; t <= m.NrOfTimeSlots(); ++t)
    for (std::int32_t l = 1; l <= m.NrOfLayers(); ++l)
      for (std::int32_t r = 1; r <= m.NrOfRows(); ++r)
        for (std::int32_t c = 1; c <= m.NrOfColumns(); ++c)
          ASSERT_EQ(m.GetVal(c, r, l, t), Want(c, r, l, t)) << c << "," << r << "," << l << "," << t;
}

std::string Bytes(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& Path, const std::string& Bytes) {
  std::ofstream(Path, std::ios::binary).write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

/// Header: record 0 of a binary matrix file.
std::string Header(std::int32_t C, std::int32_t R, std::int32_t L, std::int32_t T, std::int32_t Format) {
  std::string rec(4096, '\0');
  const std::int32_t dims[4] = {C, R, L, T};
  std::memcpy(rec.data(), dims, 16);
  std::memcpy(rec.data() + 272, &Format, 4);
  return rec;
}

// --- percentiles and checksum ----------------------------------------------------------------

TEST(MatNDPercentile, NearestRankOverBlocks) {
  // 1..16 in storage order, mirrored so that the order is not sorted.
  TMat4D m;
  m.Resize(2, 2, 2, 2);
  m.FillSerial(1, 1);
  m.MirrorColumns();
  m.MirrorTimeSlots();
  TMat3D s;
  s.Resize(2, 2, 4);
  s.FillSerial(16, -1);
  struct TCase {
    double Prob, Whole, FirstSlot;
  };
  // n = 16: position round(16 p), halves to even; one time slot holds 1..8 (n = 8).
  const TCase cases[] = {{0, 1, 1}, {-5, 1, 1}, {50, 9, 5}, {100, 16, 8}, {150, 16, 8}, {31.25, 6, 3}, {96, 16, 8}};
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Prob);
    EXPECT_EQ(m.Percentile(k.Prob, 0, 0, 0, 0, 0, 0, 0, 0), k.Whole);
    EXPECT_EQ(m.Percentile(k.Prob, 0, 0, 0, 0, 0, 0, 2, 2), k.FirstSlot);  // mirrored: slot 2 holds 1..8
    EXPECT_EQ(m.Percentile(k.Prob, 0, 0, 0, 0, 0, 0, 0, 0, 0), k.Whole);     // no sample: every cell
    EXPECT_EQ(m.Percentile(k.Prob, 0, 0, 0, 0, 0, 0, 0, 0, 16, 5.0), k.Whole);
    EXPECT_EQ(s.Percentile(k.Prob, 0, 0, 0, 0, 0, 0), k.Whole);
    EXPECT_EQ(s.Percentile(k.Prob, 0, 0, 0, 0, 0, 0, 100), k.Whole);
  }
}

TEST(MatNDPercentile, SampledAroundAnAbundantValue) {
  // 30 % ones, 40 % sevens, 30 % nines: with 2000 draws the shares stay
  // within a few points of these (a miss is a > 9 sigma event).
  TMat4D m;
  m.Resize(10, 10, 5, 2);
  for (std::int32_t k = 0; k < 1000; ++k)
    m.SetVal(k % 10 + 1, k / 10 % 10 + 1, k / 100 % 5 + 1, k / 500 + 1, k % 10 < 3 ? 1.0 : k % 10 < 7 ? 7.0 : 9.0);
  EXPECT_EQ(m.Percentile(50, 0, 0, 0, 0, 0, 0, 0, 0, 999, 7.0), 7.0);
  EXPECT_EQ(m.Percentile(10, 0, 0, 0, 0, 0, 0, 0, 0, 999, 7.0), 1.0);
  EXPECT_EQ(m.Percentile(90, 0, 0, 0, 0, 0, 0, 0, 0, 999, 7.0), 9.0);
  EXPECT_EQ(m.Percentile(50, 0, 0, 0, 0, 0, 0, 0, 0, 999), 7.0);
}

TEST(MatNDChecksum, SampledCellsOnly) {
  TMat4D m, picked;
  m.Resize(5, 1, 1, 1);
  m.FillSerial(3, 0.5);
  picked.Resize(3, 1, 1, 1);
  for (std::int32_t k = 0; k < 3; ++k) picked.SetVal(k + 1, 1, 1, 1, m.GetVal(2 * k + 1, 1, 1, 1));
  EXPECT_EQ(m.CRCofData(2), picked.CRCofData());
  EXPECT_EQ(m.CRCofData(1), m.CRCofData());
  EXPECT_EQ(m.CRCofData(0), m.CRCofData());
  EXPECT_NE(m.CRCofData(2), m.CRCofData());
}

// --- reshaping -------------------------------------------------------------------------------

TEST(Mat4DReshape, MirrorEachDimension) {
  struct TCase {
    const char* Name;
    void (TMat4D::*Mirror)();
    std::size_t Dim;
  };
  const TCase cases[] = {{"columns", &TMat4D::MirrorColumns, 0},
                         {"rows", &TMat4D::MirrorRows, 1},
                         {"layers", &TMat4D::MirrorLayers, 2},
                         {"time slots", &TMat4D::MirrorTimeSlots, 3}};
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TMat4D m;
    Named(m, 3, 4, 5, 2);  // odd and even extents
    const TIdx n = Dims(m);
    (m.*k.Mirror)();
    ExpectCells(m, [&](std::int32_t c, std::int32_t r, std::int32_t l, std::int32_t t) {
      TIdx ix{c, r, l, t};
      ix[k.Dim] = n[k.Dim] + 1 - ix[k.Dim];
      return Code(ix[0], ix[1], ix[2], ix[3]);
    });
  }
  TMat3D s;
  s.Resize(1, 1, 3);
  s.FillSerial(1, 1);
  s.MirrorLayers();
  EXPECT_EQ(s.GetVal(1, 1, 1), 3.0);
  EXPECT_EQ(s.GetVal(1, 1, 3), 1.0);
}

TEST(Mat4DReshape, TransposeExchangesColumnsAndRows) {
  TMat4D m;
  Named(m, 3, 2, 2, 2);
  EventLog log;
  m.OnChange = log.Recorder("change");
  m.OnResize = log.Recorder("resize");
  m.Transpose();
  EXPECT_EQ(Dims(m), (TIdx{2, 3, 2, 2}));
  ExpectCells(m, [](std::int32_t c, std::int32_t r, std::int32_t l, std::int32_t t) { return Code(r, c, l, t); });
  EXPECT_EQ(log.Events, (std::vector<std::string>{"change", "resize"}));
  Named(m, 2, 2, 1, 3);
  log.Events.clear();
  m.Transpose();
  ExpectCells(m, [](std::int32_t c, std::int32_t r, std::int32_t l, std::int32_t t) { return Code(r, c, l, t); });
  EXPECT_EQ(log.Events, (std::vector<std::string>{"change"}));
}

TEST(Mat4DReshape, CutKeepsTheBlock) {
  TMat4D m;
  Named(m, 5, 4, 3, 3);
  m.Cut(4, 2, 0, 0, 3, 3, 2, 9);  // columns 2..4, all rows, layer 3, time slots 2..3
  EXPECT_EQ(Dims(m), (TIdx{3, 4, 1, 2}));
  ExpectCells(m, [](std::int32_t c, std::int32_t r, std::int32_t, std::int32_t t) { return Code(c + 1, r, 3, t + 1); });
}

TEST(Mat4DReshape, ResampleKeepsAndAveragesBlocks) {
  struct TCase {
    const char* Name;
    std::int32_t Div, Offset;
    bool Average;
    std::vector<double> Want;  // columns 1..10 hold 1..10
  };
  const TCase cases[] = {
      {"average, last block alone", 3, 0, true, {2, 5, 8, 10}},
      {"average, offset 1, whole blocks", 3, 1, true, {3, 6, 9}},
      {"average, offset 2, last block of two", 3, 2, true, {4, 7, 9.5}},
      {"pick", 3, 2, false, {3, 6, 9}},
      {"div 0 counts as 1", 0, 7, false, {8, 9, 10}},
      {"offset clamped to the last index", 4, 20, true, {10}},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TMat4D m;
    m.Resize(10, 1, 1, 1);
    m.FillSerial(1, 1);
    m.Resample(k.Div, k.Offset, 1, 0, 1, 0, 1, 0, k.Average);
    ASSERT_EQ(m.NrOfColumns(), static_cast<std::int32_t>(k.Want.size()));
    for (std::size_t c = 0; c < k.Want.size(); ++c) EXPECT_EQ(m.GetVal(static_cast<std::int32_t>(c) + 1, 1, 1, 1), k.Want[c]);
  }
  // Over two dimensions at once: the column blocks {1, 2} and {3} by the
  // time-slot block {1, 2}; rows and layers kept.
  TMat4D m;
  Named(m, 3, 3, 2, 2);
  m.Resample(2, 0, 1, 0, 1, 0, 2, 0, true);
  EXPECT_EQ(Dims(m), (TIdx{2, 3, 2, 1}));
  ExpectCells(m, [](std::int32_t c, std::int32_t r, std::int32_t l, std::int32_t) {
    return c == 1 ? 1500 + 100 * l + 10 * r + 1.5 : 1500 + 100 * l + 10 * r + 3;
  });
}

TEST(Mat4DReshape, CopyFromBlockClipsAndHandlesOverlap) {
  TMat4D src, m;
  Named(src, 3, 3, 2, 2);
  m.Resize(4, 4, 2, 2);
  m.CopyFrom(&src, 2, 3, 1, 3, 2, 2, 1, 1, 3, 3, 1, 2);  // the corner lands at (3, 3, 1, 2)
  EXPECT_EQ(m.GetVal(3, 3, 1, 2), Code(2, 1, 2, 1));
  EXPECT_EQ(m.GetVal(4, 4, 1, 2), Code(3, 2, 2, 1));
  EXPECT_EQ(m.Sum(0, 0, 0, 0, 0, 0, 0, 0), Code(2, 1, 2, 1) + Code(3, 1, 2, 1) + Code(2, 2, 2, 1) + Code(3, 2, 2, 1));
  // Within one matrix, shifted by one column: as if through a copy.
  Named(m, 4, 1, 1, 1);
  m.CopyFrom(&m, 1, 3, 0, 0, 0, 0, 0, 0, 2, 1, 1, 1);
  ExpectCells(m, [](std::int32_t c, std::int32_t r, std::int32_t l, std::int32_t t) {
    return Code(c == 1 ? 1 : c - 1, r, l, t);
  });
}

// --- exchange and layer arithmetic -----------------------------------------------------------

TEST(MatNDExchange, RectanglesOfALayer) {
  TMat4D m;
  Named(m, 4, 3, 2, 2);
  TMatrix a;
  m.CopyLayerToMatrix(&a, 3, 2, 0, 0, 2, 1);  // columns 2..3, all rows
  ASSERT_EQ(a.NrOfColumns(), 2);
  ASSERT_EQ(a.NrOfRows(), 3);
  EXPECT_EQ(a.GetVal(2, 3), Code(3, 3, 2, 1));
  m.CopyMatrixToLayer(&a, 1, 2, 2, 3, 1, 2, 3, 2);  // rows 2..3 of a to (3, 2): column 5 falls outside
  ExpectCells(m, [&](std::int32_t c, std::int32_t r, std::int32_t l, std::int32_t t) {
    return l == 1 && t == 2 && c >= 3 && r >= 2 ? Code(c - 1, r, 2, 1) : Code(c, r, l, t);
  });
  TMat3D s;
  s.SetName("S");
  s.Resize(3, 3, 2);
  s.CopyMatrixToLayer(&a, 0, 0, 0, 0, 2, 0, 2);  // a's first column lands in column 0: skipped
  EXPECT_EQ(s.GetVal(1, 2, 2), Code(3, 1, 2, 1));
  EXPECT_EQ(s.GetVal(1, 3, 2), Code(3, 2, 2, 1));
  double sum = 0;
  for (const double x : s.Data()) sum += x;
  EXPECT_EQ(sum, Code(3, 1, 2, 1) + Code(3, 2, 2, 1));
  TMatrix b;
  s.CopyLayerToMatrix(&b, 2, 1, 1, 3, 2);
  EXPECT_EQ(b.NrOfColumns(), 1);
  EXPECT_EQ(b.GetVal(1, 1), Code(3, 1, 2, 1));
  KVL_EXPECT_THROW_MSG(s.CopyMatrixToLayer(&a, 0, 0, 0, 0, 3, 1, 1), EKVLMatrixError,
                       "Component \"S\": specified layer beyond data range");
}

TEST(Mat4DExchange, StatusCodesLeaveTheMatrixUnchanged) {
  TMat4D m;
  Named(m, 3, 2, 2, 2);
  TDouble2DArray layer(3, std::vector<double>(2, 1.0)), ragged = layer, narrow(2, std::vector<double>(2, 1.0));
  ragged[1].push_back(1.0);
  TDouble3DArray slot(3, TDouble2DArray(2, std::vector<double>(2, 1.0))), shortSlot = slot;
  shortSlot[2][1].pop_back();
  TDoubleArray pixel(2, 1.0);
  TVector v;
  struct TCase {
    const char* Name;
    std::function<std::int32_t()> Call;
    std::int32_t Want;
  };
  const std::vector<TCase> cases = {
      {"array to layer, layer 0", [&] { return m.CopyArrayToLayer(layer, 0, 1); }, -2},
      {"array to layer, both bad", [&] { return m.CopyArrayToLayer(layer, 3, 3); }, -2},
      {"array to layer, slot 3", [&] { return m.CopyArrayToLayer(layer, 1, 3); }, -1},
      {"array to layer, ragged", [&] { return m.CopyArrayToLayer(ragged, 1, 1); }, -3},
      {"array to layer, narrow", [&] { return m.CopyArrayToLayer(narrow, 1, 1); }, -3},
      {"array to slot, slot 0", [&] { return m.CopyArrayToTimeSlot(slot, 0); }, -1},
      {"array to slot, short pixel", [&] { return m.CopyArrayToTimeSlot(shortSlot, 1); }, -3},
      {"array to pixel, column 4", [&] { return m.Copy1DArrayToPixel(pixel, 4, 1, 1, 1); }, -3},
      {"array to pixel, row 0", [&] { return m.Copy1DArrayToPixel(pixel, 1, 0, 1, 1); }, -3},
      {"array to pixel, first layer 3", [&] { return m.Copy1DArrayToPixel(pixel, 1, 1, 3, 1); }, -2},
      {"vector to pixel, slot 3", [&] { return m.CopyVectorToPixel(&v, 1, 1, 1, 3); }, -1},
      {"vector to pixel, no vector", [&] { return m.CopyVectorToPixel(nullptr, 1, 1, 1, 1); }, -4},
      {"accumulate, ragged", [&] { return m.AccumulateLayer(1, 1, ragged); }, -3},
      {"accumulate, layer 3", [&] { return m.AccumulateLayer(3, 1, layer); }, -2},
      {"fill, mode 6", [&] { return m.FillLayer(1, 1, 6, 0, 0); }, -3},
      {"fill, mode -1", [&] { return m.FillLayer(1, 1, -1, 0, 0); }, -3},
      {"fill, slot 0", [&] { return m.FillLayer(1, 0, 0, 0, 0); }, -1},
      {"multiply, narrow", [&] { return m.MultiplyLayersByArray(narrow, 0, 0, 0, 0); }, -3},
  };
  const std::string before = m.CRCofData();
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    EXPECT_EQ(k.Call(), k.Want);
    EXPECT_EQ(m.CRCofData(), before);
  }
  TDouble2DArray out{{42.0}};
  EXPECT_EQ(m.CopyLayerToArray(out, 1, 0), -1);
  EXPECT_EQ(m.CopyPixelTo1DArray(pixel, 1, 3, 1), -3);
  EXPECT_EQ(m.CopyPixelToVector(nullptr, 1, 1, 1), -4);
  EXPECT_EQ(out, (TDouble2DArray{{42.0}}));
}

TEST(Mat4DExchange, LayersSlotsAndPixelsRoundTrip) {
  TMat4D m;
  m.SetName("M");
  Named(m, 3, 2, 4, 2);
  TDouble2DArray layer;
  ASSERT_EQ(m.CopyLayerToArray(layer, 3, 2), 0);
  ASSERT_EQ(layer.size(), 3u);
  EXPECT_EQ(layer[2][1], Code(3, 2, 3, 2));
  ASSERT_EQ(m.CopyArrayToLayer(layer, 1, 1), 0);
  EXPECT_EQ(m.GetVal(3, 2, 1, 1), Code(3, 2, 3, 2));
  EXPECT_EQ(m.GetVal(3, 2, 2, 1), Code(3, 2, 2, 1));

  TDouble3DArray slot;
  ASSERT_EQ(m.CopyTimeSlotToArray(slot, 2), 0);
  EXPECT_EQ(slot[1][0][3], Code(2, 1, 4, 2));
  slot[1][0][3] = -1;
  ASSERT_EQ(m.CopyArrayToTimeSlot(slot, 1), 0);
  EXPECT_EQ(m.GetVal(2, 1, 4, 1), -1.0);
  EXPECT_EQ(m.GetVal(3, 2, 1, 1), Code(3, 2, 1, 2));

  TMat3D s;
  m.CopyTimeSlotToMat3D(&s, 2);
  ASSERT_EQ(s.NrOfLayers(), 4);
  EXPECT_EQ(s.GetVal(3, 1, 2), Code(3, 1, 2, 2));
  s.Resize(2, 2, 5);  // larger in layers, smaller in columns: the overlap moves
  s.Fill(-7);
  m.CopyMat3DToTimeSlot(&s, 1);
  EXPECT_EQ(m.GetVal(2, 2, 4, 1), -7.0);
  EXPECT_EQ(m.GetVal(3, 2, 4, 1), Code(3, 2, 4, 2));
  KVL_EXPECT_THROW_MSG(m.CopyTimeSlotToMat3D(&s, 3), EKVLMatrixError,
                       "Component \"M\": specified time slot beyond data range");
  KVL_EXPECT_THROW_MSG(m.CopyMat3DToTimeSlot(&s, 0), EKVLMatrixError,
                       "Component \"M\": specified time slot beyond data range");

  TVector v;
  ASSERT_EQ(m.CopyPixelToVector(&v, 2, 2, 2), 0);
  ASSERT_EQ(v.NrOfElem(), 4);
  EXPECT_EQ(v.GetVal(4), Code(2, 2, 4, 2));
  ASSERT_EQ(m.CopyVectorToPixel(&v, 1, 1, 3, 2), 0);  // layers 3, 4 only
  EXPECT_EQ(m.GetVal(1, 1, 3, 2), Code(2, 2, 1, 2));
  EXPECT_EQ(m.GetVal(1, 1, 4, 2), Code(2, 2, 2, 2));
  EXPECT_EQ(m.GetVal(1, 1, 2, 2), Code(1, 1, 2, 2));
  TDoubleArray pixel;
  ASSERT_EQ(m.CopyPixelTo1DArray(pixel, 1, 1, 2), 0);
  EXPECT_EQ(pixel, (TDoubleArray{Code(1, 1, 1, 2), Code(1, 1, 2, 2), Code(2, 2, 1, 2), Code(2, 2, 2, 2)}));
}

TEST(Mat4DLayerArithmetic, FillModesAccumulateAndMultiply) {
  struct TCase {
    std::int32_t Mode;
    double Par1, Par2;
    std::function<double(std::int32_t, std::int32_t)> Want;  // (column, row), 0-based
  };
  const TCase cases[] = {
      {0, 2.5, 9, [](std::int32_t, std::int32_t) { return 2.5; }},
      {2, 2.5, 0, [](std::int32_t, std::int32_t) { return 2.5; }},  // deviation 0: the mean
      {3, 1, 0.5, [](std::int32_t c, std::int32_t) { return 1 + 0.5 * c; }},
      {4, 1, 0.5, [](std::int32_t, std::int32_t r) { return 1 + 0.5 * r; }},
      {5, 1, 0.5, [](std::int32_t c, std::int32_t r) { return 1 + 0.5 * (3 * r + c); }},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Mode);
    TMat4D m;
    Named(m, 3, 2, 2, 2);
    ASSERT_EQ(m.FillLayer(2, 1, k.Mode, k.Par1, k.Par2), 0);
    ExpectCells(m, [&](std::int32_t c, std::int32_t r, std::int32_t l, std::int32_t t) {
      return l == 2 && t == 1 ? k.Want(c - 1, r - 1) : Code(c, r, l, t);
    });
  }
  TMat4D m;
  Named(m, 3, 2, 2, 2);
  RandSeed = 11;
  ASSERT_EQ(m.FillLayer(1, 2, 1, -2, 3), 0);
  double lo, hi;
  m.MinMax(0, 0, 0, 0, 1, 1, 2, 2, lo, hi);
  EXPECT_GE(lo, -2.0);
  EXPECT_LT(hi, 3.0);
  EXPECT_LT(lo, hi);

  Named(m, 3, 2, 2, 2);
  TDouble2DArray a{{1, 2}, {3, 4}, {5, 6}};  // [column][row]
  ASSERT_EQ(m.AccumulateLayer(2, 2, a), 0);
  ASSERT_EQ(m.MultiplyLayersByArray(a, 2, 2, 0, 0), 0);
  ExpectCells(m, [&](std::int32_t c, std::int32_t r, std::int32_t l, std::int32_t t) {
    const double f = a[c - 1][r - 1];
    if (l == 1) return Code(c, r, l, t);
    return t == 2 ? (Code(c, r, l, t) + f) * f : Code(c, r, l, t) * f;
  });
}

TEST(Arr3DLayers, FreeRoutines) {
  TDouble3DArray a(3, TDouble2DArray(2, std::vector<double>(4)));
  for (std::size_t c = 0; c < 3; ++c)
    for (std::size_t r = 0; r < 2; ++r)
      for (std::size_t l = 0; l < 4; ++l) a[c][r][l] = 100.0 * c + 10.0 * r + l;
  TMatrix mat;
  ASSERT_EQ(CopyArr3DLayerToMatrix(a, 3, &mat), 0);
  EXPECT_EQ(mat.NrOfColumns(), 3);
  EXPECT_EQ(mat.GetVal(3, 2), 213.0);
  TDouble2DArray b;
  ASSERT_EQ(CopyArr3DLayerToArr2D(a, 0, b), 0);
  EXPECT_EQ(b, (TDouble2DArray{{0, 10}, {100, 110}, {200, 210}}));
  TDouble2DArray back;
  ASSERT_EQ(CopyMatrixToArray(&mat, back), 0);
  EXPECT_EQ(back, (TDouble2DArray{{3, 13}, {103, 113}, {203, 213}}));

  TDouble3DArray ragged = a;
  ragged[2][1].pop_back();
  struct TCase {
    const char* Name;
    const TDouble3DArray* Src;
    std::int32_t Layer;
    std::int32_t Want;
  };
  const TDouble3DArray empty;
  const TCase cases[] = {{"empty", &empty, 0, -1}, {"ragged", &ragged, 0, -1}, {"layer -1", &a, -1, -2},
                         {"layer 4", &a, 4, -2}};
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    EXPECT_EQ(CopyArr3DLayerToMatrix(*k.Src, k.Layer, &mat), k.Want);
    EXPECT_EQ(CopyArr3DLayerToArr2D(*k.Src, k.Layer, b), k.Want);
  }
  EXPECT_EQ(mat.GetVal(3, 2), 213.0);  // unchanged by the failures
  EXPECT_EQ(CopyArr3DLayerToMatrix(a, 0, nullptr), -3);
  EXPECT_EQ(CopyMatrixToArray(nullptr, back), -3);
}

// --- binary files ----------------------------------------------------------------------------

TEST(Mat4DFiles, AppendThenReadBack) {
  // 12 and 600 values per time slot: appends that start inside a record.
  for (const TIdx& n : {TIdx{3, 2, 2, 4}, TIdx{20, 30, 1, 3}}) {
    SCOPED_TRACE(n[0]);
    TMat4D m, back;
    Named(m, n[0], n[1], n[2], n[3]);
    m.SetDataID("appended");
    TempFile f(".bin");
    ASSERT_EQ(m.AppendToBinaryFile(f.Path(), 1, 1), 0);  // no file yet: written as new
    ASSERT_EQ(m.AppendToBinaryFile(f.Path(), 2, 2), 0);
    ASSERT_EQ(m.AppendToBinaryFile(f.Path(), 3, n[3]), 0);
    ASSERT_EQ(back.LoadBinary(f.Path()), 0);
    EXPECT_EQ(Dims(back), n);
    EXPECT_EQ(back.DataID(), "appended");
    EXPECT_EQ(back.CRCofData(), m.CRCofData());
    TempFile g(".bin");
    ASSERT_TRUE(m.SaveBinary(g.Path(), 0, 0));
    EXPECT_EQ(Bytes(f.Path()), Bytes(g.Path()));
  }
}

TEST(Mat4DFiles, AppendRefusesOtherFilesUnchanged) {
  TMat4D m;
  Named(m, 3, 2, 2, 2);
  struct TCase {
    const char* Name;
    std::string Content;
    std::int32_t Want;
  };
  const std::string data(4096, '\0');
  const TCase cases[] = {
      {"half a header", std::string(2000, '\0'), -1},
      {"a 3-D file", Header(3, 2, 2, 0, 1) + data, -2},
      {"integer cells", Header(3, 2, 2, 1, 2) + data, -2},
      {"other layers", Header(3, 2, 1, 1, 1) + data, -3},
      {"other columns", Header(2, 2, 2, 1, 1) + data, -3},
      {"data area missing", Header(3, 2, 2, 1, 1), -4},
      {"2^31 - 1 time slots announced", Header(3, 2, 2, 2147483647, 1) + data, -4},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TempFile f(".bin");
    WriteBytes(f.Path(), k.Content);
    EXPECT_EQ(m.AppendToBinaryFile(f.Path(), 0, 0), k.Want);
    EXPECT_EQ(Bytes(f.Path()), k.Content);
  }
}

TEST(Mat4DFiles, LoadWithoutFormatCheckAndHostileHeaders) {
  std::vector<double> v(8);
  for (std::size_t k = 0; k < v.size(); ++k) v[k] = 0.25 * static_cast<double>(k);
  std::string cells(4096, '\0');
  std::memcpy(cells.data(), v.data(), v.size() * 8);
  TempFile f(".bin");
  WriteBytes(f.Path(), Header(2, 2, 1, 2, 0) + cells);  // format field 0
  TMat4D m;
  EXPECT_EQ(m.LoadBinary(f.Path()), -2);
  ASSERT_EQ(m.LoadBinaryNoFmtCheck(f.Path()), 0);
  EXPECT_EQ(Dims(m), (TIdx{2, 2, 1, 2}));
  EXPECT_EQ(m.GetVal(2, 1, 1, 2), 1.25);
  // Still refused: not four-dimensional, or more cells than the file holds
  // (65536^4 wraps a 64-bit product to 0).
  const std::string before = m.CRCofData();
  for (const std::string& header : {Header(2, 2, 1, 0, 0), Header(65536, 65536, 65536, 65536, 1),
                                    Header(-2, 2, 1, 2, 0)}) {
    WriteBytes(f.Path(), header + cells);
    EXPECT_LT(m.LoadBinaryNoFmtCheck(f.Path()), 0);
    EXPECT_LT(m.LoadBinary(f.Path()), 0);
  }
  EXPECT_EQ(Dims(m), (TIdx{2, 2, 1, 2}));
  EXPECT_EQ(m.CRCofData(), before);
  WriteBytes(f.Path(), Header(65536, 65536, 65536, 65536, 1) + cells);
  m.OnReadElement = [](TObject*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, double) {};
  EXPECT_THROW(m.ReadBinary(f.Path(), 0, 0), EInOutError);
  TDouble2DArray layer;
  EXPECT_THROW(Read4DLayer(f.Path(), 1, 1, layer), EInOutError);
  TMat3D s;
  WriteBytes(f.Path(), Header(1 << 21, 1 << 21, 1 << 22, 0, 1) + cells);
  EXPECT_EQ(s.LoadBinary(f.Path()), -3);
  EXPECT_EQ(s.NrOfColumns(), 1);
}

}  // namespace
}  // namespace kvl
