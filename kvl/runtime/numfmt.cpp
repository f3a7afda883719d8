#include "kvl/runtime/numfmt.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace kvl {

namespace {

void AppendAligned(std::string& Out, const char* Text, std::size_t Len, int Width) {
  if (Width > 0 && static_cast<std::size_t>(Width) > Len) Out.append(static_cast<std::size_t>(Width) - Len, ' ');
  Out.append(Text, Len);
}

}  // namespace

void AppendStrField(std::string& Out, long double r, int Width, int Decimals) {
  Width = std::clamp(Width, 0, 4096);  // a field never needs more; guards absurd widths
  if (std::isnan(r)) return AppendAligned(Out, "Nan", 3, Width);
  if (std::isinf(r)) return AppendAligned(Out, r > 0 ? "+Inf" : "-Inf", 4, Width);

  char buf[5200];
  if (Decimals >= 0) {
    Decimals = std::min(Decimals, 4000);
    const auto res = std::to_chars(buf, buf + sizeof buf, r, std::chars_format::fixed, Decimals);
    return AppendAligned(Out, buf, static_cast<std::size_t>(res.ptr - buf), Width);
  }

  const int n = std::clamp(Width - 8, 2, 18);
  // "%.*Le" gives d.dddde+XXXX with at least two exponent digits; rebuild the
  // exponent with its sign and four digits, the mantissa with a sign position.
  char mant[64];
  const int len = std::snprintf(mant, sizeof mant, "%.*Le", n - 1, std::fabs(r));
  const char* e = static_cast<const char*>(std::memchr(mant, 'e', static_cast<std::size_t>(len)));
  const int exponent = std::atoi(e + 1);
  char out[80];
  int k = 0;
  out[k++] = std::signbit(r) ? '-' : ' ';
  std::memcpy(out + k, mant, static_cast<std::size_t>(e - mant));
  k += static_cast<int>(e - mant);
  k += std::snprintf(out + k, sizeof out - static_cast<std::size_t>(k), "E%c%04d", exponent < 0 ? '-' : '+',
                     std::abs(exponent));
  AppendAligned(Out, out, static_cast<std::size_t>(k), Width);
}

std::string StrField(long double r, int Width, int Decimals) {
  std::string s;
  AppendStrField(s, r, Width, Decimals);
  return s;
}

}  // namespace kvl
