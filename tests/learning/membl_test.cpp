// TMemBasedLearner: settings and roles, the neighbour search and the four
// local models against brute-force computations, status codes and events,
// the neighbour lists of the training data and their contingency table.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "kvl/learning/KVL_membl.h"
#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol1e12;
using test::kTol1e9;

using VT = TMBLVarType;

// Learner: n objects of p correlated independent columns (1..p) and one
// target column p + 1 = 2·x1 − x2 + 0.5 + noise.
void Fill(TMemBasedLearner& mbl, std::int32_t n, std::int32_t p, unsigned Seed) {
  TDataTable& t = *mbl.ModelData;
  t.Resize(p + 1, n);
  const std::vector<double> v = test::RandomValues(static_cast<std::size_t>(n * (p + 1)), Seed);
  for (std::int32_t j = 1; j <= n; ++j) {
    const double* r = v.data() + static_cast<std::size_t>((j - 1) * (p + 1));
    double x1 = 0;
    for (std::int32_t c = 1; c <= p; ++c) {
      // column c mixes in column 1, so the columns are correlated and scaled differently
      const double x = c == 1 ? r[0] : 0.6 * x1 + 0.4 * r[c - 1] * c;
      if (c == 1) x1 = x;
      t.SetElem(c, j, x);
    }
    const double x2 = p >= 2 ? t.Elem(2, j) : 0.0;
    t.SetElem(p + 1, j, 2 * x1 - x2 + 0.5 + 0.01 * r[p]);
  }
  mbl.SetAllVars(VT::mblVarIndep);
  mbl.SetVarType(p + 1, VT::mblVarTarget);
}

// TEvent: what the last OnModelApplied reported.
struct TEvent {
  int Count = 0;
  std::int32_t Tag = 0, Status = 0;
  TIntArray Nix;
  TDoubleArray Dist;
};

void Record(TMemBasedLearner& mbl, TEvent& e) {
  mbl.OnModelApplied = [&e](TObject*, std::int32_t Tag, const TIntArray& Nix, const TDoubleArray& Dist,
                            std::int32_t Status) {
    ++e.Count;
    e.Tag = Tag;
    e.Nix = Nix;
    e.Dist = Dist;
    e.Status = Status;
  };
}

// Reference: distances computed the plain way, over the independent columns.
struct TReference {
  std::vector<std::int32_t> Order;  // objects by increasing distance
  std::vector<double> Dist;         // by object, 0-based
};

