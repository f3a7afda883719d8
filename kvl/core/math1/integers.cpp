#include "kvl/core/math1/integers.h"

#include <array>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <string_view>

#include "kvl/core/KVL_frame.h"

namespace kvl {

namespace {

constexpr std::size_t kNumPrimes = 4792;

constexpr std::int32_t kLargestPrime = 46337;

// The first 4792 primes (all primes up to 46337), sieved when the library is
// built.
constexpr std::array<std::int32_t, kNumPrimes> MakePrimeTable() {
  std::array<bool, kLargestPrime + 1> composite{};
  std::array<std::int32_t, kNumPrimes> primes{};
  std::size_t count = 0;
  for (std::int32_t n = 2; n <= kLargestPrime; ++n) {
    if (composite[static_cast<std::size_t>(n)]) continue;
    if (count < kNumPrimes) primes[count] = n;
    ++count;
    for (std::int64_t m = std::int64_t{n} * n; m <= kLargestPrime; m += n)
      composite[static_cast<std::size_t>(m)] = true;
  }
  return count == kNumPrimes ? primes : std::array<std::int32_t, kNumPrimes>{};
}
constexpr auto kPrimes = MakePrimeTable();
// The table ends with the largest prime whose square fits an Integer (the
// next prime is 46349), so it factors every Integer.
static_assert(kPrimes.back() == 46337);
static_assert(46337LL * 46337LL <= std::numeric_limits<std::int32_t>::max() &&
              46349LL * 46349LL > std::numeric_limits<std::int32_t>::max());

constexpr std::array<std::uint8_t, 256> MakeBitReversalTable() {
  std::array<std::uint8_t, 256> table{};
  for (unsigned b = 0; b < 256; ++b) {
    unsigned r = 0;
    for (unsigned bit = 0; bit < 8; ++bit)
      if (b & (1u << bit)) r |= 0x80u >> bit;
    table[b] = static_cast<std::uint8_t>(r);
  }
  return table;
}
constexpr auto kBitReversal = MakeBitReversalTable();

struct TRomanNumeral {
  std::int32_t Value;
  std::string_view Text;
};
constexpr std::array<TRomanNumeral, 13> kRomanNumerals{{{1000, "M"},
                                                        {900, "CM"},
                                                        {500, "D"},
                                                        {400, "CD"},
                                                        {100, "C"},
                                                        {90, "XC"},
                                                        {50, "L"},
                                                        {40, "XL"},
                                                        {10, "X"},
                                                        {9, "IX"},
                                                        {5, "V"},
                                                        {4, "IV"},
                                                        {1, "I"}}};

}  // namespace

long double Factorial(std::int32_t N) {
  if (N < 0) RaiseFunc<EKVLMath1Error>("Factorial", "negative argument");
  if (N > 1000) RaiseFunc<EKVLMath1Error>("Factorial", "argument too big");
  long double product = 1.0L;
  for (std::int32_t i = 2; i <= N; ++i) product *= i;
  return product;
}

std::string Roman(std::int32_t N) {
  std::string text;
  if (N < 1 || N >= 30000) return text;
  for (const TRomanNumeral& numeral : kRomanNumerals) {
    while (N >= numeral.Value) {
      text.append(numeral.Text);
      N -= numeral.Value;
    }
  }
  return text;
}

std::int32_t ListOfPrimes(std::int32_t N) noexcept {
  if (N < 1 || static_cast<std::size_t>(N) > kNumPrimes) return 0;
  return kPrimes[static_cast<std::size_t>(N) - 1];
}

bool IsPrime(std::int32_t N) noexcept {
  const std::int64_t a = std::llabs(static_cast<std::int64_t>(N));
  if (a < 2) return false;
  if (a % 2 == 0) return a == 2;
  for (std::int64_t d = 3; d * d <= a; d += 2)
    if (a % d == 0) return false;
  return true;
}

TIntArray FindPrimeFactors(std::int32_t N) {
  TIntArray factors;
  if (N < 2) return factors;
  for (const std::int32_t p : kPrimes) {
    if (p > N / p) break;
    while (N % p == 0) {
      factors.push_back(p);
      N /= p;
    }
  }
  if (N > 1) factors.push_back(N);
  return factors;
}

void CancelFraction(std::int32_t& Num, std::int32_t& Den) noexcept {
  const std::int64_t g = std::gcd(static_cast<std::int64_t>(Num), static_cast<std::int64_t>(Den));
  if (g <= 1) return;
  Num = static_cast<std::int32_t>(Num / g);
  Den = static_cast<std::int32_t>(Den / g);
}

std::int64_t ProductConsecInts(std::int32_t A, std::int32_t B) noexcept {
  const std::int64_t lo = std::min(A, B);
  const std::int64_t hi = std::max(A, B);
  if (lo < 0) return -2;
  if (lo == 0) return 0;
  const std::int64_t limit = std::numeric_limits<std::int64_t>::max() / hi;
  std::int64_t product = 1;
  for (std::int64_t i = lo; i <= hi; ++i) {
    if (product > limit) break;
    product *= i;
  }
  return product;
}

std::uint8_t BitReversal(std::uint8_t B) noexcept { return kBitReversal[B]; }

}  // namespace kvl
