#pragma once
// KVL_dstruct: data structures of the base layer; the bit field TBitFld.
//
// A TBitFld holds Size() bits numbered 0 .. Size() - 1, all false after
// construction. It is a plain value owned by the caller (copy it, or Clone
// it). Bits outside 0 .. Size() - 1 read as false and writes to them are
// ignored, so a caller never has to guard an index:
//
//   TBitFld bits(100);
//   bits.SetBit(3, true);
//   bits.SetBit(200, true);                  // ignored: outside the field
//   bits.CountTrueBits();                    // 1
//   bits.FirstTrueBit();                     // 3
//   bits.CombineWith(other, TLogicOp::loOr); // bits := bits or other
//
// The bits are stored 64 to a word; the bulk operations work word by word.

#include <cstdint>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TBitFld: a resizable set of bits, numbered from 0.
class TBitFld : public TObject {
 public:
  /// Creates an empty field (Size 0).
  TBitFld() = default;
  /// Creates a field of NrBits false bits (a negative count gives Size 0).
  explicit TBitFld(std::int32_t NrBits);

  /// Size: the number of bits.
  std::int32_t Size() const noexcept { return FSize; }
  /// SetSize: resizes to NrBits bits (negative: 0); bits below both sizes keep
  /// their values, new bits are false.
  void SetSize(std::int32_t NrBits);

  /// Clear: sets every bit to false; the size stays.
  void Clear() noexcept;
  /// SetBit: sets bit Ix to Value; ignored when Ix lies outside 0 .. Size - 1.
  void SetBit(std::int32_t Ix, bool Value = true) noexcept;
  /// GetBit: the value of bit Ix; false when Ix lies outside 0 .. Size - 1.
  bool GetBit(std::int32_t Ix) const noexcept;

  /// FirstTrueBit: the index of the first true bit at or after StartIx
  /// (negative StartIx counts as 0), or -1 when there is none.
  std::int32_t FirstTrueBit(std::int32_t StartIx = 0) const noexcept;
  /// CountTrueBits: the number of true bits.
  std::int32_t CountTrueBits() const noexcept;

  /// Invert: flips every bit of the field.
  void Invert() noexcept;
  /// Clone: an independent copy of the field (same size and bits).
  TBitFld Clone() const { return *this; }

  /// CombineWith: replaces every bit b of this field by (b Op o), o the bit of
  /// Other at the same index: loAnd b and o, loOr b or o, loXor b xor o,
  /// loAndNot b and not o, loOrNot b or not o, loXorNot b xor not o. The size
  /// of this field stays; where Other is shorter its missing bits count as
  /// false, and its bits beyond this field's size are not used. An Op outside
  /// the enumeration changes nothing.
  void CombineWith(const TBitFld& Other, TLogicOp Op) noexcept;

  /// Two fields are equal when they have the same size and the same bits.
  bool operator==(const TBitFld& Other) const noexcept {
    return FSize == Other.FSize && FBits == Other.FBits;
  }

 private:
  void ClearTail() noexcept;

  std::vector<std::uint64_t> FBits;  // bit i in word i / 64 at position i % 64;
                                     // bits at and beyond FSize are always 0
  std::int32_t FSize = 0;
};

}  // namespace kvl

KVL_API_END
