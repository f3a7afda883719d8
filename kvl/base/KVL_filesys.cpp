#include "kvl/base/KVL_filesys.h"

#include "kvl/base/internal/textchars.h"

namespace kvl {

using detail::IsWhite;

std::string ReadNextWordInTextFile(std::istream& TFile) {
  std::string word;
  constexpr auto eof = std::istream::traits_type::eof();
  int c = TFile.peek();
  while (c != eof && IsWhite(c)) {
    TFile.get();
    c = TFile.peek();
  }
  while (c != eof && !IsWhite(c)) {
    word += static_cast<char>(c);
    TFile.get();
    c = TFile.peek();
  }
  return word;
}

}  // namespace kvl
