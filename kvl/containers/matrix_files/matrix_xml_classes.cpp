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

// --- TMatrix -------------------------------------------------------------------------------------

void TMatrix::WriteToOpenXMLFile(std::ostream& TFile, bool CreateHeader, std::string_view DataID) const {
  mf::TMatXmlWriter w(TFile, CreateHeader, DataID, std::array{FNCol, FNRow});
  const double* cell = FData.data();
  for (std::int32_t c = 1; c <= FNCol; ++c)
    for (std::int32_t r = 1; r <= FNRow; ++r) w.Cell(std::array{c, r}, *cell++);
  w.Finish();
}

void TMatrix::WriteToXMLStream(TStream& OutStream, bool CreateHeader, std::string_view DataID) const {
  mf::WriteXmlStream(OutStream, [&](std::ostream& o) { WriteToOpenXMLFile(o, CreateHeader, DataID); });
}

bool TMatrix::SaveAsXMLFile(const std::string& FName, std::string_view DataID) const {
  return mf::SaveXmlFile(FName, [&](std::ostream& o) { WriteToOpenXMLFile(o, true, DataID); });
}

bool TMatrix::LoadFromXMLFile(const std::string& FName, std::string_view DataID) {
  return mf::LoadXmlFile(FName, [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); });
}

bool TMatrix::ReadFromXMLStream(TStream& InStream, std::string_view DataID) {
  return mf::ReadXmlStream(InStream, [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); });
}

bool TMatrix::ReadFromOpenXMLFile(std::istream& TFile, std::string_view DataID) {
  return mf::ReadXmlOpenFile(TFile, [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); });
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

void TIntMatrix::WriteToXMLStream(TStream& OutStream, bool CreateHeader, std::string_view DataID) const {
  mf::WriteXmlStream(OutStream, [&](std::ostream& o) { WriteToOpenXMLFile(o, CreateHeader, DataID); });
}

bool TIntMatrix::SaveAsXMLFile(const std::string& FName, std::string_view DataID) const {
  return mf::SaveXmlFile(FName, [&](std::ostream& o) { WriteToOpenXMLFile(o, true, DataID); });
}

bool TIntMatrix::LoadFromXMLFile(const std::string& FName, std::string_view DataID) {
  return mf::LoadXmlFile(FName, [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); });
}

bool TIntMatrix::ReadFromXMLStream(TStream& InStream, std::string_view DataID) {
  return mf::ReadXmlStream(InStream, [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); });
}

bool TIntMatrix::ReadFromOpenXMLFile(std::istream& TFile, std::string_view DataID) {
  return mf::ReadXmlOpenFile(TFile, [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); });
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

// --- TMat3D --------------------------------------------------------------------------------------

void TMat3D::WriteToOpenXMLFile(std::ostream& TFile, bool CreateHeader, std::string_view DataID) const {
  mf::TMatXmlWriter w(TFile, CreateHeader, DataID, FDims);
  ForBlock({1, 1, 1}, FDims, [&](const TIndex& ix, std::size_t o) { w.Cell(ix, FCells[o]); });
  w.Finish();
}

void TMat3D::WriteToXMLStream(TStream& OutStream, bool CreateHeader, std::string_view DataID) const {
  mf::WriteXmlStream(OutStream, [&](std::ostream& o) { WriteToOpenXMLFile(o, CreateHeader, DataID); });
}

bool TMat3D::SaveAsXMLFile(const std::string& FName, std::string_view DataID) const {
  return mf::SaveXmlFile(FName, [&](std::ostream& o) { WriteToOpenXMLFile(o, true, DataID); });
}

bool TMat3D::LoadFromXMLFile(const std::string& FName, std::string_view DataID) {
  return mf::LoadXmlFile(FName, [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); });
}

bool TMat3D::ReadFromXMLStream(TStream& InStream, std::string_view DataID) {
  return mf::ReadXmlStream(InStream, [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); });
}

