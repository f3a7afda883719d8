#pragma once
// KVL_datatable: TDataTable, a rectangular table of observations. Each column
// is a variable with a measurement scale type, each row a case; every cell
// has a numeric value (kept in the TMatrix NumericData) and a state byte;
// columns and rows carry names and integer attributes; nominal and ordinal
// columns carry a dictionary of up to 151 identifiers.
//
//   TDataTable t;                          // 1 x 1: C-1, R-1, value 0, stInterval
//   t.Resize(3, 100);                      // new columns C-2, C-3, rows R-2 ...
//   t.SetMScaleType(1, TMScaleType::stNominal);
//   t.SetElemNominal(1, 1, "red");         // slot 0 holds "red", the cell 0
//   t.SetElem(2, 1, 4.5);
//   t.SetIsEmpty(3, 1, true);              // state bit 2: not a number
//   t.SortRows(2, true, 0, 0, 0, 0, true); // names, attributes, states follow
//
// Indexing: columns and rows are numbered from 1; nominal slots from 0 to
// 150. A read outside the table gives 0, false, stUnknown or the empty
// string; a write outside it does nothing and fires nothing.
//
// Range arguments (Low, High): (0, 0) is the whole dimension; other bounds
// are clipped into 1..count and swapped when reversed (MakeValidColRange,
// MakeValidRowRange).
//
// Cell state byte: bits 1 and 2 make a cell "not a number" (IsNumber is
// (state and 3) = 0), bit 2 is "empty", bit 32 "imputed", bits 64 and 128
// are two marks; 4, 8 and 16 are kept and copied. Operations taking a mask
// test whether the state shares a bit with it.
//
// Nominal coding: in a stNominal or stOrdinal column the value of a cell is
// the slot of its identifier; Elem reads such a cell rounded to the nearest
// integer (halves to even). Identifiers are compared ignoring the case of
// the ASCII letters.
//
// Names and identifiers are UTF-8 strings limited in bytes: a name keeps at
// most 50 bytes, an identifier 10; a longer text is cut at the last whole
// UTF-8 character that fits, so no character is ever split.
//
// Events. OnChange: values changed; OnChangeSetup: scale types, identifiers,
// comment, rows or columns inserted or removed; OnChangeNames,
// OnChangeAttrib, OnChangeCellState: names, attributes, states changed;
// OnResize(Sender, OldColumns, OldRows, NewColumns, NewRows): the size
// changed. Which operation fires which is said at each member; bulk
// operations fire each of their events once. Operations that mute events
// do so with a mute count that the firing consults: the handlers stay in
// place, so a handler assigned meanwhile (for example from an OnResize
// handler) is kept and fires from then on.
//
// NumericData: the table routes NumericData->OnChange to OnChange and
// NumericData->OnSortExchange to its own exchange hook (the sorts move
// names, attributes, types and states along). Both handlers hold only a
// weak reference to the table and answer only to the table's current
// matrix: a copy of them (TMatrix::Assign copies handlers) does nothing for
// another matrix and nothing at all once the table is gone. The table
// subscribes to its matrix's destruction notice; a caller's matrix freed
// while the table still uses it is replaced by a fresh owned matrix of the
// table's size (values 0), firing nothing. Write cells through the table or
// through NumericData; do not resize NumericData behind the table's back.
//
// Choices of this implementation:
// * Counts: 0 is accepted (the table's own arrays become empty while
//   NumericData keeps its last size; cells that come back when the table
//   grows again start at 0). A negative count raises EKVLDataTableError
//   "negative number of columns" / "negative number of rows".
// * When NumericData cannot take a new size the old size stays and
//   EKVLDataTableError "data matrix cannot take the new size" is raised.
// * Attributes are 32-bit integers. RowAttribLevels / ColAttribLevels count
//   distinct values exactly, also outside 0..255; the name CRC feeds the low
//   byte of an attribute and, for a value outside 0..255, its three higher
//   bytes as well (so the CRC of tables with attributes 0..255 is the plain
//   low-byte CRC, and 1 and 257 differ). The exchanges keep full values.
// * Structure operations (InsertRow, RemoveRows, ...) move raw values.
// Errors are raised as EKVLDataTableError in the component form.

#include <array>
#include <iosfwd>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/datatable/table/table_types.h"
#include "kvl/runtime/rounding.h"
#include "kvl/runtime/export.h"
#include "kvl/runtime/streams.h"

KVL_API_BEGIN

namespace kvl {

/// TDataTable: the data table component.
class TDataTable : public TComponent {
 public:
  /// Creates a 1 x 1 table: column C-1, row R-1, value 0, state 0,
  /// attributes 0, stInterval, empty comment, its own NumericData. Raises
  /// EKVLDataTableError "failed to initialize (out of memory)" when the
  /// matrix cannot be created.
  explicit TDataTable(TComponent* AOwner = nullptr);
  /// Frees an owned NumericData; a caller's matrix stays alive with its
  /// OnChange and OnSortExchange cleared.
  ~TDataTable() override;

  // --- published properties and events --------------------------------------------------

  /// Comment: free text of the table.
  const std::string& Comment() const noexcept { return FComment; }
  /// SetComment: stores Value without control characters; fires OnChangeSetup.
  void SetComment(std::string_view Value);
  /// NrOfColumns: the number of columns (may be 0).
  std::int32_t NrOfColumns() const noexcept { return FNrOfCols; }
  /// SetNrOfColumns: resizes through SetNrCols.
  void SetNrOfColumns(std::int32_t Value) { SetNrCols(Value); }
  /// SetNrCols: Resize(Value, NrOfRows).
  void SetNrCols(std::int32_t Value) { Resize(Value, FNrOfRows); }
  /// NrOfRows: the number of rows (may be 0).
  std::int32_t NrOfRows() const noexcept { return FNrOfRows; }
  /// SetNrOfRows: resizes through SetNrRows.
  void SetNrOfRows(std::int32_t Value) { SetNrRows(Value); }
  /// SetNrRows: Resize(NrOfColumns, Value).
  void SetNrRows(std::int32_t Value) { Resize(FNrOfCols, Value); }

  /// OnChange: values changed.
  TNotifyEvent OnChange;
  /// OnChangeSetup: scale types, identifiers, comment or structure changed.
  TNotifyEvent OnChangeSetup;
  /// OnChangeNames: a column or row name changed.
  TNotifyEvent OnChangeNames;
  /// OnChangeCellState: a cell state changed.
  TNotifyEvent OnChangeCellState;
  /// OnChangeAttrib: a column or row attribute changed.
  TNotifyEvent OnChangeAttrib;
  /// OnPercentDone: progress of the long file operations.
  TOnPercentDoneEvent OnPercentDone;
  /// OnResize: the size changed, with the old and the new counts.
  TDataTableResizeEvent OnResize;
  /// OnSortExchange: every exchange of a sort, forwarded with the table as sender.
  TSortExchgEvent OnSortExchange;
  /// OnExportText: hook of the text export operations.
  TExportTextEvent OnExportText;

  /// NumericData: the cell values (matrix column = table column, matrix row
  /// = table row). Replace it only through AssignAnotherDataMatrix.
  TMatrix* NumericData = nullptr;

  // --- cells ----------------------------------------------------------------------------

