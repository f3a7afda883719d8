// TIntMatrix operations shared with TMatrix (products, sorts, statistics,
// copies, per-line routines) in both storage modes, and its text and stream
// forms: round trips and hostile files.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/base/KVL_streams.h"
#include "kvl/runtime/streams.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::ReadFile;
using test::TempFile;
using test::WriteFile;

/// Cells: builds an Nc x Nr integer matrix, dense or sparse, from a rule.
std::unique_ptr<TIntMatrix> Cells(bool Sparse, std::int32_t Nc, std::int32_t Nr,
                                  const std::function<std::int32_t(std::int32_t, std::int32_t)>& Value) {
  auto m = std::make_unique<TIntMatrix>();
  m->Resize(Nc, Nr);
  for (std::int32_t c = 1; c <= Nc; ++c)
    for (std::int32_t r = 1; r <= Nr; ++r) m->SetVal(c, r, Value(c, r));
  if (Sparse) m->ArrayToSparse(3);
  return m;
}

/// Mixed: a pattern with zeros, negatives and values whose products wrap.
std::int32_t Mixed(std::int32_t c, std::int32_t r) {
  if ((c + 2 * r) % 3 == 0) return 0;
  if (c == 2 && r == 1) return 2000000000;
  return (c * 7 - r * 5) * ((c + r) % 2 == 0 ? 1 : -1);
}

/// AsDouble: the TMatrix holding the same cells.
std::unique_ptr<TMatrix> AsDouble(const TIntMatrix& m) {
  auto d = std::make_unique<TMatrix>();
  d->Resize(m.NrOfColumns(), m.NrOfRows());
  d->CopyFrom(&m, 0, 0, 0, 0, 1, 1);
  return d;
}

void ExpectSameCells(const TIntMatrix& a, const std::vector<std::vector<std::int64_t>>& ref) {
  ASSERT_EQ(a.NrOfColumns(), static_cast<std::int32_t>(ref.size()));
  ASSERT_EQ(a.NrOfRows(), static_cast<std::int32_t>(ref[0].size()));
  for (std::int32_t c = 1; c <= a.NrOfColumns(); ++c)
    for (std::int32_t r = 1; r <= a.NrOfRows(); ++r)
      EXPECT_EQ(a.GetVal(c, r), static_cast<std::int32_t>(static_cast<std::uint32_t>(
                                    static_cast<std::uint64_t>(ref[c - 1][r - 1]))))
          << c << "," << r;
}

// --- products ----------------------------------------------------------------------------

struct ProductCase {
  const char* Name;
  bool TransA, TransB;
};

class IntProductTest : public ::testing::TestWithParam<std::tuple<ProductCase, bool, bool, bool>> {};

TEST_P(IntProductTest, MatchesWideReferenceModulo32Bits) {
  const auto [pc, sparseA, sparseB, sparseRes] = GetParam();
  // A is 4 x 3 (or its transpose read), B fits the product.
  auto a = Cells(sparseA, 4, 3, Mixed);
  const std::int32_t inner = pc.TransA ? 3 : 4;
  const std::int32_t bc = pc.TransB ? inner : 5, br = pc.TransB ? 5 : inner;
  auto b = Cells(sparseB, bc, br, [](std::int32_t c, std::int32_t r) { return Mixed(r + 1, c); });
  std::unique_ptr<TIntMatrix> res(sparseRes ? TIntMatrix::CreateSparse(nullptr, 2) : new TIntMatrix);
  bool ok = false;
  if (!pc.TransA && !pc.TransB) ok = a->Multiply(b.get(), res.get());
  if (!pc.TransA && pc.TransB) ok = a->MultiplyTransposed(b.get(), res.get());
  if (pc.TransA && !pc.TransB) ok = a->TransposeAndMultiply(b.get(), res.get());
  ASSERT_TRUE(ok);
  const std::int32_t m = pc.TransA ? 4 : 3;
  std::vector<std::vector<std::int64_t>> ref(5, std::vector<std::int64_t>(static_cast<std::size_t>(m), 0));
  for (std::int32_t j = 1; j <= 5; ++j)
    for (std::int32_t i = 1; i <= m; ++i)
      for (std::int32_t p = 1; p <= inner; ++p) {
        const std::int64_t x = pc.TransA ? a->GetVal(i, p) : a->GetVal(p, i);
        const std::int64_t y = pc.TransB ? b->GetVal(p, j) : b->GetVal(j, p);
        ref[j - 1][i - 1] = static_cast<std::int64_t>(static_cast<std::uint64_t>(ref[j - 1][i - 1]) +
                                                      static_cast<std::uint64_t>(x * y));
      }
  ExpectSameCells(*res, ref);
  EXPECT_EQ(res->IsSparse(), sparseRes);
  if (sparseRes) {
    for (const TSpMatElemInt& e : res->SpMat()) EXPECT_NE(e.value, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, IntProductTest,
                         ::testing::Combine(::testing::Values(ProductCase{"AB", false, false},
                                                              ProductCase{"ABt", false, true},
                                                              ProductCase{"AtB", true, false}),
                                            ::testing::Bool(), ::testing::Bool(), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).Name) +
                                  (std::get<1>(info.param) ? "_sparseA" : "_denseA") +
                                  (std::get<2>(info.param) ? "_sparseB" : "_denseB") +
                                  (std::get<3>(info.param) ? "_sparseRes" : "_denseRes");
                         });

