// TCrossValidator: leave-k-out cross-validation through the host's events.

#include "kvl/statistics/statis/cross_validator.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "kvl/runtime/randgen.h"
#include "kvl/runtime/rounding.h"
#include "kvl/statistics/statis/internal/classif_counts.h"

namespace kvl {

namespace {

constexpr double kInvalid = std::numeric_limits<double>::quiet_NaN();

/// Percent: 100 done/n rounded to the nearest integer.
std::int32_t Percent(std::int32_t done, std::int32_t n) {
  return static_cast<std::int32_t>(Round(100.0 * done / n));
}

}  // namespace

TCrossValidator::TCrossValidator(TComponent* AOwner)
    : TComponent(AOwner),
      FPress(std::make_unique<TVector>()),
      FTPCnt(std::make_unique<TIntVector>()),
      FFPCnt(std::make_unique<TIntVector>()),
      FTNCnt(std::make_unique<TIntVector>()),
      FFNCnt(std::make_unique<TIntVector>()),
      FOwnXMat(std::make_unique<TMatrix>()),
      FOwnYMat(std::make_unique<TMatrix>()),
      FXMat(FOwnXMat.get()),
      FYMat(FOwnYMat.get()) {
  InvalidateResults();
}

TCrossValidator::~TCrossValidator() = default;

void TCrossValidator::SetMatrix(TMatrix*& Field, TMatrix* Value) {
  TMatrix* old = Field;
  if (old == Value) return;
  Field = Value;
  const auto foreign = [this](TMatrix* m) { return m != nullptr && m != FOwnXMat.get() && m != FOwnYMat.get(); };
  if (foreign(old) && FXMat != old && FYMat != old) RemoveFreeNotification(old);
  if (foreign(Value)) Value->FreeNotification(this);
}

void TCrossValidator::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FXMat) FXMat = nullptr;
  if (AComponent == FYMat) FYMat = nullptr;
}

void TCrossValidator::InvalidateResults() {
  FPress->Fill(-1.0);
  for (TIntVector* v : {FTPCnt.get(), FFPCnt.get(), FTNCnt.get(), FFNCnt.get()}) v->Fill(-1);
}

void TCrossValidator::SetTestSize(std::int32_t Value) {
  FTestSize = Value < 1 ? 1 : Value;
  InvalidateResults();
}

bool TCrossValidator::Execute() {
  if (FXMat == nullptr || FYMat == nullptr)
    RaiseFunc<EKVLStatisError>("TCrossValidator.Execute", "data matrix not assigned");
  if (FXMat->NrOfRows() != FYMat->NrOfRows())
    RaiseFunc<EKVLStatisError>("TCrossValidator.Execute", "number of rows of XMat and YMat not equal");
  if (!OnModelApplyRequest)
    RaiseFunc<EKVLStatisError>("TCrossValidator", "OnModelApplyRequest event is not assigned");
  if (!OnModelCreateRequest)
    RaiseFunc<EKVLStatisError>("TCrossValidator", "OnModelCreateRequest event is not assigned");

  const std::int32_t n = FXMat->NrOfRows();
  if (n / 2 + 1 < FTestSize) FTestSize = n / 2 + 1;
  struct TRunning {
    bool& Flag;
    explicit TRunning(bool& f) : Flag(f) { Flag = true; }
    ~TRunning() { Flag = false; }
  };
  std::int32_t status = -3;
  try {
    TRunning running(FIsRunning);
    status = RunCycles(n);
  } catch (...) {
    FLastRunStatus = -3;
    InvalidateResults();
    throw;
  }
  FLastRunStatus = status;
  if (status != 0) InvalidateResults();
  return status == 0;
}

