#pragma once
// KVL_membl: TMemBasedLearner, a k-nearest-neighbour model. The training
// objects are the rows of the data table ModelData; the attribute of each
// column says its role (TMBLVarType: ignored, independent, target). A new
// object is estimated from its k nearest training objects, the distance
// taken over the independent columns, with one of four local models.
//
//   TMemBasedLearner mbl;
//   mbl.ModelData->ImportASC("train.asc");
//   mbl.SetAllVars(TMBLVarType::mblVarIndep);
//   mbl.SetVarType(5, TMBLVarType::mblVarTarget);
//   mbl.SetNumNearestNb(5);
//   std::vector<double> probe = {...};     // one value per column
//   if (mbl.ApplyModel(probe, 0, 0) == 0) { /* probe[4] holds the estimate */ }
//   mbl.StoreModelXML("model.xml", "plant 3");
//
// Choices of this implementation (docs/learning.md gives the reasons):
// * Mahalanobis distances use the inverse covariance of the training
//   objects' independent columns (after scaling); directions in which the
//   training data has no spread are left out (pseudo-inverse).
// * Column statistics, the scaled (and whitened) copy of the training data
//   and the covariance follow the table lazily: a change of ModelData marks
//   them stale and the next search rebuilds them once.
// * The search is one pass over a packed copy of the training data that
//   scores blocks of eight objects in single precision first and exactly
//   only where an object may enter the list (a proven error margin), so the
//   neighbours and distances are those of an exact pass, bit for bit; a
//   probe allocates nothing.
// * Equal distances enter the neighbour list ahead of the equal ones
//   already in it (SortIntoArray with equal values allowed); the order is
//   judged on the sum before the square root is taken.
// * Gauss weights are taken relative to the nearest neighbour, so the
//   nearest one always weighs 1 and no 0/0 can arise; a spread of 0 (fewer
//   than three distances, or all equal) gives equal weights.
// * ApplyModel returns -4 when fewer than k neighbours have a distance that
//   is a number (a NaN in the probe or in the training data).
// * The loaders read into a fresh table and settings and take them over only
//   when the whole file was read: on any failure the learner is unchanged.
// * StoreModelXML writes the table with 17 significant digits, so a stored
//   and loaded model gives the same estimates bit for bit.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/runtime/classes.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

namespace membl_internal {
struct TSearchSpace;
}

/// TMBLScalingMode: how the independent variables are scaled for distances.
enum class TMBLScalingMode { mblUnscaled, mblStandardized };
/// TMBLVarType: the role of a column (stored as its column attribute).
enum class TMBLVarType { mblVarIgnore, mblVarIndep, mblVarTarget };
/// TMBLDistMode: the distance between objects.
enum class TMBLDistMode { mblDistEuclid, mblDistManhattan, mblDistMahalanobis };
/// TMBLLocalModel: how the neighbours' values give the estimate.
enum class TMBLLocalModel { mblLMAverage, mblLMWgtGauss, mblLMMajority, mblLMRegress };
/// TMBLxmlTags: the tags of the XML-like model file.
enum class TMBLxmlTags {
  xmlMBLId,
  xmlComment,
  xmlModelName,
  xmlModelData,
  xmlDistMode,
  xmlSclMode,
  xmlLocalModel,
  xmlNumNNb,
  xmlInvalid
};

/// MBLDistModeID: the name of each TMBLDistMode.
inline constexpr std::array<std::string_view, 3> MBLDistModeID = {"Euclidean", "Manhattan", "Mahalanobis"};
/// MBLScalingModeID: the name of each TMBLScalingMode.
inline constexpr std::array<std::string_view, 2> MBLScalingModeID = {"Unscaled", "Standardized"};
/// MBLLocalModelID: the name of each TMBLLocalModel.
inline constexpr std::array<std::string_view, 4> MBLLocalModelID = {"Average", "Weighted Average", "Majority Vote",
                                                                    "Regression"};
/// MBLxmlTagText: the word of each TMBLxmlTags in the model file.
inline constexpr std::array<std::string_view, 9> MBLxmlTagText = {
    "membasedlearner", "comment", "modelname", "modeldata", "distmode",
    "scaling",         "locmodel", "numnnb",   "$invalidtag$"};