TEST(IntMatrixProducts, RegisterTilesAndTailsOnLargerShapes) {
  // 35 rows: two tiles of sixteen and three rows alone; 6 columns of B: one
  // block of four and two alone; values large enough to wrap.
  auto big = [](std::int32_t c, std::int32_t r) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(c * 2654435761u) ^ static_cast<std::uint32_t>(r * 40503u));
  };
  for (const bool sparse : {false, true}) {
    SCOPED_TRACE(sparse ? "sparse" : "dense");
    auto a = Cells(sparse, 19, 35, big);
    auto b = Cells(false, 6, 19, [&](std::int32_t c, std::int32_t r) { return big(r + 3, c) % 1000; });
    auto bt = Cells(false, 19, 6, [&](std::int32_t c, std::int32_t r) { return big(c + 3, r) % 1000; });
    TIntMatrix ab, abt;
    ASSERT_TRUE(a->Multiply(b.get(), &ab));
    ASSERT_TRUE(a->MultiplyTransposed(bt.get(), &abt));
    auto at = Cells(false, 35, 19, [&](std::int32_t c, std::int32_t r) { return big(r, c); });
    TIntMatrix atb;
    ASSERT_TRUE(at->TransposeAndMultiply(b.get(), &atb));
    for (std::int32_t j = 1; j <= 6; ++j)
      for (std::int32_t i = 1; i <= 35; ++i) {
        std::uint64_t ref = 0;
        for (std::int32_t p = 1; p <= 19; ++p)
          ref += static_cast<std::uint64_t>(static_cast<std::int64_t>(big(p, i)) * b->GetVal(j, p));
        const auto expected = static_cast<std::int32_t>(static_cast<std::uint32_t>(ref));
        EXPECT_EQ(ab.GetVal(j, i), expected) << j << "," << i;
        EXPECT_EQ(abt.GetVal(j, i), expected) << j << "," << i;
        EXPECT_EQ(atb.GetVal(j, i), expected) << j << "," << i;
      }
  }
}

