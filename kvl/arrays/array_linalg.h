#pragma once
// Matrix routines on 2-D arrays and column views: products, inversion,
// determinants, LU decompositions, eigen decomposition, the hat matrix.

#include "kvl/arrays/array_core.h"
#include "kvl/base/KVL_kvlbase.h"

namespace kvl {}  // namespace kvl
