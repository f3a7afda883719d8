#pragma once
// Internal: the lists of array types that the public overloads of a family
// cover. Each list applies a macro X(ArrayType, ElementType) to its members,
// so that a family's forwarding overloads are written once:
//   #define KVL_INC(A, T) std::int32_t IncArray(A& a, T s) { return Inc(a, s); }
//   KVL_FOR_NUM_ARRAYS_1TO4(KVL_INC)

#include <cstdint>

#include "kvl/base/KVL_kvlbase.h"

#define KVL_FOR_DOUBLE_ARRAYS_1TO4(X) \
  X(TDoubleArray, double)             \
  X(TDouble2DArray, double)           \
  X(TDouble3DArray, double)           \
  X(TDouble4DArray, double)

#define KVL_FOR_INT_ARRAYS_1TO4(X) \
  X(TIntArray, std::int32_t)       \
  X(TInt2DArray, std::int32_t)     \
  X(TInt3DArray, std::int32_t)     \
  X(TInt4DArray, std::int32_t)

#define KVL_FOR_NUM_ARRAYS_1TO4(X) \
  KVL_FOR_DOUBLE_ARRAYS_1TO4(X)    \
  KVL_FOR_INT_ARRAYS_1TO4(X)

#define KVL_FOR_NUM_ARRAYS_1TO2(X) \
  X(TDoubleArray, double)          \
  X(TDouble2DArray, double)        \
  X(TIntArray, std::int32_t)       \
  X(TInt2DArray, std::int32_t)

#define KVL_FOR_NUM_ARRAYS_2TO4(X) \
  X(TDouble2DArray, double)        \
  X(TDouble3DArray, double)        \
  X(TDouble4DArray, double)        \
  X(TInt2DArray, std::int32_t)     \
  X(TInt3DArray, std::int32_t)     \
  X(TInt4DArray, std::int32_t)

/// The element types with their arrays of rank 1 to 4, for families whose
/// overloads differ per rank: X(T, A1, A2, A3, A4).
#define KVL_FOR_NUM_RANKS(X)                                                 \
  X(double, TDoubleArray, TDouble2DArray, TDouble3DArray, TDouble4DArray) \
  X(std::int32_t, TIntArray, TInt2DArray, TInt3DArray, TInt4DArray)

/// The Integer bound parameters of a range of rank 1 to 4 (all lows, then
/// all highs) and the matching index pairs.
#define KVL_RANGE1 std::int32_t l1, std::int32_t h1
#define KVL_RANGE2 std::int32_t l1, std::int32_t l2, std::int32_t h1, std::int32_t h2
#define KVL_RANGE3 \
  std::int32_t l1, std::int32_t l2, std::int32_t l3, std::int32_t h1, std::int32_t h2, std::int32_t h3
#define KVL_RANGE4                                                                                      \
  std::int32_t l1, std::int32_t l2, std::int32_t l3, std::int32_t l4, std::int32_t h1, std::int32_t h2, \
      std::int32_t h3, std::int32_t h4
#define KVL_LO1 {l1}
#define KVL_HI1 {h1}
#define KVL_LO2 {l1, l2}
#define KVL_HI2 {h1, h2}
#define KVL_LO3 {l1, l2, l3}
#define KVL_HI3 {h1, h2, h3}
#define KVL_LO4 {l1, l2, l3, l4}
#define KVL_HI4 {h1, h2, h3, h4}
