#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>

#include "kvl/base/KVL_streams.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/extended.h"
#include "kvl_test_support.h"
#include "vector_test_util.h"

namespace kvl {
namespace {

using test::SetAll;
using test::Values;
using test::WriteFile;
using test::ReadFile;
using test::EventLog;
using test::TempFile;

const std::string kHeader1 =
    "title\n1\t;nr. of columns\n%R\t;nr. of rows\nFALSE FALSE FALSE FALSE\t;row attributes, column names, row "
    "names, nominal variables\n";

// An ASC text of one column with the given rows.
std::string OneColumn(const std::vector<std::string>& Rows) {
  std::string text = kHeader1;
  text.replace(text.find("%R"), 2, std::to_string(Rows.size()));
  for (const auto& r : Rows) text += r + "\n";
  return text;
}

// --- ASC column text ----------------------------------------------------------------------

TEST(VectorASCTest, ExportWritesBannerHeaderAndOneValuePerLine) {
  TempFile file(".asc");
  TVector v;
  SetAll(v, {1.5, -2.25, 1000});
  EXPECT_EQ(v.ExportAsASC(file.Path(), 3, ""), 0);
  EXPECT_EQ(ReadFile(file.Path()), "Exported by KVL TVector component: " + file.Path() +
                                       "\n1\t;nr. of columns\n3\t;nr. of rows\n"
                                       "FALSE FALSE FALSE FALSE\t;row attributes, column names, row names, "
                                       "nominal variables\n"
                                       "       1.500\n      -2.250\n    1000.000\n");
  TIntVector iv;
  SetAll(iv, {7, -12});
  EXPECT_EQ(iv.ExportAsASC(file.Path(), "line one\nline two"), 0);
  EXPECT_EQ(ReadFile(file.Path()).substr(0, 18), "line one line two\n");
  EXPECT_TRUE(ReadFile(file.Path()).ends_with("nominal variables\n7\n-12\n"));
  EXPECT_EQ(iv.ExportAsASC(file.Path(), ""), 0);
  EXPECT_TRUE(ReadFile(file.Path()).starts_with("Exported by KVL TIntVector component: " + file.Path() + "\n"));
  EXPECT_EQ(iv.ExportAsASC("/nonexistent/dir/x.asc", ""), -1);
}

TEST(VectorASCTest, RoundTripIntoBothClasses) {
  TempFile file(".asc");
  TVector v;
  SetAll(v, {0.125, -3.5, 2.5, 1e-3, std::numeric_limits<double>::quiet_NaN()});
  ASSERT_EQ(v.ExportAsASC(file.Path(), 6, "kept title"), 0);
  TVector back;
  std::string comment;
  EXPECT_EQ(back.ImportASC(file.Path(), comment), 0);
  EXPECT_EQ(comment, "kept title");
  EXPECT_EQ(Values(back), (std::vector<double>{0.125, -3.5, 2.5, 1e-3, 0.0}));  // NaN reads as missing
  TIntVector ints;
  EXPECT_EQ(ints.ImportASC(file.Path(), comment), 0);
  EXPECT_EQ(Values(ints), (std::vector<std::int32_t>{0, -4, 2, 0, 0}));  // nearest, halves to even
}

TEST(VectorASCTest, ImportFiresOneChangePerElementAndNoFinalOne) {
  TempFile file(".asc");
  WriteFile(file.Path(), OneColumn({"1", "###", "NAN", "4"}));
  TVector v;
  EventLog log;
  v.OnChange = log.Recorder("change");
  v.OnResize = log.Recorder("resize");
  std::string comment;
  EXPECT_EQ(v.ImportASC(file.Path(), comment), 0);
  EXPECT_EQ(Values(v), (std::vector<double>{1, 0, 0, 4}));
  EXPECT_EQ(log.Events, (std::vector<std::string>{"change", "resize", "change", "change", "change", "change"}));
}

TEST(VectorASCTest, ReadsColumnNamesRowAttributesAndRowNames) {
  TempFile file(".asc");
  WriteFile(file.Path(),
            "t\n1\n3\nTRUE TRUE TRUE FALSE\n\"diameter, mm\"\n"
            "0.5 \"first row\" 10\n1.5 \"second\" 20\n-2 \"\" ###\n");
  TVector v;
  std::string comment;
  EXPECT_EQ(v.ImportASC(file.Path(), comment), 0);
  EXPECT_EQ(Values(v), (std::vector<double>{10, 20, 0}));
}

struct ImportCase {
  const char* Name;
  std::string Text;
  std::int32_t Status;
  std::vector<double> Values;  // the vector afterwards (it starts as {9, 9})
};

// Test names already say the case; the parameter prints as its name.
void PrintTo(const ImportCase& Case, std::ostream* Out) { *Out << Case.Name; }

class VectorImportTest : public testing::TestWithParam<ImportCase> {};

TEST_P(VectorImportTest, StatusAndWhatStays) {
  TempFile file(".asc");
  WriteFile(file.Path(), GetParam().Text);
  TVector v;
  SetAll(v, {9, 9});
  std::string comment;
  EXPECT_EQ(v.ImportASC(file.Path(), comment), GetParam().Status);
  EXPECT_EQ(Values(v), GetParam().Values);
}

const std::string kTwoColumns =
    "t\n2\n2\nFALSE FALSE FALSE FALSE\n1 2\n3 4\n";
const std::string kAttributes = "t\n1\n3\nTRUE FALSE FALSE FALSE\n1 5\n2 6\nx 7\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, VectorImportTest,
    testing::Values(
        ImportCase{"TwoColumnsLeaveTheVector", kTwoColumns, -7, {9, 9}},
        ImportCase{"ZeroColumns", "t\n0\n5\nFALSE FALSE FALSE FALSE\n", -7, {9, 9}},
        ImportCase{"BadValueKeepsTheFailedRow", OneColumn({"1", "2", "1,5", "4"}), -6, {1, 2, 0}},
        ImportCase{"TruncatedData", OneColumn({"1", "2", "3"}).substr(0, OneColumn({"1", "2", "3"}).size() - 2), -6,
                   {1, 2, 0}},
        ImportCase{"ValueOutOfRange", OneColumn({"1e999"}), -6, {9}},
        ImportCase{"BadRowAttribute", kAttributes, -5, {5, 6, 0}},
        ImportCase{"HeaderStatusPassesThrough", "t\n1\n", -13, {9, 9}},
        ImportCase{"HugeRowCount", "t\n1\n2000000000\nFALSE FALSE FALSE FALSE\n1\n", -19, {9, 9}},
        ImportCase{"BinaryGarbage", std::string("\x00\xff\n\x01\n\x02\n\x03\n", 9), -15, {9, 9}}),
    [](const testing::TestParamInfo<ImportCase>& info) { return info.param.Name; });

TEST(VectorASCTest, ImportsFromAnOpenStreamAtItsPosition) {
  // The caller has read a line of its own; the import starts after it, and
  // the counts are checked against what is left of the stream.
  std::istringstream in("caller's line\n" + OneColumn({"1.5", "NAN", "-2"}));
  std::string line;
  std::getline(in, line);
  TVector v;
  std::string comment;
  EXPECT_EQ(v.ImportASC(in, comment), 0);
  EXPECT_EQ(comment, "title");
  EXPECT_EQ(Values(v), (std::vector<double>{1.5, 0, -2}));
  std::istringstream ints(OneColumn({"7", "2.5"}));
  TIntVector iv;
  EXPECT_EQ(iv.ImportASC(ints, comment), 0);
  EXPECT_EQ(Values(iv), (std::vector<std::int32_t>{7, 2}));
  std::istringstream huge("t\n1\n50\nFALSE FALSE FALSE FALSE\n1\n");
  EXPECT_EQ(v.ImportASC(huge, comment), -19);
  EXPECT_EQ(Values(v), (std::vector<double>{1.5, 0, -2}));
}

TEST(VectorASCTest, MissingFileAndIntegerRange) {
  TVector v;
  std::string comment = "x";
  EXPECT_EQ(v.ImportASC("/nonexistent/kvl/file.asc", comment), -8);
  TempFile file(".asc");
  WriteFile(file.Path(), OneColumn({"2147483647", "-2147483648", "2147483648"}));
  TIntVector iv;
  EXPECT_EQ(iv.ImportASC(file.Path(), comment), -6);
  EXPECT_EQ(Values(iv), (std::vector<std::int32_t>{2147483647, -2147483647 - 1, 0}));
}

// --- text dump --------------------------------------------------------------------------------

TEST(VectorDumpTest, StoreOnFileLayoutByPrecision) {
  TempFile file(".txt");
  TVector v;
  SetAll(v, {1.5, -0.25, 1234.5678});
  struct Case {
    std::int32_t Precision;
    std::string Text;
  };
  for (const Case& c : {Case{2, "1 3\n1.50\n-0.25\n1234.57\n"}, Case{-7, "1 3\n1.50\n-0.25\n1234.57\n"},
                        Case{0, "1 3\n2\n-0\n1235\n"},
                        Case{-1, "1 3\n 1.5000E+0000\n-2.5000E-0001\n 1.2346E+0003\n"}}) {
    ASSERT_TRUE(v.StoreOnFile(0, 0, c.Precision, file.Path()));
    EXPECT_EQ(ReadFile(file.Path()), c.Text) << c.Precision;
  }
  ASSERT_TRUE(v.StoreOnFile(3, 2, -2, file.Path()));  // bounds put in order; 26 characters
  EXPECT_EQ(ReadFile(file.Path()), "2 3\n-2.50000000000000000E-0001\n 1.23456780000000003E+0003\n");
  EXPECT_FALSE(v.StoreOnFile(0, 0, 2, "/nonexistent/dir/v.txt"));

  TIntVector iv;
  SetAll(iv, {4, -5, 6});
  ASSERT_TRUE(iv.StoreOnFile(2, 9, file.Path()));
  EXPECT_EQ(ReadFile(file.Path()), "2 3\n-5\n6\n");
}

TEST(VectorDumpTest, LoadFromFileRoundTripAndEvents) {
  TempFile file(".txt");
  TVector v;
  SetAll(v, {0.1, 0.2, 0.3, 0.4});
  ASSERT_TRUE(v.StoreOnFile(2, 4, 20, file.Path()));
  TVector back;
  EXPECT_FALSE(back.LoadFromFile(file.Path(), false));  // the last index is beyond its size
  EventLog log;
  back.OnChange = log.Recorder("change");
  back.OnResize = log.Recorder("resize");
  EXPECT_TRUE(back.LoadFromFile(file.Path(), true));
  EXPECT_EQ(Values(back), (std::vector<double>{0, 0.2, 0.3, 0.4}));
  EXPECT_EQ(log.Events, (std::vector<std::string>{"change", "resize", "change", "change", "change", "change"}));
  TIntVector ints;
  EXPECT_TRUE(ints.LoadFromFile(file.Path(), true));
  EXPECT_EQ(Values(ints), (std::vector<std::int32_t>{0, 0, 0, 0}));
  EXPECT_FALSE(back.LoadFromFile("/nonexistent/v.txt", true));
}

TEST(VectorDumpTest, LoadSkipsBadNumbersAndRefusesHostileIndices) {
  TempFile file(".txt");
  TVector v;
  SetAll(v, {9, 9, 9, 9});
  WriteFile(file.Path(), "1 4\n1.5 oops\n3.5");  // a bad word is skipped; the file ends early
  EXPECT_TRUE(v.LoadFromFile(file.Path(), false));
  EXPECT_EQ(Values(v), (std::vector<double>{1.5, 9, 3.5, 9}));
  for (const char* text : {"x 3\n1\n", "1\n", "", "1 2.5\n1 2\n", "1 2000000000\n1\n2\n",
                           "2147483600 2147483647\n1\n"}) {
    WriteFile(file.Path(), text);
    EXPECT_FALSE(v.LoadFromFile(file.Path(), true)) << text;
    EXPECT_EQ(v.NrOfElem(), 4) << text;
  }
  WriteFile(file.Path(), "-2147483648 2\n5\n6\n7\n8");  // far negative first index: the loop ends with the file
  EXPECT_TRUE(v.LoadFromFile(file.Path(), false));
  EXPECT_EQ(Values(v), (std::vector<double>{1.5, 9, 3.5, 9}));
}

TEST(VectorDumpTest, AutoDetectCountsLinesWithDigits) {
  TempFile file(".txt");
  WriteFile(file.Path(), "1.5\n\n  2.5 \n# note\n-3e1\r\n");
  TVector v;
  EXPECT_TRUE(v.LoadFromFile(file.Path(), true, true));
  // "#" is not a number: its element stays as it was, and it takes that element's turn.
  EXPECT_EQ(Values(v), (std::vector<double>{1.5, 2.5, 0}));
  v.Resize(5);
  EXPECT_TRUE(v.LoadFromFile(file.Path(), false, true));
  EXPECT_EQ(Values(v), (std::vector<double>{1.5, 2.5, 0, 0, -30}));
  EXPECT_FALSE(v.LoadFromFile("/nonexistent/v.txt", true, true));
  EXPECT_TRUE(v.LoadFromFile(file.Path(), true, false) == false);  // not a dump: its first line is one index
}

// --- binary stream image --------------------------------------------------------------------

TEST(VectorStreamTest, ImageIsTenBytesPerExtendedValue) {
  TVector v;
  SetAll(v, {1.5, -2, 3.25, 4});
  TMemoryStream* stream = nullptr;
  v.SaveToStream(stream, 3, 2);
  std::unique_ptr<TMemoryStream> owned(stream);
  ASSERT_NE(stream, nullptr);
  ASSERT_EQ(stream->Size(), 10 + 10 + 10 * 2);
  const std::uint8_t* bytes = stream->Memory();
  EXPECT_EQ(DecodeExtended(bytes), 2.0L);
  EXPECT_EQ(DecodeExtended(bytes + 10), 3.0L);
  EXPECT_EQ(DecodeExtended(bytes + 20), -2.0L);
  EXPECT_EQ(DecodeExtended(bytes + 30), 3.25L);

  TVector back;
  stream->SetPosition(0);
  EXPECT_FALSE(back.LoadFromStream(stream, false));  // upper bound 3 exceeds one element
  EXPECT_EQ(back.NrOfElem(), 1);
  stream->SetPosition(0);
  EXPECT_TRUE(back.LoadFromStream(stream, true));
  EXPECT_EQ(Values(back), (std::vector<double>{0, -2, 3.25}));
  SetAll(v, {7, 8});
  v.SaveToStream(stream, 0, 0);  // appends to the existing stream
  EXPECT_EQ(stream->Size(), 40 + 40);
  stream->SetPosition(40);
  EXPECT_TRUE(back.LoadFromStream(stream, true));
  EXPECT_EQ(Values(back), (std::vector<double>{7, 8}));
  EXPECT_FALSE(back.LoadFromStream(nullptr, true));
}

TEST(VectorFilesTest, SubRangesLoadBackIntoAFreshVector) {
  // A save of LowElem..HighElem holds HighElem - LowElem + 1 values; a load
  // with AdjustVectorSize sizes the vector to HighElem, however far up the
  // range lies, and refuses a range whose values the input cannot hold.
  TVector v;
  v.Resize(5000);
  for (std::int32_t i = 1; i <= 5000; ++i) v.SetVal(i, i * 0.5);
  TIntVector iv;
  iv.Resize(5000);
  for (std::int32_t i = 1; i <= 5000; ++i) iv.SetVal(i, -i);
  auto check = [](const auto& Loaded, auto Expected) {
    ASSERT_EQ(Loaded.NrOfElem(), 5000);
    EXPECT_EQ(Loaded.GetVal(4997), 0);
    for (std::int32_t i = 4998; i <= 5000; ++i) EXPECT_EQ(Loaded.GetVal(i), Expected(i)) << i;
  };
  auto half = [](std::int32_t i) { return i * 0.5; };
  auto minus = [](std::int32_t i) { return -i; };

  TMemoryStream* image = nullptr;
  v.SaveToStream(image, 4998, 5000);
  std::unique_ptr<TMemoryStream> owned(image);
  image->SetPosition(0);
  TVector fromImage;
  EXPECT_TRUE(fromImage.LoadFromStream(image, true));
  check(fromImage, half);
  TMemoryStream intImage;
  TMemoryStream* p = &intImage;
  iv.SaveToStream(p, 4998, 5000);
  intImage.SetPosition(0);
  TIntVector fromIntImage;
  EXPECT_TRUE(fromIntImage.LoadFromStream(&intImage, true));
  check(fromIntImage, minus);

  TempFile file(".txt");
  ASSERT_TRUE(v.StoreOnFile(4998, 5000, 2, file.Path()));
  TVector fromDump;
  EXPECT_TRUE(fromDump.LoadFromFile(file.Path(), true));
  check(fromDump, half);
  ASSERT_TRUE(iv.StoreOnFile(4998, 5000, file.Path()));
  TIntVector fromIntDump;
  EXPECT_TRUE(fromIntDump.LoadFromFile(file.Path(), true));
  check(fromIntDump, minus);

  // Ranges whose values cannot all be in the input, or that run backwards.
  TVector fresh;
  for (const char* text : {"4000 5000\n1\n2\n3\n", "5000 4998\n1\n2\n3\n", "-5000 5000\n1\n2\n3\n",
                           "2000000000 2000000002\n1\n2\n3\n"}) {
    WriteFile(file.Path(), text);
    EXPECT_FALSE(fresh.LoadFromFile(file.Path(), true)) << text;
    EXPECT_EQ(fresh.NrOfElem(), 1) << text;
  }
}

TEST(VectorStreamTest, IntegerImageAndFileStreams) {
  TempFile file(".bin");
  TIntVector v;
  SetAll(v, {5, -6, 7});
  {
    TFileStream out(file.Path(), fmCreate);
    v.SaveToStream(&out, 0, 0);
  }
  EXPECT_EQ(ReadFile(file.Path()), std::string("\x01\0\0\0\x03\0\0\0\x05\0\0\0\xFA\xFF\xFF\xFF\x07\0\0\0", 20));
  TFileStream in(file.Path(), fmOpenRead);
  TIntVector back;
  EXPECT_TRUE(back.LoadFromStream(&in, true));
  EXPECT_EQ(Values(back), Values(v));
}

TEST(VectorStreamTest, TruncatedAndHostileImages) {
  TVector v;
  SetAll(v, {1, 2, 3});
  TMemoryStream stream;
  TMemoryStream* p = &stream;
  v.SaveToStream(p, 0, 0);
  stream.SetSize(stream.Size() - 5);  // the last value is cut
  TVector back;
  SetAll(back, {9, 9, 9});
  stream.SetPosition(0);
  EXPECT_FALSE(back.LoadFromStream(&stream, false));
  EXPECT_EQ(Values(back), (std::vector<double>{1, 2, 9}));  // values before the cut stay

  auto image = [](long double lo, long double hi, int values) {
    auto s = std::make_unique<TMemoryStream>();
    WriteExtendedToStream(*s, lo);
    WriteExtendedToStream(*s, hi);
    for (int i = 0; i < values; ++i) WriteExtendedToStream(*s, 1.0L);
    s->SetPosition(0);
    return s;
  };
  EXPECT_FALSE(back.LoadFromStream(image(1, 2e9, 2).get(), true));  // no room for 2e9 values
  // three values far up would size the vector to 2e9 zeros: refused
  EXPECT_FALSE(back.LoadFromStream(image(2e9, 2e9 + 2, 3).get(), true));
  EXPECT_FALSE(back.LoadFromStream(image(1, std::numeric_limits<long double>::quiet_NaN(), 0).get(), true));
  EXPECT_FALSE(back.LoadFromStream(image(1, 1e300L, 0).get(), true));
  EXPECT_EQ(back.NrOfElem(), 3);
  EXPECT_FALSE(back.LoadFromStream(image(-2e9, 2, 0).get(), false));  // ends with the data
  EXPECT_TRUE(back.LoadFromStream(image(2.4L, 2.6L, 2).get(), false));  // bounds rounded: 2 and 3
  EXPECT_EQ(Values(back), (std::vector<double>{1, 1, 1}));
}

// --- garbage ------------------------------------------------------------------------------------

TEST(VectorGarbageTest, RandomBytesNeverCrashOrOverAllocate) {
  // Damaged copies of good files and plain noise: every loader returns a
  // status or false, and no vector grows beyond the bytes it was fed (the
  // importer never does; a dump or image could only through an index range
  // far up whose every value it holds, which these damaged copies lack).
  TempFile good(".asc"), file(".bin");
  TVector v;
  SetAll(v, {1.5, -2.5, 3, 4e10, 5});
  v.ExportAsASC(good.Path(), 4, "");
  const std::string asc = ReadFile(good.Path());
  v.StoreOnFile(0, 0, 3, good.Path());
  const std::string dump = ReadFile(good.Path());
  TMemoryStream* image = nullptr;
  v.SaveToStream(image, 0, 0);
  std::unique_ptr<TMemoryStream> owned(image);
  const std::string bin(reinterpret_cast<const char*>(image->Memory()), static_cast<std::size_t>(image->Size()));

  std::uint32_t state = 12345;
  auto next = [&state] { return state = state * 1664525u + 1013904223u; };
  for (int round = 0; round < 300; ++round) {
    const std::string& base = round % 3 == 0 ? asc : round % 3 == 1 ? dump : bin;
    std::string text = base;
    const int edits = 1 + static_cast<int>(next() % 6);
    for (int e = 0; e < edits && !text.empty(); ++e)
      text[next() % text.size()] = static_cast<char>(next() >> 24);
    if (next() % 4 == 0) text.resize(next() % (text.size() + 1));
    if (round % 50 == 49) text.assign(next() % 200, '\0');
    WriteFile(file.Path(), text);
    const auto limit = std::max<std::int64_t>(5, static_cast<std::int64_t>(text.size()));

    TVector a;
    TIntVector b;
    std::string comment;
    a.ImportASC(file.Path(), comment);
    b.ImportASC(file.Path(), comment);
    EXPECT_LE(a.NrOfElem(), limit);
    a.LoadFromFile(file.Path(), true);
    b.LoadFromFile(file.Path(), true);
    a.LoadFromFile(file.Path(), true, true);
    EXPECT_LE(std::max(a.NrOfElem(), b.NrOfElem()), limit);
    TMemoryStream stream;
    stream.Write(text.data(), static_cast<std::int64_t>(text.size()));
    stream.SetPosition(0);
    a.LoadFromStream(&stream, true);
    stream.SetPosition(0);
    b.LoadFromStream(&stream, true);
    EXPECT_LE(std::max(a.NrOfElem(), b.NrOfElem()), limit);
  }
}

// --- CRC of the data --------------------------------------------------------------------------

TEST(VectorCRCTest, OneCRCPerBytePosition) {
  // Each accumulator sees one byte per element; with elements whose bytes
  // spell "123456789" at one position, that position's CRC is the standard
  // check value CBF43926.
  TIntVector iv;
  iv.Resize(9);
  for (std::int32_t i = 1; i <= 9; ++i) iv.SetVal(i, '0' + i);  // byte 0 = the digit, bytes 1-3 = 0
  const std::string crc = iv.CRCofData();
  ASSERT_EQ(crc.size(), 32u);
  EXPECT_EQ(crc.substr(0, 8), "CBF43926");
  const std::uint8_t zeros[9] = {};
  const std::string zeroCRC = [&] {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08X", CalcCRC32(zeros, 9));
    return std::string(buf);
  }();
  EXPECT_EQ(crc.substr(8), zeroCRC + zeroCRC + zeroCRC);

  TVector v;
  v.Resize(9);
  std::string allZero;
  for (int b = 0; b < 8; ++b) allZero += zeroCRC;
  EXPECT_EQ(v.CRCofData(), allZero);
  v.SetVal(9, 1.0);  // bytes 00 .. 00 F0 3F: only the two top positions change
  const std::string changed = v.CRCofData();
  ASSERT_EQ(changed.size(), 64u);
  EXPECT_EQ(changed.substr(0, 48), allZero.substr(0, 48));
  EXPECT_NE(changed.substr(48, 8), zeroCRC);
  EXPECT_NE(changed.substr(56, 8), zeroCRC);
}

}  // namespace
}  // namespace kvl
