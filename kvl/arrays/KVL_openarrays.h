#pragma once
// KVL_openarrays: free functions over plain dynamic arrays of numbers, one
// to four dimensions deep: statistics, arithmetic, fills, copies, reshaping
// and the matrix routines that the containers use on their own storage.
//
// Conventions shared by every routine:
// - indices are 0-based; a 2-D array is [column][row];
// - nested arrays are taken as rectangular (extents read at element 0);
// - index ranges are all low bounds (outermost first), then all high bounds;
// - status results: 0 success, -1 empty array, -2 bad size or range, further
//   codes as each routine states; nothing here raises except the retired
//   routines, which raise EKVLError "deprecated function, see help for
//   details".

#include "kvl/arrays/array_core.h"
#include "kvl/arrays/array_stats.h"
#include "kvl/arrays/array_arith.h"
#include "kvl/arrays/array_linalg.h"
#include "kvl/arrays/array_svd.h"
#include "kvl/arrays/array_images.h"
