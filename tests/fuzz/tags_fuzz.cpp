// The tag and word readers under the XML-like forms and the text files.

#include <array>
#include <sstream>
#include <string>
#include <string_view>

#include "fuzz_target.h"
#include "kvl/kvl.h"

KVL_FUZZ_TARGET(tags) {
  using namespace kvl;
  static constexpr std::array<std::string_view, 4> kTags = {"cell", "matrix", "/matrix", "invalidtag"};
  kvl_fuzz::TBytes rest;
  const unsigned which = kvl_fuzz::Split(Data, 3, rest);
  const std::string text(kvl_fuzz::Text(rest));
  kvl_fuzz::Guarded([&] {
    std::string attr, content;
    switch (which) {
      case 0: {
        std::int32_t at = 1;
        // every call moves past an element or ends the text
        while (ReadNextTagInString(text, kTags, at, attr, content) >= 0) {
        }
        break;
      }
      case 1: {
        std::istringstream in(text);
        while (ReadNextTagInTextFile(in, kTags, attr, content) >= 0) {
        }
        break;
      }
      default: {
        std::istringstream in(text);
        while (!ReadNextWordInTextFile(in).empty()) {
        }
        break;
      }
    }
  });
}