TReference BruteForce(TMemBasedLearner& mbl, const std::vector<double>& Probe, std::int32_t Exclude) {
  TDataTable& t = *mbl.ModelData;
  const std::int32_t n = t.NrOfRows();
  std::vector<std::int32_t> cols;
  for (std::int32_t c = 1; c <= t.NrOfColumns(); ++c)
    if (mbl.VarType(c) == VT::mblVarIndep) cols.push_back(c);
  const auto p = static_cast<std::int32_t>(cols.size());
  // scaled values of every object and of the probe
  std::vector<double> mean(cols.size(), 0.0), sd(cols.size(), 1.0);
  if (mbl.ScalingMode() == TMBLScalingMode::mblStandardized) {
    for (std::size_t q = 0; q < cols.size(); ++q) {
      double m = 0, var = 0;
      t.NumericData->MeanVar(cols[q], 1, cols[q], n, m, var);
      mean[q] = m;
      sd[q] = std::sqrt(var);
    }
  }
  auto scaled = [&](std::size_t q, double x) { return sd[q] > 0 ? (x - mean[q]) / sd[q] : x - mean[q]; };
  TMatrix data;
  data.Resize(p, n);
  for (std::int32_t j = 1; j <= n; ++j)
    for (std::int32_t q = 1; q <= p; ++q) data.SetVal(q, j, scaled(static_cast<std::size_t>(q - 1), t.Elem(cols[static_cast<std::size_t>(q - 1)], j)));
  TVector probe;
  probe.Resize(p);
  for (std::int32_t q = 1; q <= p; ++q)
    probe.SetVal(q, scaled(static_cast<std::size_t>(q - 1), Probe[static_cast<std::size_t>(cols[static_cast<std::size_t>(q - 1)] - 1)]));
  TMatrix invCov;
  if (mbl.DistMode() == TMBLDistMode::mblDistMahalanobis) {
    invCov.Resize(p, p);
    EXPECT_TRUE(CalcCovar(data, invCov, 0, 0, 0, 0, 1));
    EXPECT_TRUE(invCov.Invert());
  }
  TReference ref;
  ref.Dist.resize(static_cast<std::size_t>(n));
  for (std::int32_t j = 1; j <= n; ++j) {
    TVector obj;
    obj.Resize(p);
    double sum = 0;
    for (std::int32_t q = 1; q <= p; ++q) {
      obj.SetVal(q, data.GetVal(q, j));
      const double d = probe.GetVal(q) - data.GetVal(q, j);
      sum += mbl.DistMode() == TMBLDistMode::mblDistManhattan ? std::fabs(d) : d * d;
    }
    double dist = mbl.DistMode() == TMBLDistMode::mblDistManhattan ? sum : std::sqrt(sum);
    if (mbl.DistMode() == TMBLDistMode::mblDistMahalanobis) dist = MahalanobisDistance(probe, obj, invCov);
    ref.Dist[static_cast<std::size_t>(j - 1)] = dist;
    if (j != Exclude) ref.Order.push_back(j);
  }
  std::stable_sort(ref.Order.begin(), ref.Order.end(), [&](std::int32_t a, std::int32_t b) {
    return ref.Dist[static_cast<std::size_t>(a - 1)] < ref.Dist[static_cast<std::size_t>(b - 1)];
  });
  return ref;
}

TEST(MemBasedLearner, DefaultsAndSettings) {
  TMemBasedLearner mbl;
  EXPECT_EQ(mbl.ModelName(), "undefined");
  EXPECT_EQ(mbl.Comment(), "");
  EXPECT_EQ(mbl.NumNearestNb(), 3);
  EXPECT_EQ(mbl.LocalModel(), TMBLLocalModel::mblLMAverage);
  EXPECT_EQ(mbl.DistMode(), TMBLDistMode::mblDistEuclid);
  EXPECT_EQ(mbl.ScalingMode(), TMBLScalingMode::mblUnscaled);
  EXPECT_FALSE(mbl.OnCheckCVDAbort);

  mbl.ModelData->Resize(4, 3);
  mbl.SetNumNearestNb(3);
  EXPECT_EQ(mbl.NumNearestNb(), 3);  // three objects keep k = 3
  mbl.SetNumNearestNb(7);
  EXPECT_EQ(mbl.NumNearestNb(), 3);  // not above the number of objects
  mbl.ModelData->Resize(4, 500);
  mbl.SetNumNearestNb(250);
  EXPECT_EQ(mbl.NumNearestNb(), 100);
  mbl.SetNumNearestNb(-5);
  EXPECT_EQ(mbl.NumNearestNb(), 1);
  mbl.ModelData->Resize(4, 0);
  mbl.SetNumNearestNb(3);
  EXPECT_EQ(mbl.NumNearestNb(), 1);  // an empty table gives 1

  mbl.SetDistMode(static_cast<TMBLDistMode>(7));
  EXPECT_EQ(mbl.DistMode(), TMBLDistMode::mblDistEuclid);
  mbl.SetLocalModel(static_cast<TMBLLocalModel>(-1));
  EXPECT_EQ(mbl.LocalModel(), TMBLLocalModel::mblLMAverage);
}

