// TCurveFit: the pairs as ASC column text (two columns, x and y).

#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "kvl/base/KVL_filesys.h"
#include "kvl/base/KVL_stringl.h"
#include "kvl/containers/asc_format.h"
#include "kvl/modelling/curvefit/curvefit.h"
#include "kvl/runtime/streams.h"

namespace kvl {

std::string TCurveFit::ExportAsASC(const std::string& FName, const std::string& Comment,
                                   std::int32_t Precision) const {
  std::ostringstream text;
  constexpr bool flags[3] = {false, true, false};
  WriteASCHeader(text, ASCTitle(Comment, "TCurveFit", FName), 2, FNumData, flags);
  text << "x   y\n";
  const double *x = XData(), *y = YData();
  for (std::int32_t i = 0; i < FNumData; ++i) text << strff(x[i], 1, Precision) << '\t' << strff(y[i], 1, Precision) << '\n';
  try {
    const std::string bytes = text.str();
    TFileStream file(FName, fmCreate);
    file.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  } catch (const std::exception& e) {
    return e.what();
  }
  return {};
}

std::int32_t TCurveFit::ImportASC(const std::string& FName) {
  std::ifstream in;
  if (const std::int32_t status = OpenASCFile(FName, in)) return status;
  return ImportASC(in);
}

std::int32_t TCurveFit::ImportASC(std::istream& in) {
  TASCHeader h;
  // The header reader checks the counts against the bytes a file holds; a
  // pipe's counts are not trusted either: rows are stored as they are read.
  if (const std::int32_t status = ReadHeaderOfASC(in, h.Comment, h.NrColumns, h.NrRows, h.RowAttribs, h.ColNames,
                                                  h.RowNames, h.NomVars))
    return status;
  if (h.NomVars) return kASCWrongColumns;
  if (h.NrColumns != 2)
    RaiseFunc<EKVLMath2Error>("TCurveFit.ImportASC",
                              "number of columns must be 2 (is actually " + std::to_string(h.NrColumns) + ").");
  // The names line: quoted names as the containers write them, or the
  // plain "x   y" of ExportAsASC; read over as one line either way.
  if (h.ColNames) in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  // The rows are read completely before any is stored: a bad row leaves
  // the fitter as it was. Nothing is reserved from the header's count.
  std::vector<double> xs, ys;
  TWordReader words(in);
  for (std::int32_t row = 1; row <= h.NrRows; ++row) {
    double value = 0;
    bool missing = false;
    if (h.RowAttribs && !words.NextValue(value, missing)) return kASCBadRowAttribute;
    if (h.RowNames && !words.SkipQuotedName()) return kASCBadRowAttribute;
    double x = 0, y = 0;
    if (!words.NextValue(x, missing) || !words.NextValue(y, missing)) return kASCBadValue;
    xs.push_back(x);
    ys.push_back(y);
  }
  // The pairs join those already held, like pairs entered one by one.
  for (std::size_t i = 0; i < xs.size(); ++i) AppendPair(xs[i], ys[i]);
  ResetCaches();
  return 0;
}

}  // namespace kvl
