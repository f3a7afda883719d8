#pragma once
// The frame shared by the vector smoothers and filters: argument checks in
// the documented order, the stretch of the source as a span, and writing
// results into a vector with one change notification.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "kvl/containers/KVL_vector.h"

namespace kvl::smoothing_internal {

/// TSmoothTexts: the messages of one smoother (after "Func: ").
struct TSmoothTexts {
  std::string_view Func;
  std::string_view Range;       ///< the stretch is shorter than the window
  std::string_view OutOfRange;  ///< the window length is not allowed
  std::string_view Odd;         ///< the window length is even
};

/// TStretch: a checked stretch first..last (1-based, ordered) of a vector.
struct TStretch {
  std::int32_t First = 1;
  std::int32_t Last = 1;
  std::int32_t Count() const noexcept { return Last - First + 1; }
};

/// ClampStretch: first and last clamped into 1..NrOfElem and put in order.
TStretch ClampStretch(const TVector& Source, std::int32_t First, std::int32_t Last) noexcept;

/// CheckSmoother: the common checks of the six smoothers, in their order:
/// a missing vector, a stretch shorter than Length (last - first < Length),
/// Length outside MinLength..MaxLength, an even Length. Raises
/// EKVLMath2Error with the smoother's message; returns the stretch.
TStretch CheckSmoother(const TVector* Source, const TVector* Dest, std::int32_t First, std::int32_t Last,
                       std::int32_t Length, std::int32_t MinLength, std::int32_t MaxLength, const TSmoothTexts& Texts);

/// StretchOf: the elements First..Last of Source.
inline std::span<const double> StretchOf(const TVector& Source, TStretch S) noexcept {
  return Source.Data().subspan(static_cast<std::size_t>(S.First - 1), static_cast<std::size_t>(S.Count()));
}

/// FillEdges: the smoothers' edge rule on Out (positions 0..n-1 for
/// elements 1..n of the destination): the first Half positions take the
/// value at Half, the last Half the value at n - 1 - Half.
void FillEdges(std::span<double> Out, std::int32_t Half) noexcept;

/// WriteOnce: Values to Dest from element FirstElem on (elements past the
/// end are dropped, as SetVal drops them), then one OnChange.
void WriteOnce(TVector& Dest, std::int32_t FirstElem, std::span<const double> Values);

}  // namespace kvl::smoothing_internal
