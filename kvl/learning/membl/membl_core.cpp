// TMemBasedLearner: settings, roles, column statistics, neighbour lists,
// the contingency table of neighbour classes and the local models.

#include <algorithm>
#include <cmath>

#include "kvl/learning/KVL_membl.h"
#include "kvl/learning/membl/internal/membl_search.h"
#include "kvl/modelling/KVL_math2.h"
#include "kvl/runtime/weak_handler.h"

namespace kvl {

using membl_internal::TDistSums;
using membl_internal::TNeighbourList;
using membl_internal::TSearchSpace;

namespace {

constexpr std::size_t MaxNb = static_cast<std::size_t>(MBLMaxNeighbours);

template <class E>
bool InEnum(E Value, E Last) noexcept {
  const auto v = static_cast<int>(Value);
  return v >= 0 && v <= static_cast<int>(Last);
}

// MajorityVote: the first of Values with the most values closer than t.
double MajorityVote(std::span<const double> Values, double t) {
  std::size_t best = 0;
  std::size_t bestCount = 0;
  for (std::size_t i = 0; i < Values.size(); ++i) {
    std::size_t count = 0;
    for (const double v : Values) count += std::fabs(Values[i] - v) < t ? 1 : 0;
    if (count > bestCount) {
      bestCount = count;
      best = i;
    }
  }
  return Values[best];
}

// GaussAverage: Σ wᵢvᵢ / Σ wᵢ with wᵢ = exp(−(dᵢ/σ)²) taken relative to the
// nearest (w₁ = 1), so the sum of the weights is at least 1; σ = 0 gives
// equal weights.
double GaussAverage(std::span<const double> Values, std::span<const double> Dist, double Sigma) {
  double sw = 0;
  double swv = 0;
  const double z1 = Sigma > 0 ? Dist[0] / Sigma : 0.0;
  for (std::size_t i = 0; i < Values.size(); ++i) {
    double w = 1.0;
    if (Sigma > 0 && i > 0) {
      const double z = Dist[i] / Sigma;
      const double e = (z1 - z) * (z1 + z);  // z1² − z², without overflowing first
      w = e >= -745.0 ? std::exp(e) : 0.0;
    }
    sw += w;
    swv += w * Values[i];
  }
  return swv / sw;
}

}  // namespace

TMemBasedLearner::TMemBasedLearner(TComponent* AOwner)
    : TComponent(AOwner), FSpace(std::make_unique<TSearchSpace>()) {
  auto table = std::make_unique<TDataTable>(nullptr);
  ModelData = table.release();
  // Every change of the table's values, setup, roles or size makes the
  // statistics and the search data stale.
  ModelData->OnChange = WeakHandler(this, &TMemBasedLearner::DataChanged);
  ModelData->OnChangeSetup = WeakHandler(this, &TMemBasedLearner::DataChanged);
  ModelData->OnChangeAttrib = WeakHandler(this, &TMemBasedLearner::DataChanged);
  ModelData->OnResize = [Ref = TWeakRef<TMemBasedLearner>(this)](TObject* Sender, std::int32_t, std::int32_t,
                                                                   std::int32_t, std::int32_t) {
    if (TMemBasedLearner* self = Ref.Get()) self->DataChanged(Sender);
  };
  ModelData->OnPercentDone = WeakHandler(this, &TMemBasedLearner::ForwardPercentDone);
}

TMemBasedLearner::~TMemBasedLearner() { delete ModelData; }

void TMemBasedLearner::DataChanged(TObject* Sender) {
  if (Sender == ModelData) Invalidate();
}

void TMemBasedLearner::ForwardPercentDone(TObject* Sender, double PercentDone) {
  if (Sender == ModelData && OnPercentDone) OnPercentDone(Sender, PercentDone);
}

void TMemBasedLearner::Invalidate() noexcept {
  FStatsValid = false;
  FSpace->Valid = false;
  FNNList.clear();
  FNNDist.clear();
  FNNObjects = 0;
}

void TMemBasedLearner::SetDistMode(TMBLDistMode Value) {
  if (!InEnum(Value, TMBLDistMode::mblDistMahalanobis) || Value == FDistMode) return;
  FDistMode = Value;
  Invalidate();
}

void TMemBasedLearner::SetScalingMode(TMBLScalingMode Value) {
  if (!InEnum(Value, TMBLScalingMode::mblStandardized) || Value == FScalingMode) return;
  FScalingMode = Value;
  Invalidate();
}

void TMemBasedLearner::SetLocalModel(TMBLLocalModel Value) {
  if (InEnum(Value, TMBLLocalModel::mblLMRegress)) FLocModel = Value;
}

void TMemBasedLearner::SetNumNearestNb(std::int32_t Value) {
  FNumNearestNb = std::clamp(std::min(Value, ModelData->NrOfRows()), 1, MBLMaxNeighbours);
}

TMBLVarType TMemBasedLearner::VarType(std::int32_t ix) const noexcept {
  if (ix < 1 || ix > ModelData->NrOfColumns()) return TMBLVarType::mblVarIgnore;
  const auto a = static_cast<TMBLVarType>(ModelData->ColAttrib(ix));
  return InEnum(a, TMBLVarType::mblVarTarget) ? a : TMBLVarType::mblVarIgnore;
}

void TMemBasedLearner::SetVarType(std::int32_t ix, TMBLVarType Value) {
  if (ix < 1 || ix > ModelData->NrOfColumns()) return;
  ModelData->SetColAttrib(ix, static_cast<std::int32_t>(Value));
}

void TMemBasedLearner::SetAllVars(TMBLVarType Value) {
  for (std::int32_t c = 1; c <= ModelData->NrOfColumns(); ++c) SetVarType(c, Value);
}

std::int32_t TMemBasedLearner::CountIndependentVars() const noexcept {
  std::int32_t n = 0;
  for (std::int32_t c = 1; c <= ModelData->NrOfColumns(); ++c) n += VarType(c) == TMBLVarType::mblVarIndep;
  return n;
}

std::int32_t TMemBasedLearner::CountTargetVars() const noexcept {
  std::int32_t n = 0;
  for (std::int32_t c = 1; c <= ModelData->NrOfColumns(); ++c) n += VarType(c) == TMBLVarType::mblVarTarget;
  return n;
}

const std::vector<double>& TMemBasedLearner::MeanVarRange() {
  if (FStatsValid) return FMeanVarRange;
  const std::int32_t cols = ModelData->NrOfColumns();
  const std::int32_t rows = ModelData->NrOfRows();
  FMeanVarRange.assign(static_cast<std::size_t>(cols) * 4, 0.0);
  if (rows >= 1) {
    const TMatrix& m = *ModelData->NumericData;
    for (std::int32_t c = 1; c <= cols; ++c) {
      double* s = FMeanVarRange.data() + static_cast<std::size_t>(c - 1) * 4;
      m.MeanVar(c, 1, c, rows, s[0], s[1]);
      m.MinMax(c, 1, c, rows, s[2], s[3]);
    }
  }
  FStatsValid = true;
  return FMeanVarRange;
}

TSearchSpace& TMemBasedLearner::Space() {
  if (!FSpace->Valid) BuildSpace(*ModelData, MeanVarRange(), FDistMode, FScalingMode, *FSpace);
  return *FSpace;
}

std::int32_t TMemBasedLearner::kNNOfModelData(std::int32_t k, std::int32_t obj) const noexcept {
  if (k < 1 || k > MBLMaxNeighbours || obj < 1 || obj > FNNObjects) return -1;
  return FNNList[static_cast<std::size_t>(obj - 1) * MaxNb + static_cast<std::size_t>(k - 1)];
}

double TMemBasedLearner::kNNDistOfModelData(std::int32_t k, std::int32_t obj) const noexcept {
  if (k < 1 || k > MBLMaxNeighbours || obj < 1 || obj > FNNObjects) return -1.0;
  return FNNDist[static_cast<std::size_t>(obj - 1) * MaxNb + static_cast<std::size_t>(k - 1)];
}

void TMemBasedLearner::CalcNNOfModelData() {
  TSearchSpace& S = Space();
  const std::int32_t cols = ModelData->NrOfColumns();
  const auto n = static_cast<std::int32_t>(S.N);
  FNNList.assign(S.N * MaxNb, 0);
  FNNDist.assign(S.N * MaxNb, uc_MaxReal);
  std::vector<double> row(static_cast<std::size_t>(cols));
  TNeighbourList list;
  for (std::int32_t i = 1; i <= n; ++i) {
    for (std::int32_t c = 1; c <= cols; ++c) row[static_cast<std::size_t>(c - 1)] = ModelData->Elem(c, i);
    membl_internal::SetProbe(S, row);
    list.Reset(MaxNb);
    membl_internal::Scan(S, 0, list, nullptr);
    const std::size_t base = static_cast<std::size_t>(i - 1) * MaxNb;
    for (std::size_t r = 0; r < MaxNb; ++r) {
      const std::int32_t ix = list.Index(r);
      FNNList[base + r] = ix;
      if (ix != 0) FNNDist[base + r] = membl_internal::Distance(S, list.Raw(r));
    }
  }
  FNNObjects = n;
}

std::int32_t TMemBasedLearner::CalcContingencyTable(std::int32_t VarIx, std::int32_t NumNb, TInt2DArray& ContTab) {
  TDataTable& t = *ModelData;
  if (VarIx < 0 || VarIx > t.NrOfColumns()) return -1;
  const TMScaleType st = t.MScaleType(VarIx);
  if (st != TMScaleType::stNominal && st != TMScaleType::stOrdinal) return -2;
  double lo = 0;
  double hi = 0;
  bool any = false;
  for (std::int32_t j = 1; j <= t.NrOfRows(); ++j) {
    if (!t.IsNumber(VarIx, j)) continue;
    const double v = t.Elem(VarIx, j);  // rounded to the nearest integer in these columns
    if (!std::isfinite(v)) continue;
    lo = any ? std::min(lo, v) : v;
    hi = any ? std::max(hi, v) : v;
    any = true;
  }
  if (any && lo < 1) return -4;
  const double span = hi - lo + 1;
  if (!any || span > MBLMaxNeighbours || span < 2) return -3;
  const auto nc = static_cast<std::size_t>(span);
  CalcNNOfModelData();
  ContTab.assign(nc + 1, std::vector<std::int32_t>(nc + 1, 0));
  // A cell counts only when both classes are valid numbers of the range.
  auto classOf = [&](std::int32_t j, std::size_t& Cls) {
    if (j < 1 || !t.IsNumber(VarIx, j)) return false;
    const double v = t.Elem(VarIx, j) - lo;
    if (!(v >= 0 && v < span)) return false;
    Cls = static_cast<std::size_t>(v);
    return true;
  };
  const std::int32_t ranks = std::clamp(NumNb, 0, MBLMaxNeighbours);
  for (std::int32_t k = 1; k <= ranks; ++k) {
    for (std::int32_t j = 1; j <= FNNObjects; ++j) {
      std::size_t a = 0;
      std::size_t b = 0;
      if (classOf(j, a) && classOf(kNNOfModelData(k, j), b)) ++ContTab[a][b];
    }
  }
  // [column][row]: row sums go to column nc, column sums to row nc.
  for (std::size_t a = 0; a < nc; ++a) {
    for (std::size_t b = 0; b < nc; ++b) {
      ContTab[nc][b] += ContTab[a][b];
      ContTab[a][nc] += ContTab[a][b];
      ContTab[nc][nc] += ContTab[a][b];
    }
  }
  return 0;
}

std::int32_t TMemBasedLearner::ApplyModel(std::vector<double>& Sensor, std::int32_t ExcludeObj, std::int32_t Tag) {
  const std::int32_t cols = ModelData->NrOfColumns();
  const std::int32_t rows = ModelData->NrOfRows();
  const bool report = OnModelApplied && !IsMuted(&OnModelApplied);
  const std::int32_t k = FNumNearestNb;
  std::int32_t status = 0;
  TNeighbourList list;
  list.Reset(report ? MaxNb : static_cast<std::size_t>(k));
  const TSearchSpace* space = nullptr;
  if (Sensor.size() != static_cast<std::size_t>(cols)) {
    std::fill(Sensor.begin(), Sensor.end(), 0.0);
    status = -3;
  } else {
    TDistSums sums;
    if (rows > 0 && (report || k < rows)) {
      TSearchSpace& S = Space();
      membl_internal::SetProbe(S, Sensor);
      const bool gauss = FLocModel == TMBLLocalModel::mblLMWgtGauss && k < rows;
      membl_internal::Scan(S, ExcludeObj, list, gauss ? &sums : nullptr);
      space = &S;
    }
    if (k >= rows) {
      std::fill(Sensor.begin(), Sensor.end(), 0.0);
      status = -2;
    } else if (list.Index(static_cast<std::size_t>(k - 1)) == 0) {
      status = -4;
    } else {
      const auto nk = static_cast<std::size_t>(k);
      std::array<double, MaxNb> values{};
      std::array<double, MaxNb> dist{};
      for (std::size_t i = 0; i < nk; ++i) dist[i] = membl_internal::Distance(*space, list.Raw(i));
      const double sigma = sums.StdDev();
      for (std::int32_t c = 1; c <= cols; ++c) {
        if (VarType(c) != TMBLVarType::mblVarTarget) continue;
        for (std::size_t i = 0; i < nk; ++i) values[i] = ModelData->Elem(c, list.Index(i));
        const std::span<const double> v(values.data(), nk);
        double est = 0;
        switch (FLocModel) {
          case TMBLLocalModel::mblLMAverage: {
            for (const double x : v) est += x;
            est /= static_cast<double>(nk);
            break;
          }
          case TMBLLocalModel::mblLMWgtGauss:
            est = GaussAverage(v, std::span<const double>(dist.data(), nk), sigma);
            break;
          case TMBLLocalModel::mblLMMajority: {
            const double t = std::sqrt(MeanVarRange()[static_cast<std::size_t>(c - 1) * 4 + 1]);
            est = t == 0 ? ModelData->Elem(c, 1) : MajorityVote(v, t);
            break;
          }
          case TMBLLocalModel::mblLMRegress: {
            const std::vector<std::int32_t>& indep = space->IndepCols;
            const auto p = static_cast<std::int32_t>(indep.size());
            TMatrix x;
            TVector y, coeffs, stdErrs;
            x.Resize(p + 1, k);
            y.Resize(k);
            for (std::int32_t i = 1; i <= k; ++i) {
              const std::int32_t obj = list.Index(static_cast<std::size_t>(i - 1));
              for (std::int32_t q = 1; q <= p; ++q)
                x.SetVal(q, i, ModelData->Elem(indep[static_cast<std::size_t>(q - 1)], obj));
              x.SetVal(p + 1, i, 1.0);
              y.SetVal(i, values[static_cast<std::size_t>(i - 1)]);
            }
            bool singular = false;
            if (!MultiLinReg(x, y, coeffs, stdErrs, singular) || singular) {
              status = -1;
              continue;
            }
            est = coeffs.GetVal(p + 1);
            for (std::int32_t q = 1; q <= p; ++q)
              est += coeffs.GetVal(q) * Sensor[static_cast<std::size_t>(indep[static_cast<std::size_t>(q - 1)] - 1)];
            break;
          }
        }
        Sensor[static_cast<std::size_t>(c - 1)] = est;
      }
    }
  }
  if (report) {
    TIntArray nix(MaxNb, 0);
    TDoubleArray ndist(MaxNb, uc_MaxReal);
    for (std::size_t i = 0; i < MaxNb && space != nullptr; ++i) {
      nix[i] = list.Index(i);
      if (nix[i] != 0) ndist[i] = membl_internal::Distance(*space, list.Raw(i));
    }
    FireEvent(OnModelApplied, Tag, nix, ndist, status);
  }
  return status;
}

}  // namespace kvl
