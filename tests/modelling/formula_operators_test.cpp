#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

TEST(FormulaOperatorTest, FiftyTwoValuesInOrder) {
  using enum TOperator;
  const std::vector<TOperator> order{
      opNone, opNumber, opListElem, opAdd, opSubtract, opMultiply, opDivide, opMod, opPower,
      opGT, opGE, opLT, opLE, opEQ, opNE, opOpenParanth, opClosedParanth, opMinusSign, opPlusSign,
      opSine, opCosine, opTangens, opArcSin, opArcCos, opArcTan, opAbs, opSign, opSqrt, opSqr, opRound,
      opNDInt, opNDQuant, opNDDens, opSum, opMean, opVar, opPi, opTrue, opFalse, opExp, opLn, opLg,
      opGauss, opRand, opFrac, opInt, opMax, opMin, opAnd, opNot, opOr, opXor};
  ASSERT_EQ(order.size(), 52u);
  EXPECT_EQ(OperatorCount, 52);
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(static_cast<int>(order[i]), static_cast<int>(i));
}

TEST(FormulaOperatorTest, Groups) {
  using enum TOperator;
  using G = TOperatorGroup;
  const std::vector<std::pair<G, std::vector<TOperator>>> groups{
      {G::ogNone, {opNone}},
      {G::ogOperand, {opNumber, opListElem}},
      {G::ogArithmetic, {opAdd, opSubtract, opMultiply, opDivide, opMod, opPower}},
      {G::ogComparison, {opGT, opGE, opLT, opLE, opEQ, opNE}},
      {G::ogParenthesis, {opOpenParanth, opClosedParanth}},
      {G::ogSign, {opMinusSign, opPlusSign}},
      {G::ogFunction, {opSine, opCosine, opTangens, opArcSin, opArcCos, opArcTan, opAbs, opSign, opSqrt, opSqr,
                       opRound, opExp, opLn, opLg, opFrac, opInt}},
      {G::ogNormalDist, {opNDInt, opNDQuant, opNDDens}},
      {G::ogList, {opSum, opMean, opVar, opMax, opMin}},
      {G::ogConstant, {opPi, opTrue, opFalse}},
      {G::ogRandom, {opGauss, opRand}},
      {G::ogLogical, {opAnd, opNot, opOr, opXor}},
  };
  std::vector<int> seen(OperatorCount, 0);
  for (const auto& [group, members] : groups)
    for (TOperator op : members) {
      EXPECT_EQ(OperatorGroup(op), group) << static_cast<int>(op);
      ++seen[static_cast<int>(op)];
    }
  for (int i = 0; i < OperatorCount; ++i) EXPECT_EQ(seen[i], 1) << "operator " << i << " in one group";
}

TEST(FormulaParenthesisTest, Results) {
  struct TCase {
    std::string Text;
    int Expected;
  };
  const TCase cases[] = {
      {"", 0},
      {"a+b", 0},
      {"((a)", 1},
      {"a)(", -2},
      {"(a))", -4},
      {"(((", 3},
      {")", -1},
      {"sin(x)*(y+(z))", 0},
      {"(a)+b)+(c", -6},                     // the scan stops at the first stray ")"
      {"\"(\"", 1},                          // quotes do not hide parentheses
      {"'a)'", -3},
      {"[({})]", 0},                          // other brackets are ignored
      {std::string("a\0(", 3), 1},            // a NUL byte is just a character
      {"\xC3\xA4\xC3\xB6)", -3},             // two two-byte characters before ")"
      {"\xE2\x82\xAC)", -2},                 // a three-byte character
      {"\xF0\x9F\x98\x80)", -3},             // a character beyond U+FFFF: two units
      {"\x80\xFF)", -3},                     // bytes that are not UTF-8 count one each
      {"\xC3)", -2},                         // a sequence cut short by ")"
  };
  for (const TCase& c : cases) EXPECT_EQ(CheckParanthInExp(c.Text), c.Expected) << c.Text;
}

TEST(FormulaParenthesisTest, LongTexts) {
  EXPECT_EQ(CheckParanthInExp(std::string(100000, '(')), 100000);
  std::string deep = std::string(50000, '(') + std::string(50000, ')');
  EXPECT_EQ(CheckParanthInExp(deep), 0);
  deep += ")";
  EXPECT_EQ(CheckParanthInExp(deep), -100001);
}

}  // namespace
}  // namespace kvl
