#pragma once
// Integer helpers: factorial, Roman numerals, primes, fractions, products of
// consecutive integers, bit utilities and byte-order conversion.

#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <utility>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// Factorial: N! in extended precision; 1 for N < 2. Raises EKVLMath1Error
/// "Factorial: negative argument" for N < 0 and "Factorial: argument too
/// big" for N > 1000.
long double Factorial(std::int32_t N);

/// Roman: N in Roman numerals for 1 <= N <= 29999 (thousands repeat M), else
/// the empty string.
std::string Roman(std::int32_t N);

/// ListOfPrimes: the N-th prime (ListOfPrimes(1) = 2) for 1 <= N <= 4792
/// (the 4792nd is 46337, the largest prime below sqrt(2^31)); else 0.
std::int32_t ListOfPrimes(std::int32_t N) noexcept;

/// IsPrime: true when |N| is a prime (trial division up to sqrt(|N|));
/// false for -1, 0 and 1.
bool IsPrime(std::int32_t N) noexcept;

/// FindPrimeFactors: the prime factors of N in ascending order, each as
/// often as it divides N (12 gives 2, 2, 3); empty for N < 2.
TIntArray FindPrimeFactors(std::int32_t N);

/// CancelFraction: divides Num and Den by their greatest common divisor
/// (signs are kept; 0/5 becomes 0/1; 0/0 stays).
void CancelFraction(std::int32_t& Num, std::int32_t& Den) noexcept;

/// ProductConsecInts: A (A+1) ... B, the bounds swapped if A > B; 0 when the
/// lower bound is 0 and -2 when it is negative. Multiplying stops once the
/// product exceeds High(Int64) div B (B the upper bound), so it never
/// overflows: the result is exact whenever the true product is at most that
/// bound times B.
std::int64_t ProductConsecInts(std::int32_t A, std::int32_t B) noexcept;

/// CheckPowerOfTwo: true when N and N - 1 share no bit (0 counts as a power
/// of two).
constexpr bool CheckPowerOfTwo(std::uint32_t N) noexcept { return (N & (N - 1u)) == 0u; }

/// BitReversal: B with its eight bits in reverse order.
std::uint8_t BitReversal(std::uint8_t B) noexcept;

/// DecodeBit: 2^N for 0 <= N <= 7, else 0.
constexpr std::uint8_t DecodeBit(std::int32_t N) noexcept {
  return (N >= 0 && N <= 7) ? static_cast<std::uint8_t>(1u << N) : std::uint8_t{0};
}

/// DecodeLong: 2^N for 0 <= N <= 31, else 0 (as Cardinal, so 2^31 fits).
constexpr std::uint32_t DecodeLong(std::int32_t N) noexcept { return (N >= 0 && N <= 31) ? (1u << N) : 0u; }

/// EncodeLong: the index (0 to 31) of the lowest set bit of N; 31 when N is
/// 0.
constexpr std::int32_t EncodeLong(std::int32_t N) noexcept {
  return N == 0 ? 31 : std::countr_zero(static_cast<std::uint32_t>(N));
}

/// CountBits: the number of set bits of B.
constexpr std::int32_t CountBits(std::uint8_t B) noexcept { return std::popcount(B); }

/// GrayCode: the Gray code W xor (W shr 1) of W.
constexpr std::uint16_t GrayCode(std::uint16_t W) noexcept {
  return static_cast<std::uint16_t>(W ^ (W >> 1));
}

namespace detail {
/// ReverseBytes: Value with its bytes in reverse order.
template <class T>
constexpr T ReverseBytes(T Value) noexcept {
  auto bytes = std::bit_cast<std::array<std::uint8_t, sizeof(T)>>(Value);
  for (std::size_t i = 0, j = sizeof(T) - 1; i < j; ++i, --j) std::swap(bytes[i], bytes[j]);
  return std::bit_cast<T>(bytes);
}
}  // namespace detail

/// ConvertEndian: X with its 8 bytes in reverse order.
constexpr double ConvertEndian(double X) noexcept { return detail::ReverseBytes(X); }
/// ConvertEndian: X with its 4 bytes in reverse order.
constexpr float ConvertEndian(float X) noexcept { return detail::ReverseBytes(X); }
/// ConvertEndian: X with its 2 bytes in reverse order.
constexpr std::uint16_t ConvertEndian(std::uint16_t X) noexcept { return detail::ReverseBytes(X); }
/// ConvertEndian: X with its 4 bytes in reverse order.
constexpr std::int32_t ConvertEndian(std::int32_t X) noexcept { return detail::ReverseBytes(X); }

}  // namespace kvl

KVL_API_END
