#pragma once
// Element-wise arithmetic, fills, copies and conversions, reshaping, normalising
// and centring, thresholds, index sorts, shuffles and resampling.
//
// Every family is one template over element type and rank behind the
// overloads declared in these headers:
//   arith/elementwise.h  AddArrays ... AbsValArray, TraceOfArray, AccumulateArray
//   arith/fill.h         FillArray, FillArraySerial, FillDiagArray
//   arith/random.h       FillRandomNormal, FillRandomUniform, ShuffleArray,
//                        Resample2DArray
//   arith/copy.h         CloneArray ... EqualArrays, the retired
//                        CopyVectorToArrayColumn / Row
//   arith/reshape.h      TransposeArray, FlipDimArray, RemoveRow / Column,
//                        SerializeArray, PermuteArray, SortArray with index,
//                        SortAndRemoveDuplicates
//   arith/transform.h    NormalizeColumns / Rows, MeanCenter..., DichotomizeArray,
//                        DiscretizeArray, CheckLinearity, RescaleArray

#include "kvl/arrays/array_core.h"
#include "kvl/arrays/arith/copy.h"
#include "kvl/arrays/arith/elementwise.h"
#include "kvl/arrays/arith/fill.h"
#include "kvl/arrays/arith/random.h"
#include "kvl/arrays/arith/reshape.h"
#include "kvl/arrays/arith/transform.h"
#include "kvl/base/KVL_kvlbase.h"
