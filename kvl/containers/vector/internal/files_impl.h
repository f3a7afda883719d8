#pragma once
// TVectorBase: the ASC column text, the text dump, the binary stream image
// and the CRC of the data. Member definitions of the template; instantiated
// in vector/instances.cpp.
//
// Readers never trust a count: the values of a range to grow to must fit in
// what the file or stream can hold, and every loop ends with the data.

#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <type_traits>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/base/KVL_streams.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/asc_format.h"
#include "kvl/containers/internal/cell_crc.h"
#include "kvl/containers/vector/internal/vector_internal.h"
#include "kvl/core/KVL_math1.h"

namespace kvl {

namespace vector_internal {

/// TLineWriter: collects text lines and writes them in large blocks.
class TLineWriter {
 public:
  explicit TLineWriter(std::ofstream& Out) : FOut(Out) { FBuf.reserve(kBlock + 64); }
  std::string& Buffer() noexcept { return FBuf; }
  /// EndLine: ends the current line; writes the block when it is full.
  void EndLine() {
    FBuf += '\n';
    if (FBuf.size() >= kBlock) Flush();
  }
  /// Finish: writes the rest; true when every write succeeded.
  bool Finish() {
    Flush();
    FOut.flush();
    return static_cast<bool>(FOut);
  }

