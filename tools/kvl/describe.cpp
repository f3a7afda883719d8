#include "describe.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <vector>

#include "args.h"
#include "input.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/asc_format.h"
#include "kvl/core/KVL_math1.h"

namespace kvl::tool {

namespace {

constexpr int kLabelWidth = 20;
constexpr int kBarWidth = 40;
constexpr int kTargetBins = 10;

std::string Num(double x) { return FormatNumber(x, 7); }

void Line(std::ostream& Out, const std::string& Label, const std::string& Value) {
  PrintField(Out, Label, Value, static_cast<std::size_t>(kLabelWidth));
}

// The text histogram: about ten bins of a 1-2-5 width covering the data.
void PrintHistogram(std::ostream& Out, const TVector& v, double Min, double Max) {
  double width = RoundPos125((Max - Min) / kTargetBins);
  if (!(width > 0)) width = Min != 0 ? RoundPos125(std::fabs(Min) / kTargetBins) : 1.0;
  double first = std::floor(Min / width) * width;
  double last = std::floor(Max / width) * width;
  while (first > Min) first -= width;
  while (Max >= last + width * (1 - 1e-6)) last += width;
  // Decimal data often lies exactly on a bin edge, which binary arithmetic
  // may put a hair below it: the edges are shifted down by a millionth of a
  // bin so that such a value lands in the bin it starts.
  const double shift = width * 1e-6;
  TIntArray bins;
  std::int32_t under = 0, over = 0, maxCnt = 0;
  if (!v.Histogram(1, v.NrOfElem(), first - shift, last - shift, width, bins, under, over, maxCnt)) return;
  const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(width) + 1e-9)));
  Out << "\nhistogram (bin width " << Num(width) << ")\n";
  for (std::size_t k = 0; k < bins.size(); ++k) {
    char label[96];
    std::snprintf(label, sizeof label, "  [%.*f, %.*f)", decimals, first + static_cast<double>(k) * width,
                  decimals, first + static_cast<double>(k + 1) * width);
    const int bar =
        maxCnt > 0 ? static_cast<int>(std::lround(static_cast<double>(bins[k]) * kBarWidth / maxCnt)) : 0;
    char count[24];
    std::snprintf(count, sizeof count, "%7d  ", bins[k]);
    Out << label << count << std::string(static_cast<std::size_t>(bar), '#') << '\n';
  }
  if (under + over > 0) Out << "  outside the bins: " << under + over << '\n';
}

void PrintReport(std::ostream& Out, const std::string& FName, const std::string& Title, const TVector& v,
                 std::int32_t Missing) {
  const std::int32_t n = v.NrOfElem();
  Line(Out, "file", FName);
  Line(Out, "title", Title);
  Line(Out, "values", std::to_string(n));
  if (Missing > 0) Line(Out, "missing", std::to_string(Missing) + " (NAN or ###, left out)");
  double mean = 0, variance = 0;
  v.MeanVar(0, 0, mean, variance);
  if (n == 2) variance = std::pow(v.GetVal(1) - v.GetVal(2), 2) / 2;  // MeanVar reports 1.0 below 3 values
  Out << '\n';
  Line(Out, "mean", Num(mean));
  Line(Out, "std. deviation", n >= 2 ? Num(std::sqrt(variance)) : "n/a (one value)");
  Line(Out, "variance", n >= 2 ? Num(variance) : "n/a (one value)");
  double lo = 0, hi = 0;
  std::int32_t loIx = 0, hiIx = 0;
  v.MinMax(0, 0, lo, hi, loIx, hiIx);
  Line(Out, "minimum", Num(lo));
  Line(Out, "maximum", Num(hi));
  double q1 = 0, q2 = 0, q3 = 0;
  v.Quartiles(0, 0, q1, q2, q3);
  Line(Out, "1st quartile", Num(q1));
  Line(Out, "median", Num(q2));
  Line(Out, "3rd quartile", Num(q3));
  Line(Out, "5th percentile", Num(v.Percentile(5, 0, 0)));
  Line(Out, "95th percentile", Num(v.Percentile(95, 0, 0)));
  if (n < 4 || !(variance > 0)) {
    const std::string why = n < 4 ? "n/a (fewer than 4 values)" : "n/a (all values equal)";
    Line(Out, "skewness", why);
    Line(Out, "excess kurtosis", why);
  } else {
    double skew = 0, kurt = 0;
    v.SkewKurtSample(0, 0, skew, kurt);
    Line(Out, "skewness", Num(skew));
    Line(Out, "excess kurtosis", Num(kurt));
  }
  Line(Out, "geometric mean", lo >= 0 ? Num(v.GeometricMean(0, 0)) : "n/a (negative values)");
  Line(Out, "harmonic mean", lo > 0 ? Num(v.HarmonicMean(0, 0)) : "n/a (values not all above 0)");
  PrintHistogram(Out, v, lo, hi);
}

}  // namespace

std::string DescribeHelp() {
  return "usage: kvl describe FILE\n"
         "\n"
         "Reads FILE, an ASC column text of one column, and prints the number of\n"
         "values, mean, standard deviation and variance (sample, n - 1), minimum and\n"
         "maximum, quartiles and median (at positions (n + 1) p of the sorted\n"
         "values), 5th and 95th percentiles (linear between order statistics),\n"
         "sample skewness and excess kurtosis (as common spreadsheets give them),\n"
         "geometric and harmonic mean where the values allow them, and a text\n"
         "histogram of about ten bins.\n"
         "\n"
         "An ASC file starts with four lines: a title, the number of columns, the\n"
         "number of rows and four TRUE/FALSE flags; text after a semicolon is a\n"
         "comment. One value per row follows. NAN or ### marks a missing value,\n"
         "which is left out and counted.\n"
         "\n"
         "    Shaft diameters, mm\n"
         "    1\t;nr. of columns\n"
         "    3\t;nr. of rows\n"
         "    FALSE FALSE FALSE FALSE\t;row attributes, column names, row names, nominal variables\n"
         "    25.012\n"
         "    24.996\n"
         "    NAN\n"
         "\n"
         "A FILE of - reads the text from standard input.\n"
         "\n"
         "Exit status: 0 done, 1 the file is missing, malformed or holds a bad\n"
         "value (one line on standard error says which), 2 wrong command line,\n"
         "3 internal error of the program.\n";
}

int RunDescribe(std::span<const std::string> Args, const TStreams& IO) {
  std::string file;
  TArgParser args("describe", IO, DescribeHelp);
  args.Positional("FILE", file);
  if (const auto code = args.Parse(Args)) return *code;
  TInput in(file, IO);
  if (!in.IsOpen()) return in.Fail(in.Problem());
  TASCColumn column;
  if (const std::string problem = ReadFiniteColumn(in, column); !problem.empty()) return in.Fail(problem);
  const auto rowsRead = static_cast<std::int32_t>(column.Values.size());

  const auto nMissing = static_cast<std::int32_t>(column.MissingRows.size());
  if (nMissing == rowsRead) return in.Fail("the file holds only missing values");
  TVector values;
  values.Resize(rowsRead - nMissing);
  std::int32_t k = 0;
  std::size_t nextMissing = 0;
  for (std::int32_t row = 1; row <= rowsRead; ++row) {
    if (nextMissing < column.MissingRows.size() && column.MissingRows[nextMissing] == row) {
      ++nextMissing;
      continue;
    }
    values.SetVal(++k, column.Values[static_cast<std::size_t>(row - 1)]);
  }

  PrintReport(IO.Out, in.Name(), column.Header.Comment, values, nMissing);
  return kExitOK;
}

}  // namespace kvl::tool
