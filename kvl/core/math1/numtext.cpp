// Numbers to text: fields, engineering and exponent notation, raw bytes as
// hex, integers as digit strings, and the hex texts back to numbers.

#include "kvl/core/math1/numtext.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "kvl/base/KVL_stringl.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/core/math1/internal/textscan.h"
#include "kvl/runtime/extended.h"
#include "kvl/runtime/numfmt.h"

namespace kvl {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The widest field any formatter here asks for; StrField caps there too.
constexpr std::int32_t kMaxField = 4096;

// Bytes, given least significant first, as hex digits most significant first.
std::string BytesToHex(const std::uint8_t* Bytes, std::size_t Count) {
  std::string s(2 * Count, '0');
  for (std::size_t k = 0; k < Count; ++k) {
    const std::uint8_t b = Bytes[Count - 1 - k];
    s[2 * k] = kHexDigits[b >> 4];
    s[2 * k + 1] = kHexDigits[b & 0x0F];
  }
  return s;
}

// The N bytes that the 2 N hex digits of s spell, least significant first;
// raises EKVLError quoting s for a text of other length or other characters.
template <std::size_t N>
std::array<std::uint8_t, N> HexToBytes(std::string_view s, bool MSBFirst, std::string_view Func) {
  std::array<std::uint8_t, N> bytes{};
  if (s.size() != 2 * N) RaiseQuoted<EKVLError>(Func, "invalid hex string", s);
  for (std::size_t k = 0; k < N; ++k) {
    const int hi = numtext_internal::DigitValue(s[2 * k], 16);
    const int lo = numtext_internal::DigitValue(s[2 * k + 1], 16);
    if (hi < 0 || lo < 0) RaiseQuoted<EKVLError>(Func, "invalid hex string", s);
    bytes[MSBFirst ? N - 1 - k : k] = static_cast<std::uint8_t>(hi << 4 | lo);
  }
  return bytes;
}

// The lowest Digits digits of x (as unsigned 32-bit) in base 2^BitsPerDigit,
// Digits taken as 1 when 0 and capped at MaxDigits.
template <unsigned BitsPerDigit>
std::string PowerOfTwoDigits(std::int32_t x, std::uint8_t Digits, std::uint8_t MaxDigits) {
  const std::size_t n = std::clamp<std::uint8_t>(Digits, 1, MaxDigits);
  std::uint64_t v = static_cast<std::uint32_t>(x);
  std::string s(n, '0');
  for (std::size_t k = n; k-- > 0 && v != 0; v >>= BitsPerDigit) s[k] = kHexDigits[v & ((1u << BitsPerDigit) - 1)];
  return s;
}

// 10^k for 0 <= k <= 27, exact in extended precision.
long double PowerOfTen(int k) {
  long double p = 1.0L;
  while (k-- > 0) p *= 10.0L;
  return p;
}

}  // namespace

// --- number fields ---------------------------------------------------------------

std::string strf(double r, std::int32_t Width, std::int32_t Decimals) {
  Width = std::clamp(Width, 0, kMaxField);  // a negative width asks for no padding
  if (Decimals != -2 || !std::isfinite(r)) return StrField(r, Width, Decimals);
  // Exponent form in two more characters, then the two leading of its four
  // exponent digits dropped; a larger exponent cannot be shown.
  std::string s = StrField(r, Width + 2, -1);
  const std::size_t e = s.find('E');
  const bool small = s[e + 2] == '0' && s[e + 3] == '0';
  s.erase(e + 2, 2);
  if (!small) s.assign(s.size(), '*');
  return s;
}

