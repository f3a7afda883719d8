#include "kvl/base/KVL_filesys.h"

namespace kvl {

namespace {
constexpr bool IsWhite(int c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
}  // namespace

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
