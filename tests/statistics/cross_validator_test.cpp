#include "kvl/statistics/statis/cross_validator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "kvl/runtime/randgen.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

/// THost: a host model that predicts the mean of column 1 of YMat over the
/// training objects and records every request.
struct THost {
  TMatrix X, Y;
  std::vector<TIntArray> Trainings;
  std::vector<std::int32_t> CreatePercents, ApplyPercents;
  std::vector<double> AppliedX;  // predictor 1 of each applied object
  double Mean = 0.0;
  double Thresh = 0.5;

  THost(std::int32_t n, std::int32_t ny) {
    X.Resize(2, n);
    Y.Resize(ny, n);
    for (std::int32_t r = 1; r <= n; ++r) {
      X.SetVal(1, r, r);
      X.SetVal(2, r, -r);
      for (std::int32_t c = 1; c <= ny; ++c) Y.SetVal(c, r, r % 2);
    }
  }
  void Wire(TCrossValidator& cv) {
    cv.SetXMat(&X);
    cv.SetYMat(&Y);
    cv.OnModelCreateRequest = [this](TObject*, std::int32_t pct, const TIntArray& rows, bool& ok) {
      EXPECT_FALSE(ok);
      Trainings.push_back(rows);
      CreatePercents.push_back(pct);
      double s = 0.0;
      for (const std::int32_t r : rows) s += Y.GetVal(1, r);
      Mean = rows.empty() ? 0.0 : s / static_cast<double>(rows.size());
      ok = true;
    };
    cv.OnModelApplyRequest = [this](TObject*, std::int32_t pct, const TDoubleArray& x, TDoubleArray& resp,
                                    TDoubleArray& th) {
      EXPECT_EQ(x.size(), 2u);
      EXPECT_EQ(resp.size(), static_cast<std::size_t>(Y.NrOfColumns()));
      ApplyPercents.push_back(pct);
      AppliedX.push_back(x[0]);
      for (double& v : resp) v = Mean;
      for (double& v : th) v = Thresh;
    };
  }
};

TEST(TCrossValidatorTest, MessagesBeforeAnythingChanges) {
  TCrossValidator cv;
  THost host(4, 1);
  cv.SetXMat(nullptr);
  KVL_EXPECT_THROW_MSG(cv.Execute(), EKVLStatisError, "TCrossValidator.Execute: data matrix not assigned");
  cv.SetXMat(&host.X);
  cv.SetYMat(&host.Y);
  host.Y.Resize(1, 5);
  KVL_EXPECT_THROW_MSG(cv.Execute(), EKVLStatisError,
                       "TCrossValidator.Execute: number of rows of XMat and YMat not equal");
  host.Y.Resize(1, 4);
  KVL_EXPECT_THROW_MSG(cv.Execute(), EKVLStatisError, "TCrossValidator: OnModelApplyRequest event is not assigned");
  cv.OnModelApplyRequest = [](TObject*, std::int32_t, const TDoubleArray&, TDoubleArray&, TDoubleArray&) {};
  KVL_EXPECT_THROW_MSG(cv.Execute(), EKVLStatisError, "TCrossValidator: OnModelCreateRequest event is not assigned");
  EXPECT_EQ(cv.GetTPCnt(1), -1);  // invalid since construction
  EXPECT_TRUE(std::isnan(cv.GetRMSEP(1)));
  EXPECT_EQ(cv.LastRunStatus(), 1);
}