  /// Elem: the value of (ACol, ARow); rounded (halves to even) in nominal
  /// and ordinal columns; 0 outside the table.
  double Elem(std::int32_t ACol, std::int32_t ARow) const noexcept {
    if (!InTable(ACol, ARow)) return 0.0;
    const double v = NumericData->GetVal(ACol, ARow);
    return IsCategorial(FVType[static_cast<std::size_t>(ACol - 1)].MScaleType) ? RoundEven(v) : v;
  }
  /// SetElem: stores Value in NumericData; OnChange fires twice (through
  /// the matrix and directly).
  void SetElem(std::int32_t ACol, std::int32_t ARow, double Value) {
    if (!InTable(ACol, ARow)) return;
    NumericData->SetVal(ACol, ARow, Value);
    Fire(OnChange);
  }
  /// ElemNominal: the identifier of the cell's slot; the decimal text of the
  /// rounded value when it lies outside 0..150; empty in interval, ratio and
  /// unknown columns and outside the table.
  TNominalIDStr ElemNominal(std::int32_t ACol, std::int32_t ARow) const;
  /// SetElemNominal: stores the slot of Value (cut to 10 bytes) in the cell:
  /// the slot holding it ignoring case, else the first free one, which takes
  /// the text (the scale type stays; OnChangeSetup fires). Then OnChange
  /// fires twice as for SetElem. Raises EKVLDataTableError "number of
  /// available nominal values exceeded" (cell unchanged) when all 151 slots
  /// are in use. An empty Value changes nothing.
  void SetElemNominal(std::int32_t ACol, std::int32_t ARow, std::string_view Value);
  /// CellState: the state byte of the cell; 0 outside the table.
  std::uint8_t CellState(std::int32_t ACol, std::int32_t ARow) const noexcept {
    return InTable(ACol, ARow) ? FCState[StOff(ACol, ARow)] : std::uint8_t{0};
  }
  /// SetCellState: stores Value; OnChangeCellState fires only if it differs.
  void SetCellState(std::int32_t ACol, std::int32_t ARow, std::uint8_t Value) {
    if (!InTable(ACol, ARow)) return;
    std::uint8_t& s = FCState[StOff(ACol, ARow)];
    if (s == Value) return;
    s = Value;
    Fire(OnChangeCellState);
  }
  /// IsNumber: (state and 3) = 0; false outside the table.
  bool IsNumber(std::int32_t ACol, std::int32_t ARow) const noexcept {
    return InTable(ACol, ARow) && (FCState[StOff(ACol, ARow)] & 3) == 0;
  }
  /// IsEmpty: state bit 2.
  bool IsEmpty(std::int32_t ACol, std::int32_t ARow) const noexcept { return (CellState(ACol, ARow) & 2) != 0; }
  /// SetIsEmpty: sets or clears bit 2 through SetCellState, then fires OnChange.
  void SetIsEmpty(std::int32_t ACol, std::int32_t ARow, bool Value) { SetStateBit(ACol, ARow, 2, Value); }
  /// IsImputed: state bit 32.
  bool IsImputed(std::int32_t ACol, std::int32_t ARow) const noexcept {
    return (CellState(ACol, ARow) & 32) != 0;
  }
  /// SetIsImputed: sets or clears bit 32 through SetCellState, then fires OnChange.
  void SetIsImputed(std::int32_t ACol, std::int32_t ARow, bool Value) { SetStateBit(ACol, ARow, 32, Value); }

  // --- names, attributes, scale types, identifiers (single items) -----------------------

  /// ColName: the name of column ColNr; empty outside.
  const TDTNameStr& ColName(std::int32_t ColNr) const noexcept;
  /// SetColName: stores Value cut to 50 bytes (not trimmed); fires OnChangeNames.
  void SetColName(std::int32_t ColNr, std::string_view Value);
  /// RowName: the name of row RowNr; empty outside.
  const TDTNameStr& RowName(std::int32_t RowNr) const noexcept;
  /// SetRowName: stores Value cut to 50 bytes (not trimmed); fires OnChangeNames.
  void SetRowName(std::int32_t RowNr, std::string_view Value);
  /// ColAttrib: the attribute of column ColNr; 0 outside.
  std::int32_t ColAttrib(std::int32_t ColNr) const noexcept;
  /// SetColAttrib: stores Value; fires OnChangeAttrib.
  void SetColAttrib(std::int32_t ColNr, std::int32_t Value);
  /// RowAttrib: the attribute of row RowNr; 0 outside.
  std::int32_t RowAttrib(std::int32_t RowNr) const noexcept;
  /// SetRowAttrib: stores Value; fires OnChangeAttrib.
  void SetRowAttrib(std::int32_t RowNr, std::int32_t Value);
  /// MScaleType: the scale type of column ColNr; stUnknown outside.
  TMScaleType MScaleType(std::int32_t ColNr) const noexcept;
  /// SetMScaleType: stores Value (identifiers untouched); fires
  /// OnChangeSetup. A value outside the enumeration is ignored.
  void SetMScaleType(std::int32_t ColNr, TMScaleType Value);
  /// NominalID: the text of slot OrdVal (0..150) of column ColIx; empty
  /// unless the column is nominal or ordinal.
  const TNominalIDStr& NominalID(std::int32_t ColIx, std::int32_t OrdVal) const noexcept;
  /// SetNominalID: a non-empty Value (cut to 10 bytes) is stored only in a
  /// nominal or ordinal column; an empty one clears the slot in any column.
  /// OnChangeSetup fires whenever both indices are valid.
  void SetNominalID(std::int32_t ColIx, std::int32_t OrdVal, std::string_view Value);

  // --- life cycle -----------------------------------------------------------------------

  /// Assign: from a TDataTable copies comment, size, the sort flag, the
  /// values (into this table's own matrix object, whose handlers stay),
  /// names, attributes, type records, states and all event handlers; fires
  /// nothing. Other sources go to the inherited Assign.
  void Assign(const TPersistent* Source) override;
  /// AssignTo: a TDataTable destination assigns from this table; else inherited.
  void AssignTo(TPersistent* Dest) const override;
  /// AssignAnotherDataMatrix: adopts NewDMat as NumericData without copying:
  /// the table takes its size (new names by default), every column becomes
  /// stInterval (identifiers kept), a matrix owned by the table is freed and
  /// a caller's previous one is released with its handlers cleared (never
  /// resized). Fires OnResize(old, new) for the resize when the size
  /// changes and once more always, then OnChange, OnChangeSetup,
  /// OnChangeNames, OnChangeAttrib, OnChangeCellState. Nothing for null.
  void AssignAnotherDataMatrix(TMatrix* NewDMat);
  /// Clear: keeps the size; default names, states, attributes 0, every
  /// column stInterval without identifiers, empty comment, values 0
  /// (OnChange through the matrix), then OnChangeNames, OnChangeAttrib,
  /// OnChangeCellState, OnChangeSetup.
  void Clear();

  // --- size and structure ---------------------------------------------------------------

