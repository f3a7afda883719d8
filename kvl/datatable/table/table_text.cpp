// Number and text helpers of the table's file forms.

#include <cmath>
#include <limits>

#include "kvl/base/KVL_stringl.h"
#include "kvl/datatable/table/internal/tabletext_internal.h"

namespace kvl::datatable_internal {

void AppendNumber(std::string& Out, double x, std::int32_t Precision) {
  if (std::isnan(x)) {
    Out += "NaN";
    return;
  }
  if (std::isinf(x)) {
    Out += x < 0 ? "-Inf" : "Inf";
    return;
  }
  char buf[64];
  const auto res = (Precision >= 17 || Precision < 1)
                       ? std::to_chars(buf, buf + sizeof buf, x)
                       : std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, Precision);
  Out.append(buf, res.ptr);
}

bool ParseNumber(std::string_view Word, double& x) noexcept {
  if (!Word.empty() && Word.front() == '+') Word.remove_prefix(1);
  if (Word.empty() || Word.front() == '+') return false;
  const auto [end, ec] = std::from_chars(Word.data(), Word.data() + Word.size(), x);
  if (end != Word.data() + Word.size()) return false;
  if (ec == std::errc::result_out_of_range) {
    // from_chars leaves x untouched: an underflow is 0, an overflow infinite
    const bool neg = Word.front() == '-';
    const auto e = Word.find_first_of("eE");
    const bool small = e != std::string_view::npos && e + 1 < Word.size() && Word[e + 1] == '-';
    x = small ? (neg ? -0.0 : 0.0) : (neg ? -std::numeric_limits<double>::infinity()
                                          : std::numeric_limits<double>::infinity());
    return true;
  }
  return ec == std::errc();
}

bool ParseInt(std::string_view Word, std::int32_t& v) noexcept {
  if (!Word.empty() && Word.front() == '+') Word.remove_prefix(1);
  const auto [end, ec] = std::from_chars(Word.data(), Word.data() + Word.size(), v);
  return !Word.empty() && ec == std::errc() && end == Word.data() + Word.size();
}

}  // namespace kvl::datatable_internal
