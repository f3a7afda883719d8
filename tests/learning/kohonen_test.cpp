// TKohonen: defaults, sizes, the training schedule, neighbourhoods, abort and
// resume, mapping of objects, scaling.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "kvl/learning/KVL_kohonen.h"
#include "kvl/runtime/randgen.h"
#include "kvl_test_support.h"

using namespace kvl;

namespace {

// Every weight of the map in node order (x, then y, then the variable).
std::vector<double> Weights(const TKohonen& m) {
  std::vector<double> w;
  for (std::int32_t x = 1; x <= m.SizeX(); ++x)
    for (std::int32_t y = 1; y <= m.SizeY(); ++y)
      for (std::int32_t k = 1; k <= m.NrOfInSens(); ++k) w.push_back(m.GetWeight(x, y, k));
  return w;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// A matrix of NVar columns and NObj rows from the shared random values.
void FillData(TMatrix& m, std::int32_t NVar, std::int32_t NObj, unsigned Seed) {
  m.Resize(NVar, NObj);
  const std::vector<double> v = kvl::test::RandomValues(static_cast<std::size_t>(NVar) * NObj, Seed);
  std::size_t i = 0;
  for (std::int32_t c = 1; c <= NVar; ++c)
    for (std::int32_t r = 1; r <= NObj; ++r) m.SetVal(c, r, v[i++]);
}

// A map of SX x SY nodes trained for Steps steps on NObj random objects.
void Train(TKohonen& m, std::int32_t NVar, std::int32_t NObj, unsigned Seed, std::int32_t SX, std::int32_t SY,
           std::int32_t Steps) {
  TMatrix data;
  FillData(data, NVar, NObj, Seed);
  m.SetTrainData(&data);
  m.SetSizeX(SX);
  m.SetSizeY(SY);
  m.SetNrOfTrnSteps(Steps);
  m.Trainit();
}

struct StepRecord {
  std::int32_t Step, Neighb;
  double Alpha, Percent;
};

std::vector<StepRecord> RecordSteps(TKohonen& m) {
  std::vector<StepRecord> log;
  m.OnFeedback = [&log](TObject* s, double pct) {
    auto* k = static_cast<TKohonen*>(s);
    log.push_back({k->CurrentStep(), k->CurrentNeighbors(), k->CurrentAlpha(), pct});
  };
  m.Trainit();
  m.OnFeedback = nullptr;
  return log;
}

}  // namespace

TEST(KohonenTest, NewMapDefaults) {
  RandSeed = 7;
  TKohonen m;
  EXPECT_EQ(m.SizeX(), 1);
  EXPECT_EQ(m.SizeY(), 1);
  EXPECT_EQ(m.NrOfInSens(), 1);
  EXPECT_EQ(m.InitialNeighbors(), 2);
  EXPECT_EQ(m.NrOfTrnSteps(), 200);
  EXPECT_EQ(m.InitialAlpha(), 1.0);
  EXPECT_FALSE(m.Cyclic());
  EXPECT_EQ(m.CurrentStep(), 0);
  EXPECT_EQ(m.MeanVec.NrOfElem(), 1);
  EXPECT_EQ(m.MeanVec.Elem(1), 0.0);
  EXPECT_EQ(m.StdDevVec.Elem(1), 1.0);
  EXPECT_EQ(m.TrainData()->NrOfColumns(), 1);
  EXPECT_EQ(m.TrainData()->NrOfRows(), 1);
  // The one weight is the first draw of the generator after the seed.
  RandSeed = 7;
  EXPECT_EQ(m.GetWeight(1, 1, 1), static_cast<double>((Random() - 0.5L) * 0.2L));
  EXPECT_GE(m.GetWeight(1, 1, 1), -0.1);
  EXPECT_LT(m.GetWeight(1, 1, 1), 0.1);
  EXPECT_EQ(m.GetWeight(2, 1, 1), 0.0);
}

TEST(KohonenTest, RandomWeightsVisitXThenYThenVariable) {
  TKohonen m;
  m.SetSizeX(3);
  m.SetSizeY(2);
  m.SetNrOfInSens(4);
  RandSeed = 12345;
  m.SetWeigtsToRandom();
  RandSeed = 12345;
  std::vector<double> expected;
  for (int i = 0; i < 3 * 2 * 4; ++i) expected.push_back(static_cast<double>((Random() - 0.5L) * 0.2L));
  EXPECT_TRUE(SameBits(Weights(m), expected));
}

TEST(KohonenTest, NonPositiveValuesChangeNothing) {
  const std::vector<std::pair<const char*, std::function<void(TKohonen&, std::int32_t)>>> setters{
      {"SizeX", [](TKohonen& m, std::int32_t n) { m.SetSizeX(n); }},
      {"SizeY", [](TKohonen& m, std::int32_t n) { m.SetSizeY(n); }},
      {"NrOfInSens", [](TKohonen& m, std::int32_t n) { m.SetNrOfInSens(n); }},
      {"NrOfTrnSteps", [](TKohonen& m, std::int32_t n) { m.SetNrOfTrnSteps(n); }}};
  for (const auto& [name, set] : setters)
    for (const std::int32_t n : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
      SCOPED_TRACE(name);
      TKohonen m;
      const std::vector<double> before = Weights(m);
      set(m, n);
      EXPECT_EQ(m.SizeX(), 1);
      EXPECT_EQ(m.SizeY(), 1);
      EXPECT_EQ(m.NrOfInSens(), 1);
      EXPECT_EQ(m.NrOfTrnSteps(), 200);
      EXPECT_TRUE(SameBits(Weights(m), before));
    }
}

TEST(KohonenTest, SizeChangesDiscardWeightsAndData) {
  TKohonen m;
  m.SetSizeX(4);
  EXPECT_EQ(Weights(m), std::vector<double>(4, 0.0));
  TMatrix data;
  FillData(data, 3, 5, 1);
  m.SetTrainData(&data);
  EXPECT_EQ(m.NrOfInSens(), 3);
  EXPECT_EQ(m.TrainData()->NrOfRows(), 5);
  EXPECT_EQ(m.TrainData()->GetVal(2, 4), data.GetVal(2, 4));
  EXPECT_EQ(m.MeanVec.NrOfElem(), 3);
  EXPECT_EQ(m.StdDevVec.Elem(3), 1.0);
  // Passing the map's own matrix keeps its cells.
  m.SetTrainData(m.TrainData());
  EXPECT_EQ(m.TrainData()->GetVal(2, 4), data.GetVal(2, 4));
  m.SetNrOfInSens(2);
  EXPECT_EQ(m.TrainData()->NrOfColumns(), 2);
  EXPECT_EQ(m.TrainData()->NrOfRows(), 5);
  EXPECT_EQ(m.TrainData()->GetVal(1, 1), 0.0);
  EXPECT_EQ(Weights(m), std::vector<double>(8, 0.0));
}

// r = (steps - step) / steps; radius round(r^2 (R - 1) + 1) with halves to
// even; rate r^2 alpha; the percentage round(step 100 / steps).
TEST(KohonenTest, ScheduleOfRadiusAndRatePerStep) {
  TKohonen m;
  m.SetNrOfTrnSteps(4);
  m.SetInitialNeighbors(7);
  m.SetInitialAlpha(0.5);
  const std::vector<StepRecord> log = RecordSteps(m);
  const std::vector<StepRecord> expected{{1, 4, 0.28125, 25}, {2, 2, 0.125, 50}, {3, 1, 0.03125, 75}};
  ASSERT_EQ(log.size(), expected.size());
  for (std::size_t i = 0; i < log.size(); ++i) {
    EXPECT_EQ(log[i].Step, expected[i].Step);
    EXPECT_EQ(log[i].Neighb, expected[i].Neighb) << "step " << expected[i].Step;
    EXPECT_EQ(log[i].Alpha, expected[i].Alpha);
    EXPECT_EQ(log[i].Percent, expected[i].Percent);
  }
  EXPECT_EQ(m.CurrentStep(), 4);

  // Eight steps: 1.5 rounds to 2 at step 4 (r = 1/2, R = 3), 12.5 % to 12.
  m.SetNrOfTrnSteps(8);
  m.SetInitialNeighbors(3);
  const std::vector<StepRecord> eight = RecordSteps(m);
  ASSERT_EQ(eight.size(), 7u);
  EXPECT_EQ(eight[0].Percent, 12);
  EXPECT_EQ(eight[3].Neighb, 2);
  EXPECT_EQ(eight.back().Percent, 88);

  // One step: exactly one, reported as 100 with rate 0.
  m.SetNrOfTrnSteps(1);
  const std::vector<StepRecord> one = RecordSteps(m);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].Percent, 100);
  EXPECT_EQ(one[0].Alpha, 0.0);
}