 private:
  void Flush() {
    FOut.write(FBuf.data(), static_cast<std::streamsize>(FBuf.size()));
    FBuf.clear();
  }
  static constexpr std::size_t kBlock = 1 << 16;
  std::ofstream& FOut;
  std::string FBuf;
};

/// ParseIndex: a whole decimal number that fits an Integer.
inline bool ParseIndex(std::string_view Word, std::int32_t& Value) noexcept {
  const auto [ptr, ec] = std::from_chars(Word.data(), Word.data() + Word.size(), Value);
  return ec == std::errc() && ptr == Word.data() + Word.size() && !Word.empty();
}

}  // namespace vector_internal

// A vector may grow to HighElem on a load only when it is that large
// already, or when the data can hold a value for each index of the range
// that lands in the vector (the range written by a save of a sub-range)
// and the zeros below the range stay within kMaxZeroGrowth elements more
// than the data holds: a range far beyond the vector's end (LowElem
// 2000000000, say) would otherwise allocate gigabytes for a few values.
template <class T, class D>
bool TVectorBase<T, D>::AdjustedGrowthFits(std::int32_t LowElem, std::int32_t HighElem,
                                           std::int64_t Capacity) const noexcept {
  constexpr std::int64_t kMaxZeroGrowth = std::int64_t{1} << 20;
  if (HighElem <= FNElem) return true;
  const std::int64_t first = std::max<std::int64_t>(LowElem, 1);
  return first <= HighElem && HighElem - first + 1 <= Capacity &&
         static_cast<std::int64_t>(HighElem) - FNElem <= Capacity + kMaxZeroGrowth;
}

// --- ASC column text ------------------------------------------------------------------

template <class T, class D>
std::int32_t TVectorBase<T, D>::DoExportAsASC(const std::string& FName, std::int32_t Precision,
                                              const std::string& Comment) const {
  std::ofstream out(FName, std::ios::binary);
  if (!out) return -1;
  constexpr bool flags[4] = {false, false, false, false};
  WriteASCHeader(out, ASCTitle(Comment, ClassName(), FName), 1, FNElem, flags);
  vector_internal::TLineWriter lines(out);
  for (const T x : FVec) {
    vector_internal::AppendElem(lines.Buffer(), x, 12, Precision);
    lines.EndLine();
  }
  return lines.Finish() ? 0 : -1;
}

template <class T, class D>
std::int32_t TVectorBase<T, D>::ImportASC(const std::string& FName, std::string& Comment) {
  std::ifstream in;
  if (const std::int32_t status = OpenASCFile(FName, in)) {
    Comment.clear();
    return status;
  }
  return ImportASC(in, Comment);
}

template <class T, class D>
std::int32_t TVectorBase<T, D>::ImportASC(std::istream& In, std::string& Comment) {
  TASCColumnReader in(In);
  const std::int32_t status = in.ReadHeader();
  const TASCHeader& header = in.Header();
  Comment = header.Comment;
  if (status != 0) return status;
  if (header.NrColumns != 1) return kASCWrongColumns;
  // The header reader has checked the row count against the stream's size.
  Resize(header.NrRows);
  std::int32_t rowsRead = 0;
  const std::int32_t result = in.ReadRows(
      [this](std::int32_t Row, double Value, bool) {
        T elem{};
        if (!vector_internal::FromReal(Value, elem)) return false;
        SetVal(Row, elem);
        return true;
      },
      rowsRead);
  // A failed row keeps its place: the vector ends at it.
  Resize(result == 0 ? header.NrRows : rowsRead + 1);
  return result;
}

// --- text dump ----------------------------------------------------------------------------

template <class T, class D>
bool TVectorBase<T, D>::DoStoreOnFile(std::int32_t FirstElem, std::int32_t LastElem, std::int32_t Precision,
                                      const std::string& FileName) const {
  if (Precision < -2) Precision = 2;
  if (Precision > 20) Precision = 20;
  const int width = Precision == -2 ? 26 : Precision == -1 ? 13 : 1;
  if (LastElem < FirstElem) std::swap(FirstElem, LastElem);
  MakeValidElemRange(FirstElem, LastElem);
  std::ofstream out(FileName, std::ios::binary);
  if (!out) return false;
  vector_internal::TLineWriter lines(out);
  lines.Buffer() += std::to_string(FirstElem) + ' ' + std::to_string(LastElem);
  lines.EndLine();
  for (std::int32_t i = FirstElem; i <= LastElem; ++i) {
    vector_internal::AppendElem(lines.Buffer(), FVec[static_cast<std::size_t>(i - 1)], width, Precision);
    lines.EndLine();
  }
  return lines.Finish();
}

template <class T, class D>
bool TVectorBase<T, D>::LoadFromFile(const std::string& FileName, bool AdjustVectorSize) {
  std::ifstream file;
  if (OpenASCFile(FileName, file) != 0) return false;
  TWordReader in(file);
  std::string_view word;
  std::int32_t first = 0;
  std::int32_t last = 0;
  if (!in.NextWord(word) || !vector_internal::ParseIndex(word, first)) return false;
  if (!in.NextWord(word) || !vector_internal::ParseIndex(word, last)) return false;
  if (AdjustVectorSize) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(FileName, ec);
    if (ec || !AdjustedGrowthFits(first, last, static_cast<std::int64_t>(size))) return false;
    Resize(last);
  }
  if (last > FNElem) return false;
  // A number that does not read is skipped; the loop ends with the file.
  for (std::int64_t i = first; i <= last && in.NextWord(word); ++i) {
    double value = 0.0;
    T elem{};
    if (ParseReal(word, value) && vector_internal::FromReal(value, elem)) SetVal(static_cast<std::int32_t>(i), elem);
  }
  Changed();
  return true;
}

template <class T, class D>
bool TVectorBase<T, D>::LoadAutoDetect(const std::string& FileName, bool AdjustVectorSize) {
  std::ifstream file;
  if (OpenASCFile(FileName, file) != 0) return false;
  std::int64_t lines = 0;
  {
    TWordReader in(file);
    bool digit = false;
    for (int c = in.Get();; c = in.Get()) {
      if (c < 0 || c == '\n') {
        lines += digit;
        digit = false;
        if (c < 0) break;
      } else if (c >= '0' && c <= '9') {
        digit = true;
      }
    }
  }
  if (AdjustVectorSize && lines >= 1) Resize(static_cast<std::int32_t>(std::min<std::int64_t>(lines, std::numeric_limits<std::int32_t>::max())));
  // The numbers are read from the start again, on the same open file.
  file.clear();
  if (!file.seekg(0)) return false;
  TWordReader in(file);
  std::string_view word;
  for (std::int32_t i = 1; i <= FNElem && in.NextWord(word); ++i) {
    double value = 0.0;
    T elem{};
    if (ParseReal(word, value) && vector_internal::FromReal(value, elem)) SetVal(i, elem);
  }
  Changed();
  return true;
}