  /// Resize: NrCols columns of NrRows rows; surviving cells keep values and
  /// states; new cells 0 with state 0; new columns and rows get default
  /// names (C-n, R-n), attribute 0, stInterval. Fires only
  /// OnResize(old, new); nothing for an unchanged size. See the header
  /// comment for counts of 0, negative counts and failures.
  void Resize(std::int32_t NrCols, std::int32_t NrRows);
  /// InsertRow: inserts an empty row at ix (1..NrOfRows + 1): attribute 0,
  /// empty name, values and states 0; the rows from ix move down. Fires
  /// OnResize, then for every moved row (the last first) OnChangeAttrib,
  /// OnChangeNames, OnChangeCellState, then OnChangeSetup; nothing for ix
  /// out of range.
  void InsertRow(std::int32_t ix);
  /// RemoveRow: removes row ix when the table has at least two rows; fires
  /// OnResize, OnChangeSetup.
  void RemoveRow(std::int32_t ix);
  /// RemoveRows: removes rows FirstRow..LastRow ((0, 0): all, 0 for a table
  /// without rows) and returns their number; -1 (nothing changes) when a
  /// bound lies outside 1..NrOfRows or FirstRow > LastRow. Fires OnResize,
  /// OnChangeSetup.
  std::int32_t RemoveRows(std::int32_t FirstRow, std::int32_t LastRow);
  /// InsertColumn: inserts an empty column at ix (1..NrOfColumns + 1):
  /// attribute 0, empty name, stInterval, no identifiers, values and states
  /// 0; the columns from ix move right. Fires OnResize, then for every
  /// moved column (the last first) OnChangeAttrib, OnChangeNames,
  /// OnChangeCellState, then OnChangeSetup.
  void InsertColumn(std::int32_t ix);
  /// RemoveColumn: removes column ix when the table has at least two
  /// columns (whole type records move along); fires OnResize, OnChangeSetup.
  void RemoveColumn(std::int32_t ix);
  /// ExchangeColumns: exchanges values, attributes, names, type records and
  /// states of c1 and c2; fires OnChange, OnChangeCellState, OnChangeAttrib,
  /// OnChangeNames, OnChangeSetup. Nothing for an index outside the table.
  void ExchangeColumns(std::int32_t c1, std::int32_t c2);
  /// ExchangeRows: exchanges values, attributes, names and states of r1 and
  /// r2; fires the five events as ExchangeColumns.
  void ExchangeRows(std::int32_t r1, std::int32_t r2);
  /// MirrorColumns: reverses the order of the columns; fires the five events.
  void MirrorColumns();
  /// MirrorRows: reverses the order of the rows; fires the five events.
  void MirrorRows();

  // --- copies between tables ------------------------------------------------------------

  /// Clone: makes this table a copy of ExtTab (size, comment, names,
  /// attributes, type records (interval and ratio columns without
  /// identifiers), raw values, states). Fires OnResize if the size changes,
  /// then OnChange, OnChangeCellState, OnChangeSetup, OnChangeNames,
  /// OnChangeAttrib and OnResize(before, after). Nothing for null or self.
  void Clone(const TDataTable* ExtTab);
  /// CopyContentsFrom: the same as Clone.
  void CopyContentsFrom(const TDataTable* ExtTab) { Clone(ExtTab); }
  /// CopyFrom: copies values (through Elem) and states of ExtTab's block
  /// (range rule on ExtTab) to (DestCol, DestRow) onwards, dropping cells
  /// outside this table; then OnChange and OnChangeCellState. Nothing for null.
  void CopyFrom(const TDataTable* ExtTab, std::int32_t SourceColLo, std::int32_t SourceRowLo,
                std::int32_t SourceColHi, std::int32_t SourceRowHi, std::int32_t DestCol, std::int32_t DestRow);
  /// CopyColumnFrom: copies name, attribute, type record and the raw values
  /// and states of the first min(row counts) rows of ExtTab's column SrcCol
  /// into column DestCol. 0 success, -3 copied but the row counts differ,
  /// -4 ExtTab null, -1 SrcCol outside ExtTab, -2 DestCol outside this table
  /// (-2 wins). Fires OnChange, OnChangeCellState, OnChangeSetup,
  /// OnChangeNames, OnChangeAttrib after a copy.
  std::int32_t CopyColumnFrom(const TDataTable* ExtTab, std::int32_t SrcCol, std::int32_t DestCol);
  /// CopyCellStatesFrom: copies all states of an equally sized ExtTab and
  /// fires OnChangeCellState: true; false for null or another size.
  bool CopyCellStatesFrom(const TDataTable* ExtTab);

  // --- nominal identifiers --------------------------------------------------------------

  /// AddNominalID: the slot of MScaleID (cut to 10 bytes) in column Col:
  /// its slot when present (ignoring case), else the first free slot, which
  /// takes it; the column becomes stNominal and OnChangeSetup fires. -1 for
  /// Col out of range, an empty identifier or no free slot.
  std::int32_t AddNominalID(std::int32_t Col, std::string_view MScaleID);
  /// OrdinalOfNominalID: the first slot of column Col holding ID (cut to 10
  /// bytes; compared lower-cased when IgnoreCase, else byte by byte); -1 when
  /// absent, for an empty ID, Col out of range or a column neither nominal
  /// nor ordinal.
  std::int32_t OrdinalOfNominalID(std::int32_t Col, std::string_view ID, bool IgnoreCase) const;
  /// ClearNominalIDs: empties all slots of column Col; fires OnChangeSetup.
  void ClearNominalIDs(std::int32_t Col);
  /// CountNominalIDs: the number of used slots of column Col (0 outside).
  std::int32_t CountNominalIDs(std::int32_t Col) const;
  /// ListOfCategorialVars: the numbers of all nominal and ordinal columns, ascending.
  TIntArray ListOfCategorialVars() const;

  // --- names ----------------------------------------------------------------------------

  /// MaxColNameLength: the length of the longest column name in UTF-8
  /// characters; 0 without columns.
  std::int32_t MaxColNameLength() const;
  /// MaxRowNameLength: the same for rows.
  std::int32_t MaxRowNameLength() const;
  /// FindColIndex: the first column whose name equals ColID, both cut to 50
  /// bytes, stripped of leading and trailing blanks and compared ignoring
  /// case; 0 if none.
  std::int32_t FindColIndex(std::string_view ColID) const;
  /// FindRowIndex: the same for rows.
  std::int32_t FindRowIndex(std::string_view RowID) const;

  // --- attributes and levels ------------------------------------------------------------

  /// SetRowAttributes: every row attribute := Attrib; fires OnChangeAttrib.
  void SetRowAttributes(std::int32_t Attrib);
  /// SetRowAttributes: replaces the bits of Mask: (old and not Mask) or
  /// (Attrib and Mask); fires OnChangeAttrib.
  void SetRowAttributes(std::int32_t Attrib, std::uint32_t Mask);
  /// SetColAttributes: every column attribute := Attrib; fires OnChangeAttrib.
  void SetColAttributes(std::int32_t Attrib);
  /// SetColAttributes: the masked form for columns.
  void SetColAttributes(std::int32_t Attrib, std::uint32_t Mask);
  /// RowAttribLevels: the number of distinct row attributes.
  std::int32_t RowAttribLevels() const;
  /// ColAttribLevels: the number of distinct column attributes.
  std::int32_t ColAttribLevels() const;
  /// MaxRowAttrib: the largest attribute of the rows in range; Row := the
  /// first row holding it (0 and result 0 for an empty range).
  std::int32_t MaxRowAttrib(std::int32_t FirstRow, std::int32_t LastRow, std::int32_t& Row) const;
  /// MinRowAttrib: the smallest, as MaxRowAttrib.
  std::int32_t MinRowAttrib(std::int32_t FirstRow, std::int32_t LastRow, std::int32_t& Row) const;
  /// MaxColAttrib: the largest attribute of the columns in range, as MaxRowAttrib.
  std::int32_t MaxColAttrib(std::int32_t FirstCol, std::int32_t LastCol, std::int32_t& Col) const;
  /// MinColAttrib: the smallest attribute of the columns in range.
  std::int32_t MinColAttrib(std::int32_t FirstCol, std::int32_t LastCol, std::int32_t& Col) const;
  /// FindHighestMLevel: the largest scale type in the column range, never
  /// below stNominal (stNominal for an empty range).
  TMScaleType FindHighestMLevel(std::int32_t FirstCol, std::int32_t LastCol) const;
  /// FindLowestMLevel: the smallest scale type in the range, starting from
  /// stRatio (stRatio for an empty range).
  TMScaleType FindLowestMLevel(std::int32_t FirstCol, std::int32_t LastCol) const;

