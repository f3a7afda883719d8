#pragma once
// Summaries of arrays: means, deviations, extremes, percentiles, frequency
// distributions, counts, local means and medians, correlation, distances, searches.

#include "kvl/arrays/array_core.h"
#include "kvl/base/KVL_kvlbase.h"

namespace kvl {}  // namespace kvl
