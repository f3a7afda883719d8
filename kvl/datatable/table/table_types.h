#pragma once
// The types around TDataTable: scale types, comparison and selection modes,
// the XML tags of the table's file form, the nominal identifier slots and
// the column type record. Included by KVL_datatable.h.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/classes.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

class TVector;
class TIntVector;
/// TDTxmlTags: the tags of the table's XML form (ordinals in this order).
enum class TDTxmlTags {
  xmlDataTableId, xmlDataTableEndId, xmlComment, xmlSize, xmlColNames, xmlRowNames, xmlColAttrib,
  xmlRowAttrib, xmlColId, xmlRowId, xmlDataCells, xmlCellID, xmlVarType, xmlVarIdentifier, xmlInvalid
};
/// DTxmlTagNames: the tag texts, indexed by TDTxmlTags (the last is the
/// invalid tag that an unknown word maps to).
inline constexpr std::array<std::string_view, 15> DTxmlTagNames = {
    "datatable", "/datatable", "comment", "size", "colnames", "rownames", "colattrib", "rowattrib",
    "col",       "row",        "datacells", "cell", "vardef", "idf",     "invalid"};

class TClipboard;

/// TMScaleType: measurement scale of a column (ordinals are stored in files).
enum class TMScaleType { stUnknown, stNominal, stOrdinal, stInterval, stRatio };

/// MScaleTypeNames: the names of the scale types, indexed by TMScaleType.
inline constexpr std::array<std::string_view, 5> MScaleTypeNames = {"Unknown", "Nominal", "Ordinal", "Interval",
                                                                    "Ratio"};

/// TCompareMode: comparisons of the cell search (ordinals in this order).
enum class TCompareMode { cmLT, cmGT, cmLE, cmGE, cmEQ, cmNE, cmInRange, cmOutOfRange };

/// IDS_COMPAREMODE: the names of the compare modes, indexed by TCompareMode.
inline constexpr std::array<std::string_view, 8> IDS_COMPAREMODE = {"cmLT", "cmGT", "cmLE",      "cmGE",
                                                                    "cmEQ", "cmNE", "cmInRange", "cmOutOfRange"};

/// TDataSelMode: how the members of each part of a split are chosen.
enum class TDataSelMode { selmRandSel, selmBlocked, selmInterleave };

/// TDataSetSplitMode: what a table split divides.
enum class TDataSetSplitMode { splitColumns, splitRows, splitTstTrn };

/// DTNameLength: the longest column or row name, in bytes.
inline constexpr std::size_t DTNameLength = 50;
/// NominalIDLength: the longest nominal identifier, in bytes.
inline constexpr std::size_t NominalIDLength = 10;
/// NrOfNominalSlots: slots 0..150 of a column's identifier dictionary.
inline constexpr std::int32_t NrOfNominalSlots = 151;

/// TNominalIDStr: a nominal identifier of at most NominalIDLength bytes.
using TNominalIDStr = std::string;
/// TDTNameStr: a column or row name of at most DTNameLength bytes.
using TDTNameStr = std::string;

/// TNominalIDs: the 151 identifier slots of a column (0..150), read like an
/// array; an empty slot is free. A column whose slots are all free holds no
/// storage for them, so a wide table of interval columns stays small.
class TNominalIDs {
 public:
  /// operator[]: the text of slot Slot (0..150).
  const TNominalIDStr& operator[](std::size_t Slot) const noexcept { return begin()[Slot]; }
  /// Set: slot Slot := Text cut to NominalIDLength bytes.
  void Set(std::size_t Slot, std::string_view Text);
  /// clear: frees every slot.
  void clear() noexcept { FIDs.clear(); }
  /// size: always NrOfNominalSlots.
  static constexpr std::size_t size() noexcept { return NrOfNominalSlots; }
  /// begin, end: the slots in order.
  const TNominalIDStr* begin() const noexcept;
  const TNominalIDStr* end() const noexcept { return begin() + NrOfNominalSlots; }
  /// operator==: the same text in every slot.
  friend bool operator==(const TNominalIDs& a, const TNominalIDs& b) noexcept;

 private:
  std::vector<TNominalIDStr> FIDs;  // empty while every slot is free
};

/// TVTypeSpec: scale type and identifier dictionary of one column. A fresh
/// record describes a new column: stInterval, no identifiers.
struct TVTypeSpec {
  TMScaleType MScaleType = TMScaleType::stInterval;
  TNominalIDs IDs;
};

/// TDataTableResizeEvent: fired after the size of a table changed.
using TDataTableResizeEvent = std::function<void(TObject* Sender, std::int32_t OldColumns, std::int32_t OldRows,
                                                 std::int32_t NewColumns, std::int32_t NewRows)>;

namespace datatable_internal {
template <class T>
struct TColumns;
}  // namespace datatable_internal

/// CutToBytes: Text cut to at most MaxBytes bytes without splitting a UTF-8
/// character (a text that fits is returned whole).
std::string_view CutToBytes(std::string_view Text, std::size_t MaxBytes) noexcept;

}  // namespace kvl

KVL_API_END
