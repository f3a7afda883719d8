// TCFEvaluator: confusion matrix, figures of merit and ROC.

#include "kvl/statistics/statis/cf_evaluator.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/statistics/statis/internal/classif_counts.h"

namespace kvl {

namespace {

using statis_internal::Quotient;

/// SameEstimate: equal estimates, NaNs counting as one value.
bool SameEstimate(double a, double b) noexcept { return a == b || (std::isnan(a) && std::isnan(b)); }

/// PredictedPositive: the decision rule at threshold t.
bool PredictedPositive(double Estimate, double t) noexcept { return Estimate - t >= 0.0; }

/// TScanRun: the run of thresholds at which one figure reached its best.
struct TScanRun {
  double Best = 0.0, Sum = 0.0;
  std::int64_t Count = 0;
  void Add(double Value, double t, double& Output) noexcept {
    if (Value > Best) {
      Best = Value;
      Sum = t;
      Count = 1;
      Output = t;
    } else if (Value == Best) {
      Sum += t;
      ++Count;
      Output = Sum / static_cast<double>(Count);
    } else {
      Sum = 0.0;
      Count = 0;
    }
  }
};

}  // namespace

TCFEvaluator::TCFEvaluator(TComponent* AOwner) : TComponent(AOwner), FTrueVec(1, 0.0), FEstVec(1, 0.0) {}

double TCFEvaluator::GetTrueData(std::int32_t ix) const noexcept {
  return (ix >= 1 && static_cast<std::size_t>(ix) <= FTrueVec.size()) ? FTrueVec[static_cast<std::size_t>(ix - 1)]
                                                                        : 0.0;
}

double TCFEvaluator::GetEstimData(std::int32_t ix) const noexcept {
  return (ix >= 1 && static_cast<std::size_t>(ix) <= FEstVec.size()) ? FEstVec[static_cast<std::size_t>(ix - 1)]
                                                                       : 0.0;
}

void TCFEvaluator::SetTrueData(std::int32_t ix, double value) noexcept {
  if (ix < 1 || static_cast<std::size_t>(ix) > FTrueVec.size()) return;
  FTrueVec[static_cast<std::size_t>(ix - 1)] = value;
  TrueChanged();
}

void TCFEvaluator::SetEstimData(std::int32_t ix, double value) noexcept {
  if (ix < 1 || static_cast<std::size_t>(ix) > FEstVec.size()) return;
  FEstVec[static_cast<std::size_t>(ix - 1)] = value;
  EstimChanged();
}

std::int32_t TCFEvaluator::NData() const noexcept {
  return FTrueVec.size() == FEstVec.size() ? static_cast<std::int32_t>(FTrueVec.size()) : -1;
}

void TCFEvaluator::SetNData(std::int32_t n) {
  if (n <= 0) return;
  const auto size = static_cast<std::size_t>(n);
  // Appended zeros may break the descending order; a shorter sorted array
  // stays sorted. The counts keep their meaning: those of the last calculation.
  if (size > FEstVec.size() || FTrueVec.size() != FEstVec.size()) FIsSorted = false;
  GuardAllocation<EKVLStatisError>(*this, [&] {
    FTrueVec.resize(size, 0.0);
    FEstVec.resize(size, 0.0);
  });
  TrueChanged();
}

std::int32_t TCFEvaluator::CopyFromMatrix(std::int32_t Col, const TMatrix* SrcMat, TDoubleArray& Dest) {
  if (SrcMat == nullptr || Col < 1 || Col > SrcMat->NrOfColumns()) return -1;
  const auto rows = static_cast<std::size_t>(SrcMat->NrOfRows());
  const std::span<const double> column = SrcMat->Data().subspan(static_cast<std::size_t>(Col - 1) * rows, rows);
  GuardAllocation<EKVLStatisError>(*this, [&] { Dest.assign(column.begin(), column.end()); });
  EstimChanged();
  return 0;
}

std::int32_t TCFEvaluator::CopyTrueFromMatrix(std::int32_t Col, const TMatrix* SrcMat) {
  const std::int32_t result = CopyFromMatrix(Col, SrcMat, FTrueVec);
  if (result != 0) return result;
  TrueChanged();
  return IsDicho() ? 0 : -2;
}

std::int32_t TCFEvaluator::CopyEstFromMatrix(std::int32_t Col, const TMatrix* SrcMat) {
  return CopyFromMatrix(Col, SrcMat, FEstVec);
}

bool TCFEvaluator::GetActualDichoValues(double& v1, double& v2) const noexcept {
  v1 = v2 = 0.0;
  if (FTrueVec.size() < 2) return false;
  v1 = v2 = FTrueVec[0];
  std::size_t i = 1;
  while (i < FTrueVec.size() && FTrueVec[i] == v1) ++i;
  if (i < FTrueVec.size()) v2 = FTrueVec[i];
  bool two = true;
  for (; i < FTrueVec.size(); ++i)
    if (FTrueVec[i] != v1 && FTrueVec[i] != v2) two = false;
  if (v2 < v1) std::swap(v1, v2);
  return two;
}

bool TCFEvaluator::IsDicho() const noexcept {
  if (FDichoStale) {
    FIsDicho = IsDichotomous(FTrueVec, FDichoV1, FDichoV2);
    FDichoStale = false;
  }
  return FIsDicho;
}

double TCFEvaluator::DichoV1() const noexcept {
  IsDicho();
  return FDichoV1;
}

double TCFEvaluator::DichoV2() const noexcept {
  IsDicho();
  return FDichoV2;
}

std::int32_t TCFEvaluator::SortEstimated() {
  if (FTrueVec.size() != FEstVec.size()) return -1;
  if (FIsSorted) return 0;
  const std::size_t n = FEstVec.size();
  if (n > 1) {
    // A stable O(n log n) sort of (estimate, true value) pairs; NaN
    // estimates form the last group.
    std::vector<std::pair<double, double>> pairs;
    GuardAllocation<EKVLStatisError>(*this, [&] { pairs.resize(n); });
    for (std::size_t i = 0; i < n; ++i) pairs[i] = {FEstVec[i], FTrueVec[i]};
    std::stable_sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) {
      return a.first > b.first || (!std::isnan(a.first) && std::isnan(b.first));
    });
    for (std::size_t i = 0; i < n; ++i) {
      FEstVec[i] = pairs[i].first;
      FTrueVec[i] = pairs[i].second;
    }
  }
  FIsSorted = true;
  return 0;
}

