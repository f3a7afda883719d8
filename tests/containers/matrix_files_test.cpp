// The binary matrix files: files built byte by byte from the record layout
// and read by every class, the writers' bytes checked against the layout,
// the streamed 4-D readers with their codes, and hostile files.

#include <gtest/gtest.h>

#include <cstring>

#include "kvl/containers/KVL_matrix.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::TempFile;

/// Header: record 0 as the layout describes it.
std::string Header(std::int32_t C, std::int32_t R, std::int32_t L, std::int32_t T, const std::string& Id,
                   std::int32_t Format) {
  std::string rec(4096, '\0');
  const std::int32_t dims[4] = {C, R, L, T};
  std::memcpy(rec.data(), dims, 16);
  rec[16] = static_cast<char>(Id.size());
  std::memcpy(rec.data() + 17, Id.data(), Id.size());
  std::memcpy(rec.data() + 272, &Format, 4);
  return rec;
}

/// DoubleRecords: values as 8-byte cells, padded to whole records.
std::string DoubleRecords(const std::vector<double>& v) {
  std::string s(v.size() * 8, '\0');
  std::memcpy(s.data(), v.data(), s.size());
  s.resize((s.size() + 4095) / 4096 * 4096, '\0');
  return s;
}

/// Slots: the values of a C x R x L x T file, value number k := k + 0.5.
std::vector<double> Numbered(std::size_t n) {
  std::vector<double> v(n);
  for (std::size_t k = 0; k < n; ++k) v[k] = static_cast<double>(k) + 0.5;
  return v;
}

TEST(MatrixFilesHeader, ValidityPerClass) {
  struct TCase {
    std::int32_t L, T, Format;
    bool Matrix, IntMatrix, Mat3D, Mat4D;
  };
  const std::vector<TCase> cases = {{0, 0, 1, true, false, false, false}, {0, 0, 2, false, true, false, false},
                                    {3, 0, 1, false, false, true, false}, {3, 2, 1, false, false, false, true},
                                    {3, 2, 2, false, false, false, false}, {0, 2, 1, false, false, false, false}};
  TempFile f(".bin");
  for (const TCase& k : cases) {
    SCOPED_TRACE(test::CaseName(k.L, k.T, k.Format));
    test::WriteFile(f.Path(), Header(2, 3, k.L, k.T, "id", k.Format));
    std::int32_t c = 0, r = 0, l = 0, t = 0, fmt = 0;
    std::string id;
    TMatrix a;
    TIntMatrix b;
    TMat3D s;
    TMat4D m;
    EXPECT_EQ(a.ReadBinaryHeader(f.Path(), c, r, id, fmt), k.Matrix);
    EXPECT_EQ(b.ReadBinaryHeader(f.Path(), c, r, id, fmt), k.IntMatrix);
    EXPECT_EQ(s.ReadBinaryHeader(f.Path(), c, r, l, id, fmt), k.Mat3D);
    EXPECT_EQ(m.ReadBinaryHeader(f.Path(), c, r, l, t, id, fmt), k.Mat4D);
    EXPECT_EQ((std::vector<std::int32_t>{c, r, l, t, fmt}), (std::vector<std::int32_t>{2, 3, k.L, k.T, k.Format}));
    EXPECT_EQ(id, "id");
  }
  TMatrix a;
  std::int32_t c, r, fmt;
  std::string id;
  EXPECT_FALSE(a.ReadBinaryHeader(f.Path() + ".none", c, r, id, fmt));
  test::WriteFile(f.Path(), Header(2, 3, 0, 0, "", 1).substr(0, 300));
  EXPECT_THROW(a.ReadBinaryHeader(f.Path(), c, r, id, fmt), EInOutError);
}

