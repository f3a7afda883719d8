#pragma once
// KVL_stringl: string services of the base layer: look-up, trimming,
// splitting, quoted names, number fields and the readers of the library's
// XML-like files.
//
// Strings are UTF-8; "case-insensitive" folds the ASCII letters A-Z only,
// and "white space" is blank, tab, line feed, vertical tab, form feed and
// carriage return.
//
// XML-like text, as ReadNextTagInString and ReadNextTagInTextFile read it
// ----------------------------------------------------------------------
//   <word attributes>content</word>   an element
//   <word attributes/>                an element without content
//   </word>                           a closing tag met on its own; its word
//                                     is "/word" (tables list "/matrix" ...)
// * A tag runs from '<' to the next '>' that is not inside a value in double
//   or single quotes. Its word is the text after '<' up to the first white
//   space ('/' of "/>" excluded); the attributes are the rest of the tag with
//   the surrounding white space (and the '/' of "/>") removed, handed to the
//   caller as they stand, for example  ix="2" iy="3".
// * The word is looked up in the caller's tag table, case-insensitively; the
//   result is its index, or the last index of the table when the word is not
//   in it (every tag table of the library ends with its invalid tag).
// * The content is the raw text between the tag and its matching closing tag
//   </word>: inner elements of the same word are counted, so nesting works;
//   white space is kept; nothing is decoded. Inner elements are read by
//   handing the content to ReadNextTagInString again.
// * Skipped: text outside elements, comments <!-- ... -->, processing
//   instructions <? ... ?> and declarations <! ... >. A '<' inside a tag
//   (outside quotes) abandons that tag as stray text and starts a new one.
// * Escaping: the readers decode nothing; a writer passes names and free
//   text through EncodeXMLText and the reader of a leaf value through
//   DecodeXMLText.
// * Malformed text: a tag or comment that is never closed ends the input
//   (result -1); an element without its closing tag takes the rest of the
//   input as content; a stray closing tag is returned with its "/word".
//
//   constexpr std::array<std::string_view, 3> tags{"numcols", "cell", "invalidtag"};
//   int pos = 1;
//   std::string attr, content;
//   while (ReadNextTagInString(text, tags, pos, attr, content) >= 0) { ... }

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <ranges>
#include <span>
#include <string>
#include <string_view>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

// --- characters, case and UTF-8: the text rules every unit uses --------------

/// WhiteChars: the white-space characters (blank, tab, line feed, vertical
/// tab, form feed, carriage return).
inline constexpr std::string_view WhiteChars = " \t\n\v\f\r";

