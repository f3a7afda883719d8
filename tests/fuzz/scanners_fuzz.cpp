// The number, degree and date scanners and the text helpers that take
// outside text. The first byte picks the scanner and its options; for the
// date scanner the text before the first newline is the format.

#include <string>

#include "fuzz_target.h"
#include "kvl/kvl.h"

KVL_FUZZ_TARGET(scanners) {
  using namespace kvl;
  kvl_fuzz::TBytes rest;
  const unsigned which = kvl_fuzz::Split(Data, 12, rest);
  const std::string_view text = kvl_fuzz::Text(rest);
  kvl_fuzz::Guarded([&] {
    std::int32_t pos = 1;
    switch (which) {
      case 0: ScanDecimal(text, pos); break;
      case 1: ScanHex(text, pos); break;
      case 2: ScanOctal(text, pos); ScanBin(text, pos = 1); break;
      case 3: ScanFPNum(text, true, 0, pos); break;
      case 4: ScanFPNum(text, false, 2, pos); break;
      case 5: {
        std::int32_t format = 0;
        ScanDegrees(text, pos, false, format);
        break;
      }
      case 6: {
        const std::size_t cut = text.find('\n');
        const std::string_view format = text.substr(0, cut);
        const std::string_view value = cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1);
        ScanDateTime(value, format, TLanguage::lanEnglish, pos);
        ScanDateTime(value, format, TLanguage::lanGerman, pos = 1);
        break;
      }
      case 7:
        IsValidDouble(text, true, TDecPSep::dsBoth);
        IsValidFPNum(text, TDecPSep::dsComma);
        IsValidHex(text);
        IsValidDecInt(text);
        break;
      case 8: HexToDouble(text); HexToExtended(text); break;
      case 9: Tokenize(text, " ,;", '"'); break;
      case 10: DecodeXMLText(text); XmlUnescape(text); break;
      default: StrToIntDefault(text, -1); break;
    }
  });
}
