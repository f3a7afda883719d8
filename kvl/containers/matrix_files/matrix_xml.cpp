// The frame of the XML-like matrix text shared by the four matrix classes:
// number scanning, the writer, the search of the opening matrix tag and
// the file and stream forms (layout in internal/matrix_xml.h).

#include "kvl/containers/matrix_files/internal/matrix_xml.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <limits>
#include <ostream>
#include <sstream>

#include "kvl/base/KVL_xmltext.h"
#include "kvl/runtime/streams.h"

namespace kvl::matfile_internal {

namespace {

constexpr std::array<std::string_view, 3> kIndexAttrs{"ix", "iy", "iz"};
constexpr std::array<std::string_view, 4> kIndexAttrs4D{"ix", "iy", "il", "it"};
constexpr std::string_view kEndTag = "</matrix";
// The writer hands its text to the stream in pieces of about this size.
constexpr std::size_t kFlushBytes = 1 << 16;

std::size_t SkipWhite(std::string_view s, std::size_t i) noexcept {
  while (i < s.size() && IsWhiteChar(static_cast<unsigned char>(s[i]))) ++i;
  return i;
}

// MatrixTag: the first opening tag whose word is matrix (ASCII case
// folded): its attribute text and the 0-based position after its '>'.
// Comments, processing instructions and declarations are passed over, as
// ReadNextTagInString passes them.
bool MatrixTag(std::string_view Text, std::string_view& Attr, std::size_t& After) {
  constexpr auto npos = std::string_view::npos;
  for (std::size_t i = Text.find('<'); i != npos; i = Text.find('<', i)) {
    const std::string_view rest = Text.substr(i);
    if (rest.starts_with("<!--") || rest.starts_with("<?") || rest.starts_with("<!")) {
      const std::size_t e = rest.starts_with("<!--") ? Text.find("-->", i + 4) : Text.find('>', i);
      if (e == npos) return false;
      i = e + 1;
      continue;
    }
    std::size_t e = i + 1;  // the tag's '>', outside quoted values
    for (char quote = 0; e < Text.size() && (quote != 0 || (Text[e] != '>' && Text[e] != '<')); ++e) {
      if (quote != 0 && Text[e] == quote) quote = 0;
      else if (quote == 0 && (Text[e] == '"' || Text[e] == '\'')) quote = Text[e];
    }
    if (e >= Text.size()) return false;
    if (Text[e] == '<') {  // a stray '<': the tag is abandoned and a new one starts here
      i = e;
      continue;
    }
    const std::string_view tag = Text.substr(i + 1, e - i - 1);
    std::size_t w = 0;
    while (w < tag.size() && !IsWhiteChar(static_cast<unsigned char>(tag[w])) && tag[w] != '/') ++w;
    if (EqualStrings(tag.substr(0, w), "matrix", false)) {
      Attr = tag.substr(w);
      After = e + 1;
      return true;
    }
    i = e + 1;
  }
  return false;
}

// IdOf: the raw value of the attribute id (after white space); false when
// there is none.
bool IdOf(std::string_view Attr, std::string_view& Value) {
  constexpr std::string_view key = "id=\"";
  for (std::size_t at = Attr.find(key); at != std::string_view::npos; at = Attr.find(key, at + 1)) {
    if (at > 0 && !IsWhiteChar(static_cast<unsigned char>(Attr[at - 1]))) continue;
    const std::size_t from = at + key.size();
    const std::size_t to = Attr.find('"', from);
    if (to == std::string_view::npos) return false;
    Value = Attr.substr(from, to - from);
    return true;
  }
  return false;
}

}  // namespace

std::span<const std::string_view> XmlIndexAttrs(std::size_t N) noexcept {
  if (N >= 4) return kIndexAttrs4D;
  return std::span<const std::string_view>(kIndexAttrs).first(N);
}

std::int32_t XmlScanInt(std::string_view Field) noexcept {
  std::size_t i = SkipWhite(Field, 0);
  bool negative = false;
  if (i < Field.size() && (Field[i] == '+' || Field[i] == '-')) negative = Field[i++] == '-';
  // Accumulated as a magnitude that stops growing past the 32-bit range.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t v = 0;
  for (; i < Field.size() && Field[i] >= '0' && Field[i] <= '9'; ++i)
    if (v <= kLimit) v = v * 10 + (Field[i] - '0');
  if (negative) return v >= kLimit ? std::numeric_limits<std::int32_t>::min() : static_cast<std::int32_t>(-v);
  return v >= kLimit ? std::numeric_limits<std::int32_t>::max() : static_cast<std::int32_t>(v);
}

std::int32_t XmlAttrInt(std::string_view Attr, std::string_view Name) noexcept {
  for (std::size_t at = Attr.find(Name); at != std::string_view::npos; at = Attr.find(Name, at + 1)) {
    const std::size_t eq = at + Name.size();
    if (eq + 1 < Attr.size() && Attr[eq] == '=' && Attr[eq + 1] == '"') return XmlScanInt(Attr.substr(eq + 2));
  }
  return 0;
}

double XmlScanReal(std::string_view Field) noexcept {
  std::size_t i = SkipWhite(Field, 0);
  if (i < Field.size() && Field[i] == '+') ++i;
  double v = 0.0;
  const char* first = Field.data() + i;
  const auto [ptr, ec] = std::from_chars(first, Field.data() + Field.size(), v);
  // Out of range: from_chars leaves v alone; the text meant a huge or tiny magnitude.
  if (ec == std::errc::result_out_of_range) {
    const bool negative = *first == '-';
    const std::string_view digits = Field.substr(i + (negative ? 1 : 0));
    // Told apart by the exponent's sign, without one by a zero integer part.
    const std::size_t e = digits.find_first_of("eE");
    const bool tiny = e != std::string_view::npos
                          ? XmlScanInt(digits.substr(e + 1)) < 0
                          : digits.substr(0, digits.find('.')).find_first_not_of('0') == std::string_view::npos;
    v = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    return negative ? -v : v;
  }
  return ec == std::errc() ? v : 0.0;
}

// --- writer --------------------------------------------------------------------------------------

TMatXmlWriter::TMatXmlWriter(std::ostream& Out, bool CreateHeader, std::string_view DataID,
                             std::span<const std::int32_t> Dims)
    : FOut(Out), FAttrs(XmlIndexAttrs(Dims.size())) {
  FBuf.reserve(kFlushBytes + 256);
  if (CreateHeader) FBuf += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  FBuf += "<matrix id=\"";
  FBuf += XmlEscape(DataID);
  FBuf += "\">\n";
  for (std::size_t d = 0; d < Dims.size(); ++d) {
    const std::string_view word = kMatXmlTagWords[d];
    ((FBuf += '<') += word) += '>';
    FBuf += std::to_string(Dims[d]);
    ((FBuf += "</") += word) += ">\n";
  }
}

void TMatXmlWriter::OpenCell(std::span<const std::int32_t> Ix) {
  char num[16];
  FBuf += "<cell";
  for (std::size_t d = 0; d < Ix.size(); ++d) {
    ((FBuf += ' ') += FAttrs[d]) += "=\"";
    const auto r = std::to_chars(num, num + sizeof num, Ix[d]);
    FBuf.append(num, r.ptr);
    FBuf += '"';
  }
  FBuf += '>';
}

void TMatXmlWriter::CloseCell() {
  FBuf += "</cell>\n";
  if (FBuf.size() >= kFlushBytes) {
    FOut.write(FBuf.data(), static_cast<std::streamsize>(FBuf.size()));
    FBuf.clear();
  }
}

void TMatXmlWriter::Cell(std::span<const std::int32_t> Ix, double Value) {
  OpenCell(Ix);
  char num[32];
  const auto r = std::to_chars(num, num + sizeof num, Value);
  FBuf.append(num, r.ptr);
  CloseCell();
}

void TMatXmlWriter::Cell(std::span<const std::int32_t> Ix, std::int32_t Value) {
  OpenCell(Ix);
  char num[16];
  const auto r = std::to_chars(num, num + sizeof num, Value);
  FBuf.append(num, r.ptr);
  CloseCell();
}

void TMatXmlWriter::Finish() {
  FBuf += "</matrix>\n";
  FOut.write(FBuf.data(), static_cast<std::streamsize>(FBuf.size()));
  FBuf.clear();
}

// --- reader --------------------------------------------------------------------------------------

bool OpenMatrix(std::string_view Text, std::string_view DataID, std::string& FoundID, std::size_t& Body) {
  if (Text.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return false;
  std::string_view attr, id;
  if (!MatrixTag(Text, attr, Body)) return false;
  FoundID = IdOf(attr, id) ? XmlUnescape(id) : std::string();
  return DataID.empty() || FoundID == DataID;
}

bool CountsFitText(std::span<const std::int32_t> Counts, std::size_t Chars) noexcept {
  std::uint64_t cells = 1;
  for (const std::int32_t n : Counts) {
    if (n < 1) return false;
    cells *= static_cast<std::uint64_t>(n);  // at most Chars * 2^31: no overflow
    if (cells > Chars) return false;
  }
  return true;
}

// --- files and streams ---------------------------------------------------------------------------

bool LoadXmlFile(const std::string& FName, const TXmlTextReader& Read) {
  std::ifstream file(FName, std::ios::binary);
  if (!file) return false;
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::int32_t end = 0;
  return Read(text, end);
}

bool ReadXmlStream(TStream& InStream, const TXmlTextReader& Read) {
  const std::int64_t start = InStream.Position();
  const std::int64_t left = InStream.Size() - start;
  if (left <= 0 || left >= std::numeric_limits<std::int32_t>::max()) return false;
  std::string text(static_cast<std::size_t>(left), '\0');
  text.resize(static_cast<std::size_t>(InStream.Read(text.data(), left)));
  std::int32_t end = 0;
  if (!Read(text, end)) {
    InStream.SetPosition(start);
    return false;
  }
  InStream.SetPosition(start + end - 1);
  return true;
}

bool ReadXmlOpenFile(std::istream& In, const TXmlTextReader& Read) {
  // Pieces ending in '>' until one closes the matrix element.
  std::string text, piece;
  while (std::getline(In, piece, '>')) {
    text += piece;
    if (In.eof()) break;  // the input ended before a '>'
    text += '>';
    if (piece.size() >= kEndTag.size() &&
        EqualStrings(std::string_view(piece).substr(piece.size() - kEndTag.size()), kEndTag, false))
      break;
  }
  std::int32_t end = 0;
  return Read(text, end);
}

bool SaveXmlFile(const std::string& FName, const TXmlTextWriter& Write) {
  std::ofstream file(FName, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  Write(file);
  file.close();
  return static_cast<bool>(file);
}

void WriteXmlStream(TStream& OutStream, const TXmlTextWriter& Write) {
  std::ostringstream text;
  Write(text);
  const std::string s = std::move(text).str();
  OutStream.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
}

}  // namespace kvl::matfile_internal
