#pragma once
// KVL_filesys: file services of the base layer.

#include <istream>
#include <string>

namespace kvl {

/// ReadNextWordInTextFile: skips white space (blank, tab, line ends, vertical
/// tab, form feed) and returns the characters up to the next white space or
/// the end of the stream, which stays unread. At the end of the stream the
/// result is "" and the stream's eof flag is set.
std::string ReadNextWordInTextFile(std::istream& TFile);

}  // namespace kvl