/// MBLMaxNeighbours: the length of the neighbour lists, and the largest k.
inline constexpr std::int32_t MBLMaxNeighbours = 100;

/// TOnMBLModelApplied: fired by ApplyModel with the 100 nearest objects
/// (index 0 where none was found), their distances and the status.
using TOnMBLModelApplied = std::function<void(TObject* Sender, std::int32_t Tag, const TIntArray& NearNix,
                                              const TDoubleArray& NearNDist, std::int32_t errnum)>;

/// TMemBasedLearner: the memory-based (k-nearest-neighbour) learner.
class TMemBasedLearner : public TComponent {
 public:
  /// Creates an empty model: ModelData (1 x 1), name "undefined", k = 3,
  /// average, Euclidean, unscaled.
  explicit TMemBasedLearner(TComponent* AOwner = nullptr);
  /// Frees ModelData and the statistics.
  ~TMemBasedLearner() override;

  // --- published properties and events ---------------------------------------------------

  /// Comment: free text of the model.
  const std::string& Comment() const noexcept { return FComment; }
  /// SetComment: sets the comment.
  void SetComment(std::string_view Value) { FComment = Value; }
  /// DistMode: the distance between objects.
  TMBLDistMode DistMode() const noexcept { return FDistMode; }
  /// SetDistMode: sets the distance; values outside the enumeration are ignored.
  void SetDistMode(TMBLDistMode Value);
  /// LocalModel: the local model of ApplyModel.
  TMBLLocalModel LocalModel() const noexcept { return FLocModel; }
  /// SetLocalModel: sets the local model; values outside the enumeration are ignored.
  void SetLocalModel(TMBLLocalModel Value);
  /// NumNearestNb: k, the number of neighbours the local models use.
  std::int32_t NumNearestNb() const noexcept { return FNumNearestNb; }
  /// SetNumNearestNb: k := min(Value, rows of ModelData), clamped into 1..100.
  void SetNumNearestNb(std::int32_t Value);
  /// ScalingMode: the scaling of the independent variables.
  TMBLScalingMode ScalingMode() const noexcept { return FScalingMode; }
  /// SetScalingMode: sets the scaling; values outside the enumeration are ignored.
  void SetScalingMode(TMBLScalingMode Value);

  /// OnModelApplied: fired at the end of every ApplyModel.
  TOnMBLModelApplied OnModelApplied;
  /// OnPercentDone: ModelData's progress reports, forwarded with the same arguments.
  TOnPercentDoneEvent OnPercentDone;
  /// OnCheckCVDAbort: kept for hosts that set it; no operation of this class calls it.
  TOnCheckAbortEvent OnCheckCVDAbort;

  // --- public properties ------------------------------------------------------------------

  /// ModelName: the name of the model ("undefined" after construction).
  const std::string& ModelName() const noexcept { return FModelName; }
  /// SetModelName: sets the name.
  void SetModelName(std::string_view Value) { FModelName = Value; }
  /// VarType: the role of column ix (its attribute); mblVarIgnore outside
  /// 1..columns or for an attribute that is no role.
  TMBLVarType VarType(std::int32_t ix) const noexcept;
  /// SetVarType: sets the role of column ix; nothing outside 1..columns.
  void SetVarType(std::int32_t ix, TMBLVarType Value);
  /// SetAllVars: sets the role of every column.
  void SetAllVars(TMBLVarType Value);
  /// CountIndependentVars: the number of columns of role mblVarIndep.
  std::int32_t CountIndependentVars() const noexcept;
  /// CountTargetVars: the number of columns of role mblVarTarget.
  std::int32_t CountTargetVars() const noexcept;
  /// kNNOfModelData: the index of the k-th nearest object of object obj
  /// (both 1-based) from the last CalcNNOfModelData; -1 outside 1..100 x
  /// 1..objects, before CalcNNOfModelData or after a change of ModelData.
  std::int32_t kNNOfModelData(std::int32_t k, std::int32_t obj) const noexcept;
  /// kNNDistOfModelData: its distance; -1.0 where kNNOfModelData gives -1.
  double kNNDistOfModelData(std::int32_t k, std::int32_t obj) const noexcept;

