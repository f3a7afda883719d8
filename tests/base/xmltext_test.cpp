// XmlEscape / XmlUnescape: the escaping shared by the XML writers.

#include <gtest/gtest.h>

#include <string>

#include "kvl/base/KVL_xmltext.h"

namespace kvl {
namespace {

TEST(XmlText, EscapesMarkupAndLineCharacters) {
  EXPECT_EQ(XmlEscape("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&apos;");
  EXPECT_EQ(XmlEscape("x\ty\nz\r"), "x&#9;y&#10;z&#13;");
  EXPECT_EQ(XmlEscape("\x01"), "\xEE\x80\x81");
  EXPECT_EQ(XmlEscape("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");  // UTF-8 stays
}

TEST(XmlText, EveryByteOfAnAsciiTextRoundTripsAndNoControlCharacterIsLeft) {
  std::string all;
  for (int c = 0; c < 128; ++c) all += static_cast<char>(c);
  all += "\xE2\x82\xAC end";
  const std::string escaped = XmlEscape(all);
  for (const char c : escaped) EXPECT_GE(static_cast<unsigned char>(c), 0x20u);
  EXPECT_EQ(escaped.find_first_of("<>\"'"), std::string::npos);
  EXPECT_EQ(XmlUnescape(escaped), all);
}

TEST(XmlText, UnescapeDecodesReferences) {
  EXPECT_EQ(XmlUnescape("&#65;&#x42;&lt;"), "AB<");
  EXPECT_EQ(XmlUnescape("no entities"), "no entities");
}

}  // namespace
}  // namespace kvl