bool TMat3D::ReadFromOpenXMLFile(std::istream& TFile, std::string_view DataID) {
  return mf::ReadXmlOpenFile(TFile, [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); });
}

std::int32_t TMat3D::ProcessXmlTag(TMatXmlTag Tag, std::string_view Attr, std::string_view Content) {
  return mf::ProcessMatXmlTag<3>(
      Tag, Attr, Content, {&FAux[0], &FAux[1], &FAux[2]}, FirstCell, [this](const TIndex& n) { ResizeTo(n); },
      [this](const TIndex& ix, std::string_view v) { Set(ix, mf::XmlScanReal(v)); });
}

bool TMat3D::ReadXMLText(std::string_view Text, std::string_view DataID, std::int32_t& EndPos) {
  TMat3D tmp;
  tmp.FirstCell = true;
  std::string id;
  if (!mf::ReadMatrixXml(
          Text, DataID, id, EndPos,
          [&tmp](TMatXmlTag t, std::string_view a, std::string_view c) { return tmp.ProcessXmlTag(t, a, c); },
          [&tmp] { return tmp.FAux; }))
    return false;
  FCells.swap(tmp.FCells);
  FDims = tmp.FDims;
  FStride = tmp.FStride;
  FDataID = std::move(id);
  Changed();
  Resized();
  return true;
}

// --- TMat4D --------------------------------------------------------------------------------------

void TMat4D::WriteToOpenXMLFile(std::ostream& TFile, bool CreateHeader, std::string_view DataID) const {
  mf::TMatXmlWriter w(TFile, CreateHeader, DataID, FDims);
  ForBlock({1, 1, 1, 1}, FDims, [&](const TIndex& ix, std::size_t o) { w.Cell(ix, FCells[o]); });
  w.Finish();
}

void TMat4D::WriteToXMLStream(TStream& OutStream, bool CreateHeader, std::string_view DataID) const {
  mf::WriteXmlStream(OutStream, [&](std::ostream& o) { WriteToOpenXMLFile(o, CreateHeader, DataID); });
}

bool TMat4D::SaveAsXMLFile(const std::string& FName, std::string_view DataID) const {
  return mf::SaveXmlFile(FName, [&](std::ostream& o) { WriteToOpenXMLFile(o, true, DataID); });
}

bool TMat4D::LoadFromXMLFile(const std::string& FName, std::string_view DataID) {
  return mf::LoadXmlFile(FName, [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); });
}

bool TMat4D::ReadFromXMLStream(TStream& InStream, std::string_view DataID) {
  return mf::ReadXmlStream(InStream, [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); });
}

bool TMat4D::ReadFromOpenXMLFile(std::istream& TFile, std::string_view DataID) {
  return mf::ReadXmlOpenFile(TFile, [&](std::string_view t, std::int32_t& e) { return ReadXMLText(t, DataID, e); });
}

std::int32_t TMat4D::ProcessXmlTag(TMatXmlTag Tag, std::string_view Attr, std::string_view Content) {
  return mf::ProcessMatXmlTag<4>(
      Tag, Attr, Content, {&FAux[0], &FAux[1], &FAux[2], &FAux[3]}, FirstCell,
      [this](const TIndex& n) { ResizeTo(n); },
      [this](const TIndex& ix, std::string_view v) { Set(ix, mf::XmlScanReal(v)); });
}

bool TMat4D::ReadXMLText(std::string_view Text, std::string_view DataID, std::int32_t& EndPos) {
  TMat4D tmp;
  tmp.FirstCell = true;
  std::string id;
  if (!mf::ReadMatrixXml(
          Text, DataID, id, EndPos,
          [&tmp](TMatXmlTag t, std::string_view a, std::string_view c) { return tmp.ProcessXmlTag(t, a, c); },
          [&tmp] { return tmp.FAux; }))
    return false;
  FCells.swap(tmp.FCells);
  FDims = tmp.FDims;
  FStride = tmp.FStride;
  FDataID = std::move(id);
  Changed();
  Resized();
  return true;
}

}  // namespace kvl