TEST(IntMatrixProducts, SizeChecksAliasingEMultAndVectors) {
  for (const bool sparse : {false, true}) {
    SCOPED_TRACE(sparse ? "sparse" : "dense");
    auto a = Cells(sparse, 3, 3, Mixed);
    auto wrong = Cells(false, 2, 2, Mixed);
    TIntMatrix res;
    EXPECT_FALSE(a->Multiply(wrong.get(), &res));
    EXPECT_FALSE(a->MultiplyTransposed(wrong.get(), &res));
    EXPECT_FALSE(a->TransposeAndMultiply(wrong.get(), &res));
    EXPECT_FALSE(a->EMult(wrong.get(), &res));
    EXPECT_FALSE(a->Multiply(static_cast<const TIntMatrix*>(nullptr), &res));

    // A := A * A reads the operands before the result is written.
    auto copy = Cells(false, 3, 3, Mixed);
    TIntMatrix expected;
    ASSERT_TRUE(copy->Multiply(copy.get(), &expected));
    ASSERT_TRUE(a->Multiply(a.get(), a.get()));
    for (std::int32_t c = 1; c <= 3; ++c)
      for (std::int32_t r = 1; r <= 3; ++r) EXPECT_EQ(a->GetVal(c, r), expected.GetVal(c, r));

    auto e = Cells(sparse, 3, 2, Mixed);
    auto f = Cells(false, 3, 2, [](std::int32_t c, std::int32_t r) { return c - r + 3; });
    ASSERT_TRUE(e->EMult(f.get(), &res));
    for (std::int32_t c = 1; c <= 3; ++c)
      for (std::int32_t r = 1; r <= 2; ++r)
        EXPECT_EQ(res.GetVal(c, r), static_cast<std::int32_t>(static_cast<std::uint32_t>(Mixed(c, r)) *
                                                              static_cast<std::uint32_t>(c - r + 3)));

    TIntVector v, y;
    v.Resize(3);
    for (std::int32_t i = 1; i <= 3; ++i) v.SetVal(i, i - 2);
    auto g = Cells(sparse, 3, 2, Mixed);
    ASSERT_TRUE(g->Multiply(&v, &y));
    ASSERT_EQ(y.NrOfElem(), 2);
    for (std::int32_t r = 1; r <= 2; ++r) {
      std::uint32_t s = 0;
      for (std::int32_t c = 1; c <= 3; ++c) s += static_cast<std::uint32_t>(Mixed(c, r)) * static_cast<std::uint32_t>(c - 2);
      EXPECT_EQ(y.GetVal(r), static_cast<std::int32_t>(s));
    }
    TIntVector w;
    w.Resize(2);
    w.SetVal(1, 4);
    w.SetVal(2, -1);
    ASSERT_TRUE(g->TransposeAndMultiply(&w, &y));
    ASSERT_EQ(y.NrOfElem(), 3);
    for (std::int32_t c = 1; c <= 3; ++c)
      EXPECT_EQ(y.GetVal(c), static_cast<std::int32_t>(static_cast<std::uint32_t>(Mixed(c, 1)) * 4u -
                                                        static_cast<std::uint32_t>(Mixed(c, 2))));
    EXPECT_FALSE(g->Multiply(&w, &y));
  }
}

// --- sorts -------------------------------------------------------------------------------

struct SortCase {
  const char* Name;
  bool Rows, Ascending;
  std::int32_t Key, LowCol, LowRow, HighCol, HighRow;
};

class IntSortTest : public ::testing::TestWithParam<SortCase> {};

TEST_P(IntSortTest, DenseSparseAndTMatrixAgreeOnCellsAndEvents) {
  const SortCase sc = GetParam();
  auto rule = [](std::int32_t c, std::int32_t r) { return ((c * 13 + r * 7) % 11) - 5; };
  auto dense = Cells(false, 5, 6, rule);
  auto sparse = Cells(true, 5, 6, rule);
  auto ref = AsDouble(*dense);
  std::vector<std::vector<std::int32_t>> events[3];
  auto recorder = [](std::vector<std::vector<std::int32_t>>& log) {
    return [&log](TObject*, std::int32_t Kind, std::int32_t i, std::int32_t j, std::int32_t lo, std::int32_t hi) {
      log.push_back({Kind, i, j, lo, hi});
    };
  };
  dense->OnSortExchange = recorder(events[0]);
  sparse->OnSortExchange = recorder(events[1]);
  ref->OnSortExchange = recorder(events[2]);
  auto run = [&](auto& m) {
    if (sc.Rows)
      m.SortRows(sc.Key, sc.Ascending, sc.LowCol, sc.LowRow, sc.HighCol, sc.HighRow);
    else
      m.SortCols(sc.Key, sc.Ascending, sc.LowCol, sc.LowRow, sc.HighCol, sc.HighRow);
  };
  run(*dense);
  run(*sparse);
  run(*ref);
  EXPECT_FALSE(events[2].empty());
  EXPECT_EQ(events[0], events[2]);
  EXPECT_EQ(events[1], events[2]);
  for (std::int32_t c = 1; c <= 5; ++c)
    for (std::int32_t r = 1; r <= 6; ++r) {
      EXPECT_EQ(dense->GetVal(c, r), ref->GetVal(c, r)) << c << "," << r;
      EXPECT_EQ(sparse->GetVal(c, r), ref->GetVal(c, r)) << c << "," << r;
    }
  const auto list = sparse->SpMat();
  for (std::size_t i = 1; i < list.size(); ++i)
    EXPECT_TRUE(list[i - 1].colidx < list[i].colidx ||
                (list[i - 1].colidx == list[i].colidx && list[i - 1].rowidx < list[i].rowidx));
}

