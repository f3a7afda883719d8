#pragma once
// Smoothing, derivatives and filters of the modelling unit, one header per
// family: moving smoothers, Savitzky-Golay smoothing and derivatives,
// windowed-sinc and Chebyshev filters, 2-D kernels, peak shapes. None of
// them keeps state; each may be called from any thread on its own data.

#include "kvl/modelling/smoothing/golay_filters.h"
#include "kvl/modelling/smoothing/kernel_convolve.h"
#include "kvl/modelling/smoothing/moving_filters.h"
#include "kvl/modelling/smoothing/peak_shapes.h"
#include "kvl/modelling/smoothing/sinc_chebyshev.h"
