// Variance homogeneity, one-way analysis of variance, Friedman's test.

#include "kvl/statistics/statis/anova.h"

#include <cmath>
#include <unordered_map>
#include <vector>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/base/KVL_univconst.h"
#include "kvl/statistics/statis/continuous.h"
#include "kvl/statistics/statis/ranks.h"

namespace kvl {
namespace {

constexpr double LnOfZeroVariance = -9999999.0;  // stands in for ln 0

/// TGrouping: the group number (0, 1, ... in order of first appearance) of
/// each value, and the number of groups.
struct TGrouping {
  std::vector<std::size_t> Of;
  std::size_t Count = 0;
};

TGrouping GroupLabels(std::span<const std::int32_t> Labels) {
  TGrouping g;
  g.Of.resize(Labels.size());
  std::unordered_map<std::int32_t, std::size_t> number;
  for (std::size_t i = 0; i < Labels.size(); ++i) {
    const auto [it, added] = number.try_emplace(Labels[i], g.Count);
    if (added) ++g.Count;
    g.Of[i] = it->second;
  }
  return g;
}

/// TOneWay: the one-way sums of squares of x under a grouping, formed about
/// the group means and the grand mean.
struct TOneWay {
  long double SSB = 0, SSW = 0, SST = 0;
};

/// ShiftedMeans: the group means and the grand mean of x - Shift (exact for
/// a data value as Shift, so a large common offset costs no digits), each
/// refined by the mean residual of a second pass.
void ShiftedMeans(std::span<const double> x, const TGrouping& g, long double Shift, std::vector<long double>& Mean,
                  long double& Grand) {
  std::vector<long double> sum(g.Count, 0.0L);
  std::vector<std::size_t> size(g.Count, 0);
  long double total = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const long double v = x[i] - Shift;
    sum[g.Of[i]] += v;
    ++size[g.Of[i]];
    total += v;
  }
  const auto n = static_cast<long double>(x.size());
  Mean.assign(g.Count, 0.0L);
  for (std::size_t j = 0; j < g.Count; ++j) Mean[j] = sum[j] / static_cast<long double>(size[j]);
  Grand = total / n;
  std::vector<long double> corr(g.Count, 0.0L);
  long double corrAll = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const long double v = x[i] - Shift;
    corr[g.Of[i]] += v - Mean[g.Of[i]];
    corrAll += v - Grand;
  }
  for (std::size_t j = 0; j < g.Count; ++j) Mean[j] += corr[j] / static_cast<long double>(size[j]);
  Grand += corrAll / n;
}

TOneWay OneWaySums(std::span<const double> x, const TGrouping& g) {
  const long double shift = x[0];
  std::vector<long double> mean;
  long double grand = 0;
  ShiftedMeans(x, g, shift, mean, grand);
  std::vector<std::size_t> size(g.Count, 0);
  TOneWay s;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const long double v = x[i] - shift;
    const long double w = v - mean[g.Of[i]], t = v - grand;
    s.SSW += w * w;
    s.SST += t * t;
    ++size[g.Of[i]];
  }
  for (std::size_t j = 0; j < g.Count; ++j) {
    const long double d = mean[j] - grand;
    s.SSB += static_cast<long double>(size[j]) * d * d;
  }
  return s;
}

/// GroupCheck: the shared codes of LeveneTest and Anova1F (0 when usable).
double GroupCheck(const TVector& Data, const TIntVector& Groups, TGrouping& g) {
  if (Data.NrOfElem() != Groups.NrOfElem()) return -4;
  g = GroupLabels(Groups.Data());
  if (g.Count <= 1) return -1;
  if (g.Count >= static_cast<std::size_t>(Data.NrOfElem())) return -2;
  return 0;
}

/// FResult: F and its p-value from the mean squares, with the zero cases.
double FResult(long double MSB, long double MSW, std::int32_t df1, std::int32_t df2, double& F) {
  if (MSW != 0) {
    F = static_cast<double>(MSB / MSW);
    return 1.0 - FDistriIntegral(F, df1, df2);
  }
  if (MSB == 0) {
    F = 0;
    return -3;
  }
  F = uc_MaxReal;
  return 0;
}

}  // namespace