TEST(KohonenTest, WinnerMovesByTheRateOfTheStep) {
  TKohonen m;
  TMatrix data;
  data.SetVal(1, 1, 1.0);
  m.SetTrainData(&data);
  m.SetNrOfTrnSteps(2);
  m.SetInitialAlpha(0.8);
  RandSeed = 3;
  m.SetWeigtsToRandom();
  const double w0 = m.GetWeight(1, 1, 1);
  RandSeed = 3;
  m.Trainit();
  EXPECT_EQ(m.CurrentAlpha(), 0.2);
  EXPECT_EQ(m.GetWeight(1, 1, 1), w0 + (1.0 - w0) * 0.2);
}

// One object far above every weight: its winner is the node with the largest
// weight; the nodes within the radius move, every other node keeps its weight.
struct SpanCase {
  std::int32_t SizeX, SizeY, InitialNeighbors;
  bool Cyclic;
  std::int32_t RadiusX, RadiusY;  // what the radius may reach per axis
};

class KohonenNeighbourhood : public ::testing::TestWithParam<SpanCase> {};

TEST_P(KohonenNeighbourhood, OnlyNodesWithinTheRadiusMove) {
  const SpanCase p = GetParam();
  TKohonen m;
  TMatrix data;
  data.SetVal(1, 1, 5.0);
  m.SetTrainData(&data);
  m.SetSizeX(p.SizeX);
  m.SetSizeY(p.SizeY);
  m.SetCyclic(p.Cyclic);
  m.SetInitialNeighbors(p.InitialNeighbors);
  m.SetNrOfTrnSteps(1000);  // step 1: r^2 close to 1, radius = InitialNeighbors
  m.OnFeedback = [](TObject* s, double) { static_cast<TKohonen*>(s)->AbortTraining(); };
  TKohonen fresh;
  fresh.SetSizeX(p.SizeX);
  fresh.SetSizeY(p.SizeY);
  RandSeed = 99;
  fresh.SetWeigtsToRandom();
  RandSeed = 99;
  m.Trainit();
  ASSERT_EQ(m.CurrentStep(), 2);
  std::int32_t wx = 1, wy = 1;
  for (std::int32_t x = 1; x <= p.SizeX; ++x)
    for (std::int32_t y = 1; y <= p.SizeY; ++y)
      if (fresh.GetWeight(x, y, 1) > fresh.GetWeight(wx, wy, 1)) wx = x, wy = y;
  auto within = [](std::int32_t a, std::int32_t b, std::int32_t r, std::int32_t size, bool cyclic) {
    std::int32_t d = std::abs(a - b);
    if (cyclic) d = std::min(d, size - d);
    return d <= r;
  };
  const long double best = (5.0L - fresh.GetWeight(wx, wy, 1)) * (5.0L - fresh.GetWeight(wx, wy, 1));
  for (std::int32_t x = 1; x <= p.SizeX; ++x)
    for (std::int32_t y = 1; y <= p.SizeY; ++y) {
      const double before = fresh.GetWeight(x, y, 1), after = m.GetWeight(x, y, 1);
      const bool inside = within(x, wx, p.RadiusX, p.SizeX, p.Cyclic) && within(y, wy, p.RadiusY, p.SizeY, p.Cyclic);
      if (!inside) {
        EXPECT_EQ(after, before) << x << "," << y;
        continue;
      }
      // The weighting follows the distance in data space: h = 1 / (sqrt(d - dmin) + 1).
      const long double d = (5.0L - before) * (5.0L - before);
      const long double h = 1.0L / (std::sqrt(d - best) + 1.0L);
      const auto w = static_cast<double>(static_cast<long double>(m.CurrentAlpha()) * h);
      EXPECT_EQ(after, before + (5.0 - before) * w) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Maps, KohonenNeighbourhood,
    ::testing::Values(SpanCase{7, 1, 2, false, 2, 0}, SpanCase{5, 6, 3, false, 3, 3},
                      SpanCase{4, 4, 5, true, 1, 1}, SpanCase{1, 6, 4, true, 0, 2},
                      SpanCase{2, 9, 4, true, 0, 3}, SpanCase{9, 1, 0, true, 0, 0}),
    [](const auto& info) {
      const SpanCase& p = info.param;
      return kvl::test::CaseName(p.SizeX, "x", p.SizeY, p.Cyclic ? "cyclic" : "open", p.InitialNeighbors);
    });

TEST(KohonenTest, AbortThenContinueEqualsUninterruptedTraining) {
  TMatrix data;
  FillData(data, 3, 40, 5);
  auto prepare = [&data](TKohonen& m) {
    m.SetTrainData(&data);
    m.SetSizeX(5);
    m.SetSizeY(4);
    m.SetNrOfTrnSteps(12);
    m.SetInitialNeighbors(3);
    RandSeed = 2024;
  };
  TKohonen whole, parts;
  prepare(whole);
  std::vector<double> wholePct, partsPct;
  whole.OnFeedback = [&](TObject*, double p) { wholePct.push_back(p); };
  whole.Trainit();
  prepare(parts);
  parts.OnFeedback = [&](TObject* s, double p) {
    partsPct.push_back(p);
    auto* k = static_cast<TKohonen*>(s);
    if (k->CurrentStep() == 4 || k->CurrentStep() == 9) k->AbortTraining();
  };
  parts.Trainit();
  EXPECT_EQ(parts.CurrentStep(), 5);
  EXPECT_EQ(partsPct.size(), 4u);
  parts.ContinueTraining();
  EXPECT_EQ(parts.CurrentStep(), 10);
  parts.ContinueTraining();
  EXPECT_EQ(parts.CurrentStep(), 12);
  EXPECT_EQ(partsPct, wholePct);
  EXPECT_TRUE(SameBits(Weights(parts), Weights(whole)));
}

TEST(KohonenTest, ContinueAfterTheLastStepLeavesTheMap) {
  TKohonen m;
  Train(m, 2, 10, 8, 3, 1, 5);
  const std::vector<double> trained = Weights(m);
  int calls = 0;
  m.OnFeedback = [&calls](TObject*, double) { ++calls; };
  m.ContinueTraining();  // the final step: rate 0
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(m.CurrentAlpha(), 0.0);
  m.ContinueTraining();  // nothing left: radius and rate would grow again
  m.ContinueTraining();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(m.CurrentStep(), 6);
  EXPECT_EQ(Weights(m), trained);
}

TEST(KohonenTest, FeedbackExceptionEndsTheStep) {
  TKohonen m;
  m.SetNrOfTrnSteps(10);
  m.OnFeedback = [](TObject* s, double) {
    if (static_cast<TKohonen*>(s)->CurrentStep() == 3) throw Exception("stop");
  };
  EXPECT_THROW(m.Trainit(), Exception);
  EXPECT_EQ(m.CurrentStep(), 4);
  m.OnFeedback = nullptr;
  m.ContinueTraining();
  EXPECT_EQ(m.CurrentStep(), 10);
}

TEST(KohonenTest, ApplyItFindsTheNodeOfAnObject) {
  TKohonen m;
  Train(m, 3, 30, 11, 4, 3, 6);
  TVector in;
  in.Resize(3);
  std::int32_t wx = 0, wy = 0;
  double dist = -1;
  for (std::int32_t x = 1; x <= 4; ++x)
    for (std::int32_t y = 1; y <= 3; ++y) {
      for (std::int32_t k = 1; k <= 3; ++k) in.SetVal(k, m.GetWeight(x, y, k));
      m.ApplyIt(in, wx, wy, dist);
      EXPECT_EQ(wx, x);
      EXPECT_EQ(wy, y);
      EXPECT_EQ(dist, 0.0);
    }
  // Scaled: input = mean + sd * w gives back the node, up to the rounding of
  // the data-unit values.
  m.MeanVec.SetVal(1, 3.0);
  m.StdDevVec.SetVal(2, 0.25);
  for (std::int32_t k = 1; k <= 3; ++k) in.SetVal(k, m.GetWeight(2, 3, k));
  m.ApplyIt(in, wx, wy, dist);
  EXPECT_EQ(wx, 2);
  EXPECT_EQ(wy, 3);
  EXPECT_NEAR(dist, 0.0, kvl::test::kTol1e15);
}

TEST(KohonenTest, EqualDistancesKeepTheFirstNode) {
  TKohonen m;
  m.SetNrOfInSens(2);
  m.SetSizeX(3);
  m.SetSizeY(3);  // every weight 0: all nodes tie
  TVector in;
  in.Resize(2);
  in.SetVal(1, 0.5);
  in.SetVal(2, -2.0);
  std::int32_t wx = 0, wy = 0;
  double dist = 0;
  m.ApplyIt(in, wx, wy, dist);
  EXPECT_EQ(wx, 1);
  EXPECT_EQ(wy, 1);
  EXPECT_EQ(dist, 4.25);
  // Training on the tied map moves node (1, 1) first.
  TMatrix data;
  data.Resize(2, 1);
  data.SetVal(1, 1, 1.0);
  m.SetTrainData(&data);
  m.SetSizeX(3);
  m.SetSizeY(3);
  m.SetInitialNeighbors(0);
  m.SetNrOfTrnSteps(1);
  m.ContinueTraining();  // step 0 of 1: rate 1, radius 0
  EXPECT_GT(m.GetWeight(1, 1, 1), 0.0);
  EXPECT_EQ(m.GetWeight(1, 2, 1), 0.0);
  EXPECT_EQ(m.GetWeight(2, 1, 1), 0.0);
}

TEST(KohonenTest, NonFiniteObjectsLeaveTheMap) {
  TMatrix data;
  data.Resize(1, 2);
  data.SetVal(1, 1, std::numeric_limits<double>::quiet_NaN());
  data.SetVal(1, 2, 1e300);  // a squared distance beyond the largest Double
  TKohonen m;
  m.SetTrainData(&data);
  m.SetSizeX(3);
  m.SetWeigtsToRandom();
  const std::vector<double> before = Weights(m);
  m.SetNrOfTrnSteps(3);
  m.ContinueTraining();
  EXPECT_EQ(m.CurrentStep(), 3);
  EXPECT_TRUE(SameBits(Weights(m), before));
}

TEST(KohonenTest, StandardizeDataFillsMeansAndDeviations) {
  TMatrix data;
  data.Resize(2, 4);
  const double col1[] = {1, 2, 3, 6};
  for (std::int32_t r = 1; r <= 4; ++r) {
    data.SetVal(1, r, col1[r - 1]);
    data.SetVal(2, r, 5.0);  // constant
  }
  TKohonen m;
  m.SetTrainData(&data);
  m.StandardizeData();
  EXPECT_EQ(m.MeanVec.Elem(1), 3.0);
  EXPECT_NEAR(m.StdDevVec.Elem(1), std::sqrt(14.0 / 3.0), kvl::test::kTol1e15);
  EXPECT_NEAR(m.TrainData()->GetVal(1, 4), 3.0 / std::sqrt(14.0 / 3.0), kvl::test::kTol1e15);
  EXPECT_EQ(m.MeanVec.Elem(2), 5.0);
  EXPECT_EQ(m.StdDevVec.Elem(2), 0.0);
  // The constant column is centred, so its weights stand for the mean.
  EXPECT_EQ(m.TrainData()->GetVal(2, 3), 0.0);
  m.SetSizeX(2);
  m.SetSizeY(2);
  m.SetNrOfTrnSteps(5);
  m.Trainit();
  // An object at node (1, 1) lies within its weights of the trained constant
  // variable, which stay near 0 (uncentred they would approach 5: Dist ~ 25).
  TVector in;
  in.Resize(2);
  in.SetVal(1, m.GetWeight(1, 1, 1));
  in.SetVal(2, 5.0);
  std::int32_t wx = 0, wy = 0;
  double dist = 0;
  m.ApplyIt(in, wx, wy, dist);
  EXPECT_LT(dist, 0.01 + kvl::test::kTol1e12);
}
