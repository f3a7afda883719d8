#include "kvl/runtime/streams.h"

#include <gtest/gtest.h>

#include "kvl/runtime/exceptions.h"
#include "kvl/runtime/extended.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

TEST(ExtendedTest, TenByteLayout) {
  const auto one = EncodeExtended(1.0L);
  const std::uint8_t expected[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(one[i], expected[i]) << i;
  for (long double x : {0.0L, -2.5L, 1e-4000L, 3.141592653589793238L}) {
    EXPECT_EQ(DecodeExtended(EncodeExtended(x).data()), x);
  }
}

TEST(TMemoryStreamTest, ReadWriteSeek) {
  TMemoryStream s;
  const std::int32_t v[3] = {1, -2, 3};
  s.WriteBuffer(v, sizeof v);
  EXPECT_EQ(s.Size(), 12);
  s.SetPosition(4);
  std::int32_t w = 0;
  s.ReadBuffer(&w, 4);
  EXPECT_EQ(w, -2);
  EXPECT_EQ(s.Seek(0, TSeekOrigin::soEnd), 12);
  EXPECT_EQ(s.Read(&w, 4), 0);
  KVL_EXPECT_THROW_MSG(s.ReadBuffer(&w, 4), EReadError, "Stream read error");
}

TEST(TFileStreamTest, RoundTripAndOpenErrors) {
  test::TempFile f(".bin");
  {
    TFileStream out(f.Path(), fmCreate);
    out.WriteBuffer("abcdef", 6);
  }
  TMemoryStream m;
  m.LoadFromFile(f.Path());
  ASSERT_EQ(m.Size(), 6);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), 6), "abcdef");
  {
    TFileStream rw(f.Path(), fmOpenReadWrite);
    rw.SetPosition(2);
    rw.WriteBuffer("XY", 2);
    rw.SetPosition(0);
    char buf[6];
    rw.ReadBuffer(buf, 6);
    EXPECT_EQ(std::string(buf, 6), "abXYef");
  }
  EXPECT_THROW(TFileStream("/nonexistent/dir/x.bin", fmOpenRead), EFOpenError);
  EXPECT_THROW(TFileStream("/nonexistent/dir/x.bin", fmCreate), EFCreateError);
}

}  // namespace
}  // namespace kvl