  // --- cell states ----------------------------------------------------------------------

  /// SetAllCellStates: every state := CellState; fires OnChangeCellState.
  void SetAllCellStates(std::uint8_t CellState);
  /// SetCellStates: combines each state s of the block with m = CellState by
  /// LogicOp (and, or, xor, and not, or not, xor not; other ordinals change
  /// nothing); fires OnChangeCellState.
  void SetCellStates(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                     std::uint8_t CellState, TLogicOp LogicOp);
  /// UnmarkAllCells: clears bits 64 and 128 of every state; fires OnChangeCellState.
  void UnmarkAllCells();
  /// InvertCellStates: every state xor StateMask; fires OnChangeCellState.
  void InvertCellStates(std::uint8_t StateMask);
  /// ExchangeMarkings: swaps bits 64 and 128 of every state; fires OnChangeCellState.
  void ExchangeMarkings();
  /// IfRowHasCellState: true when a cell of row shares a bit with CellState.
  bool IfRowHasCellState(std::int32_t row, std::uint8_t CellState) const;
  /// IfColHasCellState: true when a cell of col shares a bit with CellState.
  bool IfColHasCellState(std::int32_t col, std::uint8_t CellState) const;
  /// IfAnyCellHasCellState: true when a cell of the block shares a bit with CellState.
  bool IfAnyCellHasCellState(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                             std::int32_t HighRow, std::uint8_t CellState) const;
  /// CountMarkedCellsInRow: the cells of Row sharing a bit with StateMask.
  std::int32_t CountMarkedCellsInRow(std::int32_t Row, std::uint8_t StateMask) const;
  /// CountMarkedCellsInColumn: the cells of Col sharing a bit with StateMask.
  std::int32_t CountMarkedCellsInColumn(std::int32_t Col, std::uint8_t StateMask) const;

  // --- fingerprints and reshaping -------------------------------------------------------

  /// CRCofNamesAndAttributes: eight CRC-32 registers over comment, column
  /// names, column attributes, row names, row attributes, scale types and
  /// identifiers, as 64 upper-case hex digits.
  std::string CRCofNamesAndAttributes() const;
  /// CRCofCellStates: the eight registers over the states, column by column.
  std::string CRCofCellStates() const;
  /// Serialize: turns the table into one data column "(data)" of one row
  /// per cell (column by column), preceded by a nominal column "(column)"
  /// when ColHeadsAsVar and by "(col. index)", "(row index)" when
  /// IncludeColRowNumbers. Fires OnResize (when the size changes); with
  /// ColHeadsAsVar OnChangeSetup for clearing column 1's identifiers and
  /// for each identifier added, and OnChangeNames for its name; with
  /// IncludeColRowNumbers OnChangeNames twice; OnChangeNames and
  /// OnChangeSetup for the data column's name and type; per new row
  /// OnChangeNames, OnChangeAttrib, OnChangeCellState; finally OnChangeSetup.
  void Serialize(bool ColHeadsAsVar, bool IncludeColRowNumbers);

  // --- sorting --------------------------------------------------------------------------

  /// SortCols: sorts the columns of the block by row SortRowIx through the
  /// matrix sort; names, attributes and type records follow when
  /// IncludeHeaders, states always. OnSortExchange per exchange, OnChange,
  /// then OnChangeNames and OnChangeAttrib when IncludeHeaders.
  void SortCols(std::int32_t SortRowIx, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                std::int32_t HighCol, std::int32_t HighRow, bool IncludeHeaders);
  /// SortRows: the same for rows keyed by column SortColIx.
  void SortRows(std::int32_t SortColIx, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
                std::int32_t HighCol, std::int32_t HighRow, bool IncludeHeaders);

  // --- transfer of values (0 success, negative codes: nothing copied) -------------------