// 2 x 2 x 1 x 300: 1200 values in three data records; (1, 1, 1, 129) is
// value 512, the first of record 2.
TEST(MatrixFiles4D, ThreeHundredTimeSlots) {
  TempFile f(".bin");
  const std::vector<double> values = Numbered(1200);
  test::WriteFile(f.Path(), Header(2, 2, 1, 300, "slots", 1) + DoubleRecords(values));
  EXPECT_EQ(test::ReadFile(f.Path()).size(), 4u * 4096);

  TDouble2DArray layer;
  ASSERT_EQ(Read4DLayer(f.Path(), 1, 129, layer), 0);
  EXPECT_EQ(layer[0][0], 512.5);
  EXPECT_EQ(layer[1][0], 513.5);
  EXPECT_EQ(layer[0][1], 514.5);  // row 2: the column is the fastest
  ASSERT_EQ(Read4DLayer(f.Path(), 1, 128, layer), 0);
  EXPECT_EQ(layer[1][1], 511.5);  // the last value of record 1
  EXPECT_EQ(Read4DLayerAndAccumulate(f.Path(), 1, 300, layer), 0);
  EXPECT_EQ(layer[1][1], 511.5 + 1199.5);
  EXPECT_EQ(Read4DLayer(f.Path(), 1, 301, layer), -1);
  EXPECT_EQ(Read4DLayer(f.Path(), 2, 301, layer), -2);  // the layer decides when both fail
  TDouble2DArray wrong(3, std::vector<double>(2));
  EXPECT_EQ(Read4DLayerAndAccumulate(f.Path(), 1, 1, wrong), -3);

  TMat4D m;
  ASSERT_EQ(m.LoadBinary(f.Path()), 0);
  EXPECT_EQ(m.NrOfTimeSlots(), 300);
  EXPECT_EQ(m.DataID(), "slots");
  EXPECT_EQ(m.GetVal(1, 1, 1, 129), 512.5);
  // The writer gives back the same bytes: header, values, zero padding.
  TempFile g(".bin");
  ASSERT_TRUE(m.SaveBinary(g.Path(), 0, 0));
  EXPECT_EQ(test::ReadFile(g.Path()), test::ReadFile(f.Path()));
  ASSERT_TRUE(m.SaveBinary(g.Path(), 129, 130));
  EXPECT_EQ(test::ReadFile(g.Path()),
            Header(2, 2, 1, 2, "slots", 1) + DoubleRecords(std::vector<double>(values.begin() + 512, values.begin() + 520)));
}

TEST(MatrixFiles4D, ReadBinaryStreamsAndReadLayerChecks) {
  TempFile f(".bin");
  const std::vector<double> values = Numbered(3 * 2 * 2 * 4);
  test::WriteFile(f.Path(), Header(3, 2, 2, 4, "", 1) + DoubleRecords(values));
  TMat4D m;
  struct TSeen {
    std::int32_t ix, iy, il, it;
    double v;
  };
  std::vector<TSeen> seen;
  m.OnReadElement = [&](TObject*, std::int32_t ix, std::int32_t iy, std::int32_t il, std::int32_t it, double v) {
    seen.push_back({ix, iy, il, it, v});
  };
  std::vector<double> percents;
  m.OnPercentDone = [&](TObject*, double p) { percents.push_back(p); };
  EXPECT_EQ(m.ReadBinary(f.Path(), 0, 2), 0);  // a bound not positive: everything
  ASSERT_EQ(seen.size(), 48u);
  EXPECT_EQ(percents.back(), 100.0);
  seen.clear();
  EXPECT_EQ(m.ReadBinary(f.Path(), 3, 9), 0);  // cut to the file's 4 slots; it counts from 1
  ASSERT_EQ(seen.size(), 24u);
  EXPECT_EQ(seen[0].it, 1);
  EXPECT_EQ(seen[0].v, 24.5);
  EXPECT_EQ(seen[7].ix, 2);  // slot 3: layer 2, row 1, column 2 is the 8th value
  EXPECT_EQ(seen[7].il, 2);
  EXPECT_EQ(seen[7].v, 31.5);
  seen.clear();
  EXPECT_EQ(m.ReadBinary(f.Path(), 5, 6), -1);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(m.NrOfColumns(), 1);  // ReadBinary stores nothing

  m.Resize(3, 2, 2, 4);
  EXPECT_EQ(m.ReadLayer(f.Path(), 2, 3), 0);
  EXPECT_EQ(m.GetVal(3, 2, 2, 3), 35.5);
  EXPECT_EQ(m.GetVal(3, 2, 1, 3), 0.0);
  EXPECT_EQ(m.ReadLayer(f.Path(), 1, 5), -1);
  EXPECT_EQ(m.ReadLayer(f.Path(), 3, 1), -2);
  m.Resize(3, 2, 1, 4);
  EXPECT_EQ(m.ReadLayer(f.Path(), 2, 1), -2);  // beyond this object's layers
  m.Resize(2, 2, 2, 4);
  EXPECT_EQ(m.ReadLayer(f.Path(), 1, 1), -3);
  EXPECT_EQ(m.ReadLayer(f.Path() + ".none", 1, 1), -4);
}

