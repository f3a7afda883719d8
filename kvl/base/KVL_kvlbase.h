#pragma once
// KVL_kvlbase: the base layer's core: the base exception, the progress and
// abort hooks shared by long computations, the CRC-32 step, and the records,
// enumerations, array types and event types that every unit shares.
//
// Long loops follow one pattern:
//   ProcStat += 1;
//   if (MathFeedBackProc) MathFeedBackProc(ProcStat);
//   if (AbortMathProc) return ...;      // stop early, as each routine says

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "kvl/runtime/classes.h"
#include "kvl/runtime/exceptions.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// EKVLError: base class of every library exception except EKVLSLineError.
class EKVLError : public Exception {
 public:
  using Exception::Exception;
};

// --- progress and abort ----------------------------------------------------

/// TMathFeedBackProc: the global progress hook; receives ProcStat. It takes
/// any callable a std::function<void(double)> takes, and nullptr to clear it.
/// Unlike std::function it is empty by constant initialisation, so the
/// global hook needs no code at load time.
class TMathFeedBackProc {
 public:
  using TProc = std::function<void(double ProcStat)>;

  constexpr TMathFeedBackProc() noexcept {}
  constexpr TMathFeedBackProc(std::nullptr_t) noexcept {}
  // clang-format off
  template <class F>
    requires(!std::same_as<std::remove_cvref_t<F>, TMathFeedBackProc> && std::constructible_from<TProc, F&&>)
  TMathFeedBackProc(F&& Proc) : FProc(TProc(std::forward<F>(Proc))) {}
  // clang-format on

  /// operator bool: true when a callable is assigned.
  explicit operator bool() const noexcept { return FProc.has_value() && static_cast<bool>(*FProc); }
  /// operator(): calls the assigned callable (std::bad_function_call when empty).
  void operator()(double Stat) const {
    if (!FProc) throw std::bad_function_call();
    (*FProc)(Stat);
  }

 private:
  std::optional<TProc> FProc;
};

/// ProcStat: global progress counter that long computations add to.
extern double ProcStat;
/// MathFeedBackProc: called with ProcStat by long computations when assigned.
extern TMathFeedBackProc MathFeedBackProc;
/// AbortMathProc: long computations stop early when it is true.
extern bool AbortMathProc;

/// ReportMathProgress: adds Increment to ProcStat and calls MathFeedBackProc
/// with the new value when assigned (the step every long loop takes).
void ReportMathProgress(double Increment = 1.0);

// --- checksums ---------------------------------------------------------------

/// CalcNextCRC32: the running CRC-32 after one more byte (reflected,
/// polynomial 0xEDB88320). Start at 0xFFFFFFFF and invert at the end: the
/// bytes of "123456789" give 0xCBF43926.
std::uint32_t CalcNextCRC32(std::uint8_t Data, std::uint32_t CRC) noexcept;

/// CalcCRC32: the finished CRC-32 of a byte block (start and final inversion
/// included).
std::uint32_t CalcCRC32(const void* Data, std::size_t Count) noexcept;

// --- shared records ---------------------------------------------------------

/// TPointDouble: a point of the plane.
struct TPointDouble {
  double X = 0.0;
  double Y = 0.0;
};

/// TRectDouble: a rectangle given by two corners, in this field order.
struct TRectDouble {
  double Left = 0.0;
  double Top = 0.0;
  double Right = 0.0;
  double Bottom = 0.0;
};

/// TPoint and TRect: the integer point and rectangle of the host's graphics.
struct TPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
};
struct TRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
};

// --- dynamic arrays (0-based; 2-D arrays are [column][row]) -----------------

using TDoubleArray = std::vector<double>;
using TSingleArray = std::vector<float>;
using TIntArray = std::vector<std::int32_t>;
using TBoolArray = std::vector<bool>;
using TStrArray = std::vector<std::string>;
using TDouble2DArray = std::vector<std::vector<double>>;
using TSingle2DArray = std::vector<std::vector<float>>;
using TInt2DArray = std::vector<std::vector<std::int32_t>>;
using TBool2DArray = std::vector<std::vector<bool>>;
using TStr2DArray = std::vector<std::vector<std::string>>;
using TDouble3DArray = std::vector<TDouble2DArray>;
using TInt3DArray = std::vector<TInt2DArray>;
using TDouble4DArray = std::vector<TDouble3DArray>;
using TInt4DArray = std::vector<TInt3DArray>;

