#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "kvl/core/KVL_complex.h"
#include "kvl/core/KVL_frame.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

template <class E>
bool CaughtAsKVLError() {
  try {
    throw E("x");
  } catch (const EKVLError&) {
    return true;
  } catch (const Exception&) {
    return false;
  }
}

TEST(FrameTest, EveryUnitErrorButSLineIsAnEKVLError) {
  EXPECT_TRUE(CaughtAsKVLError<EKVLMath1Error>());
  EXPECT_TRUE(CaughtAsKVLError<EKVLComplexError>());
  EXPECT_TRUE(CaughtAsKVLError<EKVLVectorError>());
  EXPECT_TRUE(CaughtAsKVLError<EKVLMatrixError>());
  EXPECT_TRUE(CaughtAsKVLError<EKVLDataTableError>());
  EXPECT_TRUE(CaughtAsKVLError<EKVLStatisError>());
  EXPECT_TRUE(CaughtAsKVLError<EKVLMath2Error>());
  EXPECT_TRUE(CaughtAsKVLError<EKVLMathExp>());
  EXPECT_TRUE(CaughtAsKVLError<EKVLFourierError>());
  EXPECT_TRUE(CaughtAsKVLError<EKVLWaveletError>());
  EXPECT_FALSE(CaughtAsKVLError<EKVLSLineError>());
  static_assert(std::is_base_of_v<Exception, EKVLSLineError>);
}

TEST(FrameTest, MessageForms) {
  EXPECT_EQ(FuncMessage("Factorial", "argument too big"), "Factorial: argument too big");
  EXPECT_EQ(QuotedMessage("HexToDouble", "invalid hex string", "12G"),
            "HexToDouble: invalid hex string \"12G\"");
  TComponent c;
  EXPECT_EQ(ComponentMessage(c, "data length must be power of 2"),
            "Component \"\": data length must be power of 2");
  c.SetName("FFT1");  // the name is read when the error is raised
  KVL_EXPECT_THROW_MSG(RaiseComponent<EKVLFourierError>(c, "data length must be power of 2"),
                       EKVLFourierError, "Component \"FFT1\": data length must be power of 2");
  KVL_EXPECT_THROW_MSG(RaiseFunc<EKVLMath1Error>("Polynomial", "invalid order of polynomial"),
                       EKVLMath1Error, "Polynomial: invalid order of polynomial");
}

TEST(FrameTest, MemberMessagesNameTheComponentAndMember) {
  TComponent c;
  c.SetName("Vec1");
  EXPECT_EQ(MemberMessage(c, "Histogram", "invalid number of bins"),
            "Component \"Vec1.Histogram\": invalid number of bins");
  EXPECT_EQ(MemberMessage(c, "", "x"), ComponentMessage(c, "x"));
  KVL_EXPECT_THROW_MSG(RaiseMember<EKVLVectorError>(c, "Histogram", "invalid number of bins"),
                       EKVLVectorError, "Component \"Vec1.Histogram\": invalid number of bins");
}

TEST(FrameTest, AllocationFailuresBecomeTheUnitsError) {
  TComponent c;
  c.SetName("M");
  KVL_EXPECT_THROW_MSG(GuardAllocation<EKVLMatrixError>(c, []() -> int { throw std::bad_alloc(); }),
                       EKVLMatrixError, "Component \"M\": not enough memory on heap");
  KVL_EXPECT_THROW_MSG(GuardAllocation<EKVLVectorError>(
                           c, [] { std::vector<double>().reserve(std::vector<double>().max_size() + 1); },
                           "not enough memory"),
                       EKVLVectorError, "Component \"M\": not enough memory");
  EXPECT_EQ(GuardAllocation<EKVLMatrixError>(c, [] { return 42; }), 42);
  // Other exceptions pass unchanged.
  EXPECT_THROW(GuardAllocation<EKVLMatrixError>(c, [] { throw std::out_of_range("x"); }), std::out_of_range);
}

TEST(FrameTest, DeprecatedRoutinesRaiseBaseError) {
  try {
    RaiseDeprecated();
    FAIL();
  } catch (const EKVLError& e) {
    EXPECT_EQ(typeid(e), typeid(EKVLError));
    EXPECT_STREQ(e.what(), "deprecated function, see help for details");
  }
}

TEST(FrameTest, LoadTimeState) {
  EXPECT_EQ(CpxNearZero, 1e-15L);
  EXPECT_FALSE(static_cast<bool>(MathFeedBackProc));
  EXPECT_FALSE(AbortMathProc);
}

}  // namespace
}  // namespace kvl
