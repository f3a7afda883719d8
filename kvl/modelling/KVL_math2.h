#pragma once
// KVL_math2: modelling and signal processing. Decompositions and multivariate
// regression, smoothing, derivatives and filters, formula operators and
// polygon and sphere geometry; curve fitting and clustering join it later.
//
//   #include "kvl/modelling/KVL_math2.h"
//
// The unit's errors are raised as EKVLMath2Error (formula texts as
// EKVLMathExp). Each topic header below says which of its functions keep
// state and which may be called from any thread.

#include "kvl/core/KVL_frame.h"

// Topic headers, one per family (keep the list sorted).
#include "kvl/modelling/cluster/cluster.h"
#include "kvl/modelling/curvefit/curvefit.h"
#include "kvl/modelling/decomp/decomp_covar.h"
#include "kvl/modelling/decomp/decomp_eigen.h"
#include "kvl/modelling/decomp/decomp_svd.h"
#include "kvl/modelling/formula/formula_operators.h"
#include "kvl/modelling/polygon/polygons.h"
#include "kvl/modelling/regression/multi_regression.h"
#include "kvl/modelling/smoothing/smoothing.h"
