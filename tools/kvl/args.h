#pragma once
// The one command-line parser of the kvl program.
//
// A command declares its positional arguments and its options, each bound
// to the variable it fills, and hands the arguments to Parse:
//
//   TArgParser args("fit", IO, FitHelp);
//   args.Positional("FILE", opt.File);
//   args.Choice("--model", kModels, &TModelName::Name, opt.Model);
//   args.Number("--order", opt.Order, 0, 10);
//   if (const auto code = args.Parse(Args)) return *code;
//
// Every command so gets the same rules: "-h" or "--help" anywhere prints the
// command's help; an option takes its value as the next word or after "="
// ("--k 3", "--k=3"); "-" alone is a positional argument (standard input);
// after "--" every word is positional; the last of repeated options counts.
// Problems are reported alike: "kvl COMMAND: PROBLEM (try kvl COMMAND
// --help)" on standard error, exit status 2.

#include <algorithm>
#include <cmath>
#include <concepts>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "commands.h"

namespace kvl::tool {

// --- number values -------------------------------------------------------------

namespace args_internal {

template <class T>
struct Unwrapped {
  using type = T;
};
template <class T>
struct Unwrapped<std::optional<T>> {
  using type = T;
};

/// ReadNumber: the whole of Text as a finite number of type T, or nothing.
template <class T>
std::optional<T> ReadNumber(const std::string& Text) {
  T v{};
  if (!ParseNumber(Text, v)) return std::nullopt;
  if constexpr (std::is_floating_point_v<T>)
    if (!std::isfinite(v)) return std::nullopt;
  return v;
}

/// NumberWords: "a whole number" or "a number", for messages.
template <class T>
constexpr std::string_view NumberWords() {
  return std::is_integral_v<T> ? "a whole number" : "a number";
}

std::string RangeText(double Low, double High);

}  // namespace args_internal

/// ValueOf: the value type an option fills: T, or T of std::optional<T>.
template <class T>
using ValueOf = typename args_internal::Unwrapped<T>::type;

class TArgParser {
 public:
  /// Take: reads the values of one option; returns "" or the problem.
  using TTake = std::function<std::string(std::span<const std::string> Values)>;

  /// TArgParser: a parser for the command Command, whose help text Help
  /// gives; reports go to IO.
  TArgParser(std::string_view Command, const TStreams& IO, std::string (*Help)());

  /// Positional: the next positional argument, required, named Name in
  /// messages ("expected one FILE").
  TArgParser& Positional(std::string_view Name, std::string& Target);

  /// Flag: an option without a value; sets Target.
  TArgParser& Flag(std::string_view Name, bool& Target);

  /// Text: an option with a non-empty text value.
  template <class T>
    requires std::assignable_from<T&, const std::string&>
  TArgParser& Text(std::string_view Name, T& Target);

  /// Number: an option with a finite number of Target's type; a whole number
  /// for integer types. With a range, the value must lie in [Low, High].
  template <class T>
  TArgParser& Number(std::string_view Name, T& Target);
  template <class T>
  TArgParser& Number(std::string_view Name, T& Target, ValueOf<T> Low, ValueOf<T> High);

  /// Choice: an option whose value names a row of Table (by the member
  /// Key); Target points at the row. "unknown NOUN" (NOUN: Name without the
  /// dashes unless given) when no row has that name.
  template <class Row, std::size_t N, class TargetT>
  TArgParser& Choice(std::string_view Name, const Row (&Table)[N], std::string_view Row::*Key, TargetT& Target,
                     std::string_view Noun = {});

  /// Option: the general form: an option of Arity values read by Take.
  TArgParser& Option(std::string_view Name, int Arity, TTake Take);

  /// Parse: reads Args. An empty result means the command goes on; else it
  /// is the exit status, after the help text (kExitOK) or one line on the
  /// problem (kExitUsage) was written.
  std::optional<int> Parse(std::span<const std::string> Args);

  /// AsksForHelp: true when Args hold "-h" or "--help" before any "--".
  static bool AsksForHelp(std::span<const std::string> Args);

  /// Help: writes the command's help text and returns kExitOK.
  int Help() const;

  /// Usage: reports a problem of the command line found after Parse (two
  /// options that do not go together) and returns kExitUsage.
  int Usage(std::string_view Problem) const;

  /// Seen: true when the option Name was given.
  bool Seen(std::string_view Name) const;

 private:
  struct TOption {
    std::string Name;
    int Arity = 1;
    TTake Take;
    bool Seen = false;
  };
  struct TPositional {
    std::string Name;
    std::string* Target;
  };

  std::string ParseWords(std::span<const std::string> Args);
  std::string PositionalProblem() const;
  /// NumberIn: the body of both Number forms; Range, when given, is [Low, High].
  template <class T>
  TArgParser& NumberIn(std::string_view Name, T& Target,
                       std::optional<std::pair<ValueOf<T>, ValueOf<T>>> Range);
  TOption* Find(std::string_view Name);

  std::string FCommand;
  const TStreams& FIO;
  std::string (*FHelp)();
  std::vector<TOption> FOptions;
  std::vector<TPositional> FPositionals;
};


template <class T>
  requires std::assignable_from<T&, const std::string&>
TArgParser& TArgParser::Text(std::string_view Name, T& Target) {
  return Option(Name, 1, [&Target, Name = std::string(Name)](std::span<const std::string> v) -> std::string {
    if (v[0].empty()) return Name + " needs a value";
    Target = v[0];
    return {};
  });
}

template <class T>
TArgParser& TArgParser::Number(std::string_view Name, T& Target) {
  return NumberIn(Name, Target, std::nullopt);
}

template <class T>
TArgParser& TArgParser::Number(std::string_view Name, T& Target, ValueOf<T> Low, ValueOf<T> High) {
  return NumberIn(Name, Target, std::pair(Low, High));
}

template <class T>
TArgParser& TArgParser::NumberIn(std::string_view Name, T& Target,
                                 std::optional<std::pair<ValueOf<T>, ValueOf<T>>> Range) {
  using V = ValueOf<T>;
  std::string problem = std::string(Name) + " takes " + std::string(args_internal::NumberWords<V>());
  if (Range)
    problem += " " + args_internal::RangeText(static_cast<double>(Range->first),
                                              static_cast<double>(Range->second));
  return Option(Name, 1, [&Target, Range, problem](std::span<const std::string> v) -> std::string {
    const std::optional<V> x = args_internal::ReadNumber<V>(v[0]);
    if (!x || (Range && (*x < Range->first || *x > Range->second))) return problem + ", not \"" + v[0] + "\"";
    Target = *x;
    return {};
  });
}

template <class Row, std::size_t N, class TargetT>
TArgParser& TArgParser::Choice(std::string_view Name, const Row (&Table)[N], std::string_view Row::*Key,
                               TargetT& Target, std::string_view Noun) {
  std::string noun(Noun.empty() ? Name.substr(Name.find_first_not_of('-')) : Noun);
  return Option(Name, 1, [&Table, Key, &Target, noun](std::span<const std::string> v) -> std::string {
    const auto row = std::ranges::find(Table, std::string_view(v[0]), Key);
    if (row == std::end(Table)) return "unknown " + noun + " \"" + v[0] + "\"";
    Target = &*row;
    return {};
  });
}

}  // namespace kvl::tool