TEST(MemBasedLearner, RolesAreColumnAttributes) {
  TMemBasedLearner mbl;
  mbl.ModelData->Resize(5, 2);
  mbl.SetAllVars(VT::mblVarIndep);
  mbl.SetVarType(2, VT::mblVarTarget);
  mbl.SetVarType(4, VT::mblVarIgnore);
  mbl.SetVarType(0, VT::mblVarTarget);  // outside: nothing
  mbl.SetVarType(6, VT::mblVarTarget);
  EXPECT_EQ(mbl.CountIndependentVars(), 3);
  EXPECT_EQ(mbl.CountTargetVars(), 1);
  EXPECT_EQ(mbl.ModelData->ColAttrib(2), 2);
  EXPECT_EQ(mbl.VarType(2), VT::mblVarTarget);
  EXPECT_EQ(mbl.VarType(0), VT::mblVarIgnore);
  EXPECT_EQ(mbl.VarType(6), VT::mblVarIgnore);
  mbl.ModelData->SetColAttrib(5, 9);  // no role: ignored
  EXPECT_EQ(mbl.VarType(5), VT::mblVarIgnore);
  EXPECT_EQ(mbl.CountIndependentVars(), 2);
}

struct TModeCase {
  TMBLDistMode Dist;
  TMBLScalingMode Scaling;
};

class NeighbourSearch : public testing::TestWithParam<TModeCase> {};

