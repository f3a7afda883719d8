#include "kvl/base/KVL_streams.h"

#include <bit>

#include "kvl/runtime/extended.h"

namespace kvl {

namespace {

template <class U>
void WriteLE(TStream& Stream, U Value) {
  std::uint8_t bytes[sizeof(U)];
  for (std::size_t i = 0; i < sizeof(U); ++i) bytes[i] = static_cast<std::uint8_t>(Value >> (8 * i));
  Stream.WriteBuffer(bytes, sizeof bytes);
}

template <class U>
U ReadLE(TStream& Stream, bool& ReadOK) {
  std::uint8_t bytes[sizeof(U)];
  ReadOK = Stream.Read(bytes, sizeof bytes) == static_cast<std::int64_t>(sizeof bytes);
  if (!ReadOK) return 0;
  U value = 0;
  for (std::size_t i = 0; i < sizeof(U); ++i) value |= static_cast<U>(static_cast<U>(bytes[i]) << (8 * i));
  return value;
}

}  // namespace

void WriteExtendedToStream(TStream& OutStream, long double X) {
  const TExtendedBytes bytes = EncodeExtended(X);
  OutStream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

long double ReadExtendedFromStream(TStream& InStream, bool& ReadOK) {
  TExtendedBytes bytes;
  ReadOK = InStream.Read(bytes.data(), 10) == 10;
  return ReadOK ? DecodeExtended(bytes.data()) : 0.0L;
}

void WriteLongintToStream(TStream& OutStream, std::int32_t X) {
  WriteLE(OutStream, static_cast<std::uint32_t>(X));
}

std::int32_t ReadLongintFromStream(TStream& InStream, bool& ReadOK) {
  return static_cast<std::int32_t>(ReadLE<std::uint32_t>(InStream, ReadOK));
}

void TMixedFStream::WriteLn(std::string_view Text) {
  std::string line;
  line.reserve(Text.size() + 1);
  for (const char c : Text) {
    switch (c) {
      case '\\':
        line += "\\\\";
        break;
      case '\n':
        line += "\\n";
        break;
      case '\r':
        line += "\\r";
        break;
      default:
        line += c;
    }
  }
  line += '\n';
  WriteBuffer(line.data(), static_cast<std::int64_t>(line.size()));
}

void TMixedFStream::WriteInteger(std::int32_t Value) { WriteLongintToStream(*this, Value); }

void TMixedFStream::WriteDouble(double Value) { WriteLE(*this, std::bit_cast<std::uint64_t>(Value)); }

void TMixedFStream::WriteByte(std::uint8_t Value) { WriteBuffer(&Value, 1); }

std::string TMixedFStream::ReadLn(bool& ReadOK) {
  std::string line;
  bool any = false;        // at least one byte of the line was read
  bool tooLong = false;    // past MaxLineLength: read on to the line end, keep nothing
  bool escaped = false;    // the last stored byte is a backslash that may start an escape
  bool pendingCR = false;  // a carriage return was read and not stored: it may be the line end's
  auto store = [&](char Ch) {
    if (tooLong) return;
    if (line.size() == static_cast<std::size_t>(MaxLineLength)) {
      tooLong = true;
      line.clear();
      line.shrink_to_fit();
      return;
    }
    line += Ch;
  };
  char c;
  while (Read(&c, 1) == 1) {
    any = true;
    if (c == '\n') break;
    if (pendingCR) {  // the carriage return was part of the text after all
      store('\r');
      pendingCR = escaped = false;
    }
    if (c == '\r') {
      pendingCR = true;
      continue;
    }
    if (escaped && (c == 'n' || c == 'r' || c == '\\')) {
      if (!tooLong) line.back() = c == 'n' ? '\n' : c == 'r' ? '\r' : '\\';
      escaped = false;
      continue;
    }
    escaped = c == '\\';
    store(c);
  }
  // A carriage return before the end of the file without a line feed ends
  // the line as well: it is dropped.
  ReadOK = any && !tooLong;
  return line;
}

std::int32_t TMixedFStream::ReadInteger(bool& ReadOK) { return ReadLongintFromStream(*this, ReadOK); }

double TMixedFStream::ReadDouble(bool& ReadOK) {
  return std::bit_cast<double>(ReadLE<std::uint64_t>(*this, ReadOK));
}

std::uint8_t TMixedFStream::ReadByte(bool& ReadOK) {
  std::uint8_t value = 0;
  ReadOK = Read(&value, 1) == 1;
  return ReadOK ? value : 0;
}

}  // namespace kvl