INSTANTIATE_TEST_SUITE_P(Cases, IntSortTest,
                         ::testing::Values(SortCase{"RowsWhole", true, true, 2, 0, 0, 0, 0},
                                           SortCase{"RowsDescPart", true, false, 1, 2, 2, 4, 6},
                                           SortCase{"RowsKeyOutside", true, true, 5, 1, 1, 3, 5},
                                           SortCase{"ColsWhole", false, false, 3, 0, 0, 0, 0},
                                           SortCase{"ColsKeyOutside", false, false, 6, 1, 2, 5, 4}),
                         [](const auto& info) { return std::string(info.param.Name); });

// --- statistics and per-line routines ------------------------------------------------------

TEST(IntMatrixStatistics, AgreeWithTMatrixInBothModes) {
  auto positive = [](std::int32_t c, std::int32_t r) { return (c * 5 + r * 3) % 9 + 1; };
  for (const bool sparse : {false, true}) {
    SCOPED_TRACE(sparse ? "sparse" : "dense");
    for (const auto& rule : {std::function<std::int32_t(std::int32_t, std::int32_t)>(positive),
                             std::function<std::int32_t(std::int32_t, std::int32_t)>(Mixed)}) {
      auto m = Cells(sparse, 4, 5, rule);
      auto d = AsDouble(*m);
      const std::int32_t rects[][4] = {{0, 0, 0, 0}, {2, 1, 3, 5}, {4, 4, 1, 2}};
      for (const auto& q : rects) {
        double s1, k1, s2, k2;
        m->SkewKurt(q[0], q[1], q[2], q[3], s1, k1);
        d->SkewKurt(q[0], q[1], q[2], q[3], s2, k2);
        EXPECT_EQ(s1, s2);
        EXPECT_EQ(k1, k2);
        m->SkewKurtSample(q[0], q[1], q[2], q[3], s1, k1);
        d->SkewKurtSample(q[0], q[1], q[2], q[3], s2, k2);
        EXPECT_EQ(s1, s2);
        EXPECT_EQ(k1, k2);
        double a1, a2, a3, b1, b2, b3;
        EXPECT_TRUE(m->Quartiles(q[0], q[1], q[2], q[3], a1, a2, a3));
        d->Quartiles(q[0], q[1], q[2], q[3], b1, b2, b3);
        EXPECT_EQ(a1, b1);
        EXPECT_EQ(a2, b2);
        EXPECT_EQ(a3, b3);
        for (const double p : {0.0, 10.0, 50.0, 77.0, 100.0, 250.0})
          EXPECT_EQ(m->Percentile(p, q[0], q[1], q[2], q[3]), d->Percentile(p, q[0], q[1], q[2], q[3])) << p;
        EXPECT_EQ(m->Percentile(50, q[0], q[1], q[2], q[3], 1000), d->Percentile(50, q[0], q[1], q[2], q[3]));
      }
      if (rule(1, 1) == positive(1, 1)) {
        EXPECT_EQ(m->GeometricMean(0, 0, 0, 0), d->GeometricMean(0, 0, 0, 0));
        EXPECT_EQ(m->HarmonicMean(1, 2, 3, 4), d->HarmonicMean(1, 2, 3, 4));
      } else {
        m->SetName("IM");
        KVL_EXPECT_THROW_MSG(m->GeometricMean(0, 0, 0, 0), EKVLMatrixError,
                             "Component \"IM\": negative argument passed to GeometricMean");
        EXPECT_THROW(m->HarmonicMean(0, 0, 0, 0), EKVLMatrixError);
      }
      // A sampled percentile returns one of the cells.
      const double sampled = m->Percentile(50, 0, 0, 0, 0, 7);
      std::int32_t ci = 0, ri = 0;
      m->Find(0, 0, 0, 0, static_cast<std::int32_t>(sampled), ci, ri);
      EXPECT_EQ(m->GetVal(ci, ri), sampled);

      for (const TDims dim : {TDims::dimColumns, TDims::dimRows}) {
        TVector mi, md;
        m->MeanVec(dim, &mi);
        d->MeanVec(dim, &md);
        ASSERT_EQ(mi.NrOfElem(), md.NrOfElem());
        for (std::int32_t i = 1; i <= mi.NrOfElem(); ++i) EXPECT_EQ(mi.GetVal(i), md.GetVal(i));
      }
      const std::int32_t ix[] = {1, 3, 9};
      for (const TOrientation o : {TOrientation::orRows, static_cast<TOrientation>(1)})
        for (const TEdgeOp op : {TEdgeOp::eoMin, TEdgeOp::eoMax, TEdgeOp::eoSum, TEdgeOp::eoMean, TEdgeOp::eoStdDev}) {
          TVector ei, ed;
          EXPECT_EQ(m->EdgeVector(o, op, ix, &ei), -2);
          d->EdgeVector(o, op, ix, &ed);
          ASSERT_EQ(ei.NrOfElem(), ed.NrOfElem());
          for (std::int32_t i = 1; i <= ei.NrOfElem(); ++i) EXPECT_EQ(ei.GetVal(i), ed.GetVal(i));
        }
      TBool2DArray fi, fd;
      EXPECT_EQ(m->Dichotomize(3, fi), d->Dichotomize(3.0, fd));
      EXPECT_EQ(fi, fd);
    }
  }
}