// The neighbours, their distances, the average and the Gauss-weighted
// estimate agree with brute force for every distance and scaling.
TEST_P(NeighbourSearch, AgreesWithBruteForce) {
  constexpr std::int32_t n = 300, p = 4;
  TMemBasedLearner mbl;
  Fill(mbl, n, p, 11);
  mbl.SetDistMode(GetParam().Dist);
  mbl.SetScalingMode(GetParam().Scaling);
  mbl.SetNumNearestNb(7);
  TEvent ev;
  Record(mbl, ev);
  const std::vector<double> pv = test::RandomValues(5 * (p + 1), 99);
  for (int probe = 0; probe < 5; ++probe) {
    std::vector<double> s(pv.begin() + probe * (p + 1), pv.begin() + (probe + 1) * (p + 1));
    const std::int32_t exclude = probe == 2 ? 17 : 0;
    const TReference ref = BruteForce(mbl, s, exclude);
    for (const TMBLLocalModel lm : {TMBLLocalModel::mblLMAverage, TMBLLocalModel::mblLMWgtGauss}) {
      mbl.SetLocalModel(lm);
      std::vector<double> sensor = s;
      ASSERT_EQ(mbl.ApplyModel(sensor, exclude, 40 + probe), 0);
      ASSERT_EQ(ev.Nix.size(), 100u);
      EXPECT_EQ(ev.Tag, 40 + probe);
      for (std::size_t i = 0; i < 100; ++i) {
        ASSERT_EQ(ev.Nix[i], ref.Order[i]) << "rank " << i;
        EXPECT_NEAR(ev.Dist[i], ref.Dist[static_cast<std::size_t>(ref.Order[i] - 1)], kTol1e9 * (1 + ev.Dist[i]));
      }
      double expect = 0;
      if (lm == TMBLLocalModel::mblLMAverage) {
        for (int i = 0; i < 7; ++i) expect += mbl.ModelData->Elem(p + 1, ref.Order[static_cast<std::size_t>(i)]) / 7;
      } else {
        double sum = 0, sumSq = 0, sw = 0, swv = 0;
        std::int32_t cnt = 0;
        for (std::int32_t j = 1; j <= n; ++j) {
          if (j == exclude) continue;
          const double d = ref.Dist[static_cast<std::size_t>(j - 1)];
          sum += d;
          sumSq += d * d;
          ++cnt;
        }
        const double sigma = std::sqrt((sumSq - sum * sum / cnt) / (cnt - 1));
        for (int i = 0; i < 7; ++i) {
          const std::int32_t obj = ref.Order[static_cast<std::size_t>(i)];
          const double w = std::exp(-std::pow(ref.Dist[static_cast<std::size_t>(obj - 1)] / sigma, 2));
          sw += w;
          swv += w * mbl.ModelData->Elem(p + 1, obj);
        }
        expect = swv / sw;
      }
      EXPECT_NEAR(sensor[p], expect, kTol1e9);
      for (std::int32_t c = 0; c < p; ++c) EXPECT_EQ(sensor[static_cast<std::size_t>(c)], s[static_cast<std::size_t>(c)]);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, NeighbourSearch,
    testing::Values(TModeCase{TMBLDistMode::mblDistEuclid, TMBLScalingMode::mblUnscaled},
                    TModeCase{TMBLDistMode::mblDistEuclid, TMBLScalingMode::mblStandardized},
                    TModeCase{TMBLDistMode::mblDistManhattan, TMBLScalingMode::mblUnscaled},
                    TModeCase{TMBLDistMode::mblDistManhattan, TMBLScalingMode::mblStandardized},
                    TModeCase{TMBLDistMode::mblDistMahalanobis, TMBLScalingMode::mblUnscaled},
                    TModeCase{TMBLDistMode::mblDistMahalanobis, TMBLScalingMode::mblStandardized}),
    [](const testing::TestParamInfo<TModeCase>& i) {
      return std::string(MBLDistModeID[static_cast<std::size_t>(i.param.Dist)]) +
             std::string(MBLScalingModeID[static_cast<std::size_t>(i.param.Scaling)]);
    });

// The search scores blocks in single precision first and exactly only where
// an object may enter; the Gauss model scores every object exactly. Both
// must give the same neighbours and bit-identical distances, also for data
// far from 0 (a wide screening margin) and beyond the float range (no
// screening at all).
TEST(MemBasedLearner, ScreenedAndExactPassesAgree) {
  const std::pair<double, double> shifts[] = {{0.0, 1.0}, {1e6, 1.0}, {0.0, 1e40}};  // offset, scale
  for (const auto& [offset, scale] : shifts) {
    for (const TMBLDistMode dist : {TMBLDistMode::mblDistEuclid, TMBLDistMode::mblDistManhattan}) {
      TMemBasedLearner mbl;
      Fill(mbl, 500, 3, 77);
      for (std::int32_t j = 1; j <= 500; ++j)
        for (std::int32_t c = 1; c <= 3; ++c) mbl.ModelData->SetElem(c, j, offset + scale * mbl.ModelData->Elem(c, j));
      mbl.SetDistMode(dist);
      mbl.SetNumNearestNb(9);
      TEvent ev;
      Record(mbl, ev);
      const std::vector<double> pv = test::RandomValues(4 * 4, 5);
      for (int probe = 0; probe < 4; ++probe) {
        std::vector<double> s(pv.begin() + probe * 4, pv.begin() + probe * 4 + 4);
        for (std::int32_t c = 0; c < 3; ++c) s[static_cast<std::size_t>(c)] = offset + scale * s[static_cast<std::size_t>(c)] * 0.5;
        std::vector<double> a = s, g = s;
        mbl.SetLocalModel(TMBLLocalModel::mblLMAverage);
        ASSERT_EQ(mbl.ApplyModel(a, 0, 0), 0);
        const TEvent screened = ev;
        mbl.SetLocalModel(TMBLLocalModel::mblLMWgtGauss);
        ASSERT_EQ(mbl.ApplyModel(g, 0, 0), 0);
        EXPECT_EQ(screened.Nix, ev.Nix) << offset;
        for (std::size_t i = 0; i < 100; ++i)
          EXPECT_EQ(std::memcmp(&screened.Dist[i], &ev.Dist[i], sizeof(double)), 0) << offset << " rank " << i;
        {
          const TReference ref = BruteForce(mbl, s, 0);
          for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(screened.Nix[i], ref.Order[i]) << offset << " rank " << i;
        }
      }
    }
  }
}

TEST(MemBasedLearner, MahalanobisDiffersFromEuclidOnCorrelatedData) {
  TMemBasedLearner mbl;
  Fill(mbl, 200, 3, 5);
  std::vector<double> s = {0.3, -0.2, 0.1, 0};
  TEvent ev;
  Record(mbl, ev);
  mbl.ApplyModel(s, 0, 0);
  const TIntArray euclid = ev.Nix;
  mbl.SetDistMode(TMBLDistMode::mblDistMahalanobis);
  mbl.ApplyModel(s, 0, 0);
  EXPECT_NE(ev.Nix, euclid);
}

// Majority vote: t = √variance of the target column; each neighbour counts
// the neighbours closer than t (itself included); the first with the most wins.
TEST(MemBasedLearner, MajorityVoteTakesTheFirstOfTheLargestGroup) {
  struct TCase {
    std::string Name;
    std::vector<double> Targets;  // of objects at x = 1, 2, 3, ... (probe at 0: nearest first)
    std::int32_t k;
    double Expected;
  };
  const std::vector<TCase> cases = {
      {"clear majority", {1, 5, 5, 5, 1, 1, 1, 1, 1, 1, 1}, 4, 5},
      {"tie: first neighbour's group", {5, 1, 1, 5, 9, 9, 9, 9, 9, 9, 9}, 4, 5},
      {"tie of singletons: nearest", {7, 1, 4, 9, 9, 9, 9, 9, 9, 9, 9}, 3, 7},
  };
  for (const TCase& c : cases) {
    TMemBasedLearner mbl;
    const auto n = static_cast<std::int32_t>(c.Targets.size());
    mbl.ModelData->Resize(2, n);
    for (std::int32_t j = 1; j <= n; ++j) {
      mbl.ModelData->SetElem(1, j, j);
      mbl.ModelData->SetElem(2, j, c.Targets[static_cast<std::size_t>(j - 1)]);
    }
    mbl.SetVarType(1, VT::mblVarIndep);
    mbl.SetVarType(2, VT::mblVarTarget);
    mbl.SetLocalModel(TMBLLocalModel::mblLMMajority);
    mbl.SetNumNearestNb(c.k);
    std::vector<double> s = {0, -1};
    ASSERT_EQ(mbl.ApplyModel(s, 0, 0), 0) << c.Name;
    EXPECT_EQ(s[1], c.Expected) << c.Name;
  }
}

TEST(MemBasedLearner, MajorityVoteOfAConstantTargetIsObjectOnesValue) {
  TMemBasedLearner mbl;
  mbl.ModelData->Resize(2, 6);
  for (std::int32_t j = 1; j <= 6; ++j) {
    mbl.ModelData->SetElem(1, j, j);
    mbl.ModelData->SetElem(2, j, 4);
  }
  mbl.SetVarType(1, VT::mblVarIndep);
  mbl.SetVarType(2, VT::mblVarTarget);
  mbl.SetLocalModel(TMBLLocalModel::mblLMMajority);
  std::vector<double> s = {5.2, 0};
  ASSERT_EQ(mbl.ApplyModel(s, 0, 0), 0);
  EXPECT_EQ(s[1], 4);
}

// The local regression equals the least-squares solution of the normal
// equations over the same k neighbours.
TEST(MemBasedLearner, RegressionMatchesDirectLeastSquares) {
  constexpr std::int32_t n = 400, p = 2, k = 25;
  TMemBasedLearner mbl;
  Fill(mbl, n, p, 3);
  mbl.SetLocalModel(TMBLLocalModel::mblLMRegress);
  mbl.SetNumNearestNb(k);
  std::vector<double> s = {0.2, -0.1, 0};
  const TReference ref = BruteForce(mbl, s, 0);
  // normal equations AᵀA b = Aᵀy with A = [x1 x2 1], solved by Gaussian elimination in long double
  long double m[3][4] = {};
  for (std::int32_t i = 0; i < k; ++i) {
    const std::int32_t obj = ref.Order[static_cast<std::size_t>(i)];
    const long double a[3] = {mbl.ModelData->Elem(1, obj), mbl.ModelData->Elem(2, obj), 1.0L};
    const long double y = mbl.ModelData->Elem(3, obj);
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) m[r][c] += a[r] * a[c];
      m[r][3] += a[r] * y;
    }
  }
  for (int piv = 0; piv < 3; ++piv)
    for (int r = piv + 1; r < 3; ++r) {
      const long double f = m[r][piv] / m[piv][piv];
      for (int c = piv; c < 4; ++c) m[r][c] -= f * m[piv][c];
    }
  long double b[3];
  for (int r = 2; r >= 0; --r) {
    long double acc = m[r][3];
    for (int c = r + 1; c < 3; ++c) acc -= m[r][c] * b[c];
    b[r] = acc / m[r][r];
  }
  const double expect = static_cast<double>(b[2] + b[0] * s[0] + b[1] * s[1]);
  ASSERT_EQ(mbl.ApplyModel(s, 0, 0), 0);
  EXPECT_NEAR(s[2], expect, kTol1e9);
  EXPECT_NEAR(s[2], 2 * 0.2 + 0.1 + 0.5, 0.05);  // and near the generating plane
}

