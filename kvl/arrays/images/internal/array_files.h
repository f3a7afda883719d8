#pragma once
// What the text and the binary array files share: the cells of a nested
// array in file order (last index fastest), rebuilding an array from such
// cells, reading a whole file, and the status codes.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kvl/arrays/array_core.h"
#include "kvl/arrays/images/internal/raster_checks.h"

namespace kvl::images_internal {

inline constexpr std::int32_t kFileOK = 0;
inline constexpr std::int32_t kFileCannotOpen = -1;
inline constexpr std::int32_t kFileNotOurs = -2;  // writers: a ragged array
inline constexpr std::int32_t kFileOtherKind = -3;
inline constexpr std::int32_t kFileCorrupt = -4;

/// CellsOf: the cells of a rectangular array, the last index varying fastest.
template <class A>
std::vector<detail::Elem<A>> CellsOf(const A& a) {
  std::vector<detail::Elem<A>> cells;
  const auto ext = detail::ExtentsOf(a);
  if (detail::IsEmpty(ext)) return cells;
  std::size_t n = 1;
  for (auto e : ext) n *= static_cast<std::size_t>(e);
  cells.reserve(n);
  detail::ForEachElem(a, [&cells](const auto& v) { cells.push_back(v); });
  return cells;
}

/// FillFromCells: sizes a to Ext and fills it from Cells (in CellsOf order,
/// one per cell) through Convert.
template <class A, class T, class F>
void FillFromCells(A& a, const detail::Index<detail::Rank<A>>& Ext, const std::vector<T>& Cells, F Convert) {
  a.clear();
  detail::ResizeTo(a, Ext);
  std::size_t k = 0;
  detail::ForEachElem(a, [&](auto& v) { v = Convert(Cells[k++]); });
}

/// kMaxEmptySubarrays: how many empty sub-arrays a file may ask for beyond
/// its size (an array of 3 empty columns has extents 3 0 and no cells).
inline constexpr std::int64_t kMaxEmptySubarrays = 65536;

/// CellCount: the product of the extents, or -1 when an extent is negative,
/// the product exceeds Limit, or the sub-arrays above an empty dimension
/// exceed Limit + kMaxEmptySubarrays (what a reader must not allocate).
template <std::size_t N>
std::int64_t CellCount(const std::array<std::int64_t, N>& Ext, std::int64_t Limit) {
  for (auto e : Ext)
    if (e < 0) return -1;
  std::int64_t n = 1;
  for (auto e : Ext) {
    if (e == 0) return n <= Limit + kMaxEmptySubarrays ? 0 : -1;
    if (n > (Limit + kMaxEmptySubarrays) / e) return -1;
    n *= e;
  }
  return n <= Limit ? n : -1;
}

/// OpenSized: opens FileName, a regular file, for reading from its start;
/// its size, or -1 when it is no regular file or cannot be opened or sized
/// (a directory would report a size it does not hold).
inline std::streamoff OpenSized(const std::string& FileName, std::ifstream& In) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(FileName, ec)) return -1;
  In.open(FileName, std::ios::binary);
  if (!In) return -1;
  In.seekg(0, std::ios::end);
  const std::streamoff size = In.tellg();
  In.seekg(0, std::ios::beg);
  return In ? size : -1;
}

/// ReadWholeFile: the bytes of a file; false when it cannot be opened or read.
inline bool ReadWholeFile(const std::string& FileName, std::string& Bytes) {
  std::ifstream in;
  const std::streamoff size = OpenSized(FileName, in);
  if (size < 0) return false;
  Bytes.resize(static_cast<std::size_t>(size));
  return static_cast<bool>(in.read(Bytes.data(), size)) || size == 0;
}

/// WriteWholeFile: writes Bytes as the file; false when that fails (a
/// partly written file is removed).
bool WriteWholeFile(const std::string& FileName, const std::string& Bytes);

}  // namespace kvl::images_internal
