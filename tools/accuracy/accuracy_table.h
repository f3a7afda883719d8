#pragma once
// The accuracy table of docs/accuracy.md: the library's numeric functions
// measured against stored reference values (tests/accuracy/refs, computed
// at 50 digits by tools/accuracy/gen_references.py) and against the
// certified values of the NIST StRD data sets. The program kvl_accuracy
// prints the table; the accuracy test recomputes it with the same code and
// compares it with the committed page.

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace kvl::accuracy {

/// TErrorRow: one argument set of one function; errors in units of
/// DBL_EPSILON, relative to the reference or (Absolute) as differences.
struct TErrorRow {
  std::string Id;         // the reference file's base name
  std::string Function;   // the library function measured
  std::string Arguments;  // the argument set, in words
  bool Absolute = false;
  std::size_t Count = 0;
  double Max = 0, Median = 0;
  std::string WorstAt;  // the arguments of the largest error
  std::string Note;     // where the described method limits the result
  /// Allowance: the page states Max and Median times this factor (above 1
  /// where the rounding depends on the build: sums formed with fused
  /// multiply-adds where the compiler and processor choose them).
  double Allowance = 1;
};

/// TDigitsRow: correct digits (log relative error, capped at 15) of one
/// certified quantity of one NIST StRD set.
struct TDigitsRow {
  std::string Set, Routine, Quantity;
  double Lre = 0;
};

/// TAccuracyTable: everything docs/accuracy.md states.
struct TAccuracyTable {
  std::vector<TErrorRow> Errors;
  std::vector<TDigitsRow> Digits;
};

/// ComputeTable: evaluates every reference file of RefFolder (grouped by
/// function, by file name within one) and the NIST StRD sets of
/// shared/data/nist-strd beside the checkout. Throws std::runtime_error on
/// an unreadable or malformed reference file (naming it), an unknown
/// function name or a missing StRD set.
TAccuracyTable ComputeTable(const std::filesystem::path& RefFolder);

/// WriteTable: the markdown page docs/accuracy.md. Error figures are
/// rounded up, digit counts down, to the precision printed.
void WriteTable(std::ostream& Out, const TAccuracyTable& Table);

/// TStated: the figures a page written by WriteTable states.
struct TStated {
  struct TErrors {
    std::size_t Count = 0;
    double Max = 0, Median = 0;
  };
  std::map<std::string, TErrors> Errors;  // by reference file id
  std::map<std::string, double> Digits;   // by "set / routine / quantity"
};

/// ReadStated: parses the figures out of a page written by WriteTable.
TStated ReadStated(std::istream& In);

/// DigitsKey: the key of a digits row in TStated::Digits.
std::string DigitsKey(const TDigitsRow& Row);

}  // namespace kvl::accuracy
