#pragma once
// The character rules live in the string unit (KVL_stringl.h: IsWhiteChar,
// FoldASCII). These two names forward to them for the ASC reader of the
// containers until it calls the string unit directly; nothing else uses them.

#include "kvl/base/KVL_stringl.h"

namespace kvl::detail {

/// IsWhite: IsWhiteChar(c).
constexpr bool IsWhite(int c) noexcept { return IsWhiteChar(c); }

/// FoldCase: FoldASCII(c).
constexpr char FoldCase(char c) noexcept { return FoldASCII(c); }

}  // namespace kvl::detail
