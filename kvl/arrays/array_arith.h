#pragma once
// Element-wise arithmetic, fills, copies and conversions, reshaping, normalising
// and centring, thresholds, index sorts, shuffles and resampling.

#include "kvl/arrays/array_core.h"
#include "kvl/base/KVL_kvlbase.h"

namespace kvl {}  // namespace kvl
