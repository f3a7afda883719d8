// The XML-like cell text of TMatrix, TIntMatrix, TMat3D and TMat4D: each
// class hands its dimensions, cells, count fields and cell setter to the
// shared frame of internal/matrix_xml.h. A read fills a fresh object of the
// class; this object takes its cells (OnChange, OnResize) only when the
// whole text was accepted, and is left untouched otherwise.

#include <array>
#include <ostream>

#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/matrix_files/internal/matrix_xml.h"

namespace kvl {

namespace mf = matfile_internal;

// The file and stream forms are the same for every class: each hands its
// writer and its text reader to the shared sources and sinks.
#define KVL_MATRIX_XML_FORMS(Class)                                                                       \
  void Class::WriteToXMLStream(TStream& OutStream, bool CreateHeader, std::string_view DataID) const {    \
    mf::WriteXmlStream(OutStream, [&](std::ostream& o) { WriteToOpenXMLFile(o, CreateHeader, DataID); }); \
  }                                                                                                       \
  bool Class::SaveAsXMLFile(const std::string& FName, std::string_view DataID) const {                    \
    return mf::SaveXmlFile(FName, [&](std::ostream& o) { WriteToOpenXMLFile(o, true, DataID); });         \
  }                                                                                                       \
  bool Class::LoadFromXMLFile(const std::string& FName, std::string_view DataID) {                        \
    const auto read = [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); };     \
    return mf::LoadXmlFile(FName, read);                                                                  \
  }                                                                                                       \
  bool Class::ReadFromXMLStream(TStream& InStream, std::string_view DataID) {                             \
    const auto read = [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); };     \
    return mf::ReadXmlStream(InStream, read);                                                             \
  }                                                                                                       \
  bool Class::ReadFromOpenXMLFile(std::istream& TFile, std::string_view DataID) {                         \
    const auto read = [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); };     \
    return mf::ReadXmlOpenFile(TFile, read);                                                              \
  }

KVL_MATRIX_XML_FORMS(TMatrix)
KVL_MATRIX_XML_FORMS(TIntMatrix)
KVL_MATRIX_XML_FORMS(TMat3D)
KVL_MATRIX_XML_FORMS(TMat4D)

#undef KVL_MATRIX_XML_FORMS

// --- TMatrix -------------------------------------------------------------------------------------

void TMatrix::WriteToOpenXMLFile(std::ostream& TFile, bool CreateHeader, std::string_view DataID) const {
  mf::TMatXmlWriter w(TFile, CreateHeader, DataID, std::array{FNCol, FNRow});
  const double* cell = FData.data();
  for (std::int32_t c = 1; c <= FNCol; ++c)
    for (std::int32_t r = 1; r <= FNRow; ++r) w.Cell(std::array{c, r}, *cell++);
  w.Finish();
}

std::int32_t TMatrix::ProcessXmlTag(TMatXmlTag Tag, std::string_view Attr, std::string_view Content) {
  return mf::ProcessMatXmlTag<2>(
      Tag, Attr, Content, {&FAuxCol, &FAuxRow}, FirstCell, [this](const auto& n) { Resize(n[0], n[1]); },
      [this](const auto& ix, std::string_view v) { SetVal(ix[0], ix[1], mf::XmlScanReal(v)); });
}

bool TMatrix::ReadXMLText(std::string_view Text, std::string_view DataID, std::int32_t& EndPos) {
  TMatrix tmp;
  tmp.FirstCell = true;
  std::string id;
  if (!mf::ReadMatrixXml(
          Text, DataID, id, EndPos,
          [&tmp](TMatXmlTag t, std::string_view a, std::string_view c) { return tmp.ProcessXmlTag(t, a, c); },
          [&tmp] { return std::array{tmp.FAuxCol, tmp.FAuxRow}; }))
    return false;
  FData.swap(tmp.FData);
  FNCol = tmp.FNCol;
  FNRow = tmp.FNRow;
  FDataID = std::move(id);
  Changed();
  Resized();
  return true;
}

// --- TIntMatrix ----------------------------------------------------------------------------------

void TIntMatrix::WriteToOpenXMLFile(std::ostream& TFile, bool CreateHeader, std::string_view DataID) const {
  mf::TMatXmlWriter w(TFile, CreateHeader, DataID, std::array{FNCol, FNRow});
  if (!FIsSparse) {
    const std::int32_t* cell = FData.data();
    for (std::int32_t c = 1; c <= FNCol; ++c)
      for (std::int32_t r = 1; r <= FNRow; ++r) w.Cell(std::array{c, r}, *cell++);
  } else {
    // The dense image: the entries are sorted by column, then row, as the cells are walked.
    const std::span<const TSpMatElemInt> entries = FSparse.Entries();
    std::size_t k = 0;
    for (std::int32_t c = 1; c <= FNCol; ++c)
      for (std::int32_t r = 1; r <= FNRow; ++r) {
        std::int32_t v = 0;
        if (k < entries.size() && entries[k].colidx == c && entries[k].rowidx == r) v = entries[k++].value;
        w.Cell(std::array{c, r}, v);
      }
  }
  w.Finish();
}