std::string EEngStr(double r, std::int32_t Digits) {
  static constexpr std::string_view kPrefix = "afpnum kMGT";  // 10^-18 .. 10^12
  Digits = std::clamp(Digits, -9, 9);
  const int p = Digits >= 2 ? Digits - 1 : (Digits <= -2 ? 1 + Digits : 0);
  const int q = std::abs(p);
  if (r == 0.0) return strff(0.0L, 1, q);
  if (!std::isfinite(r)) return strff(r, 1, q);

  const bool negative = r < 0.0;
  const long double a = std::fabs(r);
  // lg rounded to Double, as the library's lg gives it: keeps 1000 in the
  // k range instead of the units range.
  const double lga = static_cast<double>(std::log10(a));
  const int e = static_cast<int>(std::floor(lga));
  const int g = std::clamp(static_cast<int>(std::floor(lga / 3.0)), -6, 4);
  const long double scale = PowerOfTen(3 * std::abs(g));
  const long double m = g >= 0 ? a / scale : a * scale;
  std::string s = strff(m, 1, std::max(0, q - (e - 3 * g)));
  if (g != 0) {
    const char letter = kPrefix[static_cast<std::size_t>(g + 6)];
    const std::size_t point = s.find('.');
    if (Digits <= -2 && point != std::string::npos) s[point] = letter;
    else s += letter;
  }
  if (negative) s.insert(s.begin(), '-');
  return s;
}

std::string MakeEFormat(double r, std::int32_t Width, std::int32_t Digits) {
  const int n = std::clamp(Digits, 2, 15);
  const int w = std::clamp(Width, 8, 40);
  if (!std::isfinite(r)) return StrField(r, w, 0);
  // " d.ddddE+XXXX": sign position, digit, point, n - 1 digits, exponent.
  const std::string s = StrField(r, n + 8, -1);
  const std::size_t e = s.find('E');
  int exponent = 0;
  for (std::size_t k = e + 2; k < s.size(); ++k) exponent = 10 * exponent + (s[k] - '0');
  if (s[e + 1] == '-') exponent = -exponent;
  if (r != 0.0) ++exponent;

  std::string out;
  out.reserve(static_cast<std::size_t>(w) + 4);
  out += s[0];
  out += "0.";
  out += s[1];
  out.append(s, 3, e - 3);
  out += 'E';
  out += exponent < 0 ? '-' : '+';
  const int mag = std::abs(exponent);
  if (mag < 10) out += '0';
  out += std::to_string(mag);
  if (out.size() < static_cast<std::size_t>(w)) out.insert(0, static_cast<std::size_t>(w) - out.size(), ' ');
  return out;
}

// --- floating-point bytes ----------------------------------------------------------

std::string FPNumToHex(double x) {
  const auto bytes = std::bit_cast<std::array<std::uint8_t, 8>>(x);
  return BytesToHex(bytes.data(), bytes.size());
}

std::string FPNumToHex(long double x) {
  const TExtendedBytes bytes = EncodeExtended(x);
  return BytesToHex(bytes.data(), bytes.size());
}

std::string FPNumToHex(float x) {
  const auto bytes = std::bit_cast<std::array<std::uint8_t, 4>>(x);
  return BytesToHex(bytes.data(), bytes.size());
}

double HexToDouble(std::string_view s, bool MSBFirst) {
  return std::bit_cast<double>(HexToBytes<8>(s, MSBFirst, "HexToDouble"));
}

float HexToSingle(std::string_view s, bool MSBFirst) {
  return std::bit_cast<float>(HexToBytes<4>(s, MSBFirst, "HexToSingle"));
}

long double HexToExtended(std::string_view s) {
  return DecodeExtended(HexToBytes<10>(s, true, "HexToExtended").data());
}

// --- integers as digit strings -------------------------------------------------------

std::string Hex(std::int32_t x, std::uint8_t Digits) { return PowerOfTwoDigits<4>(x, Digits, 16); }

std::string Octal(std::int32_t x, std::uint8_t Digits) { return PowerOfTwoDigits<3>(x, Digits, 11); }

std::string Bin(std::int32_t x, std::uint8_t Digits) { return PowerOfTwoDigits<1>(x, Digits, 32); }

std::string Decimal(std::int32_t x, std::uint8_t Digits) {
  const std::size_t n = std::max<std::uint8_t>(Digits, 1);
  // |x| in unsigned arithmetic, so that the smallest Integer has one.
  std::uint32_t v = x < 0 ? 0u - static_cast<std::uint32_t>(x) : static_cast<std::uint32_t>(x);
  std::string s(n, '0');
  for (std::size_t k = n; k-- > 0 && v != 0; v /= 10) s[k] = static_cast<char>('0' + v % 10);
  if (x < 0) s.insert(s.begin(), '-');
  return s;
}

}  // namespace kvl