TEST(MatrixFiles2D3D, WritersMatchTheLayoutAndRoundTrip) {
  TempFile f(".bin");
  TMatrix a;
  a.Resize(3, 2);
  a.FillSerial(1.0, 1.0);  // column-major 1..6: row 1 is 1 3 5, row 2 is 2 4 6
  a.SetDataID("real");
  ASSERT_TRUE(a.SaveBinary(f.Path()));
  EXPECT_EQ(test::ReadFile(f.Path()), Header(3, 2, 0, 0, "real", 1) + DoubleRecords({1, 3, 5, 2, 4, 6}));
  TMatrix a2;
  ASSERT_EQ(a2.LoadBinary(f.Path()), 0);
  EXPECT_EQ(a2.CRCofData(), a.CRCofData());
  EXPECT_EQ(a2.DataID(), "real");

  TIntMatrix b;
  b.Resize(2, 2);
  b.SetVal(2, 1, -5);
  ASSERT_TRUE(b.SaveBinary(f.Path()));
  std::string ints(16, '\0');
  const std::int32_t cells[4] = {0, -5, 0, 0};
  std::memcpy(ints.data(), cells, 16);
  ints.resize(4096, '\0');
  EXPECT_EQ(test::ReadFile(f.Path()), Header(2, 2, 0, 0, "", 2) + ints);
  auto sparse = std::unique_ptr<TIntMatrix>(TIntMatrix::CreateSparse(nullptr, 1));
  ASSERT_EQ(sparse->LoadBinary(f.Path()), 0);
  EXPECT_FALSE(sparse->IsSparse());
  EXPECT_EQ(sparse->GetVal(2, 1), -5);
  EXPECT_EQ(a2.LoadBinary(f.Path()), -2);  // format 2 is not a TMatrix file

  TMat3D s;
  s.Resize(2, 1, 2);
  s.FillSerial(1.0, 1.0);  // (1,1,1)=1 (1,1,2)=2 (2,1,1)=3 (2,1,2)=4
  ASSERT_TRUE(s.SaveBinary(f.Path()));
  EXPECT_EQ(test::ReadFile(f.Path()), Header(2, 1, 2, 0, "", 1) + DoubleRecords({1, 3, 2, 4}));
  TMat3D s2;
  ASSERT_EQ(s2.LoadBinary(f.Path()), 0);
  EXPECT_EQ(s2.CRCofData(), s.CRCofData());
}

TEST(MatrixFiles2D3D, DataIdOf255Characters) {
  TempFile f(".bin");
  TMatrix a;
  a.SetDataID(std::string(255, 'x'));
  ASSERT_TRUE(a.SaveBinary(f.Path()));
  TMatrix b;
  ASSERT_EQ(b.LoadBinary(f.Path()), 0);
  EXPECT_EQ(b.DataID(), std::string(255, 'x'));
  a.SetDataID(std::string(256, 'x'));
  EXPECT_FALSE(a.SaveBinary(f.Path()));
  TMat4D m;
  m.SetDataID(std::string(256, 'y'));
  EXPECT_FALSE(m.SaveBinary(f.Path(), 0, 0));
}

// Hostile files: the documented status, nothing allocated beyond what the
// file holds, the object unchanged.
TEST(MatrixFilesHostile, BadHeadersAndShortFiles) {
  TempFile f(".bin");
  struct TCase {
    const char* Name;
    std::string Content;
    std::int32_t Status;
  };
  const std::vector<TCase> cases = {
      {"2^31 cells announced", Header(65536, 32768, 1, 1, "", 1) + DoubleRecords({1, 2}), -3},
      {"short data area", Header(2, 2, 1, 300, "", 1) + DoubleRecords(Numbered(600)), -3},
      {"zero columns", Header(0, 2, 1, 1, "", 1) + DoubleRecords({1, 2}), -2},
      {"negative rows", Header(2, -2, 1, 1, "", 1) + DoubleRecords({1, 2}), -2},
      {"negative layers", Header(2, 2, -1, 1, "", 1), -2},
      {"short header", Header(2, 2, 1, 1, "", 1).substr(0, 100), -1},
      {"empty", "", -1},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    test::WriteFile(f.Path(), k.Content);
    TMat4D m;
    m.Resize(2, 1, 1, 1);
    m.SetVal(2, 1, 1, 1, 9.0);
    EXPECT_EQ(m.LoadBinary(f.Path()), k.Status);
    EXPECT_EQ(m.NrOfColumns(), 2);
    EXPECT_EQ(m.GetVal(2, 1, 1, 1), 9.0);
  }
  // The streamed readers on a file shorter than its header says: an I/O
  // error before anything is delivered or stored.
  test::WriteFile(f.Path(), Header(65536, 32768, 1, 2, "", 1) + DoubleRecords({1, 2}));
  TMat4D m;
  std::int32_t delivered = 0;
  m.OnReadElement = [&](TObject*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, double) { ++delivered; };
  EXPECT_THROW(m.ReadBinary(f.Path(), 0, 0), EInOutError);
  EXPECT_EQ(delivered, 0);
  TDouble2DArray layer{{4.0}};
  EXPECT_THROW(Read4DLayer(f.Path(), 1, 2, layer), EInOutError);
  EXPECT_EQ(layer, (TDouble2DArray{{4.0}}));
  test::WriteFile(f.Path(), Header(2, 2, 0, 0, "", 2) + std::string(8, '\0'));  // half a record
  TIntMatrix b;
  b.SetVal(1, 1, 3);
  EXPECT_EQ(b.LoadBinary(f.Path()), -3);
  test::WriteFile(f.Path(), Header(2000, 2, 0, 0, "", 2) + std::string(4096, '\0'));
  EXPECT_EQ(b.LoadBinary(f.Path()), -3);
  EXPECT_EQ(b.GetVal(1, 1), 3);
}

}  // namespace
}  // namespace kvl