TEST(TCrossValidatorTest, SevenObjectsInTestSetsOfFourAndThree) {
  TCrossValidator cv;
  THost host(7, 1);
  host.Wire(cv);
  cv.SetSizeTestSet(10);
  RandSeed = 3;
  ASSERT_TRUE(cv.Execute());
  EXPECT_EQ(cv.SizeTestSet(), 4);
  EXPECT_EQ(cv.LastRunStatus(), 0);
  ASSERT_EQ(host.Trainings.size(), 2u);
  EXPECT_EQ(host.Trainings[0].size(), 3u);  // 7 - 4
  EXPECT_EQ(host.Trainings[1].size(), 4u);  // 7 - 3: objects tested before train again
  EXPECT_TRUE(std::is_sorted(host.Trainings[0].begin(), host.Trainings[0].end()));
  EXPECT_EQ(host.CreatePercents, (std::vector<std::int32_t>{0, 57}));  // round(100 * 4/7)
  EXPECT_EQ(host.ApplyPercents, (std::vector<std::int32_t>{14, 29, 43, 57, 71, 86, 100}));
  // Every object is tested once, in ascending order within its test set,
  // and a test set is the complement of its training list.
  std::vector<double> tested = host.AppliedX;
  std::sort(tested.begin(), tested.end());
  EXPECT_EQ(tested, (std::vector<double>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_TRUE(std::is_sorted(host.AppliedX.begin(), host.AppliedX.begin() + 4));
  EXPECT_TRUE(std::is_sorted(host.AppliedX.begin() + 4, host.AppliedX.end()));
  for (std::size_t i = 0; i < 4; ++i)
    EXPECT_EQ(std::count(host.Trainings[0].begin(), host.Trainings[0].end(), host.AppliedX[i]), 0);
}

TEST(TCrossValidatorTest, PressAndCountsOfAMeanModel) {
  TCrossValidator cv;
  THost host(6, 2);  // y = 1, 0, 1, 0, 1, 0 in both columns
  host.Wire(cv);
  cv.SetSizeTestSet(1);  // leave one out: the mean of the other five
  RandSeed = 11;
  ASSERT_TRUE(cv.Execute());
  // Leaving out a 1 predicts 2/5, leaving out a 0 predicts 3/5.
  const double press = 3 * (0.6 * 0.6) + 3 * (0.6 * 0.6);
  for (std::int32_t c = 1; c <= 2; ++c) {
    EXPECT_NEAR(cv.GetRMSEP(c), std::sqrt(press / 6), test::kTol1e15);
    // Threshold 0.5: the ones get 0.4 (false negatives), the zeros 0.6 (false positives).
    EXPECT_EQ(cv.GetTPCnt(c), 0);
    EXPECT_EQ(cv.GetFNCnt(c), 3);
    EXPECT_EQ(cv.GetFPCnt(c), 3);
    EXPECT_EQ(cv.GetTNCnt(c), 0);
    EXPECT_EQ(cv.GetTPRate(c), 0.0);
    EXPECT_EQ(cv.GetFNRate(c), 1.0);
    EXPECT_EQ(cv.GetFPRate(c), 1.0);
    EXPECT_EQ(cv.GetTNRate(c), 0.0);
    EXPECT_EQ(cv.GetMCC(c), -1.0);
  }
  EXPECT_EQ(cv.GetTPCnt(3), 0);  // outside the columns
}

TEST(TCrossValidatorTest, ResponseEqualToTheThreshold) {
  TCrossValidator cv;
  THost host(4, 1);
  host.Wire(cv);
  host.Y.Fill(1.0);
  host.Y.SetVal(1, 2, 2.0);  // not exactly 1: a negative
  cv.OnModelApplyRequest = [](TObject*, std::int32_t, const TDoubleArray&, TDoubleArray& resp, TDoubleArray& th) {
    resp[0] = 0.25;
    th[0] = 0.25;
  };
  ASSERT_TRUE(cv.Execute());
  EXPECT_EQ(cv.GetFNCnt(1), 3);  // y = 1: equality is a false negative
  EXPECT_EQ(cv.GetFPCnt(1), 1);  // any other y: equality is a false positive
  EXPECT_EQ(cv.GetTPCnt(1) + cv.GetTNCnt(1), 0);
}

TEST(TCrossValidatorTest, RatesOfColumnsWithoutPositivesOrNegatives) {
  TCrossValidator cv;
  THost host(4, 2);
  host.Wire(cv);
  for (std::int32_t r = 1; r <= 4; ++r) {
    host.Y.SetVal(1, r, 1.0);  // only positives
    host.Y.SetVal(2, r, 0.0);  // only negatives
  }
  ASSERT_TRUE(cv.Execute());
  EXPECT_EQ(cv.GetFPRate(1), 1.0);  // no negatives
  EXPECT_EQ(cv.GetTNRate(1), 0.0);
  EXPECT_EQ(cv.GetTPRate(2), 0.0);  // no positives
  EXPECT_EQ(cv.GetFNRate(2), 1.0);
}

TEST(TCrossValidatorTest, AbortInvalidatesTheResults) {
  TCrossValidator cv;
  THost host(10, 1);
  host.Wire(cv);
  int asked = 0;
  cv.OnCheckAbort = [&](TObject*, bool& abort) {
    EXPECT_TRUE(cv.IsExecuting());
    abort = ++asked == 3;
  };
  cv.SetSizeTestSet(5);
  EXPECT_FALSE(cv.Execute());
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(host.AppliedX.size(), 3u);  // the rest of the test set is skipped
  EXPECT_FALSE(cv.IsExecuting());
  EXPECT_EQ(cv.LastRunStatus(), -1);
  EXPECT_EQ(cv.GetTPCnt(1), -1);
  EXPECT_TRUE(std::isnan(cv.GetTPRate(1)));
  EXPECT_TRUE(std::isnan(cv.GetMCC(1)));
  EXPECT_TRUE(std::isnan(cv.GetRMSEP(1)));
  cv.OnCheckAbort = nullptr;
  EXPECT_TRUE(cv.Execute());
  cv.SetTestSize(0);
  EXPECT_EQ(cv.SizeTestSet(), 1);
  EXPECT_EQ(cv.GetFNCnt(1), -1);
}

TEST(TCrossValidatorTest, FailedBuildsRedrawAndAreBounded) {
  TCrossValidator cv;
  THost host(6, 1);
  host.Wire(cv);
  // Every other build fails: the run still completes.
  int calls = 0;
  auto hostCreate = cv.OnModelCreateRequest;
  cv.OnModelCreateRequest = [&](TObject* s, std::int32_t p, const TIntArray& rows, bool& ok) {
    if (++calls % 2 == 1) return;
    hostCreate(s, p, rows, ok);
  };
  ASSERT_TRUE(cv.Execute());
  EXPECT_EQ(host.AppliedX.size(), 6u);
  // A builder that never succeeds: Execute gives up after the documented number.
  calls = 0;
  cv.OnModelCreateRequest = [&](TObject*, std::int32_t, const TIntArray&, bool&) { ++calls; };
  EXPECT_FALSE(cv.Execute());
  EXPECT_EQ(calls, TCrossValidator::MaxConsecutiveFailures);
  EXPECT_EQ(cv.LastRunStatus(), -2);
  EXPECT_EQ(cv.GetTPCnt(1), -1);
}

TEST(TCrossValidatorTest, HandlerExceptionPassesThrough) {
  TCrossValidator cv;
  THost host(4, 1);
  host.Wire(cv);
  cv.OnModelApplyRequest = [](TObject*, std::int32_t, const TDoubleArray&, TDoubleArray&, TDoubleArray&) {
    throw std::runtime_error("host failed");
  };
  EXPECT_THROW(cv.Execute(), std::runtime_error);
  EXPECT_FALSE(cv.IsExecuting());
  EXPECT_EQ(cv.LastRunStatus(), -3);
  EXPECT_EQ(cv.GetTPCnt(1), -1);
}

TEST(TCrossValidatorTest, ResizedResponseArraysReadAsZero) {
  TCrossValidator cv;
  THost host(4, 2);
  host.Wire(cv);
  cv.OnModelApplyRequest = [](TObject*, std::int32_t, const TDoubleArray&, TDoubleArray& resp, TDoubleArray& th) {
    EXPECT_EQ(resp.size(), 2u);  // restored before every call
    resp.clear();
    th.assign(1, -1.0);
  };
  ASSERT_TRUE(cv.Execute());
  // Column 2: response 0 against threshold 0 (missing): y = 1 -> FN, y = 0 -> FP.
  EXPECT_EQ(cv.GetFNCnt(2), 2);
  EXPECT_EQ(cv.GetFPCnt(2), 2);
  // Column 1: response 0 against threshold -1: ones are true, zeros false positives.
  EXPECT_EQ(cv.GetTPCnt(1), 2);
  EXPECT_EQ(cv.GetFPCnt(1), 2);
}

TEST(TCrossValidatorTest, CallersMatrixFreedFirstLeavesTheValidatorSafe) {
  TCrossValidator cv;
  auto x = std::make_unique<TMatrix>();
  cv.SetXMat(x.get());
  cv.SetYMat(x.get());
  x.reset();
  EXPECT_EQ(cv.XMat(), nullptr);
  EXPECT_EQ(cv.YMat(), nullptr);
  KVL_EXPECT_THROW_MSG(cv.Execute(), EKVLStatisError, "TCrossValidator.Execute: data matrix not assigned");
}

}  // namespace
}  // namespace kvl