TEST(IntMatrixStatistics, FindInSortedColumnAndEmptySparse) {
  for (const bool sparse : {false, true}) {
    auto m = Cells(sparse, 2, 6, [](std::int32_t c, std::int32_t r) { return c == 1 ? r * 10 - 20 : 60 - r * 10; });
    auto d = AsDouble(*m);
    for (const std::int32_t v : {-20, -5, 0, 14, 15, 40, 99})
      for (const std::int32_t col : {1, 2})
        EXPECT_EQ(m->FindInSortedColumn(col, col == 1, v), d->FindInSortedColumn(col, col == 1, v)) << v;
    EXPECT_EQ(m->FindInSortedColumn(3, true, 0), 0);
  }
  // A 0 x 0 sparse matrix has no cells: the routines answer without reading any.
  std::unique_ptr<TIntMatrix> empty(TIntMatrix::CreateSparse(nullptr, 1));
  double q1 = 1, q2 = 1, q3 = 1;
  EXPECT_FALSE(empty->Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(q2, 0.0);
  EXPECT_EQ(empty->Percentile(50, 0, 0, 0, 0), 0.0);
  TVector out;
  EXPECT_EQ(empty->EdgeVector(TOrientation::orRows, TEdgeOp::eoSum, &out), -1);
  EXPECT_EQ(empty->EdgeVector(TOrientation::orRows, TEdgeOp::eoSum, nullptr), -3);
}

// --- copies --------------------------------------------------------------------------------

TEST(IntMatrixCopies, LinesAndArraysAgreeWithTMatrix) {
  for (const bool sparse : {false, true}) {
    SCOPED_TRACE(sparse ? "sparse" : "dense");
    auto m = Cells(sparse, 4, 3, Mixed);
    auto d = AsDouble(*m);
    struct Line { std::int32_t Line, First, Last, DestElem; };
    for (const Line l : {Line{2, 0, 0, 1}, Line{9, 3, 1, 2}, Line{-1, 2, 8, 0}}) {
      TIntVector vi;
      TVector vd;
      vi.Resize(5);
      vd.Resize(5);
      vi.Fill(7);
      m->CopyRowToVec(&vi, l.Line, l.First, l.Last, l.DestElem);
      d->CopyRowToVec(&vd, l.Line, l.First, l.Last, l.DestElem);
      for (std::int32_t i = 1; i <= 5; ++i) EXPECT_EQ(vi.GetVal(i), vd.GetVal(i));
      m->CopyColToVec(&vi, l.Line, l.First, l.Last, l.DestElem);
      d->CopyColToVec(&vd, l.Line, l.First, l.Last, l.DestElem);
      for (std::int32_t i = 1; i <= 5; ++i) EXPECT_EQ(vi.GetVal(i), vd.GetVal(i));
      std::vector<std::int32_t> ai(4, -9);
      std::vector<double> ad(4, -9), ref(4, -9);
      m->CopyRowTo1DArray(std::span<std::int32_t>(ai), l.Line, l.First, l.Last, l.DestElem);
      m->CopyRowTo1DArray(std::span<double>(ad), l.Line, l.First, l.Last, l.DestElem);
      d->CopyRowTo1DArray(ref, l.Line, l.First, l.Last, l.DestElem);
      for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(ai[k], ref[k]);
        EXPECT_EQ(ad[k], ref[k]);
      }
      m->CopyColTo1DArray(std::span<std::int32_t>(ai), l.Line, l.First, l.Last, l.DestElem);
      d->CopyColTo1DArray(ref, l.Line, l.First, l.Last, l.DestElem);
      for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(ai[k], ref[k]);
    }
    TInt2DArray ti(3, std::vector<std::int32_t>(2, 5)), tr(3, std::vector<std::int32_t>(2, 5));
    EXPECT_EQ(m->CopyToArray(ti, 2, 2, 4, 3, 1, 0), d->CopyToArray(tr, 2, 2, 4, 3, 1, 0));
    EXPECT_EQ(ti, tr);
    TDouble2DArray di(2, std::vector<double>(2, 0));
    EXPECT_EQ(m->CopyToArray(di, 1, 1, 9, 1, 0, 0), -2);
    EXPECT_EQ(m->CopyToArray(di, 1, 1, 2, 2, 5, 0), -4);
    TInt2DArray none;
    EXPECT_EQ(m->CopyToArray(none, 0, 0, 0, 0, 0, 0), -1);
  }
}

