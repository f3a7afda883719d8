#pragma once
// TCFEvaluator: true and estimated values of a two-class problem, the
// confusion matrix at a threshold, the figures of merit and the receiver
// operating characteristic (ROC).
//
//   TCFEvaluator ev;
//   ev.SetNData(4);
//   for (int i = 1; i <= 4; ++i) { ev.SetTrueData(i, truth[i - 1]); ev.SetEstimData(i, score[i - 1]); }
//   ev.CalcConfusionMatrix(0.5);          // sorts once, then counts
//   double f1 = ev.F1Score();
//   TDouble2DArray roc;  std::int32_t best;  double auc, tMcc, tAcc, tInf;
//   ev.OptimizeThresholds(roc, best, auc, tMcc, tAcc, tInf);
//
// The positive class is the larger of the two true values. An element is
// predicted positive when estimate - threshold >= 0 (NaN estimates never).
// Sorting orders the elements by descending estimate (NaN last); elements
// with equal estimates keep their order, and sorting changes what the
// indexed accessors return. The counts are current after CalcConfusionMatrix
// (or OptimizeThresholds) until SetEstimData or a Copy...FromMatrix; while
// they are not, and while the true values are not dichotomous, the figures
// return error values (see each). Nothing raises.

#include <cstdint>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TCFEvaluator: evaluation of a two-class classifier.
class TCFEvaluator : public TComponent {
 public:
  /// Creates the evaluator with one true and one estimated value, both 0.
  explicit TCFEvaluator(TComponent* AOwner = nullptr);

  // --- data ----------------------------------------------------------------------------

  /// GetTrueData, GetEstimData: element ix (1-based), 0 outside 1..length.
  double GetTrueData(std::int32_t ix) const noexcept;
  double GetEstimData(std::int32_t ix) const noexcept;
  /// SetTrueData: stores value at ix when in range; the dichotomy (DichoV1,
  /// DichoV2) follows the new values.
  void SetTrueData(std::int32_t ix, double value) noexcept;
  /// SetEstimData: stores value at ix when in range; the counts are no
  /// longer current.
  void SetEstimData(std::int32_t ix, double value) noexcept;
  /// NData: the common length of the two arrays, -1 when they differ.
  std::int32_t NData() const noexcept;
  /// SetNData: n > 0 sets both lengths to n (new elements 0); other values
  /// are ignored. The counts stay as they are.
  void SetNData(std::int32_t n);
  /// CopyTrueFromMatrix: the true values become column Col of SrcMat (all
  /// rows); 0, -1 for Col outside 1..NrOfColumns (or no matrix), -2 when the
  /// column is not dichotomous (copied all the same).
  std::int32_t CopyTrueFromMatrix(std::int32_t Col, const TMatrix* SrcMat);
  /// CopyEstFromMatrix: the estimates become column Col of SrcMat; 0 or -1.
  std::int32_t CopyEstFromMatrix(std::int32_t Col, const TMatrix* SrcMat);
  /// GetActualDichoValues: v1 := the first true value, v2 := the first that
  /// differs (v1 when none does), returned ascending; true when there are
  /// at least two elements and no third value (a constant array is true
  /// with v1 = v2). Fewer than two elements: false with v1 = v2 = 0.
  bool GetActualDichoValues(double& v1, double& v2) const noexcept;

  /// DichoV1, DichoV2: the two true values (V1 < V2) when they are
  /// dichotomous (as IsDichotomous of the array routines gives them).
  double DichoV1() const noexcept;
  double DichoV2() const noexcept;
  /// Threshold: the threshold of the current counts.
  double Threshold() const noexcept { return FCFThresh; }

  // --- confusion matrix ------------------------------------------------------------------

  /// SortEstimated: sorts both arrays by descending estimate; -1 when their
  /// lengths differ (nothing changes), else 0.
  std::int32_t SortEstimated();
  /// CalcConfusionMatrix: counts TP, FP, TN, FN at CFThresh after sorting
  /// once; -2 when the true values are not dichotomous (wins), -1 when the
  /// lengths differ, else 0.
  std::int32_t CalcConfusionMatrix(double CFThresh);
  /// GetConfMatValues: the current counts and their threshold; -2 when not
  /// dichotomous, -1 when the counts are not current.
  std::int32_t GetConfMatValues(std::int64_t& tp, std::int64_t& fp, std::int64_t& tn, std::int64_t& fn,
                                double& Thresh) const noexcept;

