#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <random>

#include "kvl/base/KVL_streams.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

std::string Bytes(TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

void WriteFile(const std::string& Path, const std::string& Content) {
  std::ofstream(Path, std::ios::binary) << Content;
}

TEST(StreamValueTest, ExtendedRoundTripsAllTenBytes) {
  TMemoryStream s;
  const long double values[] = {0.0L,     -1.5L,   3.141592653589793238462L,
                                1e-4940L, 1e4930L, std::numeric_limits<long double>::infinity()};
  for (const long double x : values) WriteExtendedToStream(s, x);
  EXPECT_EQ(s.Size(), 10 * 6);
  s.SetPosition(0);
  for (const long double x : values) {
    bool ok = false;
    EXPECT_EQ(ReadExtendedFromStream(s, ok), x);
    EXPECT_TRUE(ok);
  }
  bool ok = true;
  EXPECT_EQ(ReadExtendedFromStream(s, ok), 0.0L);
  EXPECT_FALSE(ok);
}

TEST(StreamValueTest, LongintIsLittleEndianAndTruncationFails) {
  TMemoryStream s;
  WriteLongintToStream(s, 0x12345678);
  WriteLongintToStream(s, -2);
  EXPECT_EQ(Bytes(s), std::string("\x78\x56\x34\x12\xFE\xFF\xFF\xFF", 8));
  s.SetPosition(0);
  bool ok = false;
  EXPECT_EQ(ReadLongintFromStream(s, ok), 0x12345678);
  EXPECT_TRUE(ok);
  EXPECT_EQ(ReadLongintFromStream(s, ok), -2);
  EXPECT_TRUE(ok);
  // A value cut short by the end of the stream is a failed read.
  WriteExtendedToStream(s, 1.0L);
  s.SetSize(s.Size() - 1);
  s.SetPosition(8);
  EXPECT_EQ(ReadExtendedFromStream(s, ok), 0.0L);
  EXPECT_FALSE(ok);
  s.SetPosition(s.Size() - 3);
  EXPECT_EQ(ReadLongintFromStream(s, ok), 0);
  EXPECT_FALSE(ok);
}

TEST(TMixedFStreamTest, MixedItemsRoundTrip) {
  test::TempFile f(".bin");
  const std::string awkward[] = {"",
                                 "plain text",
                                 "two\nlines",
                                 "cr\r",
                                 "back\\slash\\",
                                 "\\n literal",
                                 std::string("nul\0byte", 8),
                                 "trailing blanks  "};
  {
    TMixedFStream out(f.Path(), fmCreate);
    for (const std::string& s : awkward) {
      out.WriteInteger(static_cast<std::int32_t>(s.size()));
      out.WriteLn(s);
    }
    out.WriteDouble(-0.1);
    out.WriteDouble(std::numeric_limits<double>::denorm_min());
    out.WriteByte(0);
    out.WriteByte(255);
    out.WriteInteger(std::numeric_limits<std::int32_t>::min());
  }
  TMixedFStream in(f.Path(), fmOpenRead);
  bool ok = false;
  for (const std::string& s : awkward) {
    EXPECT_EQ(in.ReadInteger(ok), static_cast<std::int32_t>(s.size()));
    EXPECT_TRUE(ok);
    EXPECT_EQ(in.ReadLn(ok), s);
    EXPECT_TRUE(ok) << s;
  }
  EXPECT_EQ(in.ReadDouble(ok), -0.1);
  EXPECT_EQ(in.ReadDouble(ok), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(in.ReadByte(ok), 0);
  EXPECT_EQ(in.ReadByte(ok), 255);
  EXPECT_EQ(in.ReadInteger(ok), std::numeric_limits<std::int32_t>::min());
  EXPECT_TRUE(ok);
  // Every reader fails cleanly at the end of the file.
  EXPECT_EQ(in.ReadLn(ok), "");
  EXPECT_FALSE(ok);
  ok = true;
  EXPECT_EQ(in.ReadInteger(ok), 0);
  EXPECT_FALSE(ok);
  ok = true;
  EXPECT_EQ(in.ReadDouble(ok), 0.0);
  EXPECT_FALSE(ok);
  ok = true;
  EXPECT_EQ(in.ReadByte(ok), 0);
  EXPECT_FALSE(ok);
}

TEST(TMixedFStreamTest, DoubleIsLittleEndianIEEE) {
  test::TempFile f(".bin");
  {
    TMixedFStream out(f.Path(), fmCreate);
    out.WriteDouble(1.0);
  }
  TMemoryStream m;
  m.LoadFromFile(f.Path());
  EXPECT_EQ(Bytes(m), std::string("\0\0\0\0\0\0\xF0\x3F", 8));
}

TEST(TMixedFStreamTest, ReadsForeignLineEndsAndUnpairedBackslashes) {
  test::TempFile f(".txt");
  WriteFile(f.Path(), "dos\r\nunix\n\\x\\\nlast");
  TMixedFStream in(f.Path(), fmOpenRead);
  bool ok = false;
  EXPECT_EQ(in.ReadLn(ok), "dos");
  EXPECT_EQ(in.ReadLn(ok), "unix");
  EXPECT_EQ(in.ReadLn(ok), "\\x\\");  // a backslash before another letter or the end stays
  EXPECT_EQ(in.ReadLn(ok), "last");   // the end of the file ends the last line
  EXPECT_TRUE(ok);
  in.ReadLn(ok);
  EXPECT_FALSE(ok);
}

TEST(TMixedFStreamTest, OverlongLineIsSkippedAndReportedNotStored) {
  test::TempFile f(".txt");
  WriteFile(f.Path(), std::string(TMixedFStream::MaxLineLength + 5, 'x') + "\nnext\n");
  TMixedFStream in(f.Path(), fmOpenRead);
  bool ok = true;
  EXPECT_EQ(in.ReadLn(ok), "");
  EXPECT_FALSE(ok);
  EXPECT_EQ(in.ReadLn(ok), "next");  // the reader stays in step with the file
  EXPECT_TRUE(ok);
}

TEST(TMixedFStreamTest, LongestLineIsAcceptedWhateverItsLineEnd) {
  // The line end is not part of the line: LF, CR LF and the end of the file
  // all let a line of MaxLineLength characters through, one more is refused.
  struct Case {
    std::int32_t Length;
    const char* End;
    bool Ok;
  };
  const Case cases[] = {{TMixedFStream::MaxLineLength, "\n", true},
                        {TMixedFStream::MaxLineLength, "\r\n", true},
                        {TMixedFStream::MaxLineLength, "\r", true},
                        {TMixedFStream::MaxLineLength, "", true},
                        {TMixedFStream::MaxLineLength + 1, "\n", false},
                        {TMixedFStream::MaxLineLength + 1, "\r\n", false}};
  test::TempFile f(".txt");
  for (const Case& c : cases) {
    WriteFile(f.Path(), std::string(static_cast<std::size_t>(c.Length), 'y') + c.End);
    TMixedFStream in(f.Path(), fmOpenRead);
    bool ok = !c.Ok;
    const std::string line = in.ReadLn(ok);
    EXPECT_EQ(ok, c.Ok) << c.Length << " " << std::string_view(c.End).size();
    EXPECT_EQ(line.size(), c.Ok ? static_cast<std::size_t>(c.Length) : 0u);
    EXPECT_EQ(in.Position(), in.Size());
  }
  // A carriage return inside the text stays, also at the last allowed place.
  WriteFile(f.Path(), std::string(TMixedFStream::MaxLineLength - 1, 'y') + "\r\r\n");
  TMixedFStream in(f.Path(), fmOpenRead);
  bool ok = false;
  const std::string line = in.ReadLn(ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(line.size(), static_cast<std::size_t>(TMixedFStream::MaxLineLength));
  EXPECT_EQ(line.back(), '\r');
}

TEST(TMixedFStreamTest, RandomBytesNeverCrashAndTheEndIsReached) {
  test::TempFile f(".bin");
  std::mt19937 gen(77);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(gen());
  WriteFile(f.Path(), noise);
  TMixedFStream in(f.Path(), fmOpenRead);
  bool ok = true;
  int reads = 0;
  while (ok && reads < 100000) {
    in.ReadInteger(ok);
    if (ok) in.ReadLn(ok);
    if (ok) in.ReadDouble(ok);
    ++reads;
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(in.Position(), in.Size());
}

}  // namespace
}  // namespace kvl