TEST(MemBasedLearner, StatusCodes) {
  TMemBasedLearner mbl;
  Fill(mbl, 3, 2, 1);
  TEvent ev;
  Record(mbl, ev);

  std::vector<double> s = {0.1, 0.2, 7};
  mbl.SetNumNearestNb(3);
  EXPECT_EQ(mbl.ApplyModel(s, 0, 5), -2);  // k = 3 on three objects
  EXPECT_EQ(s, std::vector<double>(3, 0.0));
  EXPECT_EQ(ev.Status, -2);
  EXPECT_EQ(ev.Nix[0] != 0 && ev.Nix[3] == 0, true);  // the neighbours found are still reported
  EXPECT_EQ(ev.Dist[3], uc_MaxReal);

  std::vector<double> shortSensor = {1, 2};
  mbl.SetNumNearestNb(1);
  EXPECT_EQ(mbl.ApplyModel(shortSensor, 0, 6), -3);
  EXPECT_EQ(shortSensor, std::vector<double>(2, 0.0));
  EXPECT_EQ(ev.Status, -3);
  EXPECT_EQ(ev.Tag, 6);

  std::vector<double> nanSensor = {std::nan(""), 0.2, 7};
  EXPECT_EQ(mbl.ApplyModel(nanSensor, 0, 0), -4);
  EXPECT_EQ(nanSensor[2], 7);
  EXPECT_EQ(ev.Count, 3);
}

