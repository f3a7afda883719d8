#pragma once
// KVL_vector: TVector, the one-dimensional container of Doubles, and
// TIntVector, its twin for 32-bit integers.
//
//   TVector v;                        // one element, 0, IsEmpty() true
//   v.Resize(100);
//   v.FillSerial(0.0, 0.5);           // 0, 0.5, 1, ...
//   double mean, var;
//   v.MeanVar(0, 0, mean, var);       // (0, 0) selects the whole vector
//   v.SortElems(false, 0, 0);         // descending comb sort
//   v.ExportAsASC("v.asc", 4, "");    // ASC column text, one column
//
// Elements are numbered from 1 to NrOfElem(); a vector always holds at
// least one. A read outside that range gives 0 and a write is ignored.
// Element ranges (LowElem, HighElem) go through MakeValidElemRange: (0, 0)
// is the whole vector, other bounds are clamped and put in order.
//
// Events: Resize to a new size fires OnChange then OnResize; SetVal fires
// OnChange; the bulk operations (Add, Subtract, SMult, SetVecLeng, Mirror,
// AbsVal, the fills, Clear) fire it once; Clone, the CopyFrom family and the
// loaders write through SetVal (one OnChange per element) and, except
// ImportASC, fire one more at the end; SortElems fires OnSortExchange per
// exchange and OnChange once; Assign, ShuffleElems, MeanCenter, Standardize
// and QNormalize fire nothing.
//
// Both classes are written once, as TVectorBase over the element type.
// Errors are raised as EKVLVectorError; the file and stream operations
// report through their results (ASCStatusText of asc_format.h puts the
// ImportASC statuses in words). See docs/vectors.md for the file formats.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/asc_format.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/streams.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TIntegMethod: the quadrature rules of TVector::Integrate.
enum class TIntegMethod { imSimple, imTrapezoidal, imSimpson };

class TIntVector;

/// TVectorBase: everything TVector and TIntVector share; T is the element
/// type (double or int32_t), Derived the final class.
template <class T, class Derived>
class TVectorBase : public TComponent {
 public:
  /// TElem: the element type.
  using TElem = T;

  /// Creates a vector of one element 0 with IsEmpty() true; raises
  /// EKVLVectorError "not enough memory on heap" when that fails.
  explicit TVectorBase(TComponent* AOwner = nullptr);

  // --- properties -----------------------------------------------------------------

  /// NrOfElem: the number of elements (at least 1).
  std::int32_t NrOfElem() const noexcept { return FNElem; }
  /// SetNrOfElem: writes NrOfElem through SetVecSize.
  void SetNrOfElem(std::int32_t Value) { SetVecSize(Value); }
  /// SetVecSize: a value below 1 or equal to the size is ignored; any other
  /// value calls Resize.
  void SetVecSize(std::int32_t Value) {
    if (Value >= 1 && Value != FNElem) Resize(Value);
  }
  /// Elem: element i (GetVal); SetElem writes it (SetVal).
  T Elem(std::int32_t i) const noexcept { return GetVal(i); }
  void SetElem(std::int32_t i, T Value) { SetVal(i, Value); }
  /// IsEmpty: true after construction and Clear, until an element is written.
  bool IsEmpty() const noexcept { return FIsEmpty; }
  void SetIsEmpty(bool Value) noexcept { FIsEmpty = Value; }
  /// Leng: the Euclidean norm (CalcVecLeng).
  double Leng() const noexcept { return CalcVecLeng(); }
  /// Data: the elements, element i at position i - 1 (read-only view).
  std::span<const T> Data() const noexcept { return FVec; }

  /// OnChange: fired after data changes; OnResize: after the size changes.
  TNotifyEvent OnChange;
  TNotifyEvent OnResize;
  /// OnSortExchange: fired by SortElems for each exchange, with kind 0 and
  /// the two element indices (the stretch bounds are 0, 0).
  TSortExchgEvent OnSortExchange;

  // --- lifecycle and element access ---------------------------------------------------

