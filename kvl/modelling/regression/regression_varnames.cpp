// The variable names of a formula text.

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "kvl/modelling/regression/multi_regression.h"

namespace kvl {

namespace {

// Words of the formula vocabulary that stand without parentheses.
constexpr std::array<std::string_view, 11> kOperatorWords = {"pi", "true", "false", "mod",  "div",  "and",
                                                             "or", "not",  "xor",   "rand", "gauss"};

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNamePart(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::int32_t ExtractVarNames(const std::string& Expression, std::vector<std::string>& Names) {
  Names.clear();
  std::vector<std::string> seen;  // lower-case forms of Names
  auto add = [&](std::string_view name) {
    const std::string key = Lower(name);
    if (std::find(seen.begin(), seen.end(), key) == seen.end()) {
      seen.push_back(key);
      Names.emplace_back(name);
    }
  };
  auto fail = [&Names](std::size_t Pos) {
    Names.clear();
    return -static_cast<std::int32_t>(Pos + 1);
  };
  const std::string_view s = Expression;
  const std::string_view operators = "+-*/^<>=!,;()";
  std::size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (std::isspace(static_cast<unsigned char>(c)) || operators.find(c) != std::string_view::npos) {
      ++i;
    } else if (IsDigit(c) || (c == '.' && i + 1 < s.size() && IsDigit(s[i + 1]))) {
      // A number: digits, a fraction, an exponent with optional sign.
      while (i < s.size() && (IsDigit(s[i]) || s[i] == '.')) ++i;
      if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(s[j])) {
          i = j;
          while (i < s.size() && IsDigit(s[i])) ++i;
        }
      }
      if (i < s.size() && IsNameStart(s[i])) return fail(i);  // as in 2x
    } else if (IsNameStart(c)) {
      const std::size_t start = i;
      while (i < s.size() && IsNamePart(s[i])) ++i;
      const std::string_view name = s.substr(start, i - start);
      std::size_t j = i;
      while (j < s.size() && std::isspace(static_cast<unsigned char>(s[j]))) ++j;
      const bool isFunction = j < s.size() && s[j] == '(';
      const bool isWord =
          std::find(kOperatorWords.begin(), kOperatorWords.end(), Lower(name)) != kOperatorWords.end();
      if (!isFunction && !isWord) add(name);
    } else if (c == '[') {
      const std::size_t close = s.find(']', i + 1);
      if (close == std::string_view::npos || close == i + 1) return fail(i);
      add(s.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      return fail(i);
    }
  }
  return static_cast<std::int32_t>(Names.size());
}

}  // namespace kvl