TEST(MemBasedLearner, ExcludedObjectIsIgnored) {
  TMemBasedLearner mbl;
  Fill(mbl, 50, 2, 8);
  mbl.SetNumNearestNb(1);
  std::vector<double> s = {mbl.ModelData->Elem(1, 9), mbl.ModelData->Elem(2, 9), 0};
  TEvent ev;
  Record(mbl, ev);
  ASSERT_EQ(mbl.ApplyModel(s, 0, 0), 0);
  EXPECT_EQ(ev.Nix[0], 9);
  EXPECT_EQ(ev.Dist[0], 0.0);
  EXPECT_EQ(s[2], mbl.ModelData->Elem(3, 9));
  ASSERT_EQ(mbl.ApplyModel(s, 9, 0), 0);
  EXPECT_NE(ev.Nix[0], 9);
  EXPECT_GT(ev.Dist[0], 0.0);
}

TEST(MemBasedLearner, SingularRegressionGivesMinusOne) {
  TMemBasedLearner mbl;
  mbl.ModelData->Resize(2, 10);
  for (std::int32_t j = 1; j <= 10; ++j) {
    mbl.ModelData->SetElem(1, j, j <= 5 ? 1.0 : 50.0);  // the five nearest share one x
    mbl.ModelData->SetElem(2, j, j);
  }
  mbl.SetVarType(1, VT::mblVarIndep);
  mbl.SetVarType(2, VT::mblVarTarget);
  mbl.SetLocalModel(TMBLLocalModel::mblLMRegress);
  mbl.SetNumNearestNb(5);
  std::vector<double> s = {1, 33};
  EXPECT_EQ(mbl.ApplyModel(s, 0, 0), -1);
  EXPECT_EQ(s[1], 33);
}