std::int32_t TCrossValidator::RunCycles(std::int32_t n) {
  const std::int32_t nx = FXMat->NrOfColumns();
  const std::int32_t ny = FYMat->NrOfColumns();
  const auto uy = static_cast<std::size_t>(ny);
  std::vector<char> used(static_cast<std::size_t>(n) + 1, 0), inTest(static_cast<std::size_t>(n) + 1, 0);
  TIntArray testList, training;
  TDoubleArray predictors(static_cast<std::size_t>(nx)), response(uy, 0.0), thresh(uy, 0.0);
  std::vector<long double> press(uy, 0.0L);
  std::vector<std::int32_t> tp(uy, 0), fp(uy, 0), tn(uy, 0), fn(uy, 0);
  FPress->Resize(ny);
  FPress->Fill(0.0);
  for (TIntVector* v : {FTPCnt.get(), FFPCnt.get(), FTNCnt.get(), FFNCnt.get()}) {
    v->Resize(ny);
    v->Fill(0);
  }
  // The matrices are read through the properties at each use: a handler may
  // replace or free them (a freed one reads as zeros).
  const auto cell = [](const TMatrix* m, std::int32_t c, std::int32_t r) { return m ? m->GetVal(c, r) : 0.0; };

  std::int32_t done = 0, usedCount = 0, failures = 0;
  bool abort = false;
  while (usedCount < n && !abort) {
    testList.clear();
    std::fill(inTest.begin(), inTest.end(), 0);
    if (n - usedCount <= FTestSize) {
      for (std::int32_t r = 1; r <= n; ++r)
        if (!used[static_cast<std::size_t>(r)]) inTest[static_cast<std::size_t>(r)] = used[static_cast<std::size_t>(r)] = 1;
      usedCount = n;
    } else {
      for (std::int32_t j = 0; j < FTestSize; ++j) {
        std::int32_t k = Random(n) + 1;
        while (used[static_cast<std::size_t>(k)]) k = k % n + 1;
        inTest[static_cast<std::size_t>(k)] = used[static_cast<std::size_t>(k)] = 1;
        ++usedCount;
      }
    }
    training.clear();
    for (std::int32_t r = 1; r <= n; ++r) (inTest[static_cast<std::size_t>(r)] ? testList : training).push_back(r);

    bool success = false;
    FireEvent(OnModelCreateRequest, Percent(done, n), std::as_const(training), success);
    if (!success) {
      for (const std::int32_t r : testList) used[static_cast<std::size_t>(r)] = 0;
      usedCount -= static_cast<std::int32_t>(testList.size());
      if (++failures >= MaxConsecutiveFailures) return -2;
      continue;
    }
    failures = 0;
    for (const std::int32_t r : testList) {
      if (abort) break;
      ++done;
      for (std::int32_t j = 1; j <= nx; ++j) predictors[static_cast<std::size_t>(j - 1)] = cell(FXMat, j, r);
      response.resize(uy, 0.0);  // as the handler may have resized them
      thresh.resize(uy, 0.0);
      FireEvent(OnModelApplyRequest, Percent(done, n), std::as_const(predictors), response, thresh);
      for (std::size_t c = 0; c < uy; ++c) {
        const double est = c < response.size() ? response[c] : 0.0;
        const double th = c < thresh.size() ? thresh[c] : 0.0;
        const double y = cell(FYMat, static_cast<std::int32_t>(c + 1), r);
        press[c] += static_cast<long double>(est - y) * (est - y);
        if (y == 1.0)
          ++(est > th ? tp[c] : fn[c]);
        else
          ++(est >= th ? fp[c] : tn[c]);
      }
      FireEvent(OnCheckAbort, abort);
    }
  }
  if (abort) return -1;
  for (std::int32_t c = 1; c <= ny; ++c) {
    const auto i = static_cast<std::size_t>(c - 1);
    FPress->SetVal(c, static_cast<double>(press[i]));
    FTPCnt->SetVal(c, tp[i]);
    FFPCnt->SetVal(c, fp[i]);
    FTNCnt->SetVal(c, tn[i]);
    FFNCnt->SetVal(c, fn[i]);
  }
  return 0;
}

double TCrossValidator::GetRMSEP(std::int32_t ix) const noexcept {
  const double press = FPress->GetVal(ix);
  if (press < 0.0) return kInvalid;
  const std::int32_t rows = FXMat != nullptr ? FXMat->NrOfRows() : 0;
  return std::sqrt(press / rows);
}

double TCrossValidator::Rate(std::int32_t Num, std::int32_t Other, double Empty) noexcept {
  if (Num < 0 || Other < 0) return kInvalid;
  const std::int64_t den = static_cast<std::int64_t>(Num) + Other;
  return den == 0 ? Empty : static_cast<double>(Num) / static_cast<double>(den);
}

double TCrossValidator::GetTPRate(std::int32_t ix) const noexcept {
  return Rate(GetTPCnt(ix), GetFNCnt(ix), 0.0);
}
double TCrossValidator::GetTNRate(std::int32_t ix) const noexcept {
  return Rate(GetTNCnt(ix), GetFPCnt(ix), 0.0);
}
double TCrossValidator::GetFPRate(std::int32_t ix) const noexcept {
  return Rate(GetFPCnt(ix), GetTNCnt(ix), 1.0);
}
double TCrossValidator::GetFNRate(std::int32_t ix) const noexcept {
  return Rate(GetFNCnt(ix), GetTPCnt(ix), 1.0);
}

double TCrossValidator::GetMCC(std::int32_t ix) const noexcept {
  const std::int32_t tp = GetTPCnt(ix), fp = GetFPCnt(ix), tn = GetTNCnt(ix), fn = GetFNCnt(ix);
  if (tp < 0 || fp < 0 || tn < 0 || fn < 0) return kInvalid;
  return statis_internal::MatthewsOf({static_cast<long double>(tp), static_cast<long double>(fp),
                                      static_cast<long double>(tn), static_cast<long double>(fn)});
}

}  // namespace kvl