  /// CopyDataColumnToArray: Dest := the raw values of column Col; -1 Col out of range.
  std::int32_t CopyDataColumnToArray(std::int32_t Col, TDoubleArray& Dest) const;
  /// CopyDataColumnToArray: rows FirstRow..LastRow ((0, 0): all; reversed
  /// swapped) through Elem into Dest[DestElem..], cut to Dest's length.
  /// -4 Dest empty, -1 Col, -2 a row bound outside 1..rows, -3 DestElem
  /// outside 0..length - 1.
  std::int32_t CopyDataColumnToArray(TDoubleArray& Dest, std::int32_t Col, std::int32_t FirstRow,
                                     std::int32_t LastRow, std::int32_t DestElem) const;
  /// CopyDataColumnToArray: the same rounded to integers (halves to even,
  /// clipped to the Integer range, NaN as 0).
  std::int32_t CopyDataColumnToArray(TIntArray& Dest, std::int32_t Col, std::int32_t FirstRow,
                                     std::int32_t LastRow, std::int32_t DestElem) const;
  /// CopyDataColumnToVector: Dest resized to the row count, raw values;
  /// -1 Col out of range, -4 Dest null.
  std::int32_t CopyDataColumnToVector(std::int32_t Col, TVector* Dest) const;
  /// CopyDataColumnToVector: as the ranged array form into Dest's elements
  /// DestElem.. (1-based); -4 Dest null, -1, -2, -3 DestElem outside 1..size.
  std::int32_t CopyDataColumnToVector(TVector* Dest, std::int32_t Col, std::int32_t FirstRow,
                                      std::int32_t LastRow, std::int32_t DestElem) const;
  /// CopyDataColumnToVector: the same into a TIntVector (rounded).
  std::int32_t CopyDataColumnToVector(TIntVector* Dest, std::int32_t Col, std::int32_t FirstRow,
                                      std::int32_t LastRow, std::int32_t DestElem) const;
  /// CopyDataRowToArray: Dest := the raw values of row Row; -1 Row out of range.
  std::int32_t CopyDataRowToArray(std::int32_t Row, TDoubleArray& Dest) const;
  /// CopyDataRowToArray: the ranged form along a row (columns FirstCol..LastCol).
  std::int32_t CopyDataRowToArray(TDoubleArray& Dest, std::int32_t Row, std::int32_t FirstCol,
                                  std::int32_t LastCol, std::int32_t DestElem) const;
  /// CopyDataRowToArray: the same rounded to integers.
  std::int32_t CopyDataRowToArray(TIntArray& Dest, std::int32_t Row, std::int32_t FirstCol, std::int32_t LastCol,
                                  std::int32_t DestElem) const;
  /// CopyDataRowToVector: Dest resized to the column count, raw values.
  std::int32_t CopyDataRowToVector(std::int32_t Row, TVector* Dest) const;
  /// CopyDataRowToVector: the ranged form along a row.
  std::int32_t CopyDataRowToVector(TVector* Dest, std::int32_t Row, std::int32_t FirstCol, std::int32_t LastCol,
                                   std::int32_t DestElem) const;
  /// CopyDataRowToVector: the same into a TIntVector (rounded).
  std::int32_t CopyDataRowToVector(TIntVector* Dest, std::int32_t Row, std::int32_t FirstCol,
                                   std::int32_t LastCol, std::int32_t DestElem) const;
  /// SliceCol: DstVec := the raw values of rows First, First + Step, ..
  /// <= Last (reversed swapped, (0, 0): all) of column Col; returns their
  /// number. -1 Col, -2 a bound out of range (wins over -1), -3 Step < 1
  /// (wins over both).
  std::int32_t SliceCol(std::int32_t Col, std::int32_t FirstRow, std::int32_t LastRow, std::int32_t Step,
                        TDoubleArray& DstVec) const;
  /// SliceRow: the same along row Row.
  std::int32_t SliceRow(std::int32_t Row, std::int32_t FirstCol, std::int32_t LastCol, std::int32_t Step,
                        TDoubleArray& DstVec) const;
  /// CopyDataColumnFromArray: the first min(length, rows) values into column
  /// Col from row 1 (OnChange per value); -1 Col out of range.
  std::int32_t CopyDataColumnFromArray(std::int32_t Col, std::span<const double> SrcArray);
  /// CopyDataColumnFromVector: the same from a vector; -1 Col out of range,
  /// -4 SrcVec null.
  std::int32_t CopyDataColumnFromVector(std::int32_t Col, const TVector* SrcVec);
  /// CopyDataRowFromArray: the first min(length, columns) values into row Row.
  std::int32_t CopyDataRowFromArray(std::int32_t Row, std::span<const double> SrcArray);
  /// CopyDataRowFromVector: the same from a vector; -4 SrcVec null.
  std::int32_t CopyDataRowFromVector(std::int32_t Row, const TVector* SrcVec);
  /// CopyDataFromVector: element i of FirstElem..LastElem ((0, 0): all;
  /// reversed swapped) to (Col, Row + i - FirstElem) if AsColumn, else
  /// (Col + i - FirstElem, Row); cells outside skipped; OnChange once.
  /// -1 Src null, -4 a bound outside 1..size, -5 (Col, Row) outside the table.
  std::int32_t CopyDataFromVector(const TVector* Src, std::int32_t FirstElem, std::int32_t LastElem,
                                  std::int32_t Col, std::int32_t Row, bool AsColumn);
  /// CopyDataFromVector: the same from a TIntVector.
  std::int32_t CopyDataFromVector(const TIntVector* Src, std::int32_t FirstElem, std::int32_t LastElem,
                                  std::int32_t Col, std::int32_t Row, bool AsColumn);
  /// CopyDataFromArray: the same from a 0-based array ((0, 0): 0..length - 1);
  /// -1 Src empty, -4, -5.
  std::int32_t CopyDataFromArray(std::span<const double> Src, std::int32_t FirstElem, std::int32_t LastElem,
                                 std::int32_t Col, std::int32_t Row, bool AsColumn);
  /// CopyDataFromArray: the same from an Integer array.
  std::int32_t CopyDataFromArray(std::span<const std::int32_t> Src, std::int32_t FirstElem, std::int32_t LastElem,
                                 std::int32_t Col, std::int32_t Row, bool AsColumn);
  /// CopyDataFromArray: the block Src[SrcColLo..SrcColHi][SrcRowLo..SrcRowHi]
  /// (0, 0: all columns / rows) to top-left (Col, Row); reversed bounds copy
  /// nothing; cells outside skipped; OnChange once. -1 Src or Src[0] empty,
  /// -2 a column bound outside Src, -3 a row bound outside Src[0], -5 (Col,
  /// Row) outside the table.
  std::int32_t CopyDataFromArray(const TDouble2DArray& Src, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                 std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t Col, std::int32_t Row);
  /// CopyDataFromArray: the same from an Integer 2-D array.
  std::int32_t CopyDataFromArray(const TInt2DArray& Src, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                 std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t Col, std::int32_t Row);
  /// CopyDataFromMatrix: MatSrc's block (its own range rule), at most the
  /// table's size, to top-left (DstCol, DstRow); cells outside skipped;
  /// OnChange once. -1 (DstCol, DstRow) outside the table, -2 MatSrc null.
  std::int32_t CopyDataFromMatrix(const TMatrix* MatSrc, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                                  std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DstCol,
                                  std::int32_t DstRow);
  /// CopyDataToMatrix: the raw values of the block into Dest from (DestCol,
  /// DestRow), cut to Dest; Dest's OnChange once. -1 Dest null, -2 the
  /// column range needed correction, -3 the row range needed correction (a
  /// reversed row range counts, a reversed column range is swapped
  /// silently), -4 (DestCol, DestRow) outside Dest.
  std::int32_t CopyDataToMatrix(TMatrix* Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo, std::int32_t SrcColHi,
                                std::int32_t SrcRowHi, std::int32_t DestCol, std::int32_t DestRow) const;
  /// CopyDataToArray: the raw values of the block into
  /// Dest[DestCol + c - SrcColLo][DestRow + r - SrcRowLo], cut to Dest. -1 Dest
  /// or Dest[0] empty, -2, -3 as CopyDataToMatrix, -4 DestCol or DestRow
  /// outside Dest.
  std::int32_t CopyDataToArray(TDouble2DArray& Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                               std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DestCol,
                               std::int32_t DestRow) const;
  /// CopyDataToArray: the same into an Integer array (rounded).
  std::int32_t CopyDataToArray(TInt2DArray& Dest, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                               std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t DestCol,
                               std::int32_t DestRow) const;
  /// DuplicateDataAsArray: Dest := the raw values as [column][row]; -1 (Dest
  /// untouched) when Dest is empty on entry.
  std::int32_t DuplicateDataAsArray(TDouble2DArray& Dest) const;

  // --- statistics over selected cells -----------------------------------------------------
  // Ranges follow the range rule; values are the raw values of NumericData.
  // Num cells: interval or ratio column and (state and 3) = 0. Marked cells:
  // num cells whose state shares a bit of 4..128 with CellState. Valid
  // cells: (state and 3) = 0 in any column.

