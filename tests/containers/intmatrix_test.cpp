// TIntMatrix: the dense twin of TMatrix and the sparse store (sorted
// entries, bounding box, growth step), the sparse file, and TMatrix reading
// an integer matrix.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <random>

#include "kvl/containers/KVL_matrix.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::EventLog;
using test::TempFile;

std::unique_ptr<TIntMatrix> Sparse(std::int32_t AllocBy) {
  return std::unique_ptr<TIntMatrix>(TIntMatrix::CreateSparse(nullptr, AllocBy));
}

/// Named: a dense Nc x Nr matrix with cell (c, r) = 10 c + r.
void Named(TIntMatrix& m, std::int32_t Nc, std::int32_t Nr) {
  m.Resize(Nc, Nr);
  for (std::int32_t c = 1; c <= Nc; ++c)
    for (std::int32_t r = 1; r <= Nr; ++r) m.SetVal(c, r, 10 * c + r);
}

/// ExpectSorted: the entries are strictly ascending by (column, row) and the
/// bounding box is theirs.
void ExpectSortedWithBox(const TIntMatrix& m) {
  const auto list = m.SpMat();
  std::int32_t lc = 2147483647, hc = 1, lr = 2147483647, hr = 1;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i > 0) {
      EXPECT_TRUE(list[i - 1].colidx < list[i].colidx ||
                  (list[i - 1].colidx == list[i].colidx && list[i - 1].rowidx < list[i].rowidx))
          << "entry " << i;
    }
    lc = std::min(lc, list[i].colidx), hc = std::max(hc, list[i].colidx);
    lr = std::min(lr, list[i].rowidx), hr = std::max(hr, list[i].rowidx);
  }
  EXPECT_EQ(m.SparseLowCol(), lc);
  EXPECT_EQ(m.SparseHighCol(), hc);
  EXPECT_EQ(m.SparseLowRow(), lr);
  EXPECT_EQ(m.SparseHighRow(), hr);
}

TEST(IntMatrixSparse, CreateSetAndGrowthStep) {
  auto m = Sparse(0);
  EXPECT_TRUE(m->IsSparse());
  EXPECT_EQ(m->AllocBy(), 1);
  EXPECT_EQ(m->NrOfColumns(), 0);
  EXPECT_EQ(m->NrOfRows(), 0);
  EXPECT_EQ(m->SparseLowCol(), 2147483647);
  EXPECT_EQ(m->SparseHighCol(), 1);
  EventLog log;
  m->OnChange = log.Recorder("change");
  m->SetVal(5, 7, 3);
  EXPECT_EQ(m->NrOfColumns(), 5);
  EXPECT_EQ(m->NrOfRows(), 7);
  EXPECT_EQ(m->SparseNumElem(), 1);
  EXPECT_EQ(m->GetVal(5, 7), 3);
  EXPECT_EQ(m->GetVal(4, 7), 0);
  EXPECT_EQ(log.Events, (std::vector<std::string>{"change"}));
  m->SetVal(0, 3, 9);  // below 1: ignored
  m->SetVal(3, -1, 9);
  EXPECT_EQ(m->SparseNumElem(), 1);

  auto g = Sparse(4);
  for (std::int32_t i = 1; i <= 5; ++i) g->SetVal(i, 1, i);
  EXPECT_EQ(g->NumAllocated(), 8);  // 4, then one step of 4 at the fifth entry
}

TEST(IntMatrixSparse, ZeroKeepsEntryAndOutsideBoxIsZero) {
  auto m = Sparse(2);
  m->SetVal(3, 4, 5);
  m->SetVal(6, 2, 1);
  m->SetVal(3, 4, 0);
  EXPECT_EQ(m->SparseNumElem(), 2);
  EXPECT_EQ(m->GetVal(3, 4), 0);
  EXPECT_EQ(m->GetVal(7, 3), 0);
  EXPECT_EQ(m->GetVal(2, 3), 0);
}