// --- binary stream image ------------------------------------------------------------------
//
// Double vectors: both bounds and every value as 10-byte Extended;
// integer vectors: as 32-bit integers.

namespace vector_internal {

template <class T>
inline constexpr std::int64_t ImageElemBytes = std::is_floating_point_v<T> ? 10 : 4;

template <class T>
void WriteImageValue(TStream& Out, T x) {
  if constexpr (std::is_floating_point_v<T>)
    WriteExtendedToStream(Out, x);
  else
    WriteLongintToStream(Out, x);
}

// One value of the image: a Double, or an integer; ReadOK false at the end.
template <class T>
T ReadImageValue(TStream& In, bool& ReadOK) {
  if constexpr (std::is_floating_point_v<T>)
    return static_cast<T>(ReadExtendedFromStream(In, ReadOK));
  else
    return ReadLongintFromStream(In, ReadOK);
}

// A bound of the image: Extended values are rounded and must fit an Integer.
template <class T>
bool ReadImageBound(TStream& In, std::int32_t& Bound) {
  bool ok = false;
  if constexpr (std::is_floating_point_v<T>) {
    const long double x = ReadExtendedFromStream(In, ok);
    if (!ok || !std::isfinite(x)) return false;
    const long double r = RoundEven(x);
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max()) return false;
    Bound = static_cast<std::int32_t>(r);
  } else {
    Bound = ReadLongintFromStream(In, ok);
  }
  return ok;
}

}  // namespace vector_internal

template <class T, class D>
void TVectorBase<T, D>::SaveToStream(TMemoryStream*& OutStream, std::int32_t LowElem, std::int32_t HighElem) const {
  if (!OutStream) OutStream = new TMemoryStream;
  SaveToStream(static_cast<TStream*>(OutStream), LowElem, HighElem);
}

template <class T, class D>
void TVectorBase<T, D>::SaveToStream(TStream* OutStream, std::int32_t LowElem, std::int32_t HighElem) const {
  if (!OutStream) return;
  MakeValidElemRange(LowElem, HighElem);
  vector_internal::WriteImageValue<T>(*OutStream, static_cast<T>(LowElem));
  vector_internal::WriteImageValue<T>(*OutStream, static_cast<T>(HighElem));
  for (std::int32_t i = LowElem; i <= HighElem; ++i)
    vector_internal::WriteImageValue(*OutStream, FVec[static_cast<std::size_t>(i - 1)]);
}

template <class T, class D>
bool TVectorBase<T, D>::LoadFromStream(TStream* InStream, bool AdjustVectorSize) {
  if (!InStream) return false;
  std::int32_t lo = 0;
  std::int32_t hi = 0;
  if (!vector_internal::ReadImageBound<T>(*InStream, lo) || !vector_internal::ReadImageBound<T>(*InStream, hi)) return false;
  if (AdjustVectorSize) {
    const std::int64_t left = InStream->Size() - InStream->Position();
    if (!AdjustedGrowthFits(lo, hi, left / vector_internal::ImageElemBytes<T>)) return false;
    Resize(hi);
  }
  if (hi > FNElem) return false;
  bool result = true;
  for (std::int64_t i = lo; i <= hi; ++i) {
    bool ok = false;
    const T x = vector_internal::ReadImageValue<T>(*InStream, ok);
    if (!ok) {  // the stream is exhausted: every further read fails as well
      result = false;
      break;
    }
    SetVal(static_cast<std::int32_t>(i), x);
  }
  Changed();
  return result;
}

// --- CRC of the data ------------------------------------------------------------------------

template <class T, class D>
std::string TVectorBase<T, D>::CRCofData() const {
  return containers_internal::ByteLaneCRC(std::span<const T>(FVec));
}

}  // namespace kvl
