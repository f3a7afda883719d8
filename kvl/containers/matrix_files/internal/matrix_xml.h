#pragma once
// The XML-like cell text of TMatrix, TIntMatrix, TMat3D and TMat4D, written
// once over the number of dimensions N (2, 3 or 4):
//
//   <?xml version="1.0" encoding="UTF-8"?>     only with CreateHeader
//   <matrix id="DataID">                       DataID through XmlEscape
//   <numcols>3</numcols>                       the counts of the N dimensions:
//   <numrows>2</numrows>                       numcols numrows [numplanes [numtimeslots]]
//   <cell ix="1" iy="1">1.5</cell>             every cell, in storage order
//   ...
//   </matrix>
//
// A cell's indices are the attributes ix iy (2-D), ix iy iz (TMat3D) or
// ix iy il it (TMat4D); its content is the shortest decimal text that reads
// back to the same Double (std::to_chars), or a decimal integer.
//
// Reading: the first opening matrix tag of the text must carry DataID as
// its id when DataID is not empty. The tags after it, read one by one by
// ReadNextTagInString, go to the class's ProcessXmlTag on a fresh object
// until it returns 1 (the closing tag /matrix); -1 (an unrecognised tag) or
// the end of the text before /matrix fails the read. Before the first cell
// the announced counts must all be at least 1 and their product must not
// exceed the number of characters after the opening tag (each cell takes
// many more), so a text can never make a reader allocate more than about
// eight bytes per character it holds.
// The loaded object takes the fresh one's cells only when everything held.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "kvl/base/KVL_stringl.h"
#include "kvl/containers/matrix_files/matrix_xml_tag.h"

namespace kvl::matfile_internal {

/// kMatXmlTagWords: the tag words indexed by TMatXmlTag. A constant table,
/// initialised before any code of the library runs and never released.
inline constexpr std::array<std::string_view, 8> kMatXmlTagWords{
    "numcols", "numrows", "numplanes", "numtimeslots", "cell", "matrix", "/matrix", "invalidtag"};

/// XmlIndexAttrs: the attribute names of a cell's indices for N dimensions
/// (N from 2 to 4).
std::span<const std::string_view> XmlIndexAttrs(std::size_t N) noexcept;

/// XmlScanInt: blanks (any white space) skipped, an optional + or -, then
/// decimal digits up to the first other character; 0 when there are none.
/// Values beyond the 32-bit range are held at its limits.
std::int32_t XmlScanInt(std::string_view Field) noexcept;
/// XmlAttrInt: XmlScanInt of the text after Name=" at its first occurrence
/// in Attr; 0 when Name=" does not occur.
std::int32_t XmlAttrInt(std::string_view Attr, std::string_view Name) noexcept;
/// XmlScanReal: blanks skipped, an optional +, then the longest prefix that
/// reads as a decimal real (also inf and nan); 0 when there is none.
double XmlScanReal(std::string_view Field) noexcept;

/// TMatXmlWriter: writes the frame and the cells of one matrix to Out.
class TMatXmlWriter {
 public:
  /// Writes the declaration (CreateHeader), the matrix tag and the counts Dims.
  TMatXmlWriter(std::ostream& Out, bool CreateHeader, std::string_view DataID, std::span<const std::int32_t> Dims);
  /// Cell: one cell tag with the indices Ix and a Double or Integer value.
  void Cell(std::span<const std::int32_t> Ix, double Value);
  void Cell(std::span<const std::int32_t> Ix, std::int32_t Value);
  /// Finish: the closing tag; everything reaches Out.
  void Finish();