std::int32_t TCFEvaluator::CalcConfusionMatrix(double CFThresh) {
  if (!IsDicho()) return -2;
  if (FTrueVec.size() != FEstVec.size()) return -1;
  Ftp = Ffp = Ftn = Ffn = 0;
  FCFThresh = CFThresh;
  SortEstimated();
  std::int64_t tp = 0, fp = 0, pos = 0;
  for (std::size_t i = 0; i < FEstVec.size(); ++i) {
    const bool positive = IsPositive(FTrueVec[i]);
    const bool predicted = PredictedPositive(FEstVec[i], CFThresh);
    pos += positive;
    tp += positive && predicted;
    fp += !positive && predicted;
  }
  const auto n = static_cast<std::int64_t>(FEstVec.size());
  Ftp = tp;
  Ffp = fp;
  Ffn = pos - tp;
  Ftn = n - pos - fp;
  FCountsCurrent = true;
  return 0;
}

std::int32_t TCFEvaluator::GetConfMatValues(std::int64_t& tp, std::int64_t& fp, std::int64_t& tn, std::int64_t& fn,
                                            double& Thresh) const noexcept {
  if (!IsDicho()) return -2;
  if (!FCountsCurrent) return -1;
  tp = Ftp;
  fp = Ffp;
  tn = Ftn;
  fn = Ffn;
  Thresh = FCFThresh;
  return 0;
}

template <class F>
double TCFEvaluator::Figure(F&& Value, double NotDicho, double NotCurrent) const noexcept {
  if (!IsDicho()) return NotDicho;
  if (!FCountsCurrent) return NotCurrent;
  return Value(statis_internal::TCounts{static_cast<long double>(Ftp), static_cast<long double>(Ffp),
                                        static_cast<long double>(Ftn), static_cast<long double>(Ffn)});
}

using TC = statis_internal::TCounts;

double TCFEvaluator::TpRate() const noexcept {
  return Figure([](const TC& c) { return Quotient(c.TP, c.TP + c.FN); }, -2.0, -1.0);
}
double TCFEvaluator::TnRate() const noexcept {
  return Figure([](const TC& c) { return Quotient(c.TN, c.TN + c.FP); }, -2.0, -1.0);
}
double TCFEvaluator::FpRate() const noexcept {
  return Figure([](const TC& c) { return Quotient(c.FP, c.TN + c.FP); }, -2.0, -1.0);
}
double TCFEvaluator::FnRate() const noexcept {
  return Figure([](const TC& c) { return Quotient(c.FN, c.TP + c.FN); }, -2.0, -1.0);
}
double TCFEvaluator::Precision() const noexcept {
  return Figure([](const TC& c) { return Quotient(c.TP, c.TP + c.FP); }, -2.0, -1.0);
}
double TCFEvaluator::NegPredVal() const noexcept {
  return Figure([](const TC& c) { return Quotient(c.TN, c.TN + c.FN); }, -2.0, -1.0);
}
double TCFEvaluator::ThreatScore() const noexcept {
  return Figure([](const TC& c) { return Quotient(c.TP, c.TP + c.FN + c.FP); }, -2.0, -1.0);
}
double TCFEvaluator::F1Score() const noexcept {
  return Figure([](const TC& c) { return Quotient(2 * c.TP, 2 * c.TP + c.FN + c.FP); }, -2.0, -1.0);
}
double TCFEvaluator::Accuracy() const noexcept {
  return Figure(statis_internal::AccuracyOf, -2.0, -1.0);
}
double TCFEvaluator::Informedness() const noexcept {
  return Figure(statis_internal::InformednessOf, -3.0, -2.0);
}
double TCFEvaluator::MatthewsCorr() const noexcept {
  return Figure(statis_internal::MatthewsOf, -2.0, -3.0);
}
double TCFEvaluator::UncertCoeff() const noexcept {
  return Figure(statis_internal::UncertaintyOf, -2.0, -1.0);
}

