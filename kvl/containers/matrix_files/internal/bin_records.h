#pragma once
// The binary matrix files: 4096-byte records, record 0 the header (columns,
// rows, layers, time slots, the data identification as a length byte and up
// to 255 characters, the cell format), the cells from record 1 on in the
// order time slot, layer, row, column (fastest), 8-byte Doubles 512 to a
// record or 4-byte integers 1024 to a record, the last record padded.
// Readers never trust the header: sizes are checked against the file before
// anything is allocated, and a short data area is a read beyond the end.

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "kvl/runtime/exceptions.h"

namespace kvl::matfile_internal {

inline constexpr std::size_t kRecordBytes = 4096;

/// TBinHeader: the fields of record 0.
struct TBinHeader {
  std::int32_t Cols = 0, Rows = 0, Layers = 0, TSlots = 0;
  std::string DataID;
  std::int32_t Format = 0;
};

/// TMatFileKind: the classes a header can be valid for.
enum class TMatFileKind { Matrix, IntMatrix, Mat3D, Mat4D };

/// ValidFor: the header validity table of the four classes.
bool ValidFor(const TBinHeader& H, TMatFileKind Kind) noexcept;

/// EncodeHeader: record 0 of H; false when DataID is longer than 255 bytes.
bool EncodeHeader(const TBinHeader& H, std::array<char, kRecordBytes>& Rec);

/// ReadHeader: opens FName and reads record 0. 0 done (In open, positioned
/// after it), -1 no such file, -2 shorter than one record.
std::int32_t ReadHeader(const std::string& FName, std::ifstream& In, TBinHeader& H);

/// ReadHeaderOf: ReadBinaryHeader's rule: false for a missing file, an
/// EInOutError for one shorter than a record; else H read and true.
bool ReadHeaderOf(const std::string& FName, TBinHeader& H);

/// FileBytes: the size of the open file.
std::uint64_t FileBytes(std::ifstream& In);

/// RaiseReadBeyondEnd: the runtime's I/O error of a short file.
[[noreturn]] void RaiseReadBeyondEnd();

/// TRecordReader: cells of type T from the data area, one record in memory.
template <class T>
class TRecordReader {
 public:
  static constexpr std::size_t kPerRecord = kRecordBytes / sizeof(T);
  explicit TRecordReader(std::ifstream& In) : FIn(In) {}

  /// SeekValue: positions before value number V (0-based) by the rule of the
  /// files: q = V / cells per record as a Double, record trunc(q) + 1,
  /// position round(frac(q) * cells per record) inside it.
  void SeekValue(std::uint64_t V) {
    const double q = static_cast<double>(V) / static_cast<double>(kPerRecord);
    const double whole = std::trunc(q);
    FRecord = static_cast<std::uint64_t>(whole) + 1;
    FPos = static_cast<std::size_t>(std::nearbyint((q - whole) * static_cast<double>(kPerRecord)));
    Load();
  }
  /// Next: the next value, reading the following record when the position
  /// passes the end of the current one.
  T Next() {
    if (FPos >= kPerRecord) {
      ++FRecord;
      Load();
      FPos = 0;
    }
    T x;
    std::memcpy(&x, FBuf.data() + FPos * sizeof(T), sizeof(T));
    ++FPos;
    return x;
  }

 private:
  void Load() {
    FIn.clear();
    FIn.seekg(static_cast<std::streamoff>(FRecord * kRecordBytes));
    FIn.read(FBuf.data(), kRecordBytes);
    if (FIn.gcount() != static_cast<std::streamsize>(kRecordBytes)) RaiseReadBeyondEnd();
  }
  std::ifstream& FIn;
  std::array<char, kRecordBytes> FBuf{};
  std::uint64_t FRecord = 1;
  std::size_t FPos = kPerRecord;
};

/// TRecordWriter: cells of type T into whole records; Finish pads the last.
template <class T>
class TRecordWriter {
 public:
  static constexpr std::size_t kPerRecord = kRecordBytes / sizeof(T);
  explicit TRecordWriter(std::ofstream& Out) : FOut(Out) {}
  /// Resume: continues a record already in the file: its bytes are Record,
  /// of which the first Pos cells are kept; the stream stands at its start.
  void Resume(const std::array<char, kRecordBytes>& Record, std::size_t Pos) {
    FBuf = Record;
    FPos = Pos;
  }
  void Put(T x) {
    std::memcpy(FBuf.data() + FPos * sizeof(T), &x, sizeof(T));
    if (++FPos == kPerRecord) Flush();
  }
  void Finish() {
    if (FPos > 0) Flush();
  }

 private:
  void Flush() {
    std::memset(FBuf.data() + FPos * sizeof(T), 0, kRecordBytes - FPos * sizeof(T));
    FOut.write(FBuf.data(), kRecordBytes);
    FPos = 0;
  }
  std::ofstream& FOut;
  std::array<char, kRecordBytes> FBuf{};
  std::size_t FPos = 0;
};

/// kMaxValues: the most cells a header may announce (2^53): value numbers
/// stay exact as Doubles and record offsets far from overflow.
inline constexpr std::uint64_t kMaxValues = std::uint64_t{1} << 53;

/// ValueCount: N := the product of Dims; false when one is negative or the
/// product exceeds kMaxValues (no file can hold it).
inline bool ValueCount(std::initializer_list<std::int32_t> Dims, std::uint64_t& N) {
  N = 1;
  for (const std::int32_t d : Dims) {
    if (d < 0) return false;
    if (d == 0) {
      N = 0;
      return true;
    }
    if (N > kMaxValues / static_cast<std::uint64_t>(d)) return false;
    N *= static_cast<std::uint64_t>(d);
  }
  return true;
}

/// DataRecords: the number of data records of Values cells of type T.
template <class T>
std::uint64_t DataRecords(std::uint64_t Values) {
  constexpr std::uint64_t per = kRecordBytes / sizeof(T);
  return (Values + per - 1) / per;
}

/// HasDataArea: the open file holds the header and every data record of
/// Values cells of type T.
template <class T>
bool HasDataArea(std::ifstream& In, std::uint64_t Values) {
  return FileBytes(In) >= (1 + DataRecords<T>(Values)) * kRecordBytes;
}

}  // namespace kvl::matfile_internal
