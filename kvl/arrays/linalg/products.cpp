// Matrix and outer products, dot and cross products of vectors.

#include <utility>

#include "kvl/arrays/array_linalg.h"
#include "kvl/arrays/linalg/internal/linalg_internal.h"

namespace kvl {
namespace {

using namespace detail;
using namespace linalg_internal;

// C := A * B; a C that is also an operand receives the result afterwards.
template <class M>
std::int32_t MultiplyNested(const M& a, const M& b, M& c) {
  if (&c != &a && &c != &b) return MultiplyInto(a, b, c);
  M result;
  const std::int32_t status = MultiplyInto(a, b, result);
  if (status == 0) c = std::move(result);
  return status;
}

// The outer product is the matrix product of one column by one row.
template <class T>
std::int32_t OuterProduct(const std::vector<T>& a, const std::vector<T>& b, std::vector<std::vector<T>>& c) {
  if (a.empty() || b.empty()) return -1;
  return MultiplyInto(TColumnView<const T>(a.data(), 1, a.size()), TColumnView<const T>(b.data(), b.size(), 1), c);
}

}  // namespace

std::int32_t MultiplyArrays(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C) {
  return MultiplyNested(A, B, C);
}
std::int32_t MultiplyArrays(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C) {
  return MultiplyNested(A, B, C);
}
std::int32_t MultiplyArrays(const TDoubleArray& A, const TDoubleArray& B, TDouble2DArray& C) {
  return OuterProduct(A, B, C);
}
std::int32_t MultiplyArrays(const TIntArray& A, const TIntArray& B, TInt2DArray& C) { return OuterProduct(A, B, C); }

std::int32_t VectorDotProduct(const TDoubleArray& A, const TDoubleArray& B, double& Dot) {
  Dot = 0.0;
  if (A.empty() || B.empty()) return -1;
  if (A.size() != B.size()) return -2;
  long double sum = 0.0L;
  for (std::size_t i = 0; i < A.size(); ++i) sum += static_cast<long double>(A[i]) * B[i];
  Dot = static_cast<double>(sum);
  return 0;
}

std::int32_t VectorCrossProduct(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C) {
  if (A.empty() || B.empty()) return -1;
  if (A.size() != 3 || B.size() != 3) return -2;
  const long double a0 = A[0], a1 = A[1], a2 = A[2], b0 = B[0], b1 = B[1], b2 = B[2];
  C = {static_cast<double>(a1 * b2 - a2 * b1), static_cast<double>(a2 * b0 - a0 * b2),
       static_cast<double>(a0 * b1 - a1 * b0)};
  return 0;
}

}  // namespace kvl
