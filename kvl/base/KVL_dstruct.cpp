#include "kvl/base/KVL_dstruct.h"

#include <algorithm>
#include <bit>

namespace kvl {

namespace {
constexpr std::int32_t kWordBits = 64;

std::size_t WordsFor(std::int32_t NrBits) {
  return static_cast<std::size_t>((NrBits + kWordBits - 1) / kWordBits);
}
}  // namespace

TBitFld::TBitFld(std::int32_t NrBits) { SetSize(NrBits); }

void TBitFld::SetSize(std::int32_t NrBits) {
  NrBits = std::max(NrBits, 0);
  FBits.resize(WordsFor(NrBits), 0);
  FSize = NrBits;
  ClearTail();
}

void TBitFld::ClearTail() noexcept {
  const std::int32_t used = FSize % kWordBits;
  if (used != 0) FBits.back() &= (std::uint64_t{1} << used) - 1;
}

void TBitFld::Clear() noexcept { std::fill(FBits.begin(), FBits.end(), 0); }

void TBitFld::SetBit(std::int32_t Ix, bool Value) noexcept {
  if (Ix < 0 || Ix >= FSize) return;
  const std::uint64_t mask = std::uint64_t{1} << (Ix % kWordBits);
  std::uint64_t& word = FBits[static_cast<std::size_t>(Ix / kWordBits)];
  word = Value ? (word | mask) : (word & ~mask);
}

bool TBitFld::GetBit(std::int32_t Ix) const noexcept {
  if (Ix < 0 || Ix >= FSize) return false;
  return (FBits[static_cast<std::size_t>(Ix / kWordBits)] >> (Ix % kWordBits)) & 1u;
}

std::int32_t TBitFld::FirstTrueBit(std::int32_t StartIx) const noexcept {
  StartIx = std::max(StartIx, 0);
  if (StartIx >= FSize) return -1;
  std::size_t w = static_cast<std::size_t>(StartIx / kWordBits);
  std::uint64_t word = FBits[w] & (~std::uint64_t{0} << (StartIx % kWordBits));
  while (word == 0) {
    if (++w == FBits.size()) return -1;
    word = FBits[w];
  }
  // The tail beyond FSize is kept 0, so a found bit always lies inside.
  return static_cast<std::int32_t>(w) * kWordBits + std::countr_zero(word);
}

std::int32_t TBitFld::CountTrueBits() const noexcept {
  std::int32_t n = 0;
  for (const std::uint64_t word : FBits) n += std::popcount(word);
  return n;
}

void TBitFld::Invert() noexcept {
  for (std::uint64_t& word : FBits) word = ~word;
  ClearTail();
}

void TBitFld::CombineWith(const TBitFld& Other, TLogicOp Op) noexcept {
  const std::size_t common = std::min(FBits.size(), Other.FBits.size());
  auto apply = [&](auto op) {
    for (std::size_t i = 0; i < common; ++i) FBits[i] = op(FBits[i], Other.FBits[i]);
    for (std::size_t i = common; i < FBits.size(); ++i) FBits[i] = op(FBits[i], std::uint64_t{0});
  };
  using W = std::uint64_t;
  switch (Op) {
    case TLogicOp::loAnd:
      apply([](W a, W b) { return a & b; });
      break;
    case TLogicOp::loOr:
      apply([](W a, W b) { return a | b; });
      break;
    case TLogicOp::loXor:
      apply([](W a, W b) { return a ^ b; });
      break;
    case TLogicOp::loAndNot:
      apply([](W a, W b) { return a & ~b; });
      break;
    case TLogicOp::loOrNot:
      apply([](W a, W b) { return a | ~b; });
      break;
    case TLogicOp::loXorNot:
      apply([](W a, W b) { return a ^ ~b; });
      break;
    default:
      return;
  }
  ClearTail();
}

}  // namespace kvl