double BartlettTest(const TDouble2DArray& Data, const TIntArray& N, double& Chi2) {
  Chi2 = 0;
  if (Data.size() != N.size()) return -1;
  for (std::size_t i = 0; i < N.size(); ++i)
    if (N[i] >= 0 && static_cast<std::size_t>(N[i]) > Data[i].size()) return -1;
  for (const std::int32_t ni : N)
    if (ni < 6) return -2;
  const auto k = static_cast<double>(N.size());
  long double nt = 0, pooled = 0, lnSum = 0, invSum = 0;
  for (std::size_t i = 0; i < N.size(); ++i) {
    double mean = 0, var = 0;
    MeanVarArray(Data[i], 0, N[i] - 1, mean, var);
    const long double f = N[i] - 1;
    nt += N[i];
    pooled += f * var;
    lnSum += f * (var > 0 ? std::log(static_cast<long double>(var)) : LnOfZeroVariance);
    invSum += 1.0L / f;
  }
  const long double df = nt - static_cast<long double>(k);
  const long double sp = pooled / df;
  long double chi2 = df * (sp > 0 ? std::log(sp) : LnOfZeroVariance) - lnSum;
  const long double c = 1.0L + (invSum - 1.0L / df) / (3.0L * (static_cast<long double>(k) - 1.0L));
  chi2 /= c;
  Chi2 = static_cast<double>(chi2);
  return 1.0 - chi2DistriIntegral(Chi2, static_cast<std::int32_t>(k) - 1);
}

double LeveneTest(const TVector& Data, const TIntVector& Groups, double& F) {
  F = 0;
  TGrouping g;
  if (const double code = GroupCheck(Data, Groups, g); code != 0) return code;
  const std::span<const double> x = Data.Data();
  // Z = |x - group mean|, the group means formed as in the analysis of variance.
  const long double shift = x[0];
  std::vector<long double> mean;
  long double grand = 0;
  ShiftedMeans(x, g, shift, mean, grand);
  std::vector<double> z(x.size());
  for (std::size_t i = 0; i < x.size(); ++i)
    z[i] = static_cast<double>(std::fabs((x[i] - shift) - mean[g.Of[i]]));
  const TOneWay s = OneWaySums(z, g);
  const auto dfB = static_cast<std::int32_t>(g.Count - 1);
  const auto dfW = static_cast<std::int32_t>(x.size() - g.Count);
  return FResult(s.SSB / dfB, s.SSW / dfW, dfB, dfW, F);
}

double Anova1F(const TVector& Data, const TIntVector& Groups, double& SSB, double& SSW, double& SST,
               std::int32_t& dfB, std::int32_t& dfW, std::int32_t& dfT, double& F) {
  SSB = SSW = SST = F = 0;
  dfB = dfW = dfT = 0;
  TGrouping g;
  if (const double code = GroupCheck(Data, Groups, g); code != 0) return code;
  const TOneWay s = OneWaySums(Data.Data(), g);
  SSB = static_cast<double>(s.SSB);
  SSW = static_cast<double>(s.SSW);
  SST = static_cast<double>(s.SST);
  dfB = static_cast<std::int32_t>(g.Count - 1);
  dfW = Data.NrOfElem() - static_cast<std::int32_t>(g.Count);
  dfT = Data.NrOfElem() - 1;
  return FResult(s.SSB / dfB, s.SSW / dfW, dfB, dfW, F);
}

double FriedmanTest(const TMatrix& Mat, double& Chi2) {
  Chi2 = 0;
  const std::int32_t k = Mat.NrOfColumns(), b = Mat.NrOfRows();
  if (k < 3) return -1;
  std::vector<double> row(static_cast<std::size_t>(k)), ranks(row.size());
  std::vector<long double> colSum(row.size(), 0.0L);
  long double ties = 0;
  for (std::int32_t r = 1; r <= b; ++r) {
    for (std::int32_t c = 1; c <= k; ++c) row[static_cast<std::size_t>(c - 1)] = Mat.Elem(c, r);
    ties += RankWithTies(row, ranks);
    for (std::size_t c = 0; c < row.size(); ++c) colSum[c] += ranks[c];
  }
  long double sumSq = 0;
  for (const long double rj : colSum) sumSq += rj * rj;
  const long double kk = k, bb = b;
  long double chi2 = 12.0L * sumSq / (bb * kk * (kk + 1)) - 3.0L * bb * (kk + 1);
  if (ties > 0) chi2 = bb * chi2 / (bb - ties / (kk * (kk * kk - 1)));
  Chi2 = static_cast<double>(chi2);
  return 1.0 - chi2DistriIntegral(Chi2, k - 1);
}

}  // namespace kvl
