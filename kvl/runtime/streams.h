#pragma once
// The runtime's binary stream family: TStream, TMemoryStream, TFileStream.
//
// Every binary reader and writer of the library works on a TStream. Read and
// Write move up to Count bytes and return how many moved; ReadBuffer and
// WriteBuffer demand all of them and raise EReadError "Stream read error" or
// EWriteError "Stream write error" otherwise.
//
//   TFileStream f("data.bin", fmCreate);
//   f.WriteBuffer(&x, sizeof x);

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "kvl/runtime/classes.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TSeekOrigin: the reference point of Seek.
enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

/// File open modes of TFileStream.
inline constexpr std::uint16_t fmOpenRead = 0x0000;
inline constexpr std::uint16_t fmOpenWrite = 0x0001;
inline constexpr std::uint16_t fmOpenReadWrite = 0x0002;
inline constexpr std::uint16_t fmCreate = 0xFF00;

/// TStream: an abstract sequence of bytes with a position.
class TStream : public TObject {
 public:
  /// Read: copies up to Count bytes into Buffer; returns the number copied.
  virtual std::int64_t Read(void* Buffer, std::int64_t Count) = 0;
  /// Write: copies up to Count bytes from Buffer; returns the number written.
  virtual std::int64_t Write(const void* Buffer, std::int64_t Count) = 0;
  /// Seek: moves the position; returns the new position from the start.
  virtual std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) = 0;
  /// Size: the number of bytes in the stream.
  virtual std::int64_t Size();
  /// SetSize: grows or shrinks the stream.
  virtual void SetSize(std::int64_t NewSize) = 0;

  std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(std::int64_t Pos) { Seek(Pos, TSeekOrigin::soBeginning); }
  /// ReadBuffer: reads exactly Count bytes or raises EReadError.
  void ReadBuffer(void* Buffer, std::int64_t Count);
  /// WriteBuffer: writes exactly Count bytes or raises EWriteError.
  void WriteBuffer(const void* Buffer, std::int64_t Count);
  /// CopyFrom: copies Count bytes from Source's position (Count = 0: the
  /// whole of Source from its start); returns the number copied.
  std::int64_t CopyFrom(TStream& Source, std::int64_t Count);
};

/// TMemoryStream: a stream held in memory.
class TMemoryStream : public TStream {
 public:
  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Write(const void* Buffer, std::int64_t Count) override;
  std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(FData.size()); }
  void SetSize(std::int64_t NewSize) override;

  /// Memory: the bytes of the stream.
  const std::uint8_t* Memory() const noexcept { return FData.data(); }
  std::uint8_t* Memory() noexcept { return FData.data(); }
  /// Clear: empties the stream.
  void Clear() noexcept;
  /// LoadFromFile / SaveToFile: the whole stream from or to a file
  /// (EFOpenError / EFCreateError when the file cannot be opened).
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);

 private:
  std::vector<std::uint8_t> FData;
  std::int64_t FPosition = 0;
};

/// TFileStream: a stream on a file, opened in the constructor and closed in
/// the destructor. Opening failures raise EFOpenError 'Cannot open file "F".'
/// (EFCreateError 'Cannot create file "F".' for fmCreate) followed by the
/// system's reason.
class TFileStream : public TStream {
 public:
  TFileStream(const std::string& FileName, std::uint16_t Mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Write(const void* Buffer, std::int64_t Count) override;
  std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(std::int64_t NewSize) override;
  const std::string& FileName() const noexcept { return FFileName; }

 private:
  std::FILE* FHandle = nullptr;
  std::string FFileName;
  bool FLastWasWrite = false;
};

}  // namespace kvl

KVL_API_END
