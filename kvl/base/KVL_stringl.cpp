#include "kvl/base/KVL_stringl.h"

#include <algorithm>
#include <charconv>

#include "kvl/runtime/numfmt.h"

namespace kvl {

namespace {

constexpr bool IsControl(char c) noexcept {
  const auto u = static_cast<unsigned char>(c);
  return u < 32 || u == 127;
}

// Appends code point cp as UTF-8; false for values that are no code point.
bool AppendUTF8(std::string& Out, std::uint32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  if (cp < 0x80) {
    Out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    Out += static_cast<char>(0xC0 | (cp >> 6));
    Out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    Out += static_cast<char>(0xE0 | (cp >> 12));
    Out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (cp >> 18));
    Out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return true;
}

// Decodes the entity body between '&' and ';' (for example "lt", "#x41").
bool DecodeEntity(std::string_view Body, std::string& Out) {
  static constexpr std::pair<std::string_view, char> named[] = {
      {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
  for (const auto& [name, ch] : named) {
    if (Body == name) {
      Out += ch;
      return true;
    }
  }
  if (Body.size() < 2 || Body[0] != '#') return false;
  int base = 10;
  Body.remove_prefix(1);
  if (Body[0] == 'x' || Body[0] == 'X') {
    base = 16;
    Body.remove_prefix(1);
  }
  std::uint32_t cp = 0;
  const auto res = std::from_chars(Body.data(), Body.data() + Body.size(), cp, base);
  if (Body.empty() || res.ec != std::errc() || res.ptr != Body.data() + Body.size()) return false;
  return AppendUTF8(Out, cp);
}

}  // namespace

bool EqualStrings(std::string_view A, std::string_view B, bool CaseSensitive) noexcept {
  if (CaseSensitive) return A == B;
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(),
                                            [](char a, char b) { return FoldASCII(a) == FoldASCII(b); });
}

std::string_view TrimView(std::string_view Text, std::string_view Chars) noexcept {
  const std::size_t first = Text.find_first_not_of(Chars);
  if (first == std::string_view::npos) return {};
  return Text.substr(first, Text.find_last_not_of(Chars) - first + 1);
}

std::string_view CutUTF8(std::string_view Text, std::size_t MaxBytes) noexcept {
  if (Text.size() <= MaxBytes) return Text;
  auto continues = [&](std::size_t i) { return (static_cast<unsigned char>(Text[i]) & 0xC0) == 0x80; };
  std::size_t n = MaxBytes;
  // Step back to the first byte of the character that does not fit; a UTF-8
  // character has at most three continuation bytes.
  for (int back = 0; back < 3 && n > 0 && continues(n); ++back) --n;
  // Not UTF-8 here (no lead byte before the continuation bytes, or an ASCII
  // byte followed by stray ones): cut at the byte limit.
  if (n < MaxBytes && (continues(n) || static_cast<unsigned char>(Text[n]) < 0xC0)) n = MaxBytes;
  return Text.substr(0, n);
}

std::int32_t UTF8Length(std::string_view Text) noexcept {
  return static_cast<std::int32_t>(std::count_if(
      Text.begin(), Text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool StringContains(std::string_view Str, std::string_view SubStr, bool CaseSensitive) {
  if (SubStr.empty()) return true;
  if (CaseSensitive) return Str.find(SubStr) != std::string_view::npos;
  // The iterator form: Clang 14 rejects the ranges form on string_view with libstdc++ 12.
  return std::search(Str.begin(), Str.end(), SubStr.begin(), SubStr.end(),
                     [](char a, char b) { return FoldASCII(a) == FoldASCII(b); }) != Str.end();
}

std::string StripLTBlanks(std::string_view Instring) { return std::string(TrimView(Instring)); }

std::string StripTrailingChars(std::string_view Instring, char Ch) {
  return std::string(TrimView(Instring, std::string_view(&Ch, 1)));
}

std::string RemoveControlChars(std::string_view Instring) {
  std::string out;
  out.reserve(Instring.size());
  for (const char c : Instring)
    if (!IsControl(c)) out += c;
  return out;
}

std::string ReplaceCharInString(std::string_view Instring, char OldChar, char NewChar) {
  std::string out(Instring);
  std::ranges::replace(out, OldChar, NewChar);
  return out;
}

TStrArray Tokenize(std::string_view Instring, std::string_view Delimiters, char QuoteChar) {
  TStrArray tokens;
  std::string token;
  bool quoted = false;
  for (const char c : Instring) {
    if (QuoteChar != '\0' && c == QuoteChar) quoted = !quoted;
    if (!quoted && Delimiters.find(c) != std::string_view::npos) {
      if (!token.empty()) tokens.push_back(std::move(token));
      token.clear();
    } else {
      token += c;
    }
  }
  if (!token.empty()) tokens.push_back(std::move(token));
  return tokens;
}

bool ParseQuotedName(char Ch, char Quote, std::string& Name) {
  const bool reading = !Name.empty() && Name.front() == Quote;
  if (!reading) {
    Name.clear();
    if (Ch == Quote) Name += Quote;
    return false;
  }
  if (Ch != Quote) {
    Name += Ch;
    return false;
  }
  Name.erase(0, 1);
  return true;
}

std::string strff(long double r, int Width, int Decimals) { return StrField(r, Width, Decimals); }

std::string EncodeXMLText(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (const char c : Text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string DecodeXMLText(std::string_view Text) {
  constexpr std::size_t kMaxEntity = 12;  // "&#x10FFFF;" and the named ones fit
  std::string out;
  out.reserve(Text.size());
  std::size_t i = 0;
  while (i < Text.size()) {
    if (Text[i] == '&') {
      const std::size_t semi = Text.substr(i + 1, kMaxEntity).find(';');
      if (semi != std::string_view::npos && DecodeEntity(Text.substr(i + 1, semi), out)) {
        i += semi + 2;
        continue;
      }
    }
    out += Text[i++];
  }
  return out;
}

}  // namespace kvl