  /// ModelData: the training objects, one row per object, one column per variable.
  TDataTable* ModelData = nullptr;

  // --- operations -------------------------------------------------------------------------

  /// CalcNNOfModelData: the 100 nearest objects of every training object
  /// (itself included) with their distances; entries beyond the number of
  /// objects keep index 0 and the largest double.
  void CalcNNOfModelData();
  /// CalcContingencyTable: ContTab ((nc + 1) x (nc + 1)) counts, over the
  /// neighbour ranks 1..NumNb (at most 100) and every object, the pairs
  /// (class of the object, class of its neighbour) of the nominal or
  /// ordinal column VarIx, with the margins in row and column nc. Returns 0;
  /// -1 VarIx outside the table, -2 neither nominal nor ordinal, -3 fewer
  /// than 2 or more than 100 classes, -4 a class below 1.
  std::int32_t CalcContingencyTable(std::int32_t VarIx, std::int32_t NumNb, TInt2DArray& ContTab);
  /// ApplyModel: estimates the target columns of Sensor (one value per
  /// column, 0-based) from the k nearest objects other than ExcludeObj and
  /// fires OnModelApplied with Tag. Returns 0; -3 Sensor has not one value
  /// per column, -2 k is not below the number of objects (Sensor is then
  /// filled with 0), -1 a regression failed or was singular, -4 fewer than k
  /// objects have a distance that is a number (targets left as they were).
  std::int32_t ApplyModel(std::vector<double>& Sensor, std::int32_t ExcludeObj, std::int32_t Tag);

  /// StoreModelXML: writes the model as XML-like text; raises EInOutError
  /// when the file cannot be created.
  void StoreModelXML(const std::string& FName, std::string_view DataID);
  /// LoadModelXML: reads a model written by StoreModelXML; DataId receives
  /// its id. 0 on success; -1 (learner unchanged) for a file that is not a
  /// complete, well-formed model. Raises EInOutError when it cannot be opened.
  std::int32_t LoadModelXML(const std::string& FName, std::string& DataId);
  /// StoreModelBin: writes the model in the binary form; raises
  /// EFCreateError or EWriteError on failure.
  void StoreModelBin(const std::string& FName, std::string_view DataID);
  /// LoadModelBin: reads a model written by StoreModelBin; DataId receives
  /// its id. 0 on success; -1 (learner unchanged) for a file of another kind
  /// or version, truncated or holding impossible counts. Raises EFOpenError
  /// when it cannot be opened.
  std::int32_t LoadModelBin(const std::string& FName, std::string& DataId);

 private:
  void DataChanged(TObject* Sender);
  void ForwardPercentDone(TObject* Sender, double PercentDone);
  void Invalidate() noexcept;
  /// MeanVarRange: the column statistics, brought up to date.
  const std::vector<double>& MeanVarRange();
  /// Space: the search data, brought up to date.
  membl_internal::TSearchSpace& Space();
  /// TakeOver: the settings and, when Table is set, the table of a loaded model.
  void TakeOver(TDataTable& Table, const std::string& Comment, const std::string& Name, std::int32_t k,
                TMBLDistMode Dist, TMBLScalingMode Scaling, TMBLLocalModel Model);

  std::string FModelName = "undefined";
  std::string FComment;
  // Four values per column (mean, variance, minimum, maximum), column after column.
  std::vector<double> FMeanVarRange;
  bool FStatsValid = false;
  std::int32_t FNumNearestNb = 3;
  TMBLLocalModel FLocModel = TMBLLocalModel::mblLMAverage;
  TMBLDistMode FDistMode = TMBLDistMode::mblDistEuclid;
  TMBLScalingMode FScalingMode = TMBLScalingMode::mblUnscaled;
  // Neighbour lists of CalcNNOfModelData: entry (k, obj) at (obj - 1) * 100 + k - 1.
  std::vector<std::int32_t> FNNList;
  std::vector<double> FNNDist;
  std::int32_t FNNObjects = 0;
  std::unique_ptr<membl_internal::TSearchSpace> FSpace;
};

}  // namespace kvl

KVL_API_END
