#include "kvl/modelling/smoothing/internal/smooth_frame.h"

#include <algorithm>
#include <utility>

#include "kvl/core/KVL_frame.h"

namespace kvl::smoothing_internal {

namespace {

// The vector has no bulk writer that notifies once. Its writes go through
// SetVal with OnChange muted by the component model's own mute (reachable
// through this accessor), so a handler stays untouched and fires once after.
struct TMuteAccess : TComponent {
  using TComponent::TEventMute;
};

}  // namespace

TStretch ClampStretch(const TVector& Source, std::int32_t First, std::int32_t Last) noexcept {
  const std::int32_t n = Source.NrOfElem();
  First = std::clamp(First, 1, n);
  Last = std::clamp(Last, 1, n);
  if (First > Last) std::swap(First, Last);
  return {First, Last};
}

TStretch CheckSmoother(const TVector* Source, const TVector* Dest, std::int32_t First, std::int32_t Last,
                       std::int32_t Length, std::int32_t MinLength, std::int32_t MaxLength, const TSmoothTexts& Texts) {
  if (Source == nullptr || Dest == nullptr)
    RaiseFunc<EKVLMath2Error>(Texts.Func, "either SourceVec or DestVec is undefined");
  const TStretch s = ClampStretch(*Source, First, Last);
  if (s.Last - s.First < Length) RaiseFunc<EKVLMath2Error>(Texts.Func, Texts.Range);
  if (Length < MinLength || Length > MaxLength) RaiseFunc<EKVLMath2Error>(Texts.Func, Texts.OutOfRange);
  if (Length % 2 == 0) RaiseFunc<EKVLMath2Error>(Texts.Func, Texts.Odd);
  return s;
}

void FillEdges(std::span<double> Out, std::int32_t Half) noexcept {
  const auto h = static_cast<std::size_t>(Half);
  const std::size_t n = Out.size();
  if (n < 2 * h + 1) return;
  std::fill_n(Out.begin(), h, Out[h]);
  std::fill(Out.end() - static_cast<std::ptrdiff_t>(h), Out.end(), Out[n - 1 - h]);
}

void WriteOnce(TVector& Dest, std::int32_t FirstElem, std::span<const double> Values) {
  {
    TMuteAccess::TEventMute mute(Dest, Dest.OnChange);
    const std::int64_t end = std::min<std::int64_t>(Dest.NrOfElem(), FirstElem + static_cast<std::int64_t>(Values.size()) - 1);
    for (std::int64_t e = std::max(FirstElem, 1); e <= end; ++e)
      Dest.SetVal(static_cast<std::int32_t>(e), Values[static_cast<std::size_t>(e - FirstElem)]);
  }
  Dest.Changed();
}

}  // namespace kvl::smoothing_internal
