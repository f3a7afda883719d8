// Reads a two-column ASC file into a curve fitter, fits a parabola and
// predicts a value with its intervals:
//   kvl_example_fit_curve [data/galileo_ramp.asc]
// The default file holds Galileo's ramp experiment: the release height of a
// ball (x) and how far it flew after leaving the ramp (y). A parabola
// describes the bend well; the program also prints the straight line for
// comparison.

#include <cstdio>
#include <string>

#include "kvl/kvl.h"

int main(int argc, char** argv) {
  const std::string file = argc > 1 ? argv[1] : "data/galileo_ramp.asc";

  // 1. Load the pairs. ImportASC returns 0 on success and a negative status
  //    otherwise (-8: no such file); ASCStatusText turns it into words.
  kvl::TCurveFit fit;
  const int status = fit.ImportASC(file);
  if (status != 0) {
    std::fprintf(stderr, "cannot read %s: %s\n", file.c_str(), kvl::ASCStatusText(status).c_str());
    return 1;
  }
  std::printf("%d pairs, x from %g to %g\n", fit.NumData(), fit.MinX(), fit.MaxX());

  try {
    // 2. Fit the models. CalcRegModel keeps the fitted model in the fitter
    //    (0 = fitted, -1 too few pairs); ModelPar(1, j) is parameter j and
    //    FitQual() the coefficient of determination r².
    if (fit.CalcRegModel(kvl::TRegModel::rmLinear, 0) != 0) return 1;
    std::printf("line:     y = %.4g %+.4g x              r2 = %.5f\n", fit.ModelPar(1, 0), fit.ModelPar(1, 1),
                fit.FitQual());
    if (fit.CalcRegModel(kvl::TRegModel::rmParabolic, 0) != 0) return 1;
    std::printf("parabola: y = %.4g %+.4g x %+.4g x^2  r2 = %.5f, residual sd %.3g\n", fit.ModelPar(1, 0),
                fit.ModelPar(1, 1), fit.ModelPar(1, 2), fit.FitQual(), fit.StdDevResid());

    // 3. Predict y at a new x with 95 % intervals: PredIv is the half width
    //    for a single new observation, ConfIv that for the mean curve.
    const double x = 700;
    double y = 0, predIv = 0, confIv = 0;
    if (fit.Predict(kvl::TRegModel::rmParabolic, x, 0.95, 0, y, predIv, confIv) != 0) return 1;
    std::printf("at x = %g: y = %.1f, prediction interval +/- %.1f, confidence interval +/- %.1f\n", x, y, predIv,
                confIv);
  } catch (const kvl::EKVLMath2Error& e) {  // a fit that cannot be done raises
    std::fprintf(stderr, "fit failed: %s\n", e.what());
    return 1;
  }
  return 0;
}