// Random inserts with repeats, checked against a map: the order, the box,
// the values and the count after every phase of the merge between the tree
// and the sorted array.
TEST(IntMatrixSparse, RandomInsertsAgreeWithReference) {
  auto m = Sparse(7);
  std::map<std::pair<int, int>, int> ref;
  std::mt19937 gen(11);
  std::uniform_int_distribution<int> ix(1, 300);
  for (int k = 0; k < 20000; ++k) {
    const int c = ix(gen), r = ix(gen), v = static_cast<int>(gen() % 1000) - 500;
    m->SetVal(c, r, v);
    ref[{c, r}] = v;
    if (k % 4999 == 0) {
      ASSERT_EQ(m->SparseNumElem(), static_cast<std::int32_t>(ref.size()));
      EXPECT_EQ(m->GetVal(c, r), v);
    }
  }
  ExpectSortedWithBox(*m);
  ASSERT_EQ(m->SpMat().size(), ref.size());
  std::size_t i = 0;
  for (const auto& [pair, v] : ref) {
    const TSpMatElemInt e = m->SpMat()[i++];
    EXPECT_EQ((TSpMatElemInt{pair.first, pair.second, v}), e);
    EXPECT_EQ(m->GetVal(pair.first, pair.second), v);
  }
  EXPECT_EQ(m->NumAllocated() % 7, 0);
  EXPECT_GE(m->NumAllocated(), m->SparseNumElem());
  EXPECT_LT(m->NumAllocated() - m->SparseNumElem(), 7);
}

TEST(IntMatrixSparse, ResizeRemovesEntriesBeyond) {
  auto m = Sparse(1);
  m->SetVal(5, 2, 8);
  m->SetVal(2, 2, 4);
  EventLog log;
  m->OnChange = log.Recorder("change");
  m->OnResize = log.Recorder("resize");
  EXPECT_TRUE(m->Resize(3, 3));
  EXPECT_EQ(m->SparseNumElem(), 1);
  EXPECT_EQ(m->GetVal(5, 2), 0);
  EXPECT_EQ(m->GetVal(2, 2), 4);
  EXPECT_EQ(m->NrOfColumns(), 3);
  EXPECT_EQ(m->SparseHighCol(), 3);  // lowered to the new size, not rebuilt
  EXPECT_EQ(log.Events, (std::vector<std::string>{"change", "resize"}));
  EXPECT_FALSE(m->Resize(3, 3));
  EXPECT_FALSE(m->Resize(0, 3));
}

TEST(IntMatrixSparse, ModeChangesRoundTrip) {
  TIntMatrix m;
  m.Resize(3, 2);
  m.ArrayToSparse(0);
  EXPECT_TRUE(m.IsSparse());
  EXPECT_EQ(m.SparseNumElem(), 0);
  m.SparseToArray();  // an empty store: the high corner of the reset box
  EXPECT_FALSE(m.IsSparse());
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(m.GetVal(1, 1), 0);

  Named(m, 4, 3);
  m.SetVal(2, 2, 0);
  EventLog log;
  m.OnResize = log.Recorder("resize");
  m.ArrayToSparse(5);
  EXPECT_EQ(m.SparseNumElem(), 11);
  EXPECT_EQ(m.NumAllocated(), 15);
  EXPECT_EQ(m.NrOfColumns(), 4);
  ExpectSortedWithBox(m);
  m.SparseToArray();
  EXPECT_EQ(log.Events, (std::vector<std::string>{"resize", "resize"}));
  for (std::int32_t c = 1; c <= 4; ++c)
    for (std::int32_t r = 1; r <= 3; ++r) EXPECT_EQ(m.GetVal(c, r), c == 2 && r == 2 ? 0 : 10 * c + r);
}

TEST(IntMatrixSparse, FillTouchesOnlyStoredEntries) {
  auto m = Sparse(3);
  m->SetVal(2, 3, 1);
  m->SetVal(4, 1, 2);
  m->Fill(9);
  EXPECT_EQ(m->SparseNumElem(), 2);
  EXPECT_EQ(m->GetVal(2, 3), 9);
  EXPECT_EQ(m->GetVal(4, 1), 9);
  EXPECT_EQ(m->GetVal(1, 1), 0);
  m->Fill(0);
  EXPECT_EQ(m->SparseNumElem(), 0);
  EXPECT_EQ(m->NumAllocated(), 3);
  EXPECT_EQ(m->SparseLowCol(), 2147483647);
}