/// IsWhiteChar: true for a character of WhiteChars (c as char or as the
/// int a stream returns).
constexpr bool IsWhiteChar(int c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

/// FoldASCII: c with the ASCII letters A-Z turned to lower case, every other
/// byte kept (the library's case folding).
constexpr char FoldASCII(char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

/// UpperASCII: c with the ASCII letters a-z turned to upper case.
constexpr char UpperASCII(char c) noexcept {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

/// EqualStrings: true when A equals B, ASCII case folded unless CaseSensitive.
bool EqualStrings(std::string_view A, std::string_view B, bool CaseSensitive) noexcept;

/// TrimView: Text without the leading and trailing characters found in
/// Chars (white space unless stated); a view into Text.
std::string_view TrimView(std::string_view Text, std::string_view Chars = WhiteChars) noexcept;

/// CutUTF8: Text cut to at most MaxBytes bytes without splitting a UTF-8
/// character (a character that does not fit is dropped whole); text that is
/// not UTF-8 at the cut is cut at MaxBytes.
std::string_view CutUTF8(std::string_view Text, std::size_t MaxBytes) noexcept;

/// UTF8Length: the number of UTF-8 characters of Text (the bytes that do
/// not continue a character).
std::int32_t UTF8Length(std::string_view Text) noexcept;

// --- look-up, trimming, splitting --------------------------------------------

/// StringIx: the 0-based index of the first entry of List equal to Str
/// (ASCII case folded unless CaseSensitive), or -1 when there is none.
template <std::ranges::input_range R>
requires std::convertible_to<std::ranges::range_reference_t<const R>, std::string_view> std::int32_t StringIx(
    std::string_view Str, const R& List, bool CaseSensitive) {
  std::int32_t ix = 0;
  for (const auto& entry : List) {
    if (EqualStrings(Str, std::string_view(entry), CaseSensitive)) return ix;
    ++ix;
  }
  return -1;
}
/// StringIx: the same for a braced list of strings.
inline std::int32_t StringIx(std::string_view Str, std::initializer_list<std::string_view> List,
                             bool CaseSensitive) {
  return StringIx<std::initializer_list<std::string_view>>(Str, List, CaseSensitive);
}

/// StringContains: true when SubStr occurs in Str (ASCII case folded unless
/// CaseSensitive); an empty SubStr is contained in every string.
bool StringContains(std::string_view Str, std::string_view SubStr, bool CaseSensitive = true);

/// StripLTBlanks: Instring without its leading and trailing white space.
std::string StripLTBlanks(std::string_view Instring);

/// StripTrailingChars: Instring without the characters Ch at both of its
/// ends, for example StripTrailingChars("\"abc\"", '"') gives "abc".
std::string StripTrailingChars(std::string_view Instring, char Ch);

/// RemoveControlChars: Instring without its control characters (codes 0 to
/// 31 and 127; tabs and line ends included). UTF-8 sequences stay intact.
std::string RemoveControlChars(std::string_view Instring);

/// ReplaceCharInString: Instring with every OldChar replaced by NewChar.
std::string ReplaceCharInString(std::string_view Instring, char OldChar, char NewChar);

/// Tokenize: the tokens of Instring separated by any of the characters in
/// Delimiters; runs of delimiters separate once, so no token is empty. With
/// a QuoteChar other than '\0', delimiters between a pair of QuoteChar do
/// not separate (the quotes stay in the token): Tokenize(R"(a id="x y")",
/// " ", '"') gives a and id="x y".
TStrArray Tokenize(std::string_view Instring, std::string_view Delimiters = " ", char QuoteChar = '\0');

/// ParseQuotedName: feeds one character Ch of a text to the reading of a
/// name enclosed in Quote characters, with Name holding the state. Before
/// the opening Quote, characters are ignored (Name is cleared); from the
/// opening Quote on, Name holds that Quote followed by the characters read
/// so far. At the closing Quote, Name becomes the bare name and the result
/// is true; it is false for every other character. Start with an empty Name.
bool ParseQuotedName(char Ch, char Quote, std::string& Name);

/// strff: r in fixed-point notation with Decimals digits after the point,
/// right-aligned in at least Width characters (StrField of the runtime):
/// strff(3.14159, 8, 2) gives "    3.14". A negative Decimals gives
/// StrField's exponential notation; NaN and infinities "Nan", "+Inf", "-Inf".
std::string strff(long double r, int Width, int Decimals);

/// EncodeXMLText: Text with & < > " ' written as &amp; &lt; &gt; &quot;
/// &apos;, so that it can stand as content or attribute value.
std::string EncodeXMLText(std::string_view Text);
/// DecodeXMLText: Text with the five entities above and numeric references
/// (&#65; &#x41;, as UTF-8) decoded; anything else stays as it stands.
std::string DecodeXMLText(std::string_view Text);

/// ReadNextTagInString: reads the next element of InString from the 1-based
/// position StartAt on (values below 1 count as 1), as described above.
/// Returns the index of its word in TagTable (the last index for an unknown
/// word), with Attr and Content filled, and moves StartAt past the element;
/// returns -1 with Attr and Content empty, and StartAt past the end, when no
/// element follows.
std::int32_t ReadNextTagInString(std::string_view InString, std::span<const std::string_view> TagTable,
                                 std::int32_t& StartAt, std::string& Attr, std::string& Content);

/// ReadNextTagInTextFile: the same on an open text stream, reading from its
/// current position and leaving it just past the element. At the end of the
/// input the result is -1 and the stream's eof flag is set; a stream that is
/// not good() gives -1 at once.
std::int32_t ReadNextTagInTextFile(std::istream& TFile, std::span<const std::string_view> TagTable,
                                   std::string& Attr, std::string& Content);

}  // namespace kvl

KVL_API_END
