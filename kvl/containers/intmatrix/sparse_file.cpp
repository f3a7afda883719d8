// StoreSparseMat / LoadSparseMat: the sparse list of a TIntMatrix as a
// binary file, all integers 32-bit little-endian:
//   offset  0  8 bytes  "KVLSPMAT"
//           8  4        number of columns
//          12  4        number of rows
//          16  4        growth step (AllocBy, at least 1)
//          20  4        number of entries n (at least 0)
//          24  12 n     the entries: column, row, value; sorted by column,
//                       then row, no pair twice, 1 <= column <= columns,
//                       1 <= row <= rows
// The file is exactly 24 + 12 n bytes long.

#include <algorithm>
#include <bit>
#include <cstring>
#include <fstream>
#include <vector>

#include "kvl/containers/KVL_matrix.h"

namespace kvl {

namespace {

static_assert(std::endian::native == std::endian::little, "the file layout is the in-memory one");

constexpr char kMagic[8] = {'K', 'V', 'L', 'S', 'P', 'M', 'A', 'T'};
constexpr std::size_t kHeaderBytes = 24;

}  // namespace

bool TIntMatrix::StoreSparseMat(const std::string& FileName) const {
  std::vector<TSpMatElemInt> dense;
  std::span<const TSpMatElemInt> entries;
  if (FIsSparse) {
    entries = FSparse.Entries();
  } else {
    GuardAllocation<EKVLMatrixError>(*this, [&] {
      for (std::int32_t c = 1; c <= FNCol; ++c)
        for (std::int32_t r = 1; r <= FNRow; ++r)
          if (const std::int32_t x = FData[Offset(c, r)]; x != 0) dense.push_back({c, r, x});
    });
    entries = dense;
  }
  std::ofstream out(FileName, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  const std::int32_t head[4] = {FNCol, FNRow, FAllocBy, static_cast<std::int32_t>(entries.size())};
  out.write(kMagic, sizeof kMagic);
  out.write(reinterpret_cast<const char*>(head), sizeof head);
  out.write(reinterpret_cast<const char*>(entries.data()), static_cast<std::streamsize>(entries.size_bytes()));
  out.close();
  return static_cast<bool>(out);
}

bool TIntMatrix::LoadSparseMat(const std::string& FileName) {
  std::ifstream in(FileName, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const auto fileSize = static_cast<std::uint64_t>(in.tellg());
  if (fileSize < kHeaderBytes) return false;
  in.seekg(0);
  char magic[8];
  std::int32_t head[4];
  in.read(magic, sizeof magic);
  in.read(reinterpret_cast<char*>(head), sizeof head);
  if (!in || std::memcmp(magic, kMagic, sizeof kMagic) != 0) return false;
  const std::int32_t nc = head[0], nr = head[1], allocBy = head[2], n = head[3];
  // The counts must agree with the file itself before anything is allocated.
  if (nc < 0 || nr < 0 || allocBy < 1 || n < 0 || fileSize != kHeaderBytes + 12 * static_cast<std::uint64_t>(n))
    return false;
  if (n > 0 && (nc < 1 || nr < 1)) return false;
  // The store reserves one growth step at once: a step far beyond the
  // entries (2^31, say) would reserve gigabytes for an empty file.
  constexpr std::int64_t kMaxSpareEntries = std::int64_t{1} << 20;
  if (allocBy > std::max<std::int64_t>(n, kMaxSpareEntries)) return false;
  std::vector<TSpMatElemInt> list;
  GuardAllocation<EKVLMatrixError>(*this, [&] { list.resize(static_cast<std::size_t>(n)); });
  in.read(reinterpret_cast<char*>(list.data()), static_cast<std::streamsize>(12 * static_cast<std::size_t>(n)));
  if (!in) return false;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const TSpMatElemInt& e = list[i];
    if (e.colidx < 1 || e.colidx > nc || e.rowidx < 1 || e.rowidx > nr) return false;
    if (i > 0 && !intmatrix_internal::PairBefore(list[i - 1].colidx, list[i - 1].rowidx, e.colidx, e.rowidx))
      return false;
  }
  // Valid: the matrix becomes this sparse store.
  BecomeSparse(allocBy);
  GrowCapacity(list.size());
  FSparse.Replace(std::move(list));
  RebuildBox();
  FNCol = nc;
  FNRow = nr;
  Changed();
  Resized();
  return true;
}

}  // namespace kvl