// Gauss weights: equal distances (spread 0) give the plain mean; a probe
// far outside the data, whose weights all underflow in the plain form,
// gives the value of the nearest object instead of 0/0.
TEST(MemBasedLearner, GaussWeightsWithoutSpreadOrFarAway) {
  TMemBasedLearner mbl;
  mbl.ModelData->Resize(3, 4);
  const double pts[4][3] = {{1, 0, 10}, {-1, 0, 20}, {0, 1, 30}, {0, -1, 60}};
  for (std::int32_t j = 1; j <= 4; ++j)
    for (std::int32_t c = 1; c <= 3; ++c) mbl.ModelData->SetElem(c, j, pts[j - 1][c - 1]);
  mbl.SetAllVars(VT::mblVarIndep);
  mbl.SetVarType(3, VT::mblVarTarget);
  mbl.SetLocalModel(TMBLLocalModel::mblLMWgtGauss);
  mbl.SetNumNearestNb(3);
  std::vector<double> s = {0, 0, 0};
  ASSERT_EQ(mbl.ApplyModel(s, 0, 0), 0);
  // all four at distance 1: the three entering last-first are objects 4, 3, 2
  EXPECT_NEAR(s[2], (60 + 30 + 20) / 3.0, kTol1e12);
  s = {1e9, 0, 0};
  ASSERT_EQ(mbl.ApplyModel(s, 0, 0), 0);
  EXPECT_EQ(s[2], 10);
}

TEST(MemBasedLearner, NeighboursOfTheTrainingData) {
  TMemBasedLearner mbl;
  Fill(mbl, 120, 3, 21);
  EXPECT_EQ(mbl.kNNOfModelData(1, 1), -1);  // before CalcNNOfModelData
  mbl.CalcNNOfModelData();
  for (std::int32_t i = 1; i <= 120; ++i) {
    EXPECT_EQ(mbl.kNNOfModelData(1, i), i);  // itself first
    EXPECT_EQ(mbl.kNNDistOfModelData(1, i), 0.0);
  }
  std::vector<double> s(4);
  for (std::int32_t c = 1; c <= 4; ++c) s[static_cast<std::size_t>(c - 1)] = mbl.ModelData->Elem(c, 7);
  const TReference ref = BruteForce(mbl, s, 0);
  for (std::int32_t k = 1; k <= 100; ++k) {
    EXPECT_EQ(mbl.kNNOfModelData(k, 7), ref.Order[static_cast<std::size_t>(k - 1)]);
    EXPECT_NEAR(mbl.kNNDistOfModelData(k, 7), ref.Dist[static_cast<std::size_t>(ref.Order[static_cast<std::size_t>(k - 1)] - 1)], kTol1e12);
  }
  EXPECT_EQ(mbl.kNNOfModelData(0, 1), -1);
  EXPECT_EQ(mbl.kNNOfModelData(101, 1), -1);
  EXPECT_EQ(mbl.kNNOfModelData(1, 121), -1);
  EXPECT_EQ(mbl.kNNDistOfModelData(1, 0), -1.0);
  mbl.ModelData->SetElem(1, 1, 5.0);  // the lists are stale now
  EXPECT_EQ(mbl.kNNOfModelData(1, 1), -1);

  TMemBasedLearner small;
  Fill(small, 4, 1, 2);
  small.CalcNNOfModelData();
  EXPECT_EQ(small.kNNOfModelData(5, 1), 0);  // fewer than 100 objects
  EXPECT_EQ(small.kNNDistOfModelData(5, 1), uc_MaxReal);
}

