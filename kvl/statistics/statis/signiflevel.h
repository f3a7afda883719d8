#pragma once
// Levels of significance shared by the distribution functions and the tests:
// two enumerations and the numeric value of each of their members.
//
//   double a = NUMERICSIGNIFLEVEL[TSignifLevel::Dot05];   // 0.05
//   double b = NUMERICSIGLEVEL[TSignifLevelEx::Dot001];   // 0.001

#include <array>
#include <cstddef>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TSignifLevel: the five levels of the Kolmogorov-Smirnov tables.
enum class TSignifLevel { Dot20, Dot15, Dot10, Dot05, Dot01 };

/// TSignifLevelEx: the nine levels of the outlier tables.
enum class TSignifLevelEx { Dot001, Dot002, Dot005, Dot010, Dot020, Dot050, Dot100, Dot200, Dot500 };

/// TEnumIndexed: a constant table indexed by the members of an enumeration
/// (Values[i] belongs to the member of ordinal i).
template <class E, class T, std::size_t N>
struct TEnumIndexed {
  std::array<T, N> Values;
  /// operator[]: the entry of member e.
  constexpr const T& operator[](E e) const { return Values[static_cast<std::size_t>(e)]; }
  /// size: the number of members.
  static constexpr std::size_t size() { return N; }
};

/// NUMERICSIGNIFLEVEL: the probability of each TSignifLevel.
inline constexpr TEnumIndexed<TSignifLevel, double, 5> NUMERICSIGNIFLEVEL{{0.2, 0.15, 0.1, 0.05, 0.01}};

/// NUMERICSIGLEVEL: the probability of each TSignifLevelEx.
inline constexpr TEnumIndexed<TSignifLevelEx, double, 9> NUMERICSIGLEVEL{
    {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5}};

}  // namespace kvl

KVL_API_END
