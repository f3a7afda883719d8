#pragma once
// TCrossValidator: leave-k-out cross-validation of a model that the host
// builds and applies through two events.
//
//   TCrossValidator cv;
//   cv.SetXMat(&x);  cv.SetYMat(&y);     // one row per object; they stay the caller's
//   cv.SetSizeTestSet(3);
//   cv.OnModelCreateRequest = [&](TObject*, std::int32_t, const TIntArray& rows, bool& ok) {
//     ok = model.Fit(rows);              // rows of XMat/YMat, 1-based, ascending
//   };
//   cv.OnModelApplyRequest = [&](TObject*, std::int32_t, const TDoubleArray& x,
//                                TDoubleArray& resp, TDoubleArray& thresh) { ... };
//   double rmsep = cv.Execute() ? cv.GetRMSEP(1) : 0.0;   // false: aborted or given up
//
// Each cycle draws a test set of SizeTestSet objects not tested before
// (from the runtime's process-wide generator), asks for a model of all
// other objects and applies it to the test objects, summing the squared
// prediction errors (PRESS) and, per response column, the confusion counts
// of the decision "response > threshold" (an object is positive when its y
// is exactly 1.0). A model builder that reports failure gets a fresh test
// set; after MaxConsecutiveFailures failures in a row Execute gives up.
// Results are -1 (invalid) after construction, SetTestSize, an aborted or
// given-up run and a run left by an exception; the rates, MCC and RMSEP of
// invalid results are NaN.

#include <cstdint>
#include <functional>
#include <memory>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TOnModelCreateRequestEvent: build a model from the objects (1-based rows
/// of XMat/YMat) in ObjectList and set Success (preset false).
using TOnModelCreateRequestEvent =
    std::function<void(TObject* Sender, std::int32_t PercentDone, const TIntArray& ObjectList, bool& Success)>;
/// TOnModelApplyRequestEvent: apply the model to one object's predictors
/// (Predictors[j - 1] = column j of its row) and return for each response
/// column r the estimate in Response[r - 1] and the decision threshold in
/// Thresh[r - 1] (both arrive with one element per column of YMat).
using TOnModelApplyRequestEvent =
    std::function<void(TObject* Sender, std::int32_t PercentDone, const TDoubleArray& Predictors,
                       TDoubleArray& Response, TDoubleArray& Thresh)>;

/// TCrossValidator: leave-k-out cross-validation through the host's events.
class TCrossValidator : public TComponent {
 public:
  /// Creates the validator with SizeTestSet 2 and two empty matrices of its own.
  explicit TCrossValidator(TComponent* AOwner = nullptr);
  ~TCrossValidator() override;

  /// MaxConsecutiveFailures: the failed model builds in a row after which
  /// Execute stops with LastRunStatus -2.
  static constexpr std::int32_t MaxConsecutiveFailures = 1000;

  // --- properties -----------------------------------------------------------------

  /// SizeTestSet: objects per test set; SetSizeTestSet writes it through SetTestSize.
  std::int32_t SizeTestSet() const noexcept { return FTestSize; }
  void SetSizeTestSet(std::int32_t Value) { SetTestSize(Value); }
  /// SetTestSize: SizeTestSet := max(1, Value); every result becomes -1 (invalid).
  void SetTestSize(std::int32_t Value);
  /// XMat, YMat: predictors and responses, one row per object. Assigning a
  /// matrix makes the validator work on it (it stays the caller's; when it is
  /// destroyed the property becomes null).
  TMatrix* XMat() const noexcept { return FXMat; }
  void SetXMat(TMatrix* Value) { SetMatrix(FXMat, Value); }
  TMatrix* YMat() const noexcept { return FYMat; }
  void SetYMat(TMatrix* Value) { SetMatrix(FYMat, Value); }
  /// IsExecuting: true while Execute runs.
  bool IsExecuting() const noexcept { return FIsRunning; }
  /// LastRunStatus: how the last Execute ended: 0 completed, -1 aborted
  /// through OnCheckAbort, -2 given up after MaxConsecutiveFailures failed
  /// model builds, -3 left by an exception of a handler; 1 before any run.
  std::int32_t LastRunStatus() const noexcept { return FLastRunStatus; }

  /// OnModelCreateRequest, OnModelApplyRequest: the host's model.
  TOnModelCreateRequestEvent OnModelCreateRequest;
  TOnModelApplyRequestEvent OnModelApplyRequest;
  /// OnCheckAbort: asked after each applied object; set Abort to stop.
  TOnCheckAbortEvent OnCheckAbort;

  // --- running and results ------------------------------------------------------------

  /// Execute: one complete cross-validation; true when it ran to the end,
  /// false when aborted or given up (results -1). Raises EKVLStatisError
  /// before changing anything: "TCrossValidator.Execute: data matrix not
  /// assigned", "TCrossValidator.Execute: number of rows of XMat and YMat not
  /// equal", "TCrossValidator: OnModelApplyRequest event is not assigned",
  /// "TCrossValidator: OnModelCreateRequest event is not assigned".
  /// Exceptions of the handlers pass through (results -1). SizeTestSet is
  /// lowered to rows div 2 + 1 when it is larger.
  bool Execute();

  /// GetRMSEP: sqrt(PRESS of column ix / rows of XMat); NaN for invalid results.
  double GetRMSEP(std::int32_t ix) const noexcept;
  /// GetTPCnt ... GetFNCnt: the counts of column ix (0 outside the columns, -1 invalid).
  std::int32_t GetTPCnt(std::int32_t ix) const noexcept { return FTPCnt->GetVal(ix); }
  std::int32_t GetFPCnt(std::int32_t ix) const noexcept { return FFPCnt->GetVal(ix); }
  std::int32_t GetTNCnt(std::int32_t ix) const noexcept { return FTNCnt->GetVal(ix); }
  std::int32_t GetFNCnt(std::int32_t ix) const noexcept { return FFNCnt->GetVal(ix); }
  /// GetTPRate: TP/(TP + FN), 0 when TP + FN = 0.
  double GetTPRate(std::int32_t ix) const noexcept;
  /// GetTNRate: TN/(TN + FP), 0 when TN + FP = 0.
  double GetTNRate(std::int32_t ix) const noexcept;
  /// GetFPRate: FP/(TN + FP), 1.0 when TN + FP = 0.
  double GetFPRate(std::int32_t ix) const noexcept;
  /// GetFNRate: FN/(TP + FN), 1.0 when TP + FN = 0.
  double GetFNRate(std::int32_t ix) const noexcept;
  /// GetMCC: CFMatthewsCorr of the counts of column ix.
  double GetMCC(std::int32_t ix) const noexcept;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void SetMatrix(TMatrix*& Field, TMatrix* Value);
  void InvalidateResults();
  /// Rate: Num/(Num + Other), Empty when that is 0, NaN for invalid counts.
  static double Rate(std::int32_t Num, std::int32_t Other, double Empty) noexcept;
  /// RunCycles: the cycles of Execute over n objects; the status of the run.
  std::int32_t RunCycles(std::int32_t n);

  std::int32_t FTestSize = 2;
  std::unique_ptr<TVector> FPress;
  bool FIsRunning = false;
  std::int32_t FLastRunStatus = 1;
  std::unique_ptr<TIntVector> FTPCnt, FFPCnt, FTNCnt, FFNCnt;
  std::unique_ptr<TMatrix> FOwnXMat, FOwnYMat;  // the matrices the validator created
  TMatrix* FXMat;
  TMatrix* FYMat;
};

}  // namespace kvl

KVL_API_END