  /// CountNumCells: the number of num cells of the range.
  std::int32_t CountNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                             std::int32_t HighRow) const;
  /// CountValidCells: the number of valid cells of the range.
  std::int32_t CountValidCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                               std::int32_t HighRow) const;
  /// CountEmptyCells: the number of cells with state bit 2.
  std::int32_t CountEmptyCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                               std::int32_t HighRow) const;
  /// CountImputedCells: the number of cells with state bit 32.
  std::int32_t CountImputedCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                 std::int32_t HighRow) const;
  /// SumOfNumCells: the sum of the num cells; NumData := their number.
  double SumOfNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                       std::int32_t& NumData) const;
  /// SumOfSquaredNumCells: the sum of their squares; NumData := their number.
  double SumOfSquaredNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                              std::int32_t HighRow, std::int32_t& NumData) const;
  /// SumOfMarkedCells: the sum of the marked cells; NumData := their number.
  double SumOfMarkedCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                          std::uint8_t CellState, std::int32_t& NumData) const;
  /// SumOfSquaredMarkedCells: the sum of their squares.
  double SumOfSquaredMarkedCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                 std::int32_t HighRow, std::uint8_t CellState, std::int32_t& NumData) const;
  /// MinMaxOfNumCells: extremes of the num cells (uc_MaxReal and -uc_MaxReal
  /// when there is none); returns their number.
  std::int32_t MinMaxOfNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                std::int32_t HighRow, double& Minimum, double& Maximum) const;
  /// MinMaxOfValidCells: the same over the valid cells.
  std::int32_t MinMaxOfValidCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                  std::int32_t HighRow, double& Minimum, double& Maximum) const;
  /// MinMaxOfMarkedCells: the same over the marked cells.
  std::int32_t MinMaxOfMarkedCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                   std::int32_t HighRow, std::uint8_t CellState, double& Minimum,
                                   double& Maximum) const;
  /// MeanVarOfNumCells: mean (0 for none) and variance (1.0 below 3 cells,
  /// never negative) of the num cells; returns their number.
  std::int32_t MeanVarOfNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                 std::int32_t HighRow, double& Mean, double& Variance) const;
  /// MeanVarOfMarkedCells: the same over the marked cells.
  std::int32_t MeanVarOfMarkedCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                    std::int32_t HighRow, std::uint8_t CellState, double& Mean,
                                    double& Variance) const;
  /// GeometricMeanOfNumCells: exp(mean ln x) of the positive num cells, 0 when
  /// one is 0 or there is none; NumData := the positive ones. A negative
  /// value raises EKVLMatrixError "negative argument passed to GeometricMean".
  double GeometricMeanOfNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                 std::int32_t HighRow, std::int32_t& NumData) const;
  /// HarmonicMeanOfNumCells: n / sum(1/x), 0 when there is none; a value <= 0
  /// raises EKVLMatrixError "negative or zero argument passed to HarmonicMean".
  double HarmonicMeanOfNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                std::int32_t HighRow, std::int32_t& NumData) const;
  /// QuartilesOfNumCells: the quartiles at (n + 1) q; false when there is no cell.
  bool QuartilesOfNumCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                           double& Q1, double& Q2, double& Q3, std::int32_t& NumData) const;
  /// QuartilesOfMarkedCells: the same over the marked cells.
  bool QuartilesOfMarkedCells(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                              std::int32_t HighRow, double& Q1, double& Q2, double& Q3, std::uint8_t CellState,
                              std::int32_t& NumData) const;
  /// PercentileOfNumCells: the prob-th percentile (prob in percent, clipped
  /// to 0..100) interpolated at (n - 1) prob / 100; 0 for no cell.
  double PercentileOfNumCells(double prob, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                              std::int32_t HighRow, std::int32_t& NumData) const;
  /// PercentileOfMarkedCells: the same over the marked cells.
  double PercentileOfMarkedCells(double prob, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                 std::int32_t HighRow, std::uint8_t CellState, std::int32_t& NumData) const;
  /// CopyCellsToVector: DestVect := the valid cells of the range (column by
  /// column), only those sharing a bit with CellState unless it is 255;
  /// returns their number (-1 for a null DestVect).
  std::int32_t CopyCellsToVector(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                                 std::int32_t HighRow, std::uint8_t CellState, TVector* DestVect) const;
  /// FillMarkedCells: every cell whose state shares a bit with StateMask :=
  /// Value; returns how many; OnChange once when any changed.
  std::int32_t FillMarkedCells(double Value, std::uint8_t StateMask);

  // --- transformations --------------------------------------------------------------------

  /// StandardizeNumCellColumns: the num cells of every interval or ratio
  /// column with variance > 0 become (x - mean) / sd; Means and StdDevs (may
  /// be null) receive the figures per column. OnChange once if any changed.
  void StandardizeNumCellColumns(TVector* Means, TVector* StdDevs);
  /// StandardizeNumCellRows: the same per row; raises EKVLDataTableError
  /// "standardization of rows is not possible with nominal or ordinal
  /// variables" when such a column exists. OnChange once.
  void StandardizeNumCellRows(TVector* Means, TVector* StdDevs);
  /// MeanCenterNumCellColumns: x - mean in every interval or ratio column;
  /// OnChange once.
  void MeanCenterNumCellColumns(TVector* Means);
  /// MeanCenterNumCellRows: x - row mean; raises "mean centering of rows is
  /// not possible with nominal or ordinal variables". OnChange once.
  void MeanCenterNumCellRows(TVector* Means);
  /// CalcCovar: the n x n matrix of Mode (0 product moments, 1 covariances,
  /// 2 correlations, 3 squared correlations, 4 mean squared differences) of
  /// the columns LoC..HiC over the rows LoR..HiR; false when CovarMat is too
  /// small or AbortMathProc stopped the run. Pairs with fewer than two
  /// common numbers give 0 in modes 0, 1 and 4.
  bool CalcCovar(TMatrix* CovarMat, std::int32_t LoC, std::int32_t HiC, std::int32_t LoR, std::int32_t HiR,
                 std::int32_t Mode);

  // --- search, removal, header sorts, tests, codes ----------------------------------------

  /// FindCells: CellList[0][k], CellList[1][k] := column and row of the k-th
  /// cell whose raw value satisfies CompareOp; returns the number listed, -1
  /// for an unknown mode, -2 when more than 10000 cells match.
  std::int32_t FindCells(double Limit, double Limit2, TCompareMode CompareOp, std::int32_t LowCol,
                         std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow, TInt2DArray& CellList) const;
  /// RemoveMarkedColumns: removes the columns of FirstCol..LastCol ((0, 0):
  /// all) with a cell sharing a bit with CSMask; the others keep their
  /// values, names, attributes, type records and states. 0, or -1 (nothing
  /// changes) for a bound outside the table. OnResize, OnChangeSetup.
  std::int32_t RemoveMarkedColumns(std::int32_t FirstCol, std::int32_t LastCol, std::uint8_t CSMask);
  /// RemoveUnmarkedColumns: the same for the columns without such a cell.
  std::int32_t RemoveUnmarkedColumns(std::int32_t FirstCol, std::int32_t LastCol, std::uint8_t CSMask);
  /// RemoveMarkedRows: the same for rows.
  std::int32_t RemoveMarkedRows(std::int32_t FirstRow, std::int32_t LastRow, std::uint8_t CSMask);
  /// RemoveUnmarkedRows: the same for unmarked rows.
  std::int32_t RemoveUnmarkedRows(std::int32_t FirstRow, std::int32_t LastRow, std::uint8_t CSMask);
  /// SortRowNames: comb sort of the rows LowRow..HighRow by name (ordinal
  /// byte order, ASCII case folded when IgnoreCase); values and states move
  /// in LowCol..HighCol. OnSortExchange per exchange, then OnChange, OnChangeNames.
  void SortRowNames(bool Ascending, bool IgnoreCase, std::int32_t LowCol, std::int32_t LowRow,
                    std::int32_t HighCol, std::int32_t HighRow);
  /// SortRowNames: the same, case-sensitive.
  void SortRowNames(bool Ascending, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                    std::int32_t HighRow) {
    SortRowNames(Ascending, false, LowCol, LowRow, HighCol, HighRow);
  }
  /// SortColNames: the columns LowCol..HighCol by name (type records move along).
  void SortColNames(bool Ascending, bool IgnoreCase, std::int32_t LowCol, std::int32_t LowRow,
                    std::int32_t HighCol, std::int32_t HighRow);
  /// SortColNames: the same, case-sensitive.
  void SortColNames(bool Ascending, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                    std::int32_t HighRow) {
    SortColNames(Ascending, false, LowCol, LowRow, HighCol, HighRow);
  }
  /// SortRowAttributes: rows by attribute (signed); then OnChange, OnChangeAttrib.
  void SortRowAttributes(bool Ascending, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                         std::int32_t HighRow);
  /// SortColAttributes: columns by attribute.
  void SortColAttributes(bool Ascending, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                         std::int32_t HighRow);
  /// IsConstantColumn: every row of column ColIx holds the raw value of row
  /// 1 (ConstVal); false outside the table.
  bool IsConstantColumn(std::int32_t ColIx, double& ConstVal) const;
  bool IsConstantColumn(std::int32_t ColIx) const;
  /// IsConstantRow: the same across a row.
  bool IsConstantRow(std::int32_t RowIx, double& ConstVal) const;
  bool IsConstantRow(std::int32_t RowIx) const;
  /// CheckDichotomousColumn: the column holds at most two distinct raw
  /// values v1 <= v2 (false below 2 rows or outside the table).
  bool CheckDichotomousColumn(std::int32_t col, double& v1, double& v2) const;
  bool IsDichotomousColumn(std::int32_t ColIx) const;
  /// CreateContingencyTable: ContTab[a][b] counts the rows whose codes are
  /// (a + 1, b + 1), with the margins in the last row and column. -1 a
  /// column outside the table, -2 not nominal or ordinal, -3 some rows had
  /// a code outside 1..150 (code 0 included; they are left out), else 0.
  std::int32_t CreateContingencyTable(std::int32_t Col1, std::int32_t Col2, std::int32_t LowRow,
                                      std::int32_t HighRow, TInt2DArray& ContTab) const;
  /// ScanForCatValues: OrdList[k] := rows of the range whose rounded value is
  /// k (0..150); returns the rows outside 0..150. -1 outside the table, -2
  /// (OrdList untouched) for a column neither nominal nor ordinal.
  std::int32_t ScanForCatValues(std::int32_t ACol, std::int32_t LowRow, std::int32_t HighRow,
                                TIntArray& OrdList) const;

  // --- files: XML form --------------------------------------------------------------------
  // Layout and choices: docs/datatable.md, "Files". Readers load into a
  // fresh table and take it over only on success; the table is unchanged
  // otherwise. Long reads and writes report through OnPercentDone.

  /// SaveAsXMLFile: writes the table with a document header; false when the
  /// file cannot be written. Precision >= 17 restores every value exactly.
  bool SaveAsXMLFile(const std::string& FName, std::int32_t Precision, std::string_view DataID);
  /// WriteToXMLStream: the table at OutStream's position.
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, std::int32_t Precision, std::string_view DataID);
  /// WriteToOpenXMLFile: the table at the stream's position; without the
  /// document header when CreateHeader is false, so it can be embedded.
  void WriteToOpenXMLFile(std::ostream& TFile, bool CreateHeader, std::int32_t Precision,
                          std::string_view DataID);
  /// LoadFromXMLFile: reads the first table of the file; true on success.
  /// A non-empty DataID must equal the stored one.
  bool LoadFromXMLFile(const std::string& FName, std::string_view DataID);
  /// ReadFromXMLStream: the same from InStream's position.
  bool ReadFromXMLStream(TStream& InStream, std::string_view DataID);
  /// ReadFromOpenXMLFile: the same from the stream's position; the stream
  /// is left just past the table.
  bool ReadFromOpenXMLFile(std::istream& TFile, std::string_view DataID);
  /// ReadFromXMLString: the table from InString at the 1-based StartAt,
  /// which moves past the table; true on success.
  bool ReadFromXMLString(std::string_view InString, std::int32_t& StartAt, std::string_view DataID);
  /// ProcessXmlTag: applies one tag (its attributes and content) of the
  /// XML form to this table, which must already have the stored size; false
  /// when the tag's content is malformed. Level: 0 for a tag of the table
  /// element, 1 for one inside a block.
  bool ProcessXmlTag(TDTxmlTags Tag, const std::string& Attr, const std::string& Content,
                     std::string_view DataID, std::int32_t Level);

  // --- files: ASC form --------------------------------------------------------------------

  /// ExportAsASC: writes the ASC form to FName (CustData: extra lines of
  /// quoted words after the table); "" on success, else the reason.
  std::string ExportAsASC(const std::string& FName, std::int32_t Precision, const TStr2DArray* CustData = nullptr);
  /// ExportAsASC: the same into OutStream.
  std::string ExportAsASC(TStream& OutStream, std::int32_t Precision);
  /// ExportAsASC: the same into an open text stream.
  std::string ExportAsASC(std::ostream& TFile, std::int32_t Precision);
  /// ImportASC: replaces the table by the ASC file; 0 or a negative ASC
  /// status (the table is then unchanged); CustData receives the extra lines.
  std::int32_t ImportASC(const std::string& FName, TStr2DArray* CustData = nullptr);
  /// ImportASC: the same from InStream's position.
  std::int32_t ImportASC(TStream& InStream);
  /// ImportASC: the same from the clipboard's text.
  std::int32_t ImportASC(TClipboard& ClipBd);
  /// ReadFromASC: puts the ASC table into this one with its cell (1, 1) at
  /// (PosX, PosY), growing the table as needed; ReplaceIDs: a nominal
  /// column takes the file's identifiers, else the file's codes are mapped
  /// into the column's dictionary. 0 or a negative status (table unchanged).
  std::int32_t ReadFromASC(const std::string& FName, std::int32_t PosX, std::int32_t PosY, bool ReplaceIDs);
  std::int32_t ReadFromASC(TStream& InStream, std::int32_t PosX, std::int32_t PosY, bool ReplaceIDs);
  std::int32_t ReadFromASC(TClipboard& ClipBd, std::int32_t PosX, std::int32_t PosY, bool ReplaceIDs);

  // --- files: CSV form --------------------------------------------------------------------

  /// ExportAsCSV: RFC 4180 text with the Delimiter; "" on success, else the reason.
  std::string ExportAsCSV(const std::string& FName, std::int32_t Precision, TCSVDelimiters Delimiter,
                          bool IncludeColHeaders, bool IncludeRowHeaders, bool IncludeRowAttributes = false,
                          bool IncludeComment = false);
  /// ExportAsCSV: the same into an open text stream.
  std::string ExportAsCSV(std::ostream& TFile, std::int32_t Precision, TCSVDelimiters Delimiter,
                          bool IncludeColHeaders, bool IncludeRowHeaders, bool IncludeRowAttributes = false,
                          bool IncludeComment = false);
  /// ImportFromCSV: replaces the table by the CSV lines after NLinesSkip up
  /// to LastImportLine (0: to the end; counted in records); returns the
  /// number of data rows or a negative status (table unchanged).
  std::int32_t ImportFromCSV(const std::string& FName, TCSVDelimiters Delimiter, std::int32_t NLinesSkip,
                             std::int32_t LastImportLine, bool IncludeColHeaders, bool IncludeRowHeaders);
  std::int32_t ImportFromCSV(const std::string& FName, TCSVDelimiters Delimiter, bool IncludeColHeaders,
                             bool IncludeRowHeaders) {
    return ImportFromCSV(FName, Delimiter, 0, 0, IncludeColHeaders, IncludeRowHeaders);
  }
  /// ImportFromCSV: the same from an open text stream.
  std::int32_t ImportFromCSV(std::istream& TFile, TCSVDelimiters Delimiter, std::int32_t NLinesSkip,
                             std::int32_t LastImportLine, bool IncludeColHeaders, bool IncludeRowHeaders);

  // --- splitting into parts ---------------------------------------------------------------

  /// PrepareSplitCounts: the sizes of the parts that SplitDataSet writes
  /// (see docs/datatable.md); returns the number of files, or -1 for a
  /// SplitSize the table cannot be split by.
  std::int32_t PrepareSplitCounts(TDataSetSplitMode SplitMode, std::int32_t SplitSize, bool CreateAllPairs,
                                  TIntArray& DataCnts) const;
  /// SplitDataSet: writes the parts as files named after FNameTemplate;
  /// returns their number, -1 bad SplitSize, -2 a file exists and
  /// AllowOverWrite is false (nothing written), -3 a file cannot be written.
  std::int32_t SplitDataSet(TDataSetSplitMode SplitMode, TDataSelMode SelMode, std::int32_t SplitSize,
                            bool CreateAllPairs, const std::string& FNameTemplate, bool AllowOverWrite,
                            TStrArray& FileNames);

 private:
  class TMatrixMute;

  static constexpr bool IsCategorial(TMScaleType t) noexcept {
    return t == TMScaleType::stNominal || t == TMScaleType::stOrdinal;
  }
  bool InTable(std::int32_t c, std::int32_t r) const noexcept {
    return c >= 1 && c <= FNrOfCols && r >= 1 && r <= FNrOfRows;
  }
  bool ValidCol(std::int32_t c) const noexcept { return c >= 1 && c <= FNrOfCols; }
  bool ValidRow(std::int32_t r) const noexcept { return r >= 1 && r <= FNrOfRows; }
  std::size_t StOff(std::int32_t c, std::int32_t r) const noexcept {
    return static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(FNrOfRows) + static_cast<std::size_t>(r - 1);
  }
  void Fire(const TNotifyEvent& Event) { FireEvent(Event); }
  /// FireExchangeEvents: OnChange, OnChangeCellState, OnChangeAttrib,
  /// OnChangeNames, OnChangeSetup (the exchanges and mirrors).
  void FireExchangeEvents();
  /// FireMoveEvents: OnChangeAttrib, OnChangeNames, OnChangeCellState for
  /// each of Count moved rows or columns.
  void FireMoveEvents(std::int32_t Count);
  void FireResize(std::int32_t OldCols, std::int32_t OldRows);
  void SetStateBit(std::int32_t ACol, std::int32_t ARow, std::uint8_t Bit, bool Value);

  /// MakeValidColRange: the range rule for columns; -1 when a bound had to
  /// be clipped (a swap alone is no correction), else 0.
  std::int32_t MakeValidColRange(std::int32_t& Low, std::int32_t& High) const noexcept;
  /// MakeValidRowRange: the range rule for rows; a swap counts as a correction.
  std::int32_t MakeValidRowRange(std::int32_t& Low, std::int32_t& High) const noexcept;

  // Matrix notification: the matrix's OnChange goes to MatrixChanged, its
  // OnSortExchange to MatrixSortExchange, through weak handlers; TMatrixMute
  // silences the first while the table writes many cells.
  void AttachMatrix();
  void ReleaseMatrix() noexcept;
  void MatrixChanged(TObject* Sender);
  void MatrixSortExchange(TObject* Sender, std::int32_t ExchgWhat, std::int32_t Index1, std::int32_t Index2,
                          std::int32_t LowBound, std::int32_t HighBound);
  /// Notification: a destroyed NumericData is replaced by an owned one.
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SortBy(bool Columns, std::int32_t Key, bool Ascending, std::int32_t LowCol, std::int32_t LowRow,
              std::int32_t HighCol, std::int32_t HighRow, bool IncludeHeaders);
  void SortExchange(std::int32_t ExchgWhat, std::int32_t Index1, std::int32_t Index2, std::int32_t LowBound,
                    std::int32_t HighBound);
  /// Cells: the writable cells of NumericData limited to the table's size.
  datatable_internal::TColumns<double> Cells() const noexcept;
  /// States: the state bytes as columns.
  datatable_internal::TColumns<std::uint8_t> States() noexcept;
  /// ForCellsAndStates: applies Op to the cells and then to the states.
  template <class Op>
  void ForCellsAndStates(Op&& op);
  /// ResizeStorage: the resize core: the table's arrays and, WithMatrix,
  /// NumericData take the new size (nothing changes when either fails);
  /// fires nothing; false when the size was unchanged.
  bool ResizeStorage(std::int32_t NrCols, std::int32_t NrRows, bool WithMatrix);
  void ResizeMatrix(std::int32_t NrCols, std::int32_t NrRows, bool ZeroAll);
  /// CopyContents: this table := Src's size, comment, names, attributes,
  /// type records (Cloning: interval and ratio columns lose their
  /// identifiers), states and cells (through TMatrix::Assign, keeping this
  /// matrix's handlers and, Cloning, its DataID and Precision). Fires
  /// nothing; a failure changes nothing.
  void CopyContents(const TDataTable& Src, bool Cloning);
  /// LoadFrom: takes over Src's whole content (a freshly loaded table),
  /// firing OnResize when the size changes and the Clone summary events.
  void LoadFrom(TDataTable& Src);
  template <class Less>
  void CombSortHeaders(bool Columns, std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol,
                       std::int32_t HighRow, Less&& OutOfOrder);
  std::int32_t RemoveSelected(bool Columns, std::int32_t First, std::int32_t Last, std::uint8_t CSMask,
                              bool Marked);
  template <class Sel, class Op>
  void ForSelected(std::int32_t LowCol, std::int32_t LowRow, std::int32_t HighCol, std::int32_t HighRow,
                   Sel&& Selected, Op&& op) const;
  std::int32_t ReadASCInto(std::istream& In, std::int32_t PosX, std::int32_t PosY, bool ReplaceIDs, bool Replace,
                           TStr2DArray* CustData);
  void ReportPercent(double Percent);
  std::int32_t FindSlot(std::int32_t Col, std::string_view ID) const;
  std::int32_t FreeSlot(std::int32_t Col) const;
  template <class Op>
  void ForEachState(Op&& op);
  void RemoveRowRange(std::int32_t FirstRow, std::int32_t LastRow);
  template <class T>
  std::int32_t CopyRunFrom(std::span<const T> Src, std::int32_t FirstElem, std::int32_t LastElem, std::int32_t Col,
                           std::int32_t Row, bool AsColumn);
  template <class T>
  std::int32_t CopyBlockFrom(const std::vector<std::vector<T>>& Src, std::int32_t SrcColLo, std::int32_t SrcRowLo,
                             std::int32_t SrcColHi, std::int32_t SrcRowHi, std::int32_t Col, std::int32_t Row);

  std::string FComment;
  std::vector<std::int32_t> FRowAtt;  // one per row
  std::vector<std::int32_t> FColAtt;  // one per column
  std::vector<TVTypeSpec> FVType;     // one per column
  std::vector<std::uint8_t> FCState;  // column after column, FNrOfRows per column
  std::vector<TDTNameStr> FColName;
  std::vector<TDTNameStr> FRowName;
  std::int32_t FNrOfCols = 0;
  std::int32_t FNrOfRows = 0;
  bool FSortIncludeHd = false;
  std::int32_t FSortKey = 0;  // key column (row) while this table sorts, else 0
  bool FExtMatAssigned = false;
  TComponent* FMatComponent = nullptr;  // NumericData as the component whose death we watch
  std::int32_t FMatrixMuted = 0;        // open TMatrixMute scopes
};

}  // namespace kvl

KVL_API_END