TEST(MemBasedLearner, ContingencyTableOfNeighbourClasses) {
  TMemBasedLearner mbl;
  TDataTable& t = *mbl.ModelData;
  // two well separated groups on x; class 1 on the left, 2 on the right, one
  // class-2 object at the right end of the left group
  const double xs[8] = {0, 0.1, 0.25, 0.45, 10, 10.1, 10.25, 10.45};
  const double cls[8] = {1, 1, 1, 2, 2, 2, 2, 2};
  t.Resize(2, 8);
  for (std::int32_t j = 1; j <= 8; ++j) {
    t.SetElem(1, j, xs[j - 1]);
    t.SetElem(2, j, cls[j - 1]);
  }
  mbl.SetVarType(1, VT::mblVarIndep);
  TInt2DArray ct;
  EXPECT_EQ(mbl.CalcContingencyTable(2, 2, ct), -2);  // ratio-scaled
  EXPECT_EQ(mbl.CalcContingencyTable(3, 2, ct), -1);
  EXPECT_EQ(mbl.CalcContingencyTable(-1, 2, ct), -1);
  t.SetMScaleType(2, TMScaleType::stNominal);
  ASSERT_EQ(mbl.CalcContingencyTable(2, 2, ct), 0);
  ASSERT_EQ(ct.size(), 3u);
  // rank 1 is each object itself (3 + 5 on the diagonal); rank 2 pairs
  // 1-2, 2-1, 3-2, 4-3 (class 2 with class 1), 5-6, 6-5, 7-6, 8-7
  EXPECT_EQ(ct[0][0], 3 + 3);
  EXPECT_EQ(ct[1][0], 1);
  EXPECT_EQ(ct[0][1], 0);
  EXPECT_EQ(ct[1][1], 5 + 4);
  EXPECT_EQ(ct[2][0], 7);  // sums over the first index in [2][b]
  EXPECT_EQ(ct[0][2], 6);  // sums over the second index in [a][2]
  EXPECT_EQ(ct[1][2], 10);
  EXPECT_EQ(ct[2][2], 16);  // 8 objects x 2 ranks

  t.SetElem(2, 8, 150);
  EXPECT_EQ(mbl.CalcContingencyTable(2, 2, ct), -3);  // classes 1..150
  t.SetElem(2, 8, 0);
  EXPECT_EQ(mbl.CalcContingencyTable(2, 2, ct), -4);
  for (std::int32_t j = 1; j <= 8; ++j) t.SetElem(2, j, 3);
  EXPECT_EQ(mbl.CalcContingencyTable(2, 2, ct), -3);  // one class only
}

TEST(MemBasedLearner, ForwardsTheTablesProgress) {
  TMemBasedLearner mbl;
  int calls = 0;
  mbl.OnPercentDone = [&](TObject* Sender, double) {
    ++calls;
    EXPECT_EQ(Sender, mbl.ModelData);
  };
  mbl.ModelData->OnPercentDone(mbl.ModelData, 50);
  EXPECT_EQ(calls, 1);
}

TEST(MemBasedLearner, OwnedByAnotherComponent) {
  TComponent owner;
  auto* mbl = new TMemBasedLearner(&owner);
  Fill(*mbl, 10, 2, 1);
  TDataTable copy;
  copy.Assign(mbl->ModelData);  // the copy takes the learner's handlers with it
  delete mbl;
  copy.SetElem(1, 1, 3.0);  // and they do nothing once the learner is gone
  EXPECT_EQ(copy.Elem(1, 1), 3.0);
}

}  // namespace
}  // namespace kvl