TEST(IntMatrixCopies, FromArraysConvertAndKeepSparseStoreLean) {
  struct Case { double In; std::int32_t Out; };
  const Case cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {std::nan(""), 0}, {1e20, 2147483647}, {-1e20, -2147483647 - 1}};
  for (const bool sparse : {false, true}) {
    SCOPED_TRACE(sparse ? "sparse" : "dense");
    auto m = Cells(sparse, 6, 2, [](std::int32_t, std::int32_t) { return 1; });
    std::vector<double> src;
    for (const Case& c : cases) src.push_back(c.In);
    test::EventLog log;
    m->OnChange = log.Recorder("change");
    EXPECT_EQ(m->CopyFromArray(std::span<const double>(src), 0, 0, 1, 2, false), 0);
    EXPECT_EQ(log.Events.size(), 1u);
    for (std::int32_t k = 0; k < 6; ++k) EXPECT_EQ(m->GetVal(k + 1, 2), cases[k].Out) << k;
    const std::vector<std::int32_t> ints = {0, 0, 9};
    EXPECT_EQ(m->CopyFromArray(std::span<const std::int32_t>(ints), 2, 0, 1, 1, true), 0);  // bounds put in order
    EXPECT_EQ(m->GetVal(1, 1), 0);
    EXPECT_EQ(m->GetVal(1, 2), 0);
    EXPECT_EQ(m->CopyFromArray(std::span<const std::int32_t>(ints), 0, 5, 1, 1, true), -4);
    EXPECT_EQ(m->CopyFromArray(std::span<const std::int32_t>(ints), 0, 0, 7, 1, true), -5);
    EXPECT_EQ(m->CopyFromArray(std::span<const std::int32_t>(), 0, 0, 1, 1, true), -1);
    const TInt2DArray block = {{0, 4}, {0, 0}};
    EXPECT_EQ(m->CopyFromArray(block, 0, 0, 1, 1, 3, 1), 0);
    EXPECT_EQ(m->GetVal(3, 2), 4);
    EXPECT_EQ(m->GetVal(4, 1), 0);
    EXPECT_EQ(m->CopyFromArray(TDouble2DArray{{1.0}}, 0, 0, 0, 3, 1, 1), -3);
    if (sparse) {
      // (2, 1) is no stored entry yet: writing 0 there stores nothing.
      const std::size_t before = m->SpMat().size();
      TIntMatrix z;
      std::unique_ptr<TIntMatrix> s2(TIntMatrix::CreateSparse(nullptr, 1));
      s2->SetVal(3, 3, 1);
      EXPECT_EQ(s2->CopyFromArray(TInt2DArray{{0, 0}, {0, 5}}, 0, 0, 1, 1, 1, 1), 0);
      EXPECT_EQ(s2->SpMat().size(), 2u);
      EXPECT_EQ(s2->GetVal(2, 2), 5);
      EXPECT_EQ(m->SpMat().size(), before);
    }
  }
}

// --- files: ASC text, text dump, stream image -----------------------------------------------

