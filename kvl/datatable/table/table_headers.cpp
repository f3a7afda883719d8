// TDataTable: names, attributes and their levels, scale types and the
// nominal identifiers.

#include <algorithm>
#include <array>
#include <string>

#include "kvl/base/KVL_stringl.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/datatable/table/internal/table_internal.h"

namespace kvl {

using namespace datatable_internal;

namespace {

const TDTNameStr kNoText;

std::size_t Ix(std::int32_t Number) noexcept { return static_cast<std::size_t>(Number - 1); }

// FindName: the first of Names equal to Key after cutting to 50 bytes,
// stripping blanks and folding case; 0 if none.
std::int32_t FindName(const std::vector<TDTNameStr>& Names, std::string_view Key) {
  const std::string_view key = TrimView(CutToBytes(Key, DTNameLength), " ");
  for (std::size_t i = 0; i < Names.size(); ++i)
    if (EqualStrings(TrimView(Names[i], " "), key, false)) return static_cast<std::int32_t>(i + 1);
  return 0;
}

std::int32_t MaxLength(const std::vector<TDTNameStr>& Names) {
  std::int32_t longest = 0;
  for (const TDTNameStr& n : Names) longest = std::max(longest, UTF8Length(n));
  return longest;
}

// CountLevels: the number of distinct values; 0..255 in bins, the rest sorted.
std::int32_t CountLevels(const std::vector<std::int32_t>& Values) {
  std::array<bool, 256> seen{};
  std::vector<std::int32_t> others;
  std::int32_t levels = 0;
  for (std::int32_t v : Values) {
    if (v >= 0 && v <= 255) {
      if (!seen[static_cast<std::size_t>(v)]) ++levels;
      seen[static_cast<std::size_t>(v)] = true;
    } else {
      others.push_back(v);
    }
  }
  std::sort(others.begin(), others.end());
  return levels + static_cast<std::int32_t>(std::unique(others.begin(), others.end()) - others.begin());
}

// Extreme: the first of Values[First-1 .. Last-1] that no later one beats
// (Better(a, b): a replaces b); Index receives its number.
template <class Better>
std::int32_t Extreme(const std::vector<std::int32_t>& Values, std::int32_t First, std::int32_t Last,
                     std::int32_t& Index, Better better) {
  Index = 0;
  if (First > Last) return 0;
  Index = First;
  for (std::int32_t i = First + 1; i <= Last; ++i)
    if (better(Values[Ix(i)], Values[Ix(Index)])) Index = i;
  return Values[Ix(Index)];
}

void SetMasked(std::vector<std::int32_t>& Values, std::int32_t Attrib, std::uint32_t Mask) {
  const auto bits = static_cast<std::uint32_t>(Attrib) & Mask;
  for (std::int32_t& v : Values) v = static_cast<std::int32_t>((static_cast<std::uint32_t>(v) & ~Mask) | bits);
}

}  // namespace

// --- names ------------------------------------------------------------------------------------

const TDTNameStr& TDataTable::ColName(std::int32_t ColNr) const noexcept {
  return ValidCol(ColNr) ? FColName[Ix(ColNr)] : kNoText;
}

void TDataTable::SetColName(std::int32_t ColNr, std::string_view Value) {
  if (!ValidCol(ColNr)) return;
  FColName[Ix(ColNr)] = CutToBytes(Value, DTNameLength);
  Fire(OnChangeNames);
}

const TDTNameStr& TDataTable::RowName(std::int32_t RowNr) const noexcept {
  return ValidRow(RowNr) ? FRowName[Ix(RowNr)] : kNoText;
}

void TDataTable::SetRowName(std::int32_t RowNr, std::string_view Value) {
  if (!ValidRow(RowNr)) return;
  FRowName[Ix(RowNr)] = CutToBytes(Value, DTNameLength);
  Fire(OnChangeNames);
}

std::int32_t TDataTable::MaxColNameLength() const { return MaxLength(FColName); }
std::int32_t TDataTable::MaxRowNameLength() const { return MaxLength(FRowName); }
std::int32_t TDataTable::FindColIndex(std::string_view ColID) const { return FindName(FColName, ColID); }
std::int32_t TDataTable::FindRowIndex(std::string_view RowID) const { return FindName(FRowName, RowID); }

// --- attributes -------------------------------------------------------------------------------

std::int32_t TDataTable::ColAttrib(std::int32_t ColNr) const noexcept {
  return ValidCol(ColNr) ? FColAtt[Ix(ColNr)] : 0;
}

void TDataTable::SetColAttrib(std::int32_t ColNr, std::int32_t Value) {
  if (!ValidCol(ColNr)) return;
  FColAtt[Ix(ColNr)] = Value;
  Fire(OnChangeAttrib);
}

std::int32_t TDataTable::RowAttrib(std::int32_t RowNr) const noexcept {
  return ValidRow(RowNr) ? FRowAtt[Ix(RowNr)] : 0;
}

void TDataTable::SetRowAttrib(std::int32_t RowNr, std::int32_t Value) {
  if (!ValidRow(RowNr)) return;
  FRowAtt[Ix(RowNr)] = Value;
  Fire(OnChangeAttrib);
}

void TDataTable::SetRowAttributes(std::int32_t Attrib) { SetRowAttributes(Attrib, 0xFFFFFFFFu); }

void TDataTable::SetRowAttributes(std::int32_t Attrib, std::uint32_t Mask) {
  SetMasked(FRowAtt, Attrib, Mask);
  Fire(OnChangeAttrib);
}

void TDataTable::SetColAttributes(std::int32_t Attrib) { SetColAttributes(Attrib, 0xFFFFFFFFu); }

void TDataTable::SetColAttributes(std::int32_t Attrib, std::uint32_t Mask) {
  SetMasked(FColAtt, Attrib, Mask);
  Fire(OnChangeAttrib);
}

std::int32_t TDataTable::RowAttribLevels() const { return CountLevels(FRowAtt); }
std::int32_t TDataTable::ColAttribLevels() const { return CountLevels(FColAtt); }

std::int32_t TDataTable::MaxRowAttrib(std::int32_t FirstRow, std::int32_t LastRow, std::int32_t& Row) const {
  MakeValidRowRange(FirstRow, LastRow);
  return Extreme(FRowAtt, FirstRow, LastRow, Row, [](std::int32_t a, std::int32_t b) { return a > b; });
}

std::int32_t TDataTable::MinRowAttrib(std::int32_t FirstRow, std::int32_t LastRow, std::int32_t& Row) const {
  MakeValidRowRange(FirstRow, LastRow);
  return Extreme(FRowAtt, FirstRow, LastRow, Row, [](std::int32_t a, std::int32_t b) { return a < b; });
}

std::int32_t TDataTable::MaxColAttrib(std::int32_t FirstCol, std::int32_t LastCol, std::int32_t& Col) const {
  MakeValidColRange(FirstCol, LastCol);
  return Extreme(FColAtt, FirstCol, LastCol, Col, [](std::int32_t a, std::int32_t b) { return a > b; });
}

std::int32_t TDataTable::MinColAttrib(std::int32_t FirstCol, std::int32_t LastCol, std::int32_t& Col) const {
  MakeValidColRange(FirstCol, LastCol);
  return Extreme(FColAtt, FirstCol, LastCol, Col, [](std::int32_t a, std::int32_t b) { return a < b; });
}

// --- scale types --------------------------------------------------------------------------------

TMScaleType TDataTable::MScaleType(std::int32_t ColNr) const noexcept {
  return ValidCol(ColNr) ? FVType[Ix(ColNr)].MScaleType : TMScaleType::stUnknown;
}

void TDataTable::SetMScaleType(std::int32_t ColNr, TMScaleType Value) {
  if (!ValidCol(ColNr) || static_cast<unsigned>(Value) > static_cast<unsigned>(TMScaleType::stRatio)) return;
  FVType[Ix(ColNr)].MScaleType = Value;
  Fire(OnChangeSetup);
}

TMScaleType TDataTable::FindHighestMLevel(std::int32_t FirstCol, std::int32_t LastCol) const {
  MakeValidColRange(FirstCol, LastCol);
  TMScaleType level = TMScaleType::stNominal;
  for (std::int32_t c = FirstCol; c <= LastCol; ++c) level = std::max(level, FVType[Ix(c)].MScaleType);
  return level;
}

TMScaleType TDataTable::FindLowestMLevel(std::int32_t FirstCol, std::int32_t LastCol) const {
  MakeValidColRange(FirstCol, LastCol);
  TMScaleType level = TMScaleType::stRatio;
  for (std::int32_t c = FirstCol; c <= LastCol; ++c) level = std::min(level, FVType[Ix(c)].MScaleType);
  return level;
}

TIntArray TDataTable::ListOfCategorialVars() const {
  TIntArray list;
  for (std::int32_t c = 1; c <= FNrOfCols; ++c)
    if (IsCategorial(FVType[Ix(c)].MScaleType)) list.push_back(c);
  return list;
}

// --- nominal identifiers ------------------------------------------------------------------------

void TNominalIDs::Set(std::size_t Slot, std::string_view Text) {
  if (FIDs.empty()) {
    if (Text.empty()) return;
    FIDs.resize(NrOfNominalSlots);
  }
  FIDs[Slot] = CutToBytes(Text, NominalIDLength);
}

const TNominalIDStr* TNominalIDs::begin() const noexcept {
  static const std::array<TNominalIDStr, NrOfNominalSlots> kFree{};
  return FIDs.empty() ? kFree.data() : FIDs.data();
}

bool operator==(const TNominalIDs& a, const TNominalIDs& b) noexcept {
  return std::equal(a.begin(), a.end(), b.begin());
}

std::int32_t TDataTable::FindSlot(std::int32_t Col, std::string_view ID) const {
  const auto& ids = FVType[Ix(Col)].IDs;
  for (std::size_t s = 0; s < ids.size(); ++s)
    if (!ids[s].empty() && EqualStrings(ids[s], ID, false)) return static_cast<std::int32_t>(s);
  return -1;
}

std::int32_t TDataTable::FreeSlot(std::int32_t Col) const {
  const auto& ids = FVType[Ix(Col)].IDs;
  const auto it = std::find_if(ids.begin(), ids.end(), [](const TNominalIDStr& s) { return s.empty(); });
  return it == ids.end() ? -1 : static_cast<std::int32_t>(it - ids.begin());
}

const TNominalIDStr& TDataTable::NominalID(std::int32_t ColIx, std::int32_t OrdVal) const noexcept {
  if (!ValidCol(ColIx) || OrdVal < 0 || OrdVal >= NrOfNominalSlots) return kNoText;
  const TVTypeSpec& t = FVType[Ix(ColIx)];
  return IsCategorial(t.MScaleType) ? t.IDs[static_cast<std::size_t>(OrdVal)] : kNoText;
}

void TDataTable::SetNominalID(std::int32_t ColIx, std::int32_t OrdVal, std::string_view Value) {
  if (!ValidCol(ColIx) || OrdVal < 0 || OrdVal >= NrOfNominalSlots) return;
  TVTypeSpec& t = FVType[Ix(ColIx)];
  if (Value.empty() || IsCategorial(t.MScaleType)) t.IDs.Set(static_cast<std::size_t>(OrdVal), Value);
  Fire(OnChangeSetup);
}

std::int32_t TDataTable::AddNominalID(std::int32_t Col, std::string_view MScaleID) {
  if (!ValidCol(Col) || MScaleID.empty()) return -1;
  const std::string_view id = CutToBytes(MScaleID, NominalIDLength);
  std::int32_t slot = FindSlot(Col, id);
  if (slot >= 0) return slot;
  slot = FreeSlot(Col);
  if (slot < 0) return -1;
  TVTypeSpec& t = FVType[Ix(Col)];
  t.IDs.Set(static_cast<std::size_t>(slot), id);
  t.MScaleType = TMScaleType::stNominal;
  Fire(OnChangeSetup);
  return slot;
}

std::int32_t TDataTable::OrdinalOfNominalID(std::int32_t Col, std::string_view ID, bool IgnoreCase) const {
  if (!ValidCol(Col) || ID.empty() || !IsCategorial(FVType[Ix(Col)].MScaleType)) return -1;
  const std::string_view id = CutToBytes(ID, NominalIDLength);
  const auto& ids = FVType[Ix(Col)].IDs;
  for (std::size_t s = 0; s < ids.size(); ++s)
    if (IgnoreCase ? EqualStrings(ids[s], id, false) : ids[s] == id) return static_cast<std::int32_t>(s);
  return -1;
}

void TDataTable::ClearNominalIDs(std::int32_t Col) {
  if (!ValidCol(Col)) return;
  FVType[Ix(Col)].IDs.clear();
  Fire(OnChangeSetup);
}

std::int32_t TDataTable::CountNominalIDs(std::int32_t Col) const {
  if (!ValidCol(Col)) return 0;
  const auto& ids = FVType[Ix(Col)].IDs;
  return static_cast<std::int32_t>(std::count_if(ids.begin(), ids.end(), [](const auto& s) { return !s.empty(); }));
}

}  // namespace kvl
