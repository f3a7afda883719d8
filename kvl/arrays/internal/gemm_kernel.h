#pragma once
// Internal to the array routines: the one matrix-product kernel under every
// product of the library (the array products, the LU engine, the matrix
// containers' products and Gram products).
//
// Operands are reached through tables of row pointers; a row is contiguous.
// A nested array serves with one row per inner array, column-major storage
// with one row per stored column; an operand can also be read transposed.
//
// Summation order, the same for every cell whatever its tile, block or
// thread: the depth is cut into blocks of KC steps from the first; each
// block's sum starts at zero and adds a_p·b_p in order (one fused
// multiply-add per step where the processor has it), and the block sums are
// added to (or subtracted from) C in block order. Since a·b = b·a exactly,
// the (i, j) cell of XᵀX equals its (j, i) cell bit for bit.

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace kvl::gemm_internal {

/// KC: the depth of one summation block.
inline constexpr std::size_t KC = 256;

/// RowsOf: a block of a dense matrix whose row i starts at R[i] + Col.
template <class T>
struct RowsOf {
  T* const* R = nullptr;
  std::size_t Col = 0;
  T* operator[](std::size_t i) const noexcept { return R[i] + Col; }
  /// At: the block that starts at row i, column j of this one.
  RowsOf At(std::size_t i, std::size_t j) const noexcept { return {R + i, Col + j}; }
  operator RowsOf<const T>() const noexcept
    requires(!std::is_const_v<T>)
  {
    return {reinterpret_cast<const T* const*>(R), Col};
  }
};

/// TOperand: a factor of a product. Its cell (i, p) is Rows[i][p], or
/// Rows[p][i] when Trans (the stored rows are its columns).
template <class T>
struct TOperand {
  RowsOf<const T> Rows;
  bool Trans = false;
  TOperand(RowsOf<const T> r, bool t = false) noexcept : Rows(r), Trans(t) {}
  TOperand(RowsOf<T> r) noexcept
    requires(!std::is_const_v<T>)
      : Rows(r) {}
};

/// GemmWork: the packing buffers of Gemm, kept across the calls of one routine.
template <class T>
struct GemmWork {
  std::vector<T> PackA;
  std::vector<T> PackB;
};

/// Gemm: C += A·B, or C -= A·B when Subtract, for an m x k operand A, a k x n
/// operand B and an m x n block C that overlaps neither. Integer products
/// use uint32_t, whose arithmetic wraps around modulo 2^32.
template <class T>
void Gemm(std::size_t m, std::size_t n, std::size_t k, TOperand<T> A, TOperand<T> B, RowsOf<T> C, bool Subtract,
          GemmWork<T>& Work);
extern template void Gemm<double>(std::size_t, std::size_t, std::size_t, TOperand<double>, TOperand<double>,
                                  RowsOf<double>, bool, GemmWork<double>&);
extern template void Gemm<std::uint32_t>(std::size_t, std::size_t, std::size_t, TOperand<std::uint32_t>,
                                         TOperand<std::uint32_t>, RowsOf<std::uint32_t>, bool,
                                         GemmWork<std::uint32_t>&);

}  // namespace kvl::gemm_internal