  /// Resize: sets the size to NE, keeping the first min(old, NE) values and
  /// zeroing new ones, then fires OnChange and OnResize; true. NE equal to
  /// the size: true, nothing happens; NE below 1: false, nothing happens.
  /// Raises EKVLVectorError "not enough memory" when allocation fails.
  bool Resize(std::int32_t NE);
  /// GetVal: element Elem, or 0 outside 1..NrOfElem.
  T GetVal(std::int32_t Elem) const noexcept {
    return (Elem >= 1 && Elem <= FNElem) ? FVec[static_cast<std::size_t>(Elem - 1)] : T(0);
  }
  /// SetVal: stores Value at Elem, clears IsEmpty and fires OnChange; an
  /// index outside 1..NrOfElem is ignored.
  void SetVal(std::int32_t Elem, T Value) {
    if (Elem < 1 || Elem > FNElem) return;
    FVec[static_cast<std::size_t>(Elem - 1)] = Value;
    FIsEmpty = false;
    Changed();
  }
  /// Changed: fires OnChange (for callers that wrote many elements).
  void Changed() { this->FireEvent(OnChange); }
  /// Resized: fires OnResize.
  void Resized() { this->FireEvent(OnResize); }
  /// MakeValidElemRange: (0, 0) becomes (1, NrOfElem) with result 0; else
  /// each bound is clamped into 1..NrOfElem (result -1 when one was
  /// changed, else 0) and the two are put in ascending order.
  std::int32_t MakeValidElemRange(std::int32_t& LowElem, std::int32_t& HighElem) const noexcept;

  /// Assign: from a vector of the same class copies size, IsEmpty, values
  /// and the three event handlers without firing events; other sources go
  /// to the inherited Assign.
  void Assign(const TPersistent* Source) override;
  /// Clone: resizes to VecSource's size, copies every element through
  /// SetVal and fires OnChange; nothing for a null source.
  void Clone(const Derived* VecSource);

  // --- copying (0 = success) ------------------------------------------------------------

  /// CopyFrom: copies Src[SrcElemLo..SrcElemHi] to DestElem onwards (positions
  /// past the end are dropped). (0, 0) takes all of Src, DestElem unchecked.
  /// -1 Src null, -2 a source bound outside Src, -3 DestElem outside this
  /// vector (-3 wins). A copy within the same vector works as if through a
  /// temporary copy.
  std::int32_t CopyFrom(const Derived* Src, std::int32_t SrcElemLo, std::int32_t SrcElemHi,
                        std::int32_t DestElem);
  /// CopyFrom (array): the same with 0-based positions of Src: -1 empty
  /// array, -2 a bound outside 0..size - 1, -3 DestElem.
  std::int32_t CopyFrom(std::span<const T> Src, std::int32_t SrcElemLo, std::int32_t SrcElemHi,
                        std::int32_t DestElem);
  /// CopyFrom2DArrayRow: copies columns FirstCol..LastCol of row Row of
  /// SrcArray ([column][row], 0-based) to DestElem onwards; row and bounds
  /// are clamped into the array and put in order. Nothing for an empty array.
  void CopyFrom2DArrayRow(const std::vector<std::vector<T>>& SrcArray, std::int32_t Row,
                          std::int32_t FirstCol, std::int32_t LastCol, std::int32_t DestElem);
  /// CopyFrom2DArrayColumn: the same for rows FirstRow..LastRow of column Col.
  void CopyFrom2DArrayColumn(const std::vector<std::vector<T>>& SrcArray, std::int32_t Col,
                             std::int32_t FirstRow, std::int32_t LastRow, std::int32_t DestElem);
  /// CopyToArray: sizes DestArray to HighElem - LowElem + 1 + DestElem
  /// (DestElem below 0 counts as 0) and puts element k at DestElem + k - LowElem.
  void CopyToArray(std::vector<T>& DestArray, std::int32_t LowElem, std::int32_t HighElem,
                   std::int32_t DestElem) const;
  /// CopyToArray (2-D): writes the range into DestArray ([column][row], not
  /// resized) from (DestCol, DestRow), clamped into the array, downwards when
  /// AsColumn, else rightwards; cells outside the array are dropped.
  void CopyToArray(std::vector<std::vector<T>>& DestArray, std::int32_t LowElem, std::int32_t HighElem,
                   std::int32_t DestCol, std::int32_t DestRow, bool AsColumn) const;

  // --- filling (OnChange once) -----------------------------------------------------------

  /// Fill: every element := Value.
  void Fill(T Value);
  /// FillSerial: element i := Offset + (i - 1) * Diff, by a running sum.
  void FillSerial(T Offset, T Diff);
  /// Clear: every element := 0 and IsEmpty := true.
  void Clear();
  /// AbsVal: every element := its absolute value.
  void AbsVal();

  // --- arithmetic and geometry -------------------------------------------------------------