// --- shared enumerations (ordinals matter) ----------------------------------

/// TDistMode: distance and similarity measures between two objects.
enum class TDistMode {
  dmTanimoto,     ///< 0: Tanimoto similarity
  dmManhattan,    ///< 1: city-block distance
  dmEuclid,       ///< 2: Euclidean distance
  dmEuclidSqr,    ///< 3: squared Euclidean distance
  dmDice,         ///< 4: Dice similarity
  dmMahalanobis   ///< 5: needs the covariance of all objects; not a pairwise mode
};

/// TDegreeFormat: notations of angles.
enum class TDegreeFormat {
  dfDecDeg,       ///< 0: decimal degrees
  dfDegMin,       ///< 1: whole degrees and decimal minutes
  dfDegMinSec,    ///< 2: whole degrees, whole minutes and decimal seconds
  dfNumber        ///< 3: a plain number without unit signs
};

/// TEdgeOp: the aggregate formed along a dimension.
enum class TEdgeOp { eoMin, eoMax, eoSum, eoMean, eoStdDev };

/// TDims: the dimension a per-dimension operation runs along.
enum class TDims { dimColumns, dimRows };

/// TApplyColRow: whether an operation applies along columns or rows.
enum class TApplyColRow { acrColumns, acrRows };

/// TOrientation: ordinal 0 is per row, any other per column.
enum class TOrientation { orRows, orColumns };

/// TLogicOp: combinations of two bit sets or masks.
enum class TLogicOp { loAnd, loOr, loXor, loAndNot, loOrNot, loXorNot };

/// TCSVDelimiters: field separators of CSV text.
enum class TCSVDelimiters { csvComma, csvSemicolon, csvTab, csvBlank };

/// TShapeKind: shapes of masks, parameters given in a TIntArray.
enum class TShapeKind { skRectangle, skEllipse, skCircle, skRing };

/// TVarKind: element types of the untyped array routines.
enum class TVarKind {
  vkByte, vkShortInt, vkWord, vkSmallInt, vkCardinal, vkInteger, vkInt64,
  vkSingle, vkDouble, vkExtended
};

/// TLanguage: languages of month and day names in date scanning.
enum class TLanguage { lanEnglish, lanGerman };

/// TDecPSep: the decimal separator accepted by number scanners.
enum class TDecPSep { dsPoint, dsComma, dsBoth };

// --- shared event types ------------------------------------------------------

/// TNotifyEvent: a plain notification (OnChange, OnResize).
using TNotifyEvent = std::function<void(TObject* Sender)>;
/// TOnPercentDoneEvent: progress of a long operation in percent.
using TOnPercentDoneEvent = std::function<void(TObject* Sender, double PercentDone)>;
/// TSortExchgEvent: fired for each exchange of a sort; ExchgWhat 0: vector
/// elements, 1: matrix columns, 2: matrix rows; Index1 and Index2 are the
/// exchanged positions, LowBound..HighBound the extent of the exchanged
/// stretch in the other dimension (0, 0 for vectors).
using TSortExchgEvent = std::function<void(TObject* Sender, std::int32_t ExchgWhat, std::int32_t Index1,
                                           std::int32_t Index2, std::int32_t LowBound, std::int32_t HighBound)>;
/// TOnCheckAbortEvent: asks the host whether to stop; set Abort to stop.
using TOnCheckAbortEvent = std::function<void(TObject* Sender, bool& Abort)>;
/// TExportTextEvent: hands each exported text line to the host, which may
/// change it before it is written.
using TExportTextEvent = std::function<void(TObject* Sender, std::string& Text)>;

}  // namespace kvl

KVL_API_END