std::int32_t TIntMatrix::ProcessXmlTag(TMatXmlTag Tag, std::string_view Attr, std::string_view Content) {
  return mf::ProcessMatXmlTag<2>(
      Tag, Attr, Content, {&FAuxCol, &FAuxRow}, FirstCell, [this](const auto& n) { Resize(n[0], n[1]); },
      [this](const auto& ix, std::string_view v) { SetVal(ix[0], ix[1], mf::XmlScanInt(v)); });
}

bool TIntMatrix::ReadXMLText(std::string_view Text, std::string_view DataID, std::int32_t& EndPos) {
  TIntMatrix tmp;  // dense: cells outside the announced size are ignored
  tmp.FirstCell = true;
  std::string id;
  if (!mf::ReadMatrixXml(
          Text, DataID, id, EndPos,
          [&tmp](TMatXmlTag t, std::string_view a, std::string_view c) { return tmp.ProcessXmlTag(t, a, c); },
          [&tmp] { return std::array{tmp.FAuxCol, tmp.FAuxRow}; }))
    return false;
  FSparse.Clear();
  FNumAllocated = 0;
  FIsSparse = false;
  ResetBox();
  FData.swap(tmp.FData);
  FNCol = tmp.FNCol;
  FNRow = tmp.FNRow;
  FDataID = std::move(id);
  Changed();
  Resized();
  return true;
}

// --- TMat3D and TMat4D: one body over the number of dimensions -----------------------------------

template <std::size_t N>
void TMatNDBase<N>::XmlWrite(std::ostream& TFile, bool CreateHeader, std::string_view DataID) const {
  mf::TMatXmlWriter w(TFile, CreateHeader, DataID, FDims);
  TIndex first;
  first.fill(1);
  ForBlock(first, FDims, [&](const TIndex& ix, std::size_t o) { w.Cell(ix, FCells[o]); });
  w.Finish();
}

template <std::size_t N>
std::int32_t TMatNDBase<N>::XmlTag(TMatXmlTag Tag, std::string_view Attr, std::string_view Content) {
  std::array<std::int32_t*, N> aux;
  for (std::size_t d = 0; d < N; ++d) aux[d] = &FAux[d];
  return mf::ProcessMatXmlTag<N>(
      Tag, Attr, Content, aux, FirstCell, [this](const TIndex& n) { ResizeTo(n); },
      [this](const TIndex& ix, std::string_view v) { Set(ix, mf::XmlScanReal(v)); });
}

template <std::size_t N>
bool TMatNDBase<N>::XmlRead(TMatNDBase& Fresh, std::string_view Text, std::string_view DataID, std::int32_t& EndPos) {
  Fresh.FirstCell = true;
  std::string id;
  if (!mf::ReadMatrixXml(
          Text, DataID, id, EndPos,
          [&Fresh](TMatXmlTag t, std::string_view a, std::string_view c) { return Fresh.XmlTag(t, a, c); },
          [&Fresh] { return Fresh.FAux; }))
    return false;
  FCells.swap(Fresh.FCells);
  FDims = Fresh.FDims;
  FStride = Fresh.FStride;
  FDataID = std::move(id);
  Changed();
  Resized();
  return true;
}

template void TMatNDBase<3>::XmlWrite(std::ostream&, bool, std::string_view) const;
template void TMatNDBase<4>::XmlWrite(std::ostream&, bool, std::string_view) const;
template std::int32_t TMatNDBase<3>::XmlTag(TMatXmlTag, std::string_view, std::string_view);
template std::int32_t TMatNDBase<4>::XmlTag(TMatXmlTag, std::string_view, std::string_view);
template bool TMatNDBase<3>::XmlRead(TMatNDBase&, std::string_view, std::string_view, std::int32_t&);
template bool TMatNDBase<4>::XmlRead(TMatNDBase&, std::string_view, std::string_view, std::int32_t&);

// The two classes hand their text to the shared body of their base.
#define KVL_MATND_XML(Class)                                                                              \
  void Class::WriteToOpenXMLFile(std::ostream& TFile, bool CreateHeader, std::string_view DataID) const { \
    XmlWrite(TFile, CreateHeader, DataID);                                                                \
  }                                                                                                       \
  std::int32_t Class::ProcessXmlTag(TMatXmlTag Tag, std::string_view Attr, std::string_view Content) {    \
    return XmlTag(Tag, Attr, Content);                                                                    \
  }                                                                                                       \
  bool Class::ReadXMLText(std::string_view Text, std::string_view DataID, std::int32_t& EndPos) {         \
    Class fresh;                                                                                          \
    return XmlRead(fresh, Text, DataID, EndPos);                                                          \
  }

KVL_MATND_XML(TMat3D)
KVL_MATND_XML(TMat4D)

#undef KVL_MATND_XML

}  // namespace kvl