// Every structure change of a sparse store equals the same change on its
// dense image.
TEST(IntMatrixSparse, StructureChangesMatchDense) {
  const std::vector<std::pair<const char*, std::function<void(TIntMatrix&)>>> ops = {
      {"RemoveColumn", [](TIntMatrix& m) { m.RemoveColumn(2); }},
      {"RemoveRow", [](TIntMatrix& m) { m.RemoveRow(1); }},
      {"ExchangeColumns", [](TIntMatrix& m) { m.ExchangeColumns(1, 4); }},
      {"ExchangeRows", [](TIntMatrix& m) { m.ExchangeRows(3, 2); }},
      {"MirrorColumns", [](TIntMatrix& m) { m.MirrorColumns(); }},
      {"MirrorRows", [](TIntMatrix& m) { m.MirrorRows(); }},
      {"Transpose", [](TIntMatrix& m) { m.Transpose(); }},
      {"FillRect", [](TIntMatrix& m) { m.Fill(2, 3, 1, 2, 6); }},
      {"FillDiag", [](TIntMatrix& m) { m.FillDiag(-1); }},
      {"SMult", [](TIntMatrix& m) { m.SMult(3); }},
  };
  for (const auto& [name, op] : ops) {
    SCOPED_TRACE(name);
    TIntMatrix dense;
    Named(dense, 4, 3);
    dense.SetVal(2, 2, 0);
    dense.SetVal(4, 3, 0);
    TIntMatrix sparse;
    sparse.Assign(&dense);
    sparse.ArrayToSparse(2);
    op(dense);
    op(sparse);
    ExpectSortedWithBox(sparse);
    ASSERT_EQ(sparse.NrOfColumns(), dense.NrOfColumns());
    ASSERT_EQ(sparse.NrOfRows(), dense.NrOfRows());
    // FillRect and SMult touch only stored entries: the absent (2,2) and (4,3) stay 0.
    for (std::int32_t c = 1; c <= dense.NrOfColumns(); ++c)
      for (std::int32_t r = 1; r <= dense.NrOfRows(); ++r) {
        const bool absentInSparse = sparse.GetVal(c, r) == 0;
        if (!(std::string(name) == "FillRect" && absentInSparse)) {
          EXPECT_EQ(sparse.GetVal(c, r), dense.GetVal(c, r)) << c << "," << r;
        }
      }
  }
}

TEST(IntMatrixSparse, StatisticsCountAbsentCellsAsZero) {
  auto m = Sparse(1);
  m->SetVal(1, 1, 5);
  m->SetVal(3, 2, -4);
  m->SetVal(2, 2, 8);  // 3 x 2: cells 5 0 0 | 0 8 -4 (rows)
  std::int32_t lo, hi;
  m->MinMax(0, 0, 0, 0, lo, hi);
  EXPECT_EQ(lo, -4);
  EXPECT_EQ(hi, 8);
  m->MinMax(1, 1, 1, 1, lo, hi);  // one stored cell: no absent zero
  EXPECT_EQ(lo, 5);
  EXPECT_EQ(hi, 5);
  EXPECT_EQ(m->Sum(0, 0, 0, 0), 9);
  EXPECT_EQ(m->Sum(2, 1, 3, 2), 4);
  EXPECT_EQ(m->CountValues(0, 0, 0, 0, 0, 0), 3);
  EXPECT_EQ(m->CountValues(0, 0, 0, 0, -5, 5), 5);
  EXPECT_EQ(m->CountMaskedZeros(0, 0, 0, 0, 1), 5);  // 8, -4 and three zeros
  EXPECT_EQ(m->Trace(), 0);                           // not square
  double mean, var;
  m->MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_DOUBLE_EQ(mean, 9.0 / 6);
  std::int32_t c, r;
  m->Find(0, 0, 0, 0, 7, c, r);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 2);
  m->Find(0, 0, 0, 0, 1, c, r);  // the first absent zero, column by column
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 2);

  TIntMatrix dense;
  dense.Assign(m.get());
  dense.SparseToArray();
  EXPECT_EQ(dense.CRCofData(), m->CRCofData());
}

