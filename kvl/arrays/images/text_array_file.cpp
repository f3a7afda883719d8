// Array text files (StoreArray, LoadArray).
//
// Layout, version 1 (lines end with a line feed):
//   KVL array text 1
//   element double            (or: element integer)
//   dimensions N              (1 to 4)
//   extents E1 ... EN
//   comment TEXT              (backslash, line feed, carriage return written
//                              as \\, \n and \r)
//   the cells: a 1-D array one value a line; a 2-D array one line per row
//   (inner index), the columns (outer index) separated by blanks; a 3-D
//   (4-D) array as 2-D slices over its first (two) indices, each slice
//   optionally headed by a line "slice i" ("slice i j").
// Doubles are written in the shortest form that reads back to the same bits
// ("nan", "inf", "-inf" for the special values).

#include <charconv>
#include <cstdio>
#include <string_view>

#include "kvl/arrays/array_images.h"
#include "kvl/arrays/images/internal/array_files.h"

namespace kvl {

namespace images_internal {

bool WriteWholeFile(const std::string& FileName, const std::string& Bytes) {
  {
    std::ofstream out(FileName, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    if (out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size())) && out.flush()) return true;
  }
  std::remove(FileName.c_str());
  return false;
}

}  // namespace images_internal

namespace {

using namespace images_internal;

constexpr std::string_view kMagic = "KVL array text 1";

std::string Escape(const std::string& Text) {
  std::string out;
  for (char c : Text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

bool Unescape(std::string_view Text, std::string& Out) {
  Out.clear();
  for (std::size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != '\\') {
      Out += Text[i];
      continue;
    }
    if (++i == Text.size()) return false;
    switch (Text[i]) {
      case '\\':
        Out += '\\';
        break;
      case 'n':
        Out += '\n';
        break;
      case 'r':
        Out += '\r';
        break;
      default:
        return false;
    }
  }
  return true;
}

template <class T>
void AppendValue(std::string& Out, T v) {
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  Out.append(buf, res.ptr);
}

template <class A>
std::int32_t Store(const std::string& FileName, const A& Data, bool SliceHeadings, const std::string& Comment) {
  constexpr int N = detail::Rank<A>;
  using T = detail::Elem<A>;
  if (!IsRectangular(Data)) return kFileNotOurs;
  const auto ext = detail::ExtentsOf(Data);
  std::string out(kMagic);
  out += std::is_same_v<T, double> ? "\nelement double\ndimensions " : "\nelement integer\ndimensions ";
  AppendValue(out, N);
  out += "\nextents";
  for (auto e : ext) {
    out += ' ';
    AppendValue(out, e);
  }
  out += "\ncomment ";
  out += Escape(Comment);
  out += '\n';
  // A slice is the 2-D array at a fixed value of the indices before the last
  // two; rows are lines.
  const auto writeSlice = [&out](const auto& slice) {
    const std::size_t rows = slice.empty() ? 0 : slice[0].size();
    for (std::size_t r = 0; r < rows; ++r) {
      for (std::size_t c = 0; c < slice.size(); ++c) {
        if (c) out += ' ';
        AppendValue(out, slice[c][r]);
      }
      out += '\n';
    }
  };
  if constexpr (N == 1) {
    for (T v : Data) {
      AppendValue(out, v);
      out += '\n';
    }
  } else if constexpr (N == 2) {
    writeSlice(Data);
  } else if constexpr (N == 3) {
    for (std::size_t i = 0; i < Data.size(); ++i) {
      if (SliceHeadings) out += "slice " + std::to_string(i) + '\n';
      writeSlice(Data[i]);
    }
  } else {
    for (std::size_t i = 0; i < Data.size(); ++i)
      for (std::size_t j = 0; j < Data[i].size(); ++j) {
        if (SliceHeadings) out += "slice " + std::to_string(i) + ' ' + std::to_string(j) + '\n';
        writeSlice(Data[i][j]);
      }
  }
  return WriteWholeFile(FileName, out) ? kFileOK : kFileCannotOpen;
}

// Splits the next line off Text (without its line feed); false at the end.
bool NextLine(std::string_view& Text, std::string_view& Line) {
  if (Text.empty()) return false;
  const auto nl = Text.find('\n');
  Line = Text.substr(0, nl);
  Text.remove_prefix(nl == std::string_view::npos ? Text.size() : nl + 1);
  if (Line.ends_with('\r')) Line.remove_suffix(1);  // a file edited elsewhere
  return true;
}

bool TakePrefix(std::string_view& Line, std::string_view Prefix) {
  if (Line.substr(0, Prefix.size()) != Prefix) return false;
  Line.remove_prefix(Prefix.size());
  return true;
}

template <class T>
bool ParseValue(std::string_view Token, T& v) {
  const auto res = std::from_chars(Token.data(), Token.data() + Token.size(), v);
  return res.ec == std::errc() && res.ptr == Token.data() + Token.size();
}

template <class A>
std::int32_t Load(const std::string& FileName, A& Data, std::string& Comment) {
  constexpr int N = detail::Rank<A>;
  using T = detail::Elem<A>;
  Data.clear();
  Comment.clear();
  std::string bytes;
  if (!ReadWholeFile(FileName, bytes)) return kFileCannotOpen;
  std::string_view text(bytes), line;
  if (!NextLine(text, line) || line != kMagic) return kFileNotOurs;
  std::string_view element, dims, extents, comment;
  if (!NextLine(text, element) || !TakePrefix(element, "element ") || !NextLine(text, dims) ||
      !TakePrefix(dims, "dimensions ") || !NextLine(text, extents) || !TakePrefix(extents, "extents") ||
      !NextLine(text, comment) || !TakePrefix(comment, "comment "))
    return kFileCorrupt;
  if (element != "double" && element != "integer") return kFileCorrupt;
  std::int32_t rank = 0;
  if (!ParseValue(dims, rank) || rank < 1 || rank > 4) return kFileCorrupt;
  if (rank != N || element != (std::is_same_v<T, double> ? "double" : "integer")) return kFileOtherKind;
  detail::Index<N> ext{};
  for (int d = 0; d < N; ++d) {
    if (!TakePrefix(extents, " ")) return kFileCorrupt;
    const auto end = extents.find(' ');
    std::int32_t e = 0;
    if (!ParseValue(extents.substr(0, end), e) || e < 0) return kFileCorrupt;
    ext[d] = e;
    extents.remove_prefix(end == std::string_view::npos ? extents.size() : end);
  }
  if (!extents.empty()) return kFileCorrupt;
  std::string comm;
  if (!Unescape(comment, comm)) return kFileCorrupt;
  // Every cell takes at least two bytes (a digit and a separator), so a
  // count beyond that is a false claim and nothing is allocated for it.
  const std::int64_t n = CellCount(ext, static_cast<std::int64_t>(text.size() / 2 + 1));
  if (n < 0) return kFileCorrupt;
  std::vector<T> cells(static_cast<std::size_t>(n));
  std::size_t k = 0;
  while (NextLine(text, line)) {
    if (line.starts_with("slice")) continue;
    while (!line.empty()) {
      const auto end = line.find(' ');
      if (end == 0 || k == cells.size() || !ParseValue(line.substr(0, end), cells[k])) return kFileCorrupt;
      ++k;
      line.remove_prefix(end == std::string_view::npos ? line.size() : end + 1);
    }
  }
  if (k != cells.size()) return kFileCorrupt;
  // The file holds each slice row by row (the outer index fastest within a
  // row); reorder into the last-index-fastest order of the cells.
  if constexpr (N >= 2) {
    const auto cols = static_cast<std::size_t>(ext[N - 2]), rows = static_cast<std::size_t>(ext[N - 1]);
    const std::size_t per = cols * rows;
    std::vector<T> ordered(cells.size());
    for (std::size_t s = 0; per && s < cells.size() / per; ++s)
      for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < cols; ++c) ordered[s * per + c * rows + r] = cells[s * per + r * cols + c];
    cells.swap(ordered);
  }
  FillFromCells(Data, ext, cells, [](T v) { return v; });
  Comment = std::move(comm);
  return kFileOK;
}

}  // namespace

