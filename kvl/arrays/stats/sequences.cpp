// Tests on the order and the values of 1-D arrays (monotony, two-valued
// arrays) and searches (binary search in a sorted array, linear search).

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "kvl/arrays/array_stats.h"
#include "kvl/base/KVL_stringl.h"

namespace kvl {
namespace {

// -1, 0 or +1; a NaN difference counts as 0 (ignored).
template <class T>
int SignOfStep(T a, T b) {
  if (a > b) return 1;
  if (a < b) return -1;
  return 0;
}

template <class T>
bool IsMonotoneOf(const std::vector<T>& A) {
  if (A.size() <= 2) return true;
  int dir = 0;
  for (std::size_t i = 0; i + 1 < A.size(); ++i) {
    const int s = SignOfStep(A[i], A[i + 1]);
    if (s == 0) continue;
    if (dir == 0)
      dir = s;
    else if (s != dir)
      return false;
  }
  return true;
}

template <class T>
bool IsStrictlyMonotoneOf(const std::vector<T>& A) {
  if (A.size() <= 2) return true;
  const int dir = SignOfStep(A[0], A[1]);
  if (dir == 0) return false;
  for (std::size_t i = 1; i + 1 < A.size(); ++i)
    if (SignOfStep(A[i], A[i + 1]) != dir) return false;
  return true;
}

template <class T>
bool IsDichotomousOf(const std::vector<T>& A, T& V1, T& V2) {
  V1 = V2 = T(0);
  if (A.size() < 2) return false;
  const T first = A[0];
  const auto other = std::find_if(A.begin(), A.end(), [first](T v) { return v != first; });
  const T second = other == A.end() ? first : *other;
  const bool two = first != second && std::all_of(A.begin(), A.end(),
                                                  [first, second](T v) { return v == first || v == second; });
  V1 = first;
  V2 = second;
  if (V2 < V1) std::swap(V1, V2);
  return two;
}

// ASCII letters only: the bytes of multi-byte UTF-8 sequences stay as they
// are whatever the locale.
std::string AsciiLower(std::string s) {
  for (char& ch : s) ch = FoldASCII(ch);
  return s;
}

}  // namespace

bool IsMonotone(const TDoubleArray& A) { return IsMonotoneOf(A); }
bool IsMonotone(const TIntArray& A) { return IsMonotoneOf(A); }
bool IsStrictlyMonotone(const TDoubleArray& A) { return IsStrictlyMonotoneOf(A); }
bool IsStrictlyMonotone(const TIntArray& A) { return IsStrictlyMonotoneOf(A); }
bool IsDichotomous(const TDoubleArray& A, double& V1, double& V2) { return IsDichotomousOf(A, V1, V2); }
bool IsDichotomous(const TIntArray& A, std::int32_t& V1, std::int32_t& V2) {
  return IsDichotomousOf(A, V1, V2);
}

std::int32_t FindInSortedArray(double X, const TDoubleArray& A, bool Ascending) {
  if (A.empty()) return -1;
  const double first = A.front();
  const double last = A.back();
  if (std::isnan(X) || (Ascending ? (X < first || X > last) : (X > first || X < last))) return -2;
  // Binary search on the 1-based bounds lo, hi down to two neighbours.
  std::size_t lo = 1;
  std::size_t hi = A.size();
  while (hi - lo >= 2) {
    const std::size_t mid = lo + (hi - lo) / 2;
    const double v = A[mid - 1];
    if (v == X) return static_cast<std::int32_t>(mid - 1);
    if (Ascending ? v < X : v > X)
      lo = mid;
    else
      hi = mid;
  }
  const double dLo = std::fabs(X - A[lo - 1]);
  const double dHi = std::fabs(X - A[hi - 1]);
  return static_cast<std::int32_t>(dLo < dHi ? lo - 1 : hi - 1);
}

std::int32_t FindInArray(std::int32_t X, const TIntArray& A) {
  if (A.empty()) return -1;
  const auto it = std::find(A.begin(), A.end(), X);
  return it == A.end() ? -2 : static_cast<std::int32_t>(it - A.begin());
}

std::int32_t FindInArray(const std::string& S, const TStrArray& A, bool IgnoreCase, bool Partial) {
  if (A.empty()) return -1;
  const std::string key = IgnoreCase ? AsciiLower(S) : S;
  for (std::size_t i = 0; i < A.size(); ++i) {
    const std::string elem = IgnoreCase ? AsciiLower(A[i]) : A[i];
    if (Partial ? elem.find(key) != std::string::npos : elem == key) return static_cast<std::int32_t>(i);
  }
  return -2;
}

}  // namespace kvl
