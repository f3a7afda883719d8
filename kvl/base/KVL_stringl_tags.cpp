// The readers of XML-like text (see KVL_stringl.h for the accepted syntax).
// One scanner serves strings and text streams through a small source type.

#include <istream>

#include "kvl/base/KVL_stringl.h"

namespace kvl {

namespace {

constexpr int kEnd = -1;

// Characters of a string from a position on; optionally copies every
// character it hands out to a recording string.
class StringSource {
 public:
  StringSource(std::string_view Text, std::size_t Pos) : FText(Text), FPos(Pos) {}
  int Get() {
    if (FPos >= FText.size()) return kEnd;
    const char c = FText[FPos++];
    if (FRecord) *FRecord += c;
    return static_cast<unsigned char>(c);
  }
  void Record(std::string* Target) { FRecord = Target; }
  std::size_t Pos() const { return FPos; }

 private:
  std::string_view FText;
  std::size_t FPos;
  std::string* FRecord = nullptr;
};

// Characters of a text stream; sets the stream's eof flag at the end.
class StreamSource {
 public:
  explicit StreamSource(std::istream& Stream) : FStream(Stream), FBuf(Stream.rdbuf()) {}
  int Get() {
    const auto c = FBuf->sbumpc();
    if (c == std::istream::traits_type::eof()) {
      FStream.setstate(std::ios::eofbit);
      return kEnd;
    }
    if (FRecord) *FRecord += static_cast<char>(c);
    return c;
  }
  void Record(std::string* Target) { FRecord = Target; }

 private:
  std::istream& FStream;
  std::streambuf* FBuf;
  std::string* FRecord = nullptr;
};

enum class TagKind {
  End,      // the input ended inside the tag
  Skipped,  // comment, declaration, processing instruction or stray '<'
  Restart,  // another '<' came before '>': it starts the next tag
  Open,     // <word ...>
  Empty,    // <word .../>
  Close     // </word>
};

// Reads up to and including Terminator (two characters); false at the end.
template <class Src>
bool SkipPast(Src& Source, char First, char Second) {
  int prev = kEnd;
  for (int c = Source.Get(); c != kEnd; c = Source.Get()) {
    if (prev == First && c == Second) return true;
    prev = c;
  }
  return false;
}

// Skips "<!...>" after the '!': a comment "<!-- ... -->" or a declaration.
template <class Src>
TagKind SkipDeclaration(Src& Source) {
  int c = Source.Get();
  if (c == '-') {
    c = Source.Get();
    if (c == '-') {
      // the comment ends at "-->"
      int prev2 = kEnd, prev1 = kEnd;
      for (c = Source.Get(); c != kEnd; c = Source.Get()) {
        if (prev2 == '-' && prev1 == '-' && c == '>') return TagKind::Skipped;
        prev2 = prev1;
        prev1 = c;
      }
      return TagKind::End;
    }
  }
  while (c != '>') {
    if (c == kEnd) return TagKind::End;
    c = Source.Get();
  }
  return TagKind::Skipped;
}

// Reads the tag whose '<' was just read; Text receives what stands between
// '<' and '>' (without the '/' of an empty element).
template <class Src>
TagKind LexTag(Src& Source, std::string& Text) {
  Text.clear();
  int c = Source.Get();
  if (c == '!') return SkipDeclaration(Source);
  if (c == '?') return SkipPast(Source, '?', '>') ? TagKind::Skipped : TagKind::End;
  int quote = 0;
  for (;; c = Source.Get()) {
    if (c == kEnd) return TagKind::End;
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      break;
    } else if (c == '<') {
      return TagKind::Restart;
    }
    Text += static_cast<char>(c);
  }
  if (Text.empty() || IsWhiteChar(Text[0]) || Text == "/") return TagKind::Skipped;  // "<>", "< a", "</>"
  if (Text[0] == '/') return TagKind::Close;
  if (Text.back() == '/') {
    Text.pop_back();
    return TagKind::Empty;
  }
  return TagKind::Open;
}

std::string_view TagWord(std::string_view Text) {
  std::size_t n = 0;
  while (n < Text.size() && !IsWhiteChar(Text[n])) ++n;
  return Text.substr(0, n);
}

// Reads on to the next '<' (true) or the end of the input (false).
template <class Src>
bool FindTagStart(Src& Source) {
  for (int c = Source.Get(); c != kEnd; c = Source.Get())
    if (c == '<') return true;
  return false;
}

template <class Src>
std::int32_t ReadNextTag(Src& Source, std::span<const std::string_view> TagTable, std::string& Attr,
                         std::string& Content) {
  std::string text;
  TagKind kind = TagKind::Skipped;
  do {
    if (kind != TagKind::Restart && !FindTagStart(Source)) return -1;
    kind = LexTag(Source, text);
    if (kind == TagKind::End) return -1;
  } while (kind == TagKind::Skipped || kind == TagKind::Restart);

  const std::string_view word = TagWord(text);
  Attr = StripLTBlanks(std::string_view(text).substr(word.size()));
  std::int32_t ix = StringIx(word, TagTable, false);
  if (ix < 0) ix = static_cast<std::int32_t>(TagTable.size()) - 1;
  if (kind != TagKind::Open) return ix;

  // The content runs to the closing tag that matches, counting inner
  // elements of the same word; the recorded closing tag is cut off again.
  Source.Record(&Content);
  std::string inner;
  std::size_t depth = 0;
  kind = TagKind::Skipped;
  for (;;) {
    if (kind != TagKind::Restart && !FindTagStart(Source)) break;
    const std::size_t mark = Content.size() - 1;  // where this tag's '<' stands
    kind = LexTag(Source, inner);
    if (kind == TagKind::End) break;
    if (kind == TagKind::Open && EqualStrings(TagWord(inner), word, false)) {
      ++depth;
    } else if (kind == TagKind::Close && EqualStrings(TagWord(inner).substr(1), word, false)) {
      if (depth == 0) {
        Content.resize(mark);
        break;
      }
      --depth;
    }
  }
  Source.Record(nullptr);
  return ix;
}

}  // namespace

std::int32_t ReadNextTagInString(std::string_view InString, std::span<const std::string_view> TagTable,
                                 std::int32_t& StartAt, std::string& Attr, std::string& Content) {
  Attr.clear();
  Content.clear();
  const std::size_t start =
      StartAt < 1 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(StartAt) - 1, InString.size());
  StringSource source(InString, start);
  const std::int32_t ix = ReadNextTag(source, TagTable, Attr, Content);
  StartAt = static_cast<std::int32_t>(source.Pos()) + 1;
  return ix;
}

std::int32_t ReadNextTagInTextFile(std::istream& TFile, std::span<const std::string_view> TagTable,
                                   std::string& Attr, std::string& Content) {
  Attr.clear();
  Content.clear();
  if (!TFile.good() || TFile.rdbuf() == nullptr) return -1;
  StreamSource source(TFile);
  return ReadNextTag(source, TagTable, Attr, Content);
}

}  // namespace kvl
