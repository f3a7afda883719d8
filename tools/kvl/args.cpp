#include "args.h"

#include <ostream>

namespace kvl::tool {

namespace args_internal {

std::string RangeText(double Low, double High) {
  return "from " + FormatNumber(Low, 15) + " to " + FormatNumber(High, 15);
}

}  // namespace args_internal

TArgParser::TArgParser(std::string_view Command, const TStreams& IO, std::string (*Help)())
    : FCommand(Command), FIO(IO), FHelp(Help) {}

TArgParser& TArgParser::Positional(std::string_view Name, std::string& Target) {
  FPositionals.push_back({std::string(Name), &Target});
  return *this;
}

TArgParser& TArgParser::Flag(std::string_view Name, bool& Target) {
  return Option(Name, 0, [&Target](std::span<const std::string>) {
    Target = true;
    return std::string();
  });
}

TArgParser& TArgParser::Option(std::string_view Name, int Arity, TTake Take) {
  FOptions.push_back({std::string(Name), Arity, std::move(Take), false});
  return *this;
}

TArgParser::TOption* TArgParser::Find(std::string_view Name) {
  const auto it = std::ranges::find(FOptions, Name, &TOption::Name);
  return it == FOptions.end() ? nullptr : &*it;
}

bool TArgParser::Seen(std::string_view Name) const {
  const auto it = std::ranges::find(FOptions, Name, &TOption::Name);
  return it != FOptions.end() && it->Seen;
}

std::string TArgParser::PositionalProblem() const {
  if (FPositionals.size() == 1) return "expected one " + FPositionals[0].Name;
  std::string names;
  for (std::size_t i = 0; i < FPositionals.size(); ++i)
    names += (i == 0 ? "" : i + 1 == FPositionals.size() ? " and " : ", ") + FPositionals[i].Name;
  return "expected " + names;
}

std::string TArgParser::ParseWords(std::span<const std::string> Args) {
  std::size_t nextPositional = 0;
  bool onlyPositional = false;
  for (std::size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if (!onlyPositional && a == "--") {
      onlyPositional = true;
      continue;
    }
    if (onlyPositional || a.size() < 2 || a[0] != '-') {
      if (nextPositional >= FPositionals.size() || a.empty())
        return FPositionals.empty() ? "unexpected argument \"" + a + "\"" : PositionalProblem();
      *FPositionals[nextPositional++].Target = a;
      continue;
    }
    // --name=value gives the value in the same word
    const std::size_t eq = a.starts_with("--") ? a.find('=') : std::string::npos;
    const std::string name = a.substr(0, eq);
    TOption* option = Find(name);
    if (option == nullptr) return "unknown option \"" + name + "\"";
    std::vector<std::string> values;
    if (eq != std::string::npos) {
      if (option->Arity != 1)
        return option->Arity == 0 ? name + " takes no value" : name + " takes its values as separate words";
      values.push_back(a.substr(eq + 1));
    } else {
      const auto arity = static_cast<std::size_t>(option->Arity);
      if (Args.size() - 1 - i < arity)
        return name + (arity == 1 ? " needs a value" : " needs " + std::to_string(arity) + " values");
      values.assign(Args.begin() + static_cast<std::ptrdiff_t>(i + 1),
                    Args.begin() + static_cast<std::ptrdiff_t>(i + 1 + arity));
      i += arity;
    }
    if (std::string problem = option->Take(values); !problem.empty()) return problem;
    option->Seen = true;
  }
  if (nextPositional < FPositionals.size()) return PositionalProblem();
  return {};
}

bool TArgParser::AsksForHelp(std::span<const std::string> Args) {
  for (const std::string& a : Args) {
    if (a == "--") return false;
    if (a == "-h" || a == "--help") return true;
  }
  return false;
}

int TArgParser::Help() const {
  FIO.Out << FHelp();
  return kExitOK;
}

std::optional<int> TArgParser::Parse(std::span<const std::string> Args) {
  if (AsksForHelp(Args)) return Help();
  if (const std::string problem = ParseWords(Args); !problem.empty()) return Usage(problem);
  return std::nullopt;
}

int TArgParser::Usage(std::string_view Problem) const { return UsageError(FIO, FCommand, Problem); }

}  // namespace kvl::tool