  /// Add: adds OtherVec element by element (nothing for null); raises
  /// EKVLVectorError "vectors have different dimensions" on a size mismatch.
  void Add(const Derived* OtherVec);
  /// Subtract: subtracts OtherVec element by element, as Add.
  void Subtract(const Derived* OtherVec);
  /// SMult: multiplies every element by Scalar.
  void SMult(T Scalar);
  /// DotProduct: the sum of products (0 for null); size mismatch as Add.
  T DotProduct(const Derived* OtherVec) const;
  /// EuclideanDistance: the root of the summed squared differences (0 for
  /// null); raises "EuclideanDistance: dimensions of vectors do not match".
  double EuclideanDistance(const Derived* OtherVec) const;
  /// Correlate: sum of self(i) * other(i - ElemShift) over the overlap; 0
  /// unless the overlap holds at least two elements.
  double Correlate(const Derived* OtherVec, std::int32_t ElemShift) const;
  /// PearsonCorrCoeff: Pearson's r of the two vectors; 0 unless both have
  /// the same size n >= 2 and neither is constant or all zero.
  double PearsonCorrCoeff(const Derived* OtherVec) const;
  /// CalcVecLeng: the Euclidean norm.
  double CalcVecLeng() const noexcept;
  /// IsDichotomous: true when the vector (n >= 2) holds at most two distinct
  /// values, v1 (element 1) and v2 (the first that differs, else v1).
  bool IsDichotomous(T& v1, T& v2) const;

  // --- searching ---------------------------------------------------------------------------

  /// Find: index of the element of the range closest to Value (first on
  /// ties); 0 when none is closer than uc_MaxDouble.
  std::int32_t Find(std::int32_t LowElem, std::int32_t HighElem, T Value) const;
  /// FindExact: first index of the range holding Value, else 0.
  std::int32_t FindExact(std::int32_t LowElem, std::int32_t HighElem, T Value) const;
  /// FindInSortedVector: binary search in the vector sorted as Ascending
  /// says: the index of Value, or of the element nearest to it.
  std::int32_t FindInSortedVector(bool Ascending, T Value) const;

  // --- statistics (element ranges as above) --------------------------------------------------

  /// Sum: the sum of the range.
  T Sum(std::int32_t LowElem, std::int32_t HighElem) const;
  /// MinMax: the extremes of the range (the first of equal ones); NaNs are
  /// passed over; a range of NaNs only gives 1.7e308 and -1.7e308.
  void MinMax(std::int32_t LowElem, std::int32_t HighElem, T& Minimum, T& Maximum) const;
  /// MinMax: the same with the indices of the extremes (0 when none).
  void MinMax(std::int32_t LowElem, std::int32_t HighElem, T& Minimum, T& Maximum, std::int32_t& MinIx,
              std::int32_t& MaxIx) const;
  /// MeanVar: mean and sample variance of the range; the variance is 1.0
  /// for fewer than 3 elements and never negative.
  void MeanVar(std::int32_t LowElem, std::int32_t HighElem, double& Mean, double& Variance) const;
  /// GeometricMean: exp of the mean log; 0 when an element is 0; raises
  /// EKVLVectorError "negative argument passed to GeometricMean".
  double GeometricMean(std::int32_t LowElem, std::int32_t HighElem) const;
  /// HarmonicMean: n / sum(1/x); raises EKVLVectorError "negative or zero
  /// argument passed to HarmonicMean".
  double HarmonicMean(std::int32_t LowElem, std::int32_t HighElem) const;
  /// SkewKurt: skewness and excess kurtosis (moments over n, deviation
  /// over n - 1); both 0 for n <= 3.
  void SkewKurt(std::int32_t LowElem, std::int32_t HighElem, double& Skewness, double& Kurtosis) const;
  /// SkewKurtSample: the sample-adjusted skewness and excess kurtosis; both
  /// 0 for n < 4.
  void SkewKurtSample(std::int32_t LowElem, std::int32_t HighElem, double& Skewness, double& Kurtosis) const;
  /// Mode: the most frequent value (the smallest of equally frequent ones).
  T Mode(std::int32_t LowElem, std::int32_t HighElem) const;
  /// Quartiles: the quartiles of the range at positions (n + 1) p of the
  /// sorted values; true. Raises "not enough memory on heap" on failure.
  bool Quartiles(std::int32_t LowElem, std::int32_t HighElem, double& Q1, double& Q2, double& Q3) const;
  /// Percentile: the Prob percent point (Prob clamped to 0..100) by linear
  /// interpolation at (n - 1) Prob / 100; NaN for a NaN Prob.
  double Percentile(double Prob, std::int32_t LowElem, std::int32_t HighElem) const;
  /// Histogram: counts elements FirstElem..LastElem (not validated: outside
  /// indices read 0) into bins of BinWidth from FirstBin to LastBin; false
  /// for more than 500 bins (see docs/vectors.md for the exact rules).
  bool Histogram(std::int32_t FirstElem, std::int32_t LastElem, T FirstBin, T LastBin, T BinWidth,
                 TIntArray& Histo, std::int32_t& Underflow, std::int32_t& Overflow, std::int32_t& MaxCnt) const;
  /// Histogram: the same into a TIntVector sized to the bins (bin 0 at
  /// element 1); false for a null Histo.
  bool Histogram(std::int32_t FirstElem, std::int32_t LastElem, T FirstBin, T LastBin, T BinWidth,
                 TIntVector* Histo, std::int32_t& Underflow, std::int32_t& Overflow, std::int32_t& MaxCnt) const;

