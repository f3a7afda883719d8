#pragma once
// KVL_xmltext: the one escaping of text for the library's XML writers.
//
// XmlEscape makes any UTF-8 text fit to stand as XML 1.0 character data or
// as an attribute value in double or single quotes, and XmlUnescape gives
// the text back byte for byte:
//   & < > " '        -> &amp; &lt; &gt; &quot; &apos;   (EncodeXMLText)
//   tab, LF, CR      -> &#9; &#10; &#13;   (kept through attribute-value
//                                          and line-end normalisation)
//   other control characters 0x00..0x1F, which XML 1.0 cannot carry even as
//   references -> the private-use characters U+E000 + code
//
//   std::string s = kvl::XmlEscape("a<b\x01");   // "a&lt;b" + U+E001
//   kvl::XmlUnescape(s) == "a<b\x01";           // true
//
// A text that already holds U+E000..U+E01F reads back with those characters
// turned into the control characters; bytes that are not UTF-8 pass through
// unchanged (the result is then not well-formed XML).

#include <string>
#include <string_view>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// XmlEscape: Text as XML 1.0 character data or attribute value (above).
std::string XmlEscape(std::string_view Text);
/// XmlUnescape: the text that XmlEscape made Text from; also decodes every
/// entity and character reference DecodeXMLText knows.
std::string XmlUnescape(std::string_view Text);

/// XmlAttrValue: the raw (still escaped) value of attribute Name in an
/// attribute text such as a="1" b='x'; false when Name is missing or the
/// text is not a list of such pairs.
bool XmlAttrValue(std::string_view Attr, std::string_view Name, std::string_view& Value) noexcept;

}  // namespace kvl

KVL_API_END
