// TDataTable: splitting a table into parts (columns, rows, or test and
// training sets) written to separate files.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "kvl/base/KVL_stringl.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/table_internal.h"
#include "kvl/runtime/randgen.h"

namespace kvl {

using namespace datatable_internal;

namespace {

std::size_t Ix(std::int32_t Number) noexcept { return static_cast<std::size_t>(Number - 1); }

// PartSizes: N items in K parts as equal as possible, the larger ones first.
std::vector<std::int32_t> PartSizes(std::int32_t N, std::int32_t K) {
  std::vector<std::int32_t> sizes(static_cast<std::size_t>(K), N / K);
  for (std::int32_t p = 0; p < N % K; ++p) ++sizes[static_cast<std::size_t>(p)];
  return sizes;
}

// ExtensionAt: where the extension of a file name starts (its length when
// it has none; a leading dot starts no extension).
std::size_t ExtensionAt(const std::string& FName) {
  const std::size_t slash = FName.rfind('/');
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = FName.rfind('.');
  return (dot == std::string::npos || dot <= base) ? FName.size() : dot;
}

// PartName: FNameTemplate with Tag inserted before its extension
// ("out/data.xml", "_2" -> "out/data_2.xml").
std::string PartName(const std::string& FNameTemplate, const std::string& Tag) {
  std::string name = FNameTemplate;
  name.insert(ExtensionAt(FNameTemplate), Tag);
  return name;
}

}  // namespace

std::int32_t TDataTable::PrepareSplitCounts(TDataSetSplitMode SplitMode, std::int32_t SplitSize,
                                            bool CreateAllPairs, TIntArray& DataCnts) const {
  const std::int32_t n = SplitMode == TDataSetSplitMode::splitColumns ? FNrOfCols : FNrOfRows;
  if (SplitSize < 2 || SplitSize > n) return -1;
  const std::vector<std::int32_t> sizes = PartSizes(n, SplitSize);
  DataCnts.clear();
  if (SplitMode != TDataSetSplitMode::splitTstTrn) {
    DataCnts = sizes;
  } else {
    const std::int32_t pairs = CreateAllPairs ? SplitSize : 1;
    for (std::int32_t p = 0; p < pairs; ++p) {
      DataCnts.push_back(sizes[static_cast<std::size_t>(p)]);
      DataCnts.push_back(n - sizes[static_cast<std::size_t>(p)]);
    }
  }
  return static_cast<std::int32_t>(DataCnts.size());
}

std::int32_t TDataTable::SplitDataSet(TDataSetSplitMode SplitMode, TDataSelMode SelMode, std::int32_t SplitSize,
                                      bool CreateAllPairs, const std::string& FNameTemplate, bool AllowOverWrite,
                                      TStrArray& FileNames) {
  FileNames.clear();
  TIntArray counts;
  if (PrepareSplitCounts(SplitMode, SplitSize, CreateAllPairs, counts) < 0) return -1;
  const bool byColumns = SplitMode == TDataSetSplitMode::splitColumns;
  const std::int32_t n = byColumns ? FNrOfCols : FNrOfRows;
  const std::vector<std::int32_t> sizes = PartSizes(n, SplitSize);

  // part[i]: the part (0-based) that line i + 1 belongs to
  std::vector<std::int32_t> part(static_cast<std::size_t>(n));
  std::vector<std::int32_t> order(static_cast<std::size_t>(n));
  std::iota(order.begin(), order.end(), 0);
  if (SelMode == TDataSelMode::selmRandSel)
    for (std::int32_t i = n - 1; i > 0; --i) std::swap(order[static_cast<std::size_t>(i)],
                                                       order[static_cast<std::size_t>(Random(i + 1))]);
  if (SelMode == TDataSelMode::selmInterleave) {
    for (std::int32_t i = 0; i < n; ++i) part[static_cast<std::size_t>(i)] = i % SplitSize;
  } else {
    std::size_t i = 0;
    for (std::int32_t p = 0; p < SplitSize; ++p)
      for (std::int32_t k = 0; k < sizes[static_cast<std::size_t>(p)]; ++k)
        part[static_cast<std::size_t>(order[i++])] = p;
  }

  // The files: parts, or (test, training) pairs; all names are checked first.
  struct TPiece {
    std::string Name;
    std::int32_t Part;
    bool Test;
  };
  std::vector<TPiece> pieces;
  auto tag = [](std::string_view Prefix, std::int32_t Nr) {
    std::string s(Prefix);
    s += std::to_string(Nr);
    return s;
  };
  if (SplitMode != TDataSetSplitMode::splitTstTrn) {
    for (std::int32_t p = 0; p < SplitSize; ++p)
      pieces.push_back({PartName(FNameTemplate, tag("_", p + 1)), p, true});
  } else {
    const std::int32_t pairs = CreateAllPairs ? SplitSize : 1;
    for (std::int32_t p = 0; p < pairs; ++p) {
      pieces.push_back({PartName(FNameTemplate, tag("_tst", p + 1)), p, true});
      pieces.push_back({PartName(FNameTemplate, tag("_trn", p + 1)), p, false});
    }
  }
  if (!AllowOverWrite)
    for (const TPiece& pc : pieces) {
      std::error_code ec;
      if (std::filesystem::exists(pc.Name, ec)) return -2;
    }

  std::string ext = FNameTemplate.substr(ExtensionAt(FNameTemplate));
  std::ranges::transform(ext, ext.begin(), FoldASCII);
  for (const TPiece& pc : pieces) {
    std::vector<std::int32_t> lines;  // 1-based, in their order
    for (std::int32_t i = 0; i < n; ++i)
      if ((part[static_cast<std::size_t>(i)] == pc.Part) == pc.Test) lines.push_back(i + 1);
    TDataTable t(nullptr);
    const auto m = static_cast<std::int32_t>(lines.size());
    t.Resize(byColumns ? m : FNrOfCols, byColumns ? FNrOfRows : m);
    t.FComment = FComment;
    const TColumns<double> src = Cells();
    const TColumns<double> dst = t.Cells();
    if (byColumns) {
      t.FRowName = FRowName;
      t.FRowAtt = FRowAtt;
      for (std::int32_t d = 1; d <= m; ++d) {
        const std::int32_t s = lines[Ix(d)];
        t.FColName[Ix(d)] = FColName[Ix(s)];
        t.FColAtt[Ix(d)] = FColAtt[Ix(s)];
        t.FVType[Ix(d)] = FVType[Ix(s)];
        std::ranges::copy(src.Column(Ix(s)), dst.Column(Ix(d)).begin());
        std::copy_n(&FCState[StOff(s, 1)], FNrOfRows, &t.FCState[t.StOff(d, 1)]);
      }
    } else {
      t.FColName = FColName;
      t.FColAtt = FColAtt;
      t.FVType = FVType;
      for (std::int32_t d = 1; d <= m; ++d) {
        const std::int32_t s = lines[Ix(d)];
        t.FRowName[Ix(d)] = FRowName[Ix(s)];
        t.FRowAtt[Ix(d)] = FRowAtt[Ix(s)];
        for (std::int32_t c = 1; c <= FNrOfCols; ++c) {
          dst.At(c, d) = src.At(c, s);
          t.FCState[t.StOff(c, d)] = FCState[StOff(c, s)];
        }
      }
    }
    bool ok;
    if (ext == ".csv")
      ok = t.ExportAsCSV(pc.Name, 17, TCSVDelimiters::csvComma, true, true).empty();
    else if (ext == ".asc")
      ok = t.ExportAsASC(pc.Name, 17).empty();
    else
      ok = t.SaveAsXMLFile(pc.Name, 17, "");
    if (!ok) return -3;
    FileNames.push_back(pc.Name);
  }
  return static_cast<std::int32_t>(FileNames.size());
}

}  // namespace kvl