std::int32_t TCFEvaluator::OptimizeThresholds(TDouble2DArray& ROCCoords, std::int32_t& BestROC, double& AUC,
                                              double& ThreshMMC, double& ThreshAccuracy,
                                              double& ThreshInformedness) {
  if (FTrueVec.size() != FEstVec.size()) return -3;
  if (!IsDicho()) return -1;
  SortEstimated();
  const std::size_t n = FEstVec.size();
  std::int64_t P = 0;
  for (const double t : FTrueVec) P += IsPositive(t);
  const std::int64_t N = static_cast<std::int64_t>(n) - P;
  if (P == 0 || N == 0) return -2;

  // The walk: one point per group of equal estimates, after the group.
  GuardAllocation<EKVLStatisError>(*this, [&] {
    ROCCoords.assign(3, TDoubleArray());
    for (auto& row : ROCCoords) row.reserve(n + 1);
  });
  const auto rate = [](std::int64_t k, std::int64_t total) {
    return static_cast<double>(k) / static_cast<double>(total);
  };
  std::int64_t fp = 0, tp = 0;
  long double area = 0.0L;  // twice the area times N P
  double bestD = 0.0;
  BestROC = 0;
  for (std::size_t i = 0; i < n;) {
    const double est = FEstVec[i];
    const std::int64_t fpBefore = fp, tpBefore = tp;
    for (; i < n && SameEstimate(FEstVec[i], est); ++i) (IsPositive(FTrueVec[i]) ? tp : fp) += 1;
    ROCCoords[0].push_back(rate(fp, N));
    ROCCoords[1].push_back(rate(tp, P));
    ROCCoords[2].push_back(est);
    const double d = std::fabs(rate(fp, N) - rate(tp, P));
    if (d > bestD) {
      bestD = d;
      BestROC = static_cast<std::int32_t>(ROCCoords[0].size() - 1);
    }
    area += static_cast<long double>(fp - fpBefore) * static_cast<long double>(tp + tpBefore);
  }
  ROCCoords[0].push_back(1.0);
  ROCCoords[1].push_back(1.0);
  ROCCoords[2].push_back(FEstVec[n - 1]);
  AUC = static_cast<double>(area / 2.0L / static_cast<long double>(N) / static_cast<long double>(P));

  // The threshold scan. The predicted positives at t are the leading
  // elements with estimate - t >= 0; as t grows that prefix only shrinks,
  // so one pointer walking back over the sorted elements gives every count.
  double mn = 0.0, mx = 0.0;
  bool any = false;
  for (const double e : FEstVec) {
    if (std::isnan(e)) continue;
    mn = any ? std::min(mn, e) : e;
    mx = any ? std::max(mx, e) : e;
    any = true;
  }
  const double step = (mx - mn) * 0.01;
  if (!any || !std::isfinite(step) || !(step > 0.0)) return 0;
  const double start = mn - 5.0 * step, stop = mx + 5.0 * step;
  TScanRun mcc, acc, inf;
  std::size_t prefix = n;
  std::int64_t posInPrefix = P;
  double t = start;
  bool scanned = false;
  for (std::int64_t k = 0;; ++k) {
    // Each t from the start and its index, so that the scan ends whatever
    // the magnitude of the estimates.
    const double next = start + static_cast<double>(k) * step;
    if (!(next < stop)) break;
    t = next;
    scanned = true;
    while (prefix > 0 && !PredictedPositive(FEstVec[prefix - 1], t)) {
      --prefix;
      posInPrefix -= IsPositive(FTrueVec[prefix]);
    }
    const TC c{static_cast<long double>(posInPrefix), static_cast<long double>(prefix) - posInPrefix,
               static_cast<long double>(N) - (static_cast<long double>(prefix) - posInPrefix),
               static_cast<long double>(P - posInPrefix)};
    mcc.Add(statis_internal::MatthewsOf(c), t, ThreshMMC);
    acc.Add(statis_internal::AccuracyOf(c), t, ThreshAccuracy);
    inf.Add(statis_internal::InformednessOf(c), t, ThreshInformedness);
  }
  if (scanned) {
    Ftp = posInPrefix;
    Ffp = static_cast<std::int64_t>(prefix) - posInPrefix;
    Ftn = N - Ffp;
    Ffn = P - posInPrefix;
    FCFThresh = t;
    FCountsCurrent = true;
  }
  return 0;
}

}  // namespace kvl