std::int32_t StoreArray(const std::string& FileName, const TDoubleArray& Data, const std::string& Comment) {
  return Store(FileName, Data, false, Comment);
}
std::int32_t StoreArray(const std::string& FileName, const TDouble2DArray& Data, const std::string& Comment) {
  return Store(FileName, Data, false, Comment);
}
std::int32_t StoreArray(const std::string& FileName, const TDouble3DArray& Data, bool SliceHeadings,
                        const std::string& Comment) {
  return Store(FileName, Data, SliceHeadings, Comment);
}
std::int32_t StoreArray(const std::string& FileName, const TDouble4DArray& Data, bool SliceHeadings,
                        const std::string& Comment) {
  return Store(FileName, Data, SliceHeadings, Comment);
}
std::int32_t StoreArray(const std::string& FileName, const TIntArray& Data, const std::string& Comment) {
  return Store(FileName, Data, false, Comment);
}
std::int32_t StoreArray(const std::string& FileName, const TInt2DArray& Data, const std::string& Comment) {
  return Store(FileName, Data, false, Comment);
}
std::int32_t StoreArray(const std::string& FileName, const TInt3DArray& Data, bool SliceHeadings,
                        const std::string& Comment) {
  return Store(FileName, Data, SliceHeadings, Comment);
}
std::int32_t StoreArray(const std::string& FileName, const TInt4DArray& Data, bool SliceHeadings,
                        const std::string& Comment) {
  return Store(FileName, Data, SliceHeadings, Comment);
}

std::int32_t LoadArray(const std::string& FileName, TDoubleArray& Data, std::string& Comment) {
  return Load(FileName, Data, Comment);
}
std::int32_t LoadArray(const std::string& FileName, TDouble2DArray& Data, std::string& Comment) {
  return Load(FileName, Data, Comment);
}
std::int32_t LoadArray(const std::string& FileName, TDouble3DArray& Data, std::string& Comment) {
  return Load(FileName, Data, Comment);
}
std::int32_t LoadArray(const std::string& FileName, TDouble4DArray& Data, std::string& Comment) {
  return Load(FileName, Data, Comment);
}
std::int32_t LoadArray(const std::string& FileName, TIntArray& Data, std::string& Comment) {
  return Load(FileName, Data, Comment);
}
std::int32_t LoadArray(const std::string& FileName, TInt2DArray& Data, std::string& Comment) {
  return Load(FileName, Data, Comment);
}
std::int32_t LoadArray(const std::string& FileName, TInt3DArray& Data, std::string& Comment) {
  return Load(FileName, Data, Comment);
}
std::int32_t LoadArray(const std::string& FileName, TInt4DArray& Data, std::string& Comment) {
  return Load(FileName, Data, Comment);
}

}  // namespace kvl
