#pragma once
// The operator vocabulary of formulas and the parenthesis check of formula
// texts.
//
//   TOperator op = TOperator::opSqrt;                  // ordinal 27
//   if (OperatorGroup(op) == TOperatorGroup::ogFunction) ...
//   int32_t r = CheckParanthInExp("(a+b))");           // -6: stray ")" at 6
//
// Errors of formula texts are raised as EKVLMathExp (kvl/core/KVL_frame.h).
// Nothing here keeps state; every function may be called from any thread.

#include <cstdint>
#include <string_view>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TOperator: the tokens of a formula, ordinals 0..51 in this order.
enum class TOperator : std::uint8_t {
  opNone, opNumber, opListElem, opAdd, opSubtract, opMultiply, opDivide, opMod, opPower,
  opGT, opGE, opLT, opLE, opEQ, opNE, opOpenParanth, opClosedParanth, opMinusSign, opPlusSign,
  opSine, opCosine, opTangens, opArcSin, opArcCos, opArcTan, opAbs, opSign, opSqrt, opSqr, opRound,
  opNDInt, opNDQuant, opNDDens, opSum, opMean, opVar, opPi, opTrue, opFalse, opExp, opLn, opLg,
  opGauss, opRand, opFrac, opInt, opMax, opMin, opAnd, opNot, opOr, opXor
};

/// OperatorCount: the number of TOperator values (52).
inline constexpr int OperatorCount = static_cast<int>(TOperator::opXor) + 1;

/// TOperatorGroup: the families of operators. ogNone holds opNone alone.
enum class TOperatorGroup : std::uint8_t {
  ogNone,        // opNone
  ogOperand,     // opNumber, opListElem
  ogArithmetic,  // binary opAdd .. opPower
  ogComparison,  // opGT .. opNE
  ogParenthesis, // opOpenParanth, opClosedParanth
  ogSign,        // unary opMinusSign, opPlusSign
  ogFunction,    // one argument: opSine .. opRound, opExp .. opInt
  ogNormalDist,  // opNDInt, opNDQuant, opNDDens
  ogList,        // opSum, opMean, opVar, opMax, opMin
  ogConstant,    // opPi, opTrue, opFalse
  ogRandom,      // opGauss, opRand
  ogLogical      // opAnd, opNot, opOr, opXor
};

/// OperatorGroup: the family of Op.
constexpr TOperatorGroup OperatorGroup(TOperator Op) noexcept {
  using enum TOperator;
  switch (Op) {
    case opNone: return TOperatorGroup::ogNone;
    case opNumber: case opListElem: return TOperatorGroup::ogOperand;
    case opAdd: case opSubtract: case opMultiply: case opDivide: case opMod: case opPower:
      return TOperatorGroup::ogArithmetic;
    case opGT: case opGE: case opLT: case opLE: case opEQ: case opNE: return TOperatorGroup::ogComparison;
    case opOpenParanth: case opClosedParanth: return TOperatorGroup::ogParenthesis;
    case opMinusSign: case opPlusSign: return TOperatorGroup::ogSign;
    case opSine: case opCosine: case opTangens: case opArcSin: case opArcCos: case opArcTan: case opAbs:
    case opSign: case opSqrt: case opSqr: case opRound: case opExp: case opLn: case opLg: case opFrac:
    case opInt:
      return TOperatorGroup::ogFunction;
    case opNDInt: case opNDQuant: case opNDDens: return TOperatorGroup::ogNormalDist;
    case opSum: case opMean: case opVar: case opMax: case opMin: return TOperatorGroup::ogList;
    case opPi: case opTrue: case opFalse: return TOperatorGroup::ogConstant;
    case opGauss: case opRand: return TOperatorGroup::ogRandom;
    case opAnd: case opNot: case opOr: case opXor: return TOperatorGroup::ogLogical;
  }
  return TOperatorGroup::ogNone;  // a value outside the enumeration
}

/// CheckParanthInExp: 0 when the parentheses of Expression balance, the
/// number of unclosed "(" when some stay open, and -p when the ")" at
/// character position p (1-based) closes more than was opened; the scan
/// stops there. Other characters, quotes included, are ignored. Positions
/// count characters as UTF-16 units (one per character, two for characters
/// beyond U+FFFF; a byte that is not valid UTF-8 counts as one); results
/// beyond the Integer range are held at +-2147483647.
std::int32_t CheckParanthInExp(std::string_view Expression) noexcept;

}  // namespace kvl

KVL_API_END
