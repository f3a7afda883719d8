#include "kvl/base/KVL_xmltext.h"

#include "kvl/base/KVL_stringl.h"

namespace kvl {

namespace {
// U+E000 + c in UTF-8: EE 80 80+c for c in 0x00..0x1F.
constexpr unsigned char kPrivateLead0 = 0xEE, kPrivateLead1 = 0x80, kPrivateBase = 0x80;
}  // namespace

std::string XmlEscape(std::string_view Text) {
  const std::string encoded = EncodeXMLText(Text);
  std::string out;
  out.reserve(encoded.size());
  for (const char ch : encoded) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20) {
      out += ch;
    } else if (c == '\t' || c == '\n' || c == '\r') {
      out += "&#";
      out += std::to_string(c);
      out += ';';
    } else {
      out += static_cast<char>(kPrivateLead0);
      out += static_cast<char>(kPrivateLead1);
      out += static_cast<char>(kPrivateBase + c);
    }
  }
  return out;
}

std::string XmlUnescape(std::string_view Text) {
  const std::string decoded = DecodeXMLText(Text);
  std::string out;
  out.reserve(decoded.size());
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(decoded[k]); };
    if (i + 2 < decoded.size() && b(i) == kPrivateLead0 && b(i + 1) == kPrivateLead1 && b(i + 2) >= kPrivateBase &&
        b(i + 2) < kPrivateBase + 0x20) {
      out += static_cast<char>(b(i + 2) - kPrivateBase);
      i += 2;
    } else {
      out += decoded[i];
    }
  }
  return out;
}

bool XmlAttrValue(std::string_view Attr, std::string_view Name, std::string_view& Value) noexcept {
  std::size_t i = 0;
  while (i < Attr.size()) {
    while (i < Attr.size() && IsWhiteChar(Attr[i])) ++i;
    const std::size_t nameStart = i;
    while (i < Attr.size() && Attr[i] != '=' && !IsWhiteChar(Attr[i])) ++i;
    const std::string_view name = Attr.substr(nameStart, i - nameStart);
    while (i < Attr.size() && IsWhiteChar(Attr[i])) ++i;
    if (i >= Attr.size() || Attr[i] != '=') return false;
    ++i;
    while (i < Attr.size() && IsWhiteChar(Attr[i])) ++i;
    if (i >= Attr.size() || (Attr[i] != '"' && Attr[i] != '\'')) return false;
    const char quote = Attr[i++];
    const std::size_t end = Attr.find(quote, i);
    if (end == std::string_view::npos) return false;
    if (name == Name) {
      Value = Attr.substr(i, end - i);
      return true;
    }
    i = end + 1;
  }
  return false;
}

}  // namespace kvl
