#pragma once
// KVL_kohonen: TKohonen, the self-organising map.
//
//   TKohonen map;
//   map.SetSizeX(20);
//   map.SetSizeY(20);
//   map.SetTrainData(&objects);      // one column per variable, one row per object
//   map.StandardizeData();           // optional: MeanVec / StdDevVec follow the data
//   map.SetNrOfTrnSteps(100);
//   map.OnFeedback = [](TObject* s, double pct) {
//     if (pct == 50) static_cast<TKohonen*>(s)->AbortTraining();
//   };
//   map.Trainit();                   // random weights, steps 1 .. 50 (aborted)
//   map.ContinueTraining();          // resumes at step 51 and runs to step 99
//   std::int32_t x = 0, y = 0;
//   double d = 0;
//   map.ApplyIt(object, x, y, d);    // winning node and its squared distance
//
// The map holds SizeX x SizeY nodes, each a weight vector of NrOfInSens
// values. Training runs NrOfTrnSteps - 1 steps; each step passes once over the
// training objects in order: the winning node of an object (smallest squared
// Euclidean distance, accumulated in extended precision; the first node in
// x-then-y order on ties) and the nodes within the step's radius around it on
// the map move towards the object, weighted by 1 / (sqrt(d - dmin) + 1) times
// the step's learning rate. Radius and rate shrink with the square of the
// remaining share of the steps. OnFeedback reports after every step;
// AbortTraining from inside the event stops after that step, and
// ContinueTraining resumes with the next one, giving the same weights as an
// uninterrupted run.
//
// The weights lie in one contiguous block ordered as a TMat3D ([x][y][variable],
// the variable fastest), so each node's vector is contiguous and a winner
// search walks the block once. A TKohonen is not thread-safe.
//
// The XML form (WriteToOpenXMLFile, SaveAsXMLFile, ...) holds every setting,
// the training state, the weights, MeanVec, StdDevVec and the training data,
// reals written in their shortest exact form; the readers check the whole text
// and leave the map as it was when they return false (docs/learning.md).

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"
#include "kvl/runtime/streams.h"

KVL_API_BEGIN

namespace kvl {

/// TKohonenXMLTag: the element vocabulary of the map's XML form, in the
/// order of the tag texts "sizex", "sizey", "comment", "nrinsens",
/// "maxneighb", "maxsteps", "maxalpha", "currentstep", "cyclic", "cell",
/// "meanstddev", "/kohonen", "invalidtag".
enum class TKohonenXMLTag {
  xmlSizeX,
  xmlSizeY,
  xmlComment,
  xmlNrInsens,
  xmlMaxNeighb,
  xmlMaxSteps,
  xmlMaxAlpha,
  xmlCurStep,
  xmlCyclic,
  xmlCell,
  xmlMeanStdDev,
  xmlEndKohonen,
  xmlInvalid
};

/// TKohonen: a two-dimensional self-organising map. A new map is 1 x 1 with
/// one input variable, random weights in [-0.1, 0.1), MeanVec 0, StdDevVec 1
/// and one training object of value 0.
class TKohonen : public TComponent {
 public:
  /// Creates the map with the defaults above (radius 2, 200 steps, rate 1.0,
  /// not cyclic) and draws its weights with SetWeigtsToRandom.
  explicit TKohonen(TComponent* AOwner = nullptr);
  ~TKohonen() override;

  // --- published properties ---------------------------------------------------------

  /// InitialNeighbors: the neighbourhood radius of the first step (default 2).
  std::int32_t InitialNeighbors() const noexcept { return FMaxNeighb; }
  void SetInitialNeighbors(std::int32_t Value) noexcept { FMaxNeighb = Value; }
  /// Comment: free text stored with the map.
  const std::string& Comment() const noexcept { return FComment; }
  void SetComment(const std::string& Value) { FComment = Value; }
  /// NrOfTrnSteps: the number of training steps (default 200); values below
  /// 1 change nothing (the schedule divides by it).
  std::int32_t NrOfTrnSteps() const noexcept { return FMaxSteps; }
  void SetNrOfTrnSteps(std::int32_t Value) noexcept {
    if (Value >= 1) FMaxSteps = Value;
  }
  /// InitialAlpha: the learning rate of the first step (default 1.0).
  double InitialAlpha() const noexcept { return FMaxAlpha; }
  void SetInitialAlpha(double Value) noexcept { FMaxAlpha = Value; }
  /// SizeX, SizeY: the extents of the map (default 1).
  std::int32_t SizeX() const noexcept { return FSizeX; }
  std::int32_t SizeY() const noexcept { return FSizeY; }
  /// SetSizeX / SetSizeY: ignored for n <= 0; otherwise the map gets the new
  /// extent and all its weights become 0 (not randomised). Raises EKVLError
  /// "not enough memory on heap" when the weights cannot be held.
  void SetSizeX(std::int32_t n);
  void SetSizeY(std::int32_t n);
  /// NrOfInSens: the number of input variables (default 1).
  std::int32_t NrOfInSens() const noexcept { return FNrInSens; }
  void SetNrOfInSens(std::int32_t n) { SetNumInsens(n); }
  /// SetNumInsens: ignored for n <= 0; otherwise weights (all 0), training
  /// data (n columns x as many rows as before, all 0), MeanVec (all 0) and
  /// StdDevVec (all 1) take n variables.
  void SetNumInsens(std::int32_t n);
  /// Cyclic: the map wraps around at its edges (default false).
  bool Cyclic() const noexcept { return FCyclic; }
  void SetCyclic(bool Value) noexcept { FCyclic = Value; }
  /// OnFeedback: fired once per training step with the percentage of steps done.
  TOnPercentDoneEvent OnFeedback;

  // --- public properties and fields ---------------------------------------------------

