// Binary array files (SaveBinaryArray, LoadBinaryArray, ReadBinaryArrayHeader).
//
// Layout, version 1, all numbers little-endian:
//   offset  size  content
//        0     8  "KVLARRAY"
//        8     2  version, 1
//       10     1  cell format: 1 Integer (32-bit two's complement),
//                 2 Double (IEEE-754 binary64)
//       11     1  number of dimensions, 2 to 4
//       12    16  four extents (32-bit), the unused ones 0, the used ones >= 1
//       28     4  length L of the identification text in bytes
//       32     L  the identification text (UTF-8, as given)
//   32 + L        the cells, 4 or 8 bytes each, the last index varying fastest
// The file ends with the last cell: a reader demands exactly that size.

#include <cstring>
#include <limits>

#include "kvl/arrays/array_images.h"
#include "kvl/arrays/images/internal/array_files.h"
#include "kvl/runtime/rounding.h"

namespace kvl {

namespace {

using namespace images_internal;

constexpr char kMagic[8] = {'K', 'V', 'L', 'A', 'R', 'R', 'A', 'Y'};
constexpr std::uint16_t kVersion = 1;
constexpr std::size_t kHeaderSize = 32;
constexpr std::uint8_t kCellInteger = 1, kCellDouble = 2;

void PutLE(std::string& Out, std::uint64_t Value, int Bytes) {
  for (int i = 0; i < Bytes; ++i) Out += static_cast<char>(static_cast<std::uint8_t>(Value >> (8 * i)));
}

std::uint64_t GetLE(const char* p, int Bytes) {
  std::uint64_t v = 0;
  for (int i = Bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(p[i]);
  return v;
}

struct THeader {
  std::uint8_t Cell = 0;
  std::int32_t Rank = 0;
  std::array<std::int64_t, 4> Ext{};
  std::string Ident;
  std::size_t CellsAt = 0;  // offset of the first cell
  std::int64_t Count = 0;   // number of cells
};

// Reads and checks the header of Bytes (the whole file or, for the header
// alone, its first bytes with FileSize the full size).
std::int32_t ParseHeader(const std::string& Bytes, std::uint64_t FileSize, THeader& H) {
  if (Bytes.size() < kHeaderSize || std::memcmp(Bytes.data(), kMagic, 8) != 0) return kFileNotOurs;
  if (GetLE(Bytes.data() + 8, 2) != kVersion) return kFileNotOurs;
  H.Cell = static_cast<std::uint8_t>(Bytes[10]);
  H.Rank = static_cast<std::uint8_t>(Bytes[11]);
  if ((H.Cell != kCellInteger && H.Cell != kCellDouble) || H.Rank < 2 || H.Rank > 4) return kFileCorrupt;
  for (int d = 0; d < 4; ++d) {
    H.Ext[d] = static_cast<std::int32_t>(static_cast<std::uint32_t>(GetLE(Bytes.data() + 12 + 4 * d, 4)));
    if (d < H.Rank ? H.Ext[d] < 1 : H.Ext[d] != 0) return kFileCorrupt;
  }
  const std::uint64_t len = GetLE(Bytes.data() + 28, 4);
  if (len > FileSize - kHeaderSize || len > Bytes.size() - kHeaderSize) return kFileCorrupt;
  H.Ident.assign(Bytes.data() + kHeaderSize, static_cast<std::size_t>(len));
  H.CellsAt = kHeaderSize + static_cast<std::size_t>(len);
  const std::uint64_t cellSize = H.Cell == kCellInteger ? 4 : 8;
  const std::uint64_t room = FileSize - H.CellsAt;
  std::array<std::int64_t, 4> used{1, 1, 1, 1};
  for (int d = 0; d < H.Rank; ++d) used[d] = H.Ext[d];
  H.Count = CellCount(used, static_cast<std::int64_t>(room / cellSize));
  if (H.Count < 0 || static_cast<std::uint64_t>(H.Count) * cellSize != room) return kFileCorrupt;
  return kFileOK;
}

template <class A>
std::int32_t Save(const std::string& FileName, const A& Data, const std::string& Ident) {
  constexpr int N = detail::Rank<A>;
  using T = detail::Elem<A>;
  const auto ext = detail::ExtentsOf(Data);
  if (detail::IsEmpty(ext) || !IsRectangular(Data)) return kFileNotOurs;
  for (auto e : ext)
    if (e > std::numeric_limits<std::int32_t>::max()) return kFileNotOurs;
  if (Ident.size() > std::numeric_limits<std::uint32_t>::max()) return kFileNotOurs;
  const std::vector<T> cells = CellsOf(Data);
  std::string out(kMagic, 8);
  PutLE(out, kVersion, 2);
  out += static_cast<char>(std::is_same_v<T, double> ? kCellDouble : kCellInteger);
  out += static_cast<char>(N);
  for (int d = 0; d < 4; ++d) PutLE(out, d < N ? static_cast<std::uint64_t>(ext[d]) : 0, 4);
  PutLE(out, Ident.size(), 4);
  out += Ident;
  out.reserve(out.size() + cells.size() * sizeof(T));
  for (T v : cells) {
    if constexpr (std::is_same_v<T, double>) {
      std::uint64_t bits = 0;
      std::memcpy(&bits, &v, 8);
      PutLE(out, bits, 8);
    } else {
      PutLE(out, static_cast<std::uint32_t>(v), 4);
    }
  }
  return WriteWholeFile(FileName, out) ? kFileOK : kFileCannotOpen;
}

template <class A>
std::int32_t Load(const std::string& FileName, A& Data, std::string& Ident, bool Convert) {
  constexpr int N = detail::Rank<A>;
  using T = detail::Elem<A>;
  Data.clear();
  Ident.clear();
  std::string bytes;
  if (!ReadWholeFile(FileName, bytes)) return kFileCannotOpen;
  THeader h;
  if (const std::int32_t status = ParseHeader(bytes, bytes.size(), h); status != kFileOK) return status;
  const bool isDouble = h.Cell == kCellDouble;
  if (h.Rank != N || (isDouble != std::is_same_v<T, double> && !Convert)) return kFileOtherKind;
  std::vector<T> cells(static_cast<std::size_t>(h.Count));
  const char* p = bytes.data() + h.CellsAt;
  for (std::size_t k = 0; k < cells.size(); ++k) {
    if (isDouble) {
      const std::uint64_t bits = GetLE(p + 8 * k, 8);
      double v = 0;
      std::memcpy(&v, &bits, 8);
      if constexpr (std::is_same_v<T, double>)
        cells[k] = v;
      else
        cells[k] = detail::ConvertElem<std::int32_t>(v);
    } else {
      cells[k] = static_cast<T>(static_cast<std::int32_t>(static_cast<std::uint32_t>(GetLE(p + 4 * k, 4))));
    }
  }
  detail::Index<N> ext{};
  for (int d = 0; d < N; ++d) ext[d] = h.Ext[d];
  FillFromCells(Data, ext, cells, [](T v) { return v; });
  Ident = std::move(h.Ident);
  return kFileOK;
}

}  // namespace

std::int32_t SaveBinaryArray(const std::string& FileName, const TInt2DArray& Data, const std::string& Ident) {
  return Save(FileName, Data, Ident);
}
std::int32_t SaveBinaryArray(const std::string& FileName, const TDouble2DArray& Data, const std::string& Ident) {
  return Save(FileName, Data, Ident);
}
std::int32_t SaveBinaryArray(const std::string& FileName, const TDouble3DArray& Data, const std::string& Ident) {
  return Save(FileName, Data, Ident);
}
std::int32_t SaveBinaryArray(const std::string& FileName, const TDouble4DArray& Data, const std::string& Ident) {
  return Save(FileName, Data, Ident);
}

std::int32_t LoadBinaryArray(const std::string& FileName, TInt2DArray& Data, std::string& Ident, bool Convert) {
  return Load(FileName, Data, Ident, Convert);
}
std::int32_t LoadBinaryArray(const std::string& FileName, TDouble2DArray& Data, std::string& Ident, bool Convert) {
  return Load(FileName, Data, Ident, Convert);
}
std::int32_t LoadBinaryArray(const std::string& FileName, TDouble3DArray& Data, std::string& Ident, bool Convert) {
  return Load(FileName, Data, Ident, Convert);
}
std::int32_t LoadBinaryArray(const std::string& FileName, TDouble4DArray& Data, std::string& Ident, bool Convert) {
  return Load(FileName, Data, Ident, Convert);
}

std::int32_t ReadBinaryArrayHeader(const std::string& FileName, std::int32_t& N1, std::int32_t& N2,
                                   std::int32_t& N3, std::int32_t& N4, std::string& Ident,
                                   TArrayCellFormat& CellFormat) {
  N1 = N2 = N3 = N4 = 0;
  Ident.clear();
  CellFormat = TArrayCellFormat::acfInteger;
  std::ifstream in;
  const std::streamoff size = OpenSized(FileName, in);
  if (size < 0) return kFileCannotOpen;
  // The header and the identification text, never more than the file holds.
  std::string head(static_cast<std::size_t>(std::min<std::streamoff>(size, kHeaderSize)), '\0');
  if (!in.read(head.data(), static_cast<std::streamsize>(head.size()))) return kFileCannotOpen;
  if (head.size() == kHeaderSize) {
    const std::uint64_t len = GetLE(head.data() + 28, 4);
    if (len <= static_cast<std::uint64_t>(size) - kHeaderSize) {
      head.resize(kHeaderSize + static_cast<std::size_t>(len));
      if (!in.read(head.data() + kHeaderSize, static_cast<std::streamsize>(len))) return kFileCannotOpen;
    }
  }
  THeader h;
  if (const std::int32_t status = ParseHeader(head, static_cast<std::uint64_t>(size), h); status != kFileOK)
    return status;
  N1 = static_cast<std::int32_t>(h.Ext[0]);
  N2 = static_cast<std::int32_t>(h.Ext[1]);
  N3 = static_cast<std::int32_t>(h.Ext[2]);
  N4 = static_cast<std::int32_t>(h.Ext[3]);
  Ident = std::move(h.Ident);
  CellFormat = h.Cell == kCellDouble ? TArrayCellFormat::acfDouble : TArrayCellFormat::acfInteger;
  return kFileOK;
}

}  // namespace kvl
