#include "kvl/base/KVL_filesys.h"

#include "kvl/base/KVL_stringl.h"

namespace kvl {

std::string ReadNextWordInTextFile(std::istream& TFile) {
  std::string word;
  constexpr auto eof = std::istream::traits_type::eof();
  int c = TFile.peek();
  while (c != eof && IsWhiteChar(c)) {
    TFile.get();
    c = TFile.peek();
  }
  while (c != eof && !IsWhiteChar(c)) {
    word += static_cast<char>(c);
    TFile.get();
    c = TFile.peek();
  }
  return word;
}

}  // namespace kvl