TEST(IntMatrixSparse, AddSubtractCloneByMode) {
  auto s = Sparse(1);
  s->SetVal(2, 2, 3);
  TIntMatrix d;
  Named(d, 2, 2);
  EXPECT_FALSE(s->Add(&d));
  EXPECT_TRUE(d.Add(s.get()));
  EXPECT_EQ(d.GetVal(2, 2), 25);
  EXPECT_EQ(d.GetVal(1, 1), 11);
  EXPECT_TRUE(d.Subtract(s.get()));
  EXPECT_EQ(d.GetVal(2, 2), 22);
  d.Clone(s.get());  // modes differ: nothing
  EXPECT_EQ(d.GetVal(2, 2), 22);
  auto t = Sparse(1);
  t->Clone(s.get());
  EXPECT_EQ(t->GetVal(2, 2), 3);
  EXPECT_EQ(t->NrOfColumns(), 2);
}

TEST(IntMatrixDense, TwinOfTMatrix) {
  TIntMatrix m;
  Named(m, 3, 2);
  m.Transpose();
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.GetVal(2, 3), 32);
  m.FillSerial(2147483647, 1);  // 32-bit wrap-around
  EXPECT_EQ(m.GetVal(1, 2), -2147483647 - 1);
  Named(m, 3, 3);
  EXPECT_EQ(m.Trace(), 11 + 22 + 33);
  EXPECT_EQ(m.Sum(2, 2, 3, 3), 22 + 23 + 32 + 33);
  EXPECT_EQ(m.CountMaskedZeros(0, 0, 0, 0, 1), 3);  // the even cells 12, 22, 32
  EXPECT_TRUE(m.RemoveRow(2));
  EXPECT_EQ(m.GetVal(3, 2), 33);
  TInt2DArray a;
  EXPECT_EQ(m.DuplicateDataAsArray(a), 0);
  EXPECT_EQ(a[2][1], 33);
  EXPECT_EQ(m.GetVal(4, 1), 0);
  m.SetVal(4, 1, 5);  // outside the dense matrix: ignored
  EXPECT_EQ(m.GetVal(4, 1), 0);
}

TEST(IntMatrixCopy, CopyFromBetweenModesAndIntoTMatrix) {
  TIntMatrix dense;
  Named(dense, 3, 3);
  auto sparse = Sparse(1);
  sparse->SetVal(2, 2, 7);
  sparse->SetVal(3, 3, 1);
  // Absent source cells overwrite with 0.
  dense.CopyFrom(sparse.get(), 2, 2, 3, 3, 1, 1);
  EXPECT_EQ(dense.GetVal(1, 1), 7);
  EXPECT_EQ(dense.GetVal(2, 1), 0);
  EXPECT_EQ(dense.GetVal(2, 2), 1);
  EXPECT_EQ(dense.GetVal(3, 3), 33);
  // Into a sparse matrix zeros are not stored as new entries.
  auto target = Sparse(1);
  target->CopyFrom(&dense, 1, 1, 2, 2, 10, 10);
  EXPECT_EQ(target->SparseNumElem(), 2);  // 7 and 1; the two zeros stay absent
  EXPECT_EQ(target->GetVal(10, 10), 7);
  EXPECT_EQ(target->GetVal(11, 11), 1);
  // A copy within one matrix reads the cells as they were.
  Named(dense, 3, 1);
  dense.CopyFrom(&dense, 1, 1, 2, 1, 2, 1);
  EXPECT_EQ(dense.GetVal(2, 1), 11);
  EXPECT_EQ(dense.GetVal(3, 1), 21);

  TMatrix real;
  real.Resize(3, 3);
  real.CopyFrom(sparse.get(), 0, 0, 0, 0, 2, 1);  // 3 x 3 source shifted right by 1
  EXPECT_EQ(real.GetVal(3, 2), 7.0);
  EXPECT_EQ(real.GetVal(2, 1), 0.0);
  Named(dense, 2, 2);
  real.CopyFrom(&dense, 1, 1, 2, 2, 3, 3);  // only (1, 1) lands inside
  EXPECT_EQ(real.GetVal(3, 3), 11.0);
}