  // --- figures of merit: 0 for a zero denominator; -2 when not dichotomous;
  //     -1 when the counts are not current (the exceptions are stated) ------------------------

  double TpRate() const noexcept;       ///< TP/(TP + FN)
  double TnRate() const noexcept;       ///< TN/(TN + FP)
  double FpRate() const noexcept;       ///< FP/(TN + FP)
  double FnRate() const noexcept;       ///< FN/(TP + FN)
  double Precision() const noexcept;    ///< TP/(TP + FP)
  double NegPredVal() const noexcept;   ///< TN/(TN + FN)
  double ThreatScore() const noexcept;  ///< TP/(TP + FN + FP)
  double F1Score() const noexcept;      ///< 2TP/(2TP + FN + FP)
  double Accuracy() const noexcept;     ///< (TP + TN)/(TP + TN + FP + FN)
  /// Informedness: TpRate + TnRate - 1; -3 when not dichotomous, -2 when
  /// the counts are not current.
  double Informedness() const noexcept;
  /// MatthewsCorr: Matthews' correlation, 0 when its root is 0; -3 when the
  /// counts are not current.
  double MatthewsCorr() const noexcept;
  /// UncertCoeff: the symmetric uncertainty of prediction and truth.
  double UncertCoeff() const noexcept;

  // --- ROC -----------------------------------------------------------------------------------

  /// OptimizeThresholds: the ROC of the sorted data: ROCCoords[0][k] false
  /// positive rate, [1][k] true positive rate, [2][k] estimate of point k,
  /// one point per distinct estimate (the rates after all elements with
  /// that estimate) and a final (1, 1); BestROC the point farthest from the
  /// diagonal (the first of equals, 0 when none is off it); AUC the area
  /// (ties count one half, as in the Mann-Whitney statistic). Then the
  /// thresholds min - 5 step, + step, ... below max + 5 step, step = (max -
  /// min)/100, are scanned and each Thresh... output gets the mean of the last
  /// run of thresholds at which its figure reached its best value (kept as
  /// passed when nothing is scanned, for equal or infinite estimates). The
  /// counts of the last threshold stay current. 0; -3 lengths differ (wins),
  /// -1 not dichotomous, -2 a class without members.
  std::int32_t OptimizeThresholds(TDouble2DArray& ROCCoords, std::int32_t& BestROC, double& AUC,
                                  double& ThreshMMC, double& ThreshAccuracy, double& ThreshInformedness);

 private:
  /// IsDicho: true when the true values are dichotomous (recomputed after a change).
  bool IsDicho() const noexcept;
  bool IsPositive(double TrueValue) const noexcept { return TrueValue > FDichoV1; }
  void TrueChanged() noexcept { FDichoStale = true; }
  void EstimChanged() noexcept { FIsSorted = false; FCountsCurrent = false; }
  /// Figure: Value of the counts, or the error value NotDicho / NotCurrent.
  template <class F>
  double Figure(F&& Value, double NotDicho, double NotCurrent) const noexcept;
  std::int32_t CopyFromMatrix(std::int32_t Col, const TMatrix* SrcMat, TDoubleArray& Dest);

  TDoubleArray FTrueVec;
  TDoubleArray FEstVec;
  bool FIsSorted = false;       // the arrays are in descending order of estimate
  bool FCountsCurrent = false;  // the counts belong to the current estimates
  std::int64_t Ftp = 0, Ffp = 0, Ftn = 0, Ffn = 0;
  double FCFThresh = 0.0;
  // The dichotomy of the true values, recomputed when first needed after a change.
  mutable bool FDichoStale = true;
  mutable bool FIsDicho = false;
  mutable double FDichoV1 = 0.0, FDichoV2 = 0.0;
};

}  // namespace kvl

KVL_API_END
