#pragma once
// KVL_filesys: file services of the base layer.

#include <cstdint>
#include <istream>
#include <string>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// ReadNextWordInTextFile: skips white space (blank, tab, line ends, vertical
/// tab, form feed) and returns the characters up to the next white space or
/// the end of the stream, which stays unread. At the end of the stream the
/// result is "" and the stream's eof flag is set.
std::string ReadNextWordInTextFile(std::istream& TFile);

/// ReadHeaderOfASC: reads the four header lines of the ASC column text FName
/// (title; column count; row count; the flags row attributes, column names,
/// row names, nominal variables) and returns 0 or a status from -11 to -20:
///   -11 the file cannot be opened (missing, unreadable, not a regular file)
///   -12 no column-count line (the file is empty or holds only the title)
///   -13 no row-count line            -14 no flag line
///   -15 the column count is not a whole number   -16 it is negative
///   -17 the row count is not a whole number      -18 it is negative
///   -19 absurd counts: beyond 2147483647, or more columns, rows or cells
///       than the file has bytes (each value needs at least one)
///   -20 the flag line does not hold three or four flags
/// On lines 2 to 4 the text from the first semicolon on is a comment; counts
/// are decimal integers. A flag is TRUE or FALSE in any letter case, or 1 or
/// 0; a missing fourth flag (older three-flag files) reads as false. Line
/// ends may be LF or CR LF; a UTF-8 byte order mark before the title is
/// dropped. The outputs are reset first and keep what was read before a
/// failure; the file is closed again.
std::int32_t ReadHeaderOfASC(const std::string& FName, std::string& Comment, std::int32_t& NrColumns,
                             std::int32_t& NrRows, bool& RowAttribs, bool& ColNames, bool& RowNames,
                             bool& NomVars);
/// ReadHeaderOfASC: the same on an open stream, from its position: reads
/// the four header lines and leaves the stream at the first line after
/// them. The counts are checked against the bytes left in the stream; a
/// stream that cannot tell them (a pipe) has its counts checked against the
/// Integer range only, and its reader must not trust them.
std::int32_t ReadHeaderOfASC(std::istream& In, std::string& Comment, std::int32_t& NrColumns, std::int32_t& NrRows,
                             bool& RowAttribs, bool& ColNames, bool& RowNames, bool& NomVars);

}  // namespace kvl

KVL_API_END