TEST(IntMatrixFile, SparseFileLayoutAndRoundTrip) {
  auto m = Sparse(4);
  m->SetVal(3, 2, -7);
  m->SetVal(1, 5, 9);
  TempFile f(".spm");
  ASSERT_TRUE(m->StoreSparseMat(f.Path()));
  const std::string bytes = test::ReadFile(f.Path());
  ASSERT_EQ(bytes.size(), 24u + 2 * 12);
  EXPECT_EQ(bytes.substr(0, 8), "KVLSPMAT");
  std::int32_t words[10];
  std::memcpy(words, bytes.data() + 8, sizeof words);
  EXPECT_EQ((std::vector<std::int32_t>(words, words + 10)),
            (std::vector<std::int32_t>{3, 5, 4, 2, 1, 5, 9, 3, 2, -7}));

  TIntMatrix back;
  ASSERT_TRUE(back.LoadSparseMat(f.Path()));
  EXPECT_TRUE(back.IsSparse());
  EXPECT_EQ(back.NrOfColumns(), 3);
  EXPECT_EQ(back.NrOfRows(), 5);
  EXPECT_EQ(back.AllocBy(), 4);
  EXPECT_EQ(back.GetVal(3, 2), -7);
  EXPECT_EQ(back.GetVal(1, 5), 9);
  ExpectSortedWithBox(back);

  TIntMatrix dense;  // a dense matrix stores its non-zero cells
  Named(dense, 2, 1);
  ASSERT_TRUE(dense.StoreSparseMat(f.Path()));
  ASSERT_TRUE(back.LoadSparseMat(f.Path()));
  EXPECT_EQ(back.SparseNumElem(), 2);
  EXPECT_EQ(back.GetVal(2, 1), 21);
}

// Hostile sparse files: each one is refused and leaves the matrix as it was.
TEST(IntMatrixFile, HostileSparseFilesLeaveMatrixUnchanged) {
  auto words = [](std::vector<std::int32_t> w) {
    std::string s = "KVLSPMAT";
    s.append(reinterpret_cast<const char*>(w.data()), w.size() * 4);
    return s;
  };
  const std::vector<std::pair<const char*, std::string>> files = {
      {"empty", ""},
      {"bad magic", "KVLSPMAX" + words({1, 1, 1, 0}).substr(8)},
      {"short header", words({1, 1})},
      {"count past the end", words({3, 3, 1, 2, 1, 1, 5})},
      {"huge count", words({3, 3, 1, 2147483647})},
      {"negative count", words({3, 3, 1, -1})},
      {"negative dims", words({-3, 3, 1, 0})},
      {"zero growth step", words({3, 3, 0, 0})},
      {"growth step of 2^31 - 1", words({3, 3, 2147483647, 0})},
      {"entry outside", words({3, 3, 1, 1, 4, 1, 5})},
      {"entry index 0", words({3, 3, 1, 1, 0, 1, 5})},
      {"unsorted", words({3, 3, 1, 2, 2, 1, 5, 1, 1, 5})},
      {"duplicate", words({3, 3, 1, 2, 1, 1, 5, 1, 1, 6})},
      {"trailing bytes", words({3, 3, 1, 0}) + "x"},
  };
  TempFile f(".spm");
  for (const auto& [name, content] : files) {
    SCOPED_TRACE(name);
    TIntMatrix m;
    Named(m, 2, 2);
    test::WriteFile(f.Path(), content);
    EXPECT_FALSE(m.LoadSparseMat(f.Path()));
    EXPECT_FALSE(m.IsSparse());
    EXPECT_EQ(m.NrOfColumns(), 2);
    EXPECT_EQ(m.GetVal(2, 2), 22);
  }
  TIntMatrix m;
  EXPECT_FALSE(m.LoadSparseMat(f.Path() + ".missing"));
}

}  // namespace
}  // namespace kvl