  // --- sorting and reordering ------------------------------------------------------------------

  /// SortElems: comb sort of RangeFirst..RangeLast ((0, 0): all), firing
  /// OnSortExchange per exchange and OnChange once; equal elements never move.
  void SortElems(bool Ascending, std::int32_t RangeFirst, std::int32_t RangeLast);
  /// Mirror: reverses the order of the elements.
  void Mirror();
  /// ShuffleElems: reseeds the runtime generator from the clock and makes
  /// NrOfElem exchanges of two random positions; fires nothing.
  void ShuffleElems();

  // --- persistence -------------------------------------------------------------------------------

  /// ImportASC: reads an ASC file of one column into the vector and returns
  /// 0 or a status: -5 bad row attribute, -6 a value that does not read or
  /// convert, -7 not one column (vector unchanged), -8 no such file, -11 to
  /// -20 from ReadHeaderOfASC. Values read before an error stay; the vector
  /// is sized to the row that failed.
  std::int32_t ImportASC(const std::string& FName, std::string& Comment);
  /// ImportASC: the same from an open stream, from its position to the end
  /// of the data, in one pass; the statuses are those above except -8.
  std::int32_t ImportASC(std::istream& In, std::string& Comment);
  /// LoadFromFile: loads a text dump written by StoreOnFile: false when the
  /// file cannot be opened, its first line is not two indices, or the last
  /// index exceeds NrOfElem (after resizing to it when AdjustVectorSize).
  /// A number that does not read is skipped. AdjustVectorSize grows the
  /// vector to the last index only when the file can hold a value for each
  /// index of the range (first to last, first at least 1) in its bytes; the
  /// elements below the first index are then 0.
  bool LoadFromFile(const std::string& FileName, bool AdjustVectorSize);
  /// SaveToStream: writes the binary image of LowElem..HighElem, creating a
  /// TMemoryStream (owned by the caller) when OutStream is null.
  void SaveToStream(TMemoryStream*& OutStream, std::int32_t LowElem, std::int32_t HighElem) const;
  /// SaveToStream: the same on an open stream, for example a TFileStream
  /// (nothing for null); the stream's write errors pass to the caller.
  void SaveToStream(TStream* OutStream, std::int32_t LowElem, std::int32_t HighElem) const;
  /// LoadFromStream: reads a binary image from the stream's position; false
  /// for a null stream, unreadable bounds, an upper bound beyond NrOfElem or
  /// a value that cannot be read (the values before it stay). With
  /// AdjustVectorSize the vector is sized to the upper bound, when it is
  /// that large already or the stream holds the values of the whole range
  /// (lower bound at least 1); otherwise the load fails.
  bool LoadFromStream(TStream* InStream, bool AdjustVectorSize);
  /// CRCofData: the CRC-32 of every byte position of the elements, one
  /// accumulator per position, as 8 hex digits each.
  std::string CRCofData() const;

 protected:
  ~TVectorBase() override = default;

  std::int32_t DoExportAsASC(const std::string& FName, std::int32_t Precision, const std::string& Comment) const;
  bool DoStoreOnFile(std::int32_t FirstElem, std::int32_t LastElem, std::int32_t Precision,
                     const std::string& FileName) const;
  bool LoadAutoDetect(const std::string& FileName, bool AdjustVectorSize);