 private:
  void OpenCell(std::span<const std::int32_t> Ix);
  void CloseCell();
  std::ostream& FOut;
  std::span<const std::string_view> FAttrs;
  std::string FBuf;
};

/// OpenMatrix: finds the first opening matrix tag of Text; Body is the
/// 0-based position after it and FoundID its unescaped id. False when there
/// is none, the text is too long for 32-bit positions, or DataID is not
/// empty and differs from the id.
bool OpenMatrix(std::string_view Text, std::string_view DataID, std::string& FoundID, std::size_t& Body);

/// CountsFitText: every count at least 1 and their product at most Chars.
bool CountsFitText(std::span<const std::int32_t> Counts, std::size_t Chars) noexcept;

/// ReadMatrixXml: the reader above. Process(tag, attr, content) is the
/// ProcessXmlTag of the fresh object, Aux() its announced counts (an array).
/// True when the matrix was read to its closing tag with at least one cell;
/// EndPos is then the 1-based position after that tag.
template <class ProcessFn, class AuxFn>
bool ReadMatrixXml(std::string_view Text, std::string_view DataID, std::string& FoundID, std::int32_t& EndPos,
                   ProcessFn&& Process, AuxFn&& Aux) {
  std::size_t body = 0;
  if (!OpenMatrix(Text, DataID, FoundID, body)) return false;
  if (Process(TMatXmlTag::xmlMatBegin, std::string_view{}, std::string_view{}) != 0) return false;
  auto pos = static_cast<std::int32_t>(body + 1);
  std::string attr, content;
  bool cellSeen = false;
  std::int32_t t;
  while ((t = ReadNextTagInString(Text, kMatXmlTagWords, pos, attr, content)) >= 0) {
    const auto tag = static_cast<TMatXmlTag>(t);
    if (tag == TMatXmlTag::xmlMatCell && !cellSeen) {
      cellSeen = true;
      const auto counts = Aux();
      if (!CountsFitText(counts, Text.size() - body)) return false;
    }
    const std::int32_t r = Process(tag, std::string_view(attr), std::string_view(content));
    if (r < 0) return false;
    if (r > 0) {
      EndPos = pos;
      return cellSeen;
    }
  }
  return false;  // the text ended before </matrix>
}

/// ProcessMatXmlTag: ProcessXmlTag of a class of N dimensions: the count
/// tags set *Aux[d], the first cell while FirstCell clears it and calls
/// Resize(counts), every cell calls Set(indices, content). 1 for the end
/// tag, -1 for an invalid one, 0 otherwise.
template <std::size_t N, class ResizeFn, class SetFn>
std::int32_t ProcessMatXmlTag(TMatXmlTag Tag, std::string_view Attr, std::string_view Content,
                              const std::array<std::int32_t*, N>& Aux, bool& FirstCell, ResizeFn&& Resize,
                              SetFn&& Set) {
  switch (Tag) {
    case TMatXmlTag::xmlMatEnd:
      return 1;
    case TMatXmlTag::xmlMatBegin:
      return 0;
    case TMatXmlTag::xmlMatCell: {
      if (FirstCell) {
        FirstCell = false;
        std::array<std::int32_t, N> counts;
        for (std::size_t d = 0; d < N; ++d) counts[d] = *Aux[d];
        Resize(counts);
      }
      const std::span<const std::string_view> names = XmlIndexAttrs(N);
      std::array<std::int32_t, N> ix;
      for (std::size_t d = 0; d < N; ++d) ix[d] = XmlAttrInt(Attr, names[d]);
      Set(ix, Content);
      return 0;
    }
    case TMatXmlTag::xmlMatNumCols:
    case TMatXmlTag::xmlMatNumRows:
    case TMatXmlTag::xmlMatNumLayers:
    case TMatXmlTag::xmlMatNumTimeSlots: {
      // The count tags are the first ordinals, in the order of the dimensions;
      // one beyond the class's dimensions has no effect.
      const auto d = static_cast<std::size_t>(Tag);
      if (d < N) *Aux[d] = XmlScanInt(Content);
      return 0;
    }
    default:
      return -1;
  }
}

/// The text sources and sinks of the public operations; Read gets the text
/// and returns whether a matrix was loaded and where it ended (1-based).
using TXmlTextReader = std::function<bool(std::string_view Text, std::int32_t& EndPos)>;
using TXmlTextWriter = std::function<void(std::ostream& Out)>;

/// LoadXmlFile: the whole file to Read; false for a missing file.
bool LoadXmlFile(const std::string& FName, const TXmlTextReader& Read);
/// ReadXmlStream: InStream from its position to Read; on success the
/// position is left just after the matrix element.
bool ReadXmlStream(TStream& InStream, const TXmlTextReader& Read);
/// ReadXmlOpenFile: the text up to the end of the first matrix element
/// (the stream is left after its '>') to Read.
bool ReadXmlOpenFile(std::istream& In, const TXmlTextReader& Read);
/// SaveXmlFile: Write (with CreateHeader) into a new file; false when the
/// file cannot be written.
bool SaveXmlFile(const std::string& FName, const TXmlTextWriter& Write);
/// WriteXmlStream: Write's text at OutStream's position.
void WriteXmlStream(TStream& OutStream, const TXmlTextWriter& Write);

}  // namespace kvl::matfile_internal
