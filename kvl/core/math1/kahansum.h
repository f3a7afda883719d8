#pragma once
// TKahanSum: compensated (Kahan) summation of a stream of Doubles.

#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TKahanSum: a running sum whose rounding errors are carried in a
/// compensation term, so that long sums of small terms stay exact to about
/// one rounding of the result.
class TKahanSum : public TComponent {
 public:
  /// Creates the sum at 0, optionally owned by AOwner.
  explicit TKahanSum(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

  /// Reset: sets Sum and the compensation back to 0.
  void Reset() noexcept {
    Sum = 0.0;
    cps = 0.0;
  }

  /// Add: adds ANumber to Sum, carrying the rounding error in cps.
  void Add(double ANumber) noexcept;

  /// Sum: the running sum.
  double Sum = 0.0;
  /// cps: the running compensation (the error not yet in Sum).
  double cps = 0.0;
};

}  // namespace kvl

KVL_API_END
