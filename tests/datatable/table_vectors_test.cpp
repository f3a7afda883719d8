// TDataTable: the transfer of values to and from vectors.

#include <gtest/gtest.h>

#include "kvl/containers/KVL_vector.h"
#include "kvl/datatable/KVL_datatable.h"
#include "table_test_support.h"

namespace kvl {
namespace {

using test::Names;
using test::TableEvents;

using test::BuildOrdinalSample;

TEST(DataTableToVector, WholeLinesResizeTheVector) {
  TDataTable t;
  BuildOrdinalSample(t);
  TVector v;
  EXPECT_EQ(t.CopyDataColumnToVector(2, &v), 0);
  EXPECT_EQ(v.NrOfElem(), 4);
  EXPECT_EQ(v.Elem(1), 2.5);  // raw
  EXPECT_EQ(t.CopyDataRowToVector(4, &v), 0);
  EXPECT_EQ(v.NrOfElem(), 3);
  EXPECT_EQ(v.Elem(3), 304.0);
  EXPECT_EQ(t.CopyDataRowToVector(5, &v), -1);
  EXPECT_EQ(t.CopyDataColumnToVector(1, static_cast<TVector*>(nullptr)), -4);
}

TEST(DataTableToVector, RangedFormsKeepTheSizeAndUseOneBasedDestinations) {
  TDataTable t;
  BuildOrdinalSample(t);
  TVector v;
  v.Resize(3);
  EXPECT_EQ(t.CopyDataColumnToVector(&v, 2, 0, 0, 2), 0);
  EXPECT_EQ(v.NrOfElem(), 3);
  EXPECT_EQ(v.Elem(1), 0.0);
  EXPECT_EQ(v.Elem(2), 2.0);  // through Elem
  EXPECT_EQ(v.Elem(3), 202.0);
  TIntVector n;
  n.Resize(2);
  EXPECT_EQ(t.CopyDataRowToVector(&n, 1, 3, 2, 1), 0);
  EXPECT_EQ(n.Elem(1), 2);
  EXPECT_EQ(n.Elem(2), 301);
  EXPECT_EQ(t.CopyDataRowToVector(&n, 1, 0, 0, 3), -3);
  EXPECT_EQ(t.CopyDataRowToVector(&n, 1, 0, 0, 0), -3);
  EXPECT_EQ(t.CopyDataRowToVector(&n, 1, 0, 4, 1), -2);
  EXPECT_EQ(t.CopyDataRowToVector(&n, 5, 0, 0, 1), -1);
  EXPECT_EQ(t.CopyDataColumnToVector(static_cast<TIntVector*>(nullptr), 1, 0, 0, 1), -4);
}

TEST(DataTableFromVector, LinesAndRuns) {
  TDataTable t;
  t.Resize(3, 3);
  TVector v;
  v.Resize(4);
  v.FillSerial(1.0, 1.0);
  TableEvents ev(t);
  EXPECT_EQ(t.CopyDataColumnFromVector(1, &v), 0);
  EXPECT_EQ(ev.Take().size(), 3u);  // one per value
  EXPECT_EQ(t.Elem(1, 3), 3.0);
  EXPECT_EQ(t.CopyDataRowFromVector(2, &v), 0);
  EXPECT_EQ(t.Elem(3, 2), 3.0);
  EXPECT_EQ(t.CopyDataRowFromVector(2, nullptr), -4);
  ev.Take();
  EXPECT_EQ(t.CopyDataFromVector(&v, 4, 2, 3, 1, true), 0);  // elements 2..4 down column 3
  EXPECT_EQ(ev.Take(), (Names{"Change"}));
  EXPECT_EQ(t.Elem(3, 1), 2.0);
  EXPECT_EQ(t.Elem(3, 3), 4.0);
  TIntVector n;
  n.Resize(2);
  n.SetVal(1, 7);
  n.SetVal(2, 8);
  EXPECT_EQ(t.CopyDataFromVector(&n, 0, 0, 2, 3, false), 0);
  EXPECT_EQ(t.Elem(2, 3), 7.0);
  EXPECT_EQ(t.Elem(3, 3), 8.0);
  EXPECT_EQ(t.CopyDataFromVector(&n, 0, 3, 1, 1, false), -4);
  EXPECT_EQ(t.CopyDataFromVector(&n, 0, 0, 1, 4, false), -5);
  EXPECT_EQ(t.CopyDataFromVector(static_cast<TVector*>(nullptr), 0, 0, 1, 1, false), -1);
}

}  // namespace
}  // namespace kvl
