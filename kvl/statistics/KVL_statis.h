#pragma once
// KVL_statis: statistics. Probability distributions (normal, gamma and beta
// functions, chi-square, t, F, binomial, Mann-Whitney U, Shapiro-Wilk W,
// Kolmogorov-Smirnov and Lilliefors), Fisher's z transform, the levels of
// significance shared by the tests, contingency tables, outlier tests and
// robust estimators, the hypothesis tests, random numbers of tabulated
// distributions (TRandGen), cross-validation (TCrossValidator) and
// classifier evaluation (TCFEvaluator).
//
//   #include "kvl/statistics/KVL_statis.h"
//   double p = 1.0 - kvl::chi2DistriIntegral(7.81, 3);   // about 0.05
//
// Every free function may be called from any thread; none keeps state. Arguments
// outside a function's domain give the fallback value or status its
// declaration states; only FisherTransform, HyperGeoDistriDensity and
// DeanDixonTest (too few or too many values) raise EKVLStatisError.

#include "kvl/core/KVL_frame.h"
#include "kvl/statistics/statis/anova.h"
#include "kvl/statistics/statis/cf_evaluator.h"
#include "kvl/statistics/statis/classif_merit.h"
#include "kvl/statistics/statis/contingency.h"
#include "kvl/statistics/statis/continuous.h"
#include "kvl/statistics/statis/correlation.h"
#include "kvl/statistics/statis/cross_validator.h"
#include "kvl/statistics/statis/densities.h"
#include "kvl/statistics/statis/discrete.h"
#include "kvl/statistics/statis/gammabeta.h"
#include "kvl/statistics/statis/kolmogorov.h"
#include "kvl/statistics/statis/normal.h"
#include "kvl/statistics/statis/normality.h"
#include "kvl/statistics/statis/outliers.h"
#include "kvl/statistics/statis/parametric.h"
#include "kvl/statistics/statis/ranks.h"
#include "kvl/statistics/statis/ranktests.h"
#include "kvl/statistics/statis/robust.h"
#include "kvl/statistics/statis/runs.h"
#include "kvl/statistics/statis/shapirowilk.h"
#include "kvl/statistics/statis/signiflevel.h"
#include "kvl/statistics/statis/tabulated_random.h"