  std::int32_t FNElem = 1;
  bool FIsEmpty = true;
  std::vector<T> FVec;

 private:
  template <bool Subtracting>
  void AddOrSubtract(const Derived* OtherVec);
  template <class Read>
  std::int32_t CopyStretch(std::int64_t Count, std::int32_t DestElem, Read&& ReadElem);
  std::vector<T> QuantileCopy(std::int32_t LowElem, std::int32_t HighElem, bool& Sorted) const;
  bool AdjustedGrowthFits(std::int32_t LowElem, std::int32_t HighElem, std::int64_t Capacity) const noexcept;
};

/// TVector: the container of Double values.
class TVector final : public TVectorBase<double, TVector> {
 public:
  using TVectorBase::TVectorBase;

  /// SetLeng: rescales the vector to norm Value (SetVecLeng).
  void SetLeng(double Value) { SetVecLeng(Value); }
  /// SetVecLeng: multiplies every element by Value / norm when the norm is
  /// above 0 and fires OnChange; nothing otherwise.
  void SetVecLeng(double Value);

  /// FillRandomUniform: element := r (RangeHigh - RangeLow) + RangeLow, r
  /// from the runtime's uniform generator.
  void FillRandomUniform(double RangeLow, double RangeHigh);
  /// FillRandomGauss: element := g StdDev + Mean, g from GRandom.
  void FillRandomGauss(double Mean, double StdDev);

  /// MeanCenter: subtracts the mean from every element and returns it.
  double MeanCenter();
  /// Standardize: z-scores with the mean and deviation of MeanVar (left
  /// alone when the deviation is 0).
  void Standardize(double& Mean, double& StdDev);
  /// QNormalize: (x - median) / |median - Percentile(RefQuant)| when that
  /// difference is above 0.
  void QNormalize(double RefQuant, double& Median, double& QuantDiff);

  /// Integrate: the integral of the samples (taken at abscissae 1..n)
  /// between two real bounds, clamped into 1..n and ordered; 0 for an
  /// unknown method or a NaN bound.
  double Integrate(double BoundLow, double BoundHigh, TIntegMethod Method) const;

  /// ExportAsASC: writes the ASC column text, each value as strff(x, 12,
  /// Precision); 0, or -1 when the file cannot be created or written.
  std::int32_t ExportAsASC(const std::string& FName, std::int32_t Precision, const std::string& Comment) const {
    return DoExportAsASC(FName, Precision, Comment);
  }
  /// StoreOnFile: writes the text dump of FirstElem..LastElem with
  /// Precision decimals (-1, -2: exponential); false when the file cannot
  /// be created or written.
  bool StoreOnFile(std::int32_t FirstElem, std::int32_t LastElem, std::int32_t Precision,
                   const std::string& FileName) const {
    return DoStoreOnFile(FirstElem, LastElem, Precision, FileName);
  }
  using TVectorBase::LoadFromFile;
  /// LoadFromFile: with AutoDetect, loads a plain list of numbers: sized
  /// (when AdjustVectorSize) to the number of lines holding a digit, then
  /// NrOfElem numbers are read from the start.
  bool LoadFromFile(const std::string& FileName, bool AdjustVectorSize, bool AutoDetect) {
    return AutoDetect ? LoadAutoDetect(FileName, AdjustVectorSize) : LoadFromFile(FileName, AdjustVectorSize);
  }
};

/// TIntVector: the container of 32-bit signed integers. Integer sums and
/// products wrap around modulo 2^32; the Double statistics compute in
/// floating point.
class TIntVector final : public TVectorBase<std::int32_t, TIntVector> {
 public:
  using TVectorBase::TVectorBase;

  /// ExportAsASC: writes the ASC column text, each value a plain decimal
  /// integer; 0, or -1 when the file cannot be created or written.
  std::int32_t ExportAsASC(const std::string& FName, const std::string& Comment) const {
    return DoExportAsASC(FName, 0, Comment);
  }
  /// StoreOnFile: writes the text dump of FirstElem..LastElem; false when
  /// the file cannot be created or written.
  bool StoreOnFile(std::int32_t FirstElem, std::int32_t LastElem, const std::string& FileName) const {
    return DoStoreOnFile(FirstElem, LastElem, 0, FileName);
  }
};

extern template class TVectorBase<double, TVector>;
extern template class TVectorBase<std::int32_t, TIntVector>;

}  // namespace kvl

KVL_API_END
