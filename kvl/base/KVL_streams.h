#pragma once
// KVL_streams: single values on the runtime's TStream, and TMixedFStream, a
// file stream that mixes text lines with binary values.
//
// Byte encodings (all little-endian):
//   Extended  10 bytes, the x87 layout of EncodeExtended
//   Longint   4 bytes, two's complement (WriteInteger of TMixedFStream too)
//   Double    8 bytes, IEEE-754 binary64
//   Byte      1 byte
//   line      the text, then a line feed (0x0A); inside the text a backslash
//             is written as "\\", a line feed as "\n" and a carriage return
//             as "\r" (backslash + letter), so any string survives the trip.
// Every reader reports through its ReadOK argument whether the whole value
// could be read (false at a truncated end); a failed read returns 0 or "".
//
//   TMixedFStream out("model.bin", fmCreate);
//   out.WriteInteger(static_cast<std::int32_t>(name.size()));
//   out.WriteLn(name);
//   ...
//   TMixedFStream in("model.bin", fmOpenRead);
//   bool ok = true;
//   in.ReadInteger(ok);                      // the count, not needed
//   std::string name = in.ReadLn(ok);

#include <cstdint>
#include <string>
#include <string_view>

#include "kvl/runtime/streams.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// WriteExtendedToStream: writes X as 10 bytes; EWriteError when the stream
/// refuses them.
void WriteExtendedToStream(TStream& OutStream, long double X);
/// ReadExtendedFromStream: the next 10-byte Extended; ReadOK false (result 0)
/// when fewer than 10 bytes remain.
long double ReadExtendedFromStream(TStream& InStream, bool& ReadOK);

/// WriteLongintToStream: writes X as a 32-bit little-endian integer;
/// EWriteError when the stream refuses it.
void WriteLongintToStream(TStream& OutStream, std::int32_t X);
/// ReadLongintFromStream: the next 32-bit integer; ReadOK false (result 0)
/// when fewer than 4 bytes remain.
std::int32_t ReadLongintFromStream(TStream& InStream, bool& ReadOK);

/// TMixedFStream: a file stream for text lines mixed with binary values.
/// Create it with fmCreate to write a new file or fmOpenRead to read one;
/// a file that cannot be opened raises EFCreateError / EFOpenError. Writers
/// raise EWriteError on a failed write; readers never raise.
class TMixedFStream : public TFileStream {
 public:
  /// MaxLineLength: the longest line ReadLn accepts (decoded characters);
  /// a longer line is skipped and reported as a failed read.
  static constexpr std::int32_t MaxLineLength = 1 << 20;

  /// Opens FileName in Mode (fmCreate, fmOpenRead, ... as TFileStream).
  TMixedFStream(const std::string& FileName, std::uint16_t Mode) : TFileStream(FileName, Mode) {}

  /// WriteLn: writes Text as one line (escaped as described above).
  void WriteLn(std::string_view Text);
  /// WriteInteger: writes a 32-bit little-endian integer.
  void WriteInteger(std::int32_t Value);
  /// WriteDouble: writes an 8-byte little-endian IEEE double.
  void WriteDouble(double Value);
  /// WriteByte: writes one byte.
  void WriteByte(std::uint8_t Value);

  /// ReadLn: the next line without its line end (a carriage return before
  /// the line feed is dropped; the end of the file also ends a line). ReadOK
  /// is false, and the result "", at the end of the file or when the line is
  /// longer than MaxLineLength (the line is then skipped).
  std::string ReadLn(bool& ReadOK);
  /// ReadInteger: the next 32-bit integer; ReadOK false (0) when truncated.
  std::int32_t ReadInteger(bool& ReadOK);
  /// ReadDouble: the next 8-byte double; ReadOK false (0) when truncated.
  double ReadDouble(bool& ReadOK);
  /// ReadByte: the next byte; ReadOK false (0) at the end of the file.
  std::uint8_t ReadByte(bool& ReadOK);
};

}  // namespace kvl

KVL_API_END
