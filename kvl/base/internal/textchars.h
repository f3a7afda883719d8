#pragma once
// Character classes shared by the base layer's text readers (internal).

namespace kvl::detail {

/// IsWhite: blank, tab, line feed, vertical tab, form feed or carriage return.
constexpr bool IsWhite(int c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

/// FoldCase: c with the ASCII letters A-Z turned to lower case.
constexpr char FoldCase(char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace kvl::detail