TEST(IntMatrixASC, LayoutAndRoundTripWithCustomData) {
  for (const bool sparse : {false, true}) {
    SCOPED_TRACE(sparse ? "sparse" : "dense");
    auto m = Cells(sparse, 3, 2, Mixed);
    TempFile file(".asc");
    const TStr2DArray cust = {{"plain", "with blank", "", "50% \"quoted\"\nnext line", "\xC3\xA9t\xC3\xA9"}, {}, {"x"}};
    ASSERT_EQ(m->ExportAsASC(file.Path(), "", cust), 0);
    const std::string text = ReadFile(file.Path());
    const std::string head = "Exported by KVL TIntMatrix component: " + file.Path() +
                             "\n3\t;nr. of columns\n2\t;nr. of rows\nFALSE FALSE FALSE FALSE\t;row attributes, "
                             "column names, row names, nominal variables\n";
    ASSERT_EQ(text.substr(0, head.size()), head);
    EXPECT_EQ(text.substr(head.size(), text.find('\n', head.size()) - head.size()),
              std::to_string(Mixed(1, 1)) + "\t" + std::to_string(Mixed(2, 1)) + "\t" + std::to_string(Mixed(3, 1)));

    std::unique_ptr<TIntMatrix> back(sparse ? TIntMatrix::CreateSparse(nullptr, 4) : new TIntMatrix);
    std::string comment;
    TStr2DArray custBack = {{"stale"}};
    ASSERT_EQ(back->ImportASC(file.Path(), comment, custBack), 0);
    EXPECT_EQ(comment, "Exported by KVL TIntMatrix component: " + file.Path());
    EXPECT_EQ(custBack, cust);
    EXPECT_EQ(back->IsSparse(), sparse);
    EXPECT_EQ(back->CRCofData(), m->CRCofData());

    // Without custom data there is no block, and the plain import reads the same cells.
    ASSERT_EQ(m->ExportAsASC(file.Path(), "line one\nline two"), 0);
    TIntMatrix plain;
    ASSERT_EQ(plain.ImportASC(file.Path(), comment), 0);
    EXPECT_EQ(comment, "line one line two");
    EXPECT_EQ(plain.CRCofData(), m->CRCofData());
    ASSERT_EQ(plain.ImportASC(file.Path(), comment, custBack), 0);
    EXPECT_TRUE(custBack.empty());
  }
}

struct HostileCase {
  const char* Name;
  std::string Body;        // the file after the four header lines (counts in the header below)
  std::int32_t Cols, Rows;
  std::int32_t Status;
  bool Unchanged;          // the matrix keeps its 2 x 2 cells
};

class IntASCHostileTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(IntASCHostileTest, StatusWithoutCrashOrHugeAllocation) {
  const HostileCase hc = GetParam();
  TempFile file(".asc");
  WriteFile(file.Path(), "title\n" + std::to_string(hc.Cols) + "\t;nr. of columns\n" + std::to_string(hc.Rows) +
                             "\t;nr. of rows\nFALSE FALSE FALSE FALSE\t;flags\n" + hc.Body);
  TIntMatrix m;
  m.Resize(2, 2);
  m.Fill(8);
  std::string comment;
  TStr2DArray cust;
  EXPECT_EQ(m.ImportASC(file.Path(), comment, cust), hc.Status);
  if (hc.Unchanged) {
    EXPECT_EQ(m.NrOfColumns(), 2);
    EXPECT_EQ(m.GetVal(2, 2), 8);
  }
  EXPECT_TRUE(cust.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntASCHostileTest,
    ::testing::Values(HostileCase{"Truncated", "1 2\n3\n", 2, 2, -6, false},
                      HostileCase{"AbsurdCounts", "1 2\n3 4\n", 2000000000, 2000000000, -19, true},
                      HostileCase{"WideTimesTall", std::string(300, '1') + "\n", 200, 200, -19, true},
                      HostileCase{"CellsBeyondText", std::string(300, '1') + "\n", 20, 15, -6, true},
                      HostileCase{"BadWord", "1 x\n3 4\n", 2, 2, -6, false},
                      HostileCase{"MissingWords", "1 2\nNAN ###\n", 2, 2, 0, false},
                      HostileCase{"TooLargeForInteger", "1 2\n3 1e12\n", 2, 2, -6, false},
                      HostileCase{"CustCountAbsurd", "1 2\n3 4\nCUSTDATA 2000000000\n0\n", 2, 2, -6, false},
                      HostileCase{"CustTextBroken", "1 2\n3 4\nCUSTDATA 1\n2 =ok =bad%4\n", 2, 2, -6, false},
                      HostileCase{"CustRowsShort", "1 2\n3 4\nCUSTDATA 1\n3 =a =b\n", 2, 2, -6, false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(IntMatrixASC, MissingFile) {
  TIntMatrix m;
  std::string comment = "x";
  EXPECT_EQ(m.ImportASC("/nonexistent/kvl_none.asc", comment), -8);
  EXPECT_EQ(comment, "");
  EXPECT_EQ(m.ExportAsASC("/nonexistent/dir/out.asc", ""), -1);
}

TEST(IntMatrixDump, RoundTripAndHostileBounds) {
  for (const bool sparse : {false, true}) {
    SCOPED_TRACE(sparse ? "sparse" : "dense");
    auto m = Cells(sparse, 4, 3, Mixed);
    TempFile file(".txt");
    ASSERT_TRUE(m->StoreOnFile(3, 2, 2, 3, file.Path()));  // bounds put in order
    EXPECT_EQ(ReadFile(file.Path()).substr(0, 8), "2 2 3 3\n");
    std::unique_ptr<TIntMatrix> back(sparse ? TIntMatrix::CreateSparse(nullptr, 1) : new TIntMatrix);
    EXPECT_FALSE(back->LoadFromFile(file.Path(), false) && !sparse);  // 1 x 1 dense matrix: rectangle beyond
    ASSERT_TRUE(back->LoadFromFile(file.Path(), true));
    EXPECT_EQ(back->NrOfColumns(), 3);
    EXPECT_EQ(back->NrOfRows(), 3);
    for (std::int32_t c = 2; c <= 3; ++c)
      for (std::int32_t r = 2; r <= 3; ++r) EXPECT_EQ(back->GetVal(c, r), m->GetVal(c, r));
    EXPECT_EQ(back->GetVal(1, 1), 0);
  }
  TempFile file(".txt");
  TIntMatrix m;
  m.Resize(2, 2);
  for (const char* body : {"1 1 2000000000 2000000000\n1 2 3\n", "0 1 2 2\n", "2 2 1 1\n", "1 1 x 2\n", ""}) {
    WriteFile(file.Path(), body);
    EXPECT_FALSE(m.LoadFromFile(file.Path(), true)) << body;
    EXPECT_EQ(m.NrOfColumns(), 2);
  }
  WriteFile(file.Path(), "1 1 2 1\n5 oops\n");
  EXPECT_TRUE(m.LoadFromFile(file.Path(), false));  // a word that does not read is skipped
  EXPECT_EQ(m.GetVal(1, 1), 5);
  EXPECT_FALSE(m.LoadFromFile("/nonexistent/kvl_none.txt", true));
}

TEST(IntMatrixStream, RoundTripTruncationAndAbsurdBounds) {
  for (const bool sparse : {false, true}) {
    SCOPED_TRACE(sparse ? "sparse" : "dense");
    auto m = Cells(sparse, 4, 3, Mixed);
    TMemoryStream* stream = nullptr;
    m->SaveToStream(stream, 0, 0, 0, 0);
    std::unique_ptr<TMemoryStream> owner(stream);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->Size(), 16 + 4 * 12);
    std::unique_ptr<TIntMatrix> back(sparse ? TIntMatrix::CreateSparse(nullptr, 1) : new TIntMatrix);
    stream->SetPosition(0);
    ASSERT_TRUE(back->LoadFromStream(stream, true));
    EXPECT_EQ(back->CRCofData(), m->CRCofData());

    // Truncated: false, the cells before the cut are stored.
    TMemoryStream cut;
    stream->SetPosition(0);
    cut.CopyFrom(*stream, 16 + 4 * 5);
    cut.SetPosition(0);
    TIntMatrix part;
    EXPECT_FALSE(part.LoadFromStream(&cut, true));
    EXPECT_EQ(part.GetVal(2, 2), m->GetVal(2, 2));
  }
  TMemoryStream absurd;
  for (const std::int32_t b : {1, 1, 2000000000, 2000000000, 7}) WriteLongintToStream(absurd, b);
  absurd.SetPosition(0);
  TIntMatrix m;
  EXPECT_FALSE(m.LoadFromStream(&absurd, true));
  EXPECT_EQ(m.NrOfColumns(), 1);
  absurd.SetPosition(0);
  EXPECT_FALSE(m.LoadFromStream(&absurd, false));  // beyond the 1 x 1 matrix
  EXPECT_FALSE(m.LoadFromStream(nullptr, true));
}

}  // namespace
}  // namespace kvl