  /// TrainData: the training objects, one column per variable and one row
  /// per object. The matrix belongs to the map; its cells may be changed in
  /// place.
  TMatrix* TrainData() noexcept { return &FDataMat; }
  const TMatrix* TrainData() const noexcept { return &FDataMat; }
  void SetTrainData(const TMatrix* M) { SetDataMat(M); }
  /// SetDataMat: copies the whole of M as training data; NrOfInSens becomes
  /// M's column count; weights (all 0), MeanVec (0) and StdDevVec (1) take
  /// the new size. A null M changes nothing.
  void SetDataMat(const TMatrix* M);
  /// CurrentStep: the training step that runs (or runs next), 1-based; 0 for
  /// a map that was never trained.
  std::int32_t CurrentStep() const noexcept { return FCurStep; }
  /// CurrentNeighbors, CurrentAlpha: radius and learning rate of the step
  /// that runs or ran last (0 before any training).
  std::int32_t CurrentNeighbors() const noexcept { return FCurNeighb; }
  double CurrentAlpha() const noexcept { return FCurAlpha; }

  /// MeanVec, StdDevVec: per-variable mean and standard deviation that
  /// ApplyIt and GetWeight use to move between data units and the map's
  /// standardised units; length NrOfInSens.
  TVector MeanVec;
  TVector StdDevVec;

  // --- operations ----------------------------------------------------------------------

  /// StandardizeData: standardises the columns of the training data in
  /// place (TMatrix::StandardizeColumns), their means going to MeanVec and
  /// standard deviations to StdDevVec. A column with standard deviation 0 is
  /// centred, so that it meets ApplyIt's and GetWeight's use of MeanVec.
  void StandardizeData();
  /// SetWeigtsToRandom: every weight := (Random() - 0.5) * 0.2, visiting x,
  /// then y, then the variable.
  void SetWeigtsToRandom();
  /// Trainit: step 1, random weights, then ContinueTraining.
  void Trainit();
  /// ContinueTraining: runs the steps from CurrentStep on while CurrentStep
  /// < NrOfTrnSteps (at least one step), firing OnFeedback after each; stops
  /// early after a step during which AbortTraining was called. Does nothing
  /// when CurrentStep is beyond NrOfTrnSteps (the schedule has ended).
  void ContinueTraining();
  /// AbortTraining: asks a running training to stop after its current step.
  void AbortTraining() noexcept { FAbort = true; }
  /// ApplyIt: the winning node (WinX, WinY) of the object InVec (NrOfInSens
  /// values, standardised with MeanVec and StdDevVec) and its squared
  /// distance Dist in standardised units. Dist is the largest finite Double,
  /// and WinX, WinY unchanged, when no node has a finite distance.
  void ApplyIt(const TVector& InVec, std::int32_t& WinX, std::int32_t& WinY, double& Dist) const;
  /// GetWeight: weight isens of node (ix, iy) in data units
  /// (weight * StdDevVec[isens] + MeanVec[isens]); 0 outside the map.
  double GetWeight(std::int32_t ix, std::int32_t iy, std::int32_t isens) const noexcept;
  /// DoFeedback: fires OnFeedback with Percent when it is assigned.
  void DoFeedback(std::int32_t Percent);

  // --- XML form --------------------------------------------------------------------------

  /// WriteToOpenXMLFile: writes the map as one "kohonen" element with id
  /// DataID, preceded by the XML declaration when CreateHeader is true.
  void WriteToOpenXMLFile(std::ostream& TFile, bool CreateHeader, std::string_view DataID) const;
  /// WriteToXMLStream: the same text written to OutStream at its position.
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, std::string_view DataID) const;
  /// SaveAsXMLFile: the file FName with header and map; false when it
  /// cannot be written.
  bool SaveAsXMLFile(const std::string& FName, std::string_view DataID) const;
  /// ReadFromXMLStream: reads the first map from the stream's position on.
  /// A non-empty DataID must equal the map's id. False (map unchanged) for
  /// a missing, truncated or inconsistent map.
  bool ReadFromXMLStream(TStream& InStream, std::string_view DataID);
  /// ReadFromOpenXMLFile: the same on an open text stream, which is read up
  /// to the end of the map's element.
  bool ReadFromOpenXMLFile(std::istream& TFile, std::string_view DataID);
  /// LoadFromXMLFile: the same on the file FName; false when it cannot be read.
  bool LoadFromXMLFile(const std::string& FName, std::string_view DataID);

 private:
  struct TLoaded;
  bool ReadFromXMLString(std::string_view Text, std::string_view DataID);
  void Adopt(TLoaded& L);
  /// ChangeExtent: Extent := n (n > 0) with a new zero weight block; the
  /// old extent stays when the block cannot be had. False for n <= 0.
  bool ChangeExtent(std::int32_t& Extent, std::int32_t n);
  /// ResetWeights: a zero weight block for the current extents.
  void ResetWeights();
  void ResetScaling();
  void RunStep();

  std::int32_t FMaxNeighb = 2;
  std::string FComment;
  std::int32_t FCurNeighb = 0;
  std::int32_t FMaxSteps = 200;
  std::int32_t FCurStep = 0;
  double FMaxAlpha = 1.0;
  double FCurAlpha = 0.0;
  // FKohMat: node (x, y) holds its NrOfInSens weights at
  // ((x - 1) * SizeY + (y - 1)) * NrOfInSens.
  std::vector<double> FKohMat;
  std::int32_t FSizeX = 1;
  std::int32_t FSizeY = 1;
  std::int32_t FNrInSens = 1;
  std::int32_t FNrTrnObj = 1;
  bool FCyclic = false;
  bool FAbort = false;
  TMatrix FDataMat;
};

}  // namespace kvl

KVL_API_END
