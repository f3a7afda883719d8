// TCurveFit: the fits of the fourteen models, model evaluation, residuals,
// prediction intervals and the analysis of variance.

#include <algorithm>
#include <cmath>
#include <string>

#include "kvl/arrays/array_svd.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/modelling/curvefit/curvefit.h"
#include "kvl/modelling/curvefit/internal/curvefit_linearised.h"
#include "kvl/statistics/KVL_statis.h"

namespace kvl {

namespace {

using curvefit_internal::TDomain;
using curvefit_internal::TLinearisedFit;

constexpr std::size_t kPars = 0;  // row 1 of FModPars
constexpr std::size_t kSig = 1;   // row 2

// Means of x and y over the stored pairs, in extended precision.
void PairMeans(const double* x, const double* y, std::int32_t n, long double& mx, long double& my) {
  long double sx = 0, sy = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    sx += x[i];
    sy += y[i];
  }
  mx = sx / n;
  my = sy / n;
}

}  // namespace

void TCurveFit::StoreLinearised(TRegModel Model, std::span<const double> Pars, double Quality) {
  BeginModel();
  std::copy(Pars.begin(), Pars.end(), FModPars[kPars].begin());
  FModR2 = Quality;
  FRegMod = Model;
}

void TCurveFit::StoreTwo(TRegModel Model, std::span<const double> Pars, double Quality, double& k0, double& k1,
                         double& FitQual) {
  k0 = Pars[0];
  k1 = Pars[1];
  FitQual = Quality;
  StoreLinearised(Model, Pars.first(2), Quality);
}

// --- line, parabola, circle -------------------------------------------------------------------

void TCurveFit::CalcLinFit(double& k, double& d, double& FitQual) {
  const std::int32_t n = FNumData;
  if (n < 2) {
    FRegMod = TRegModel::rmNone;
    RaiseFunc<EKVLMath2Error>("CalcLinFit", "not enough data points");
  }
  const double *x = XData(), *y = YData();
  long double mx = 0, my = 0;
  PairMeans(x, y, n, mx, my);
  long double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    const long double dx = x[i] - mx, dy = y[i] - my;
    sx += dx;
    sy += dy;
    sxx += dx * dx;
    syy += dy * dy;
    sxy += dx * dy;
  }
  const long double D = n * sxx - sx * sx;
  if (D == 0) {
    FRegMod = TRegModel::rmNone;
    RaiseFunc<EKVLMath2Error>("CalcLinFit", "slope is infinite");
  }
  const long double kk = (n * sxy - sx * sy) / D;
  const long double dd = (sxx * sy - sx * sxy) / D - kk * mx + my;
  const long double q = syy - sy * sy / n;
  k = static_cast<double>(kk);
  d = static_cast<double>(dd);
  FitQual = q == 0 ? 1.0 : static_cast<double>((dd * sy + kk * sxy - sy * sy / n) / q);
  BeginModel();
  FModPars[kPars][0] = d;
  FModPars[kPars][1] = k;
  FModR2 = FitQual;
  FRegMod = TRegModel::rmLinear;
}

void TCurveFit::CalcParabolFit(double& k0, double& k1, double& k2, double& FitQual) {
  const std::int32_t n = FNumData;
  if (n < 3) {
    FRegMod = TRegModel::rmNone;
    RaiseFunc<EKVLMath2Error>("CalcParabolFit", "not enough data points");
  }
  const double *x = XData(), *y = YData();
  long double mx = 0, my = 0;
  PairMeans(x, y, n, mx, my);
  long double s1 = 0, sy = 0, s2 = 0, syy = 0, sxy = 0, s2y = 0, s3 = 0, s4 = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    const long double dx = x[i] - mx, dy = y[i] - my, dx2 = dx * dx;
    s1 += dx;
    sy += dy;
    s2 += dx2;
    syy += dy * dy;
    sxy += dx * dy;
    s2y += dx2 * dy;
    s3 += dx2 * dx;
    s4 += dx2 * dx2;
  }
  const double A = static_cast<double>(n * s2 - s1 * s1);
  const double B = static_cast<double>(A * (n * s4 - s2 * s2));
  const double C = static_cast<double>(n * s3 - s1 * s2);
  const double E = static_cast<double>(n * sxy - s1 * sy);
  const long double c = C * C == B ? 0.0L : (A * (n * s2y - s2 * sy) - C * static_cast<long double>(E)) / (B - C * C);
  const long double b = A == 0 ? 0.0L : (E - C * c) / A;
  const long double a = (sy - b * s1 - c * s2) / n;
  k2 = static_cast<double>(c);
  k1 = static_cast<double>(b - 2 * c * mx);
  k0 = static_cast<double>(c * mx * mx + a - b * mx + my);
  const long double q = syy - sy * sy / n;
  FitQual = q == 0 ? 1.0 : static_cast<double>((a * sy + b * sxy + c * s2y - sy * sy / n) / q);
  BeginModel();
  FModPars[kPars][0] = k0;
  FModPars[kPars][1] = k1;
  FModPars[kPars][2] = k2;
  FModR2 = FitQual;
  FRegMod = TRegModel::rmParabolic;
}

void TCurveFit::CalcCircleFit(double& r, double& dx, double& dy) {
  const std::int32_t n = FNumData;
  if (n < 3) {
    FRegMod = TRegModel::rmNone;
    RaiseFunc<EKVLMath2Error>("CalcCircleFit", "not enough data points");
  }
  const TCurveFitSums& s = Sums();
  const double a = static_cast<double>(n * s.sumxy - s.sumx * s.sumy);
  const double b = static_cast<double>(s.sumy * s.sumy - n * s.sumyq);
  const double c = static_cast<double>(s.sumx * s.sumx - n * s.sumxq);
  const double det = b * c - a * a;
  if (det == 0) {
    FRegMod = TRegModel::rmNone;
    RaiseFunc<EKVLMath2Error>("CalcCircleFit", "radius is infinite");
  }
  const long double u = (s.sumxq + s.sumyq) * s.sumx - (s.sumxy2 + s.sumx3) * n;
  const long double v = (s.sumxq + s.sumyq) * s.sumy - (s.sumx2y + s.sumy3) * n;
  const long double cx = (a * v + b * u) / 2 / det;
  const long double cy = (a * u + v * c) / 2 / det;
  dx = static_cast<double>(cx);
  dy = static_cast<double>(cy);
  r = static_cast<double>(
      std::sqrt((s.sumxq + s.sumyq - 2 * (cx * s.sumx + cy * s.sumy) + (cx * cx + cy * cy) * n) / n));
  BeginModel();
  FModR2 = 0;
  FModPars[kPars][0] = dx;
  FModPars[kPars][1] = dy;
  FModPars[kPars][2] = r;
  FRegMod = TRegModel::rmCircle;
}

// --- polynomials --------------------------------------------------------------------------------

void TCurveFit::PolyFit(const char* Func, bool Centered, std::int32_t nOrder, std::vector<double>& kArray,
                        std::vector<double>& Alpha, double& XShift, double& FitQual, bool& NearSingular, bool& Ok) {
  BeginModel();
  FitQual = 0;
  NearSingular = false;
  Ok = false;
  if (nOrder < 0 || nOrder > CurveFitMaxOrder)
    RaiseFunc<EKVLMath2Error>(Func, "order of polynomial must be between 0 and " + std::to_string(CurveFitMaxOrder) +
                                        " (is " + std::to_string(nOrder) + ")");
  const std::int32_t n = FNumData;
  if (n <= nOrder) RaiseFunc<EKVLMath2Error>(Func, "not enough data points");
  const auto ord = static_cast<std::size_t>(nOrder), rows = static_cast<std::size_t>(n), cols = ord + 1;
  kArray.assign(cols, 0.0);
  Alpha.assign(cols, 0.0);
  FRegMod = Centered ? TRegModel::rmCenteredPoly : TRegModel::rmPolynomial;
  AbortMathProc = false;

  const double *x = XData(), *y = YData();
  long double mx = 0, my = 0;
  PairMeans(x, y, n, mx, my);
  double shift = 0, scale = 1, yShift = 0;
  if (Centered) {
    if (XShift == 0) XShift = static_cast<double>(mx);
    shift = XShift;
    yShift = static_cast<double>(my);
    long double ss = 0;
    for (std::int32_t i = 0; i < n; ++i) ss += (x[i] - mx) * (x[i] - mx);
    const double sd = n > 1 ? static_cast<double>(std::sqrt(ss / (n - 1))) : 0.0;
    scale = sd == 0 ? 1.0 : sd;
  }
  // Design matrix, column-major: column j − 1 holds u^j (j = 1..order), the last 1.
  std::vector<double> design(rows * cols), b(rows);
  for (std::size_t i = 0; i < rows; ++i) {
    const double u = Centered ? (x[i] - shift) / scale : x[i];
    double p = 1;
    for (std::size_t j = 0; j < ord; ++j) {
      p *= u;
      design[j * rows + i] = p;
    }
    design[ord * rows + i] = 1.0;
    b[i] = y[i] - yShift;
  }
  std::vector<double> coef, factors;
  const TColumnView<const double> designView(design.data(), cols, rows);  // read only: the solver copies it
  TSvdResult res = SvdLeastSquares(designView, b, coef, NearSingular, factors);
  if (res == TSvdResult::svdSuccess) {
    // One step of refinement: the residual taken in extended precision and
    // solved for again removes most of the rounding of the first solve.
    std::vector<double> resid(rows), delta;
    for (std::size_t i = 0; i < rows; ++i) {
      long double f = 0;
      for (std::size_t j = 0; j < cols; ++j) f += static_cast<long double>(design[j * rows + i]) * coef[j];
      resid[i] = static_cast<double>(b[i] - f);
    }
    bool nearSingular2 = false;
    res = SvdLeastSquares(designView, resid, delta, nearSingular2);
    if (res == TSvdResult::svdSuccess)
      for (std::size_t j = 0; j < cols; ++j) coef[j] += delta[j];
  }
  if (res != TSvdResult::svdSuccess) {
    ClearModelParams();
    return;
  }
  // Fit statistics of the (centred) response against the fitted values.
  long double syy2 = 0, sff = 0, sy = 0, sf = 0, syf = 0, sres = 0;
  for (std::size_t i = 0; i < rows; ++i) {
    const long double u = Centered ? (x[i] - shift) / scale : x[i];
    long double f = coef[ord];
    long double p = 1;
    for (std::size_t j = 0; j < ord; ++j) {
      p *= u;
      f += coef[j] * p;
    }
    const long double yi = b[i];
    syy2 += yi * yi;
    sff += f * f;
    sy += yi;
    sf += f;
    syf += yi * f;
    sres += (f - yi) * (f - yi);
  }
  const std::int32_t df = n - nOrder - 1;
  const long double s = df < 1 ? 0.0L : std::sqrt(sres / df);
  const long double Syy = syy2 - sy * sy / n, Sff = sff - sf * sf / n;
  long double r = 0;
  if (syy2 > 0 && sff > 0 && Syy != 0 && Sff != 0) r = (syf - sy * sf / n) / std::sqrt(std::fabs(Syy * Sff));
  FitQual = static_cast<double>(r * r);

  auto significance = [&](double c, double f) {
    if (df < 1) return 0.0;  // no residual degrees of freedom: nothing is significant
    const double t = s != 0 && f != 0 ? std::fabs(static_cast<double>(c / s / f)) : 0.0;
    return 2.0 * (1.0 - tDistriIntegral(t, df));
  };
  double power = 1;
  for (std::size_t j = 1; j <= ord; ++j) {
    power *= scale;
    kArray[j] = coef[j - 1] / power;
    Alpha[j] = significance(coef[j - 1], factors[j - 1]);
  }
  kArray[0] = coef[ord] + yShift;
  Alpha[0] = significance(coef[ord], factors[ord]);
  for (std::size_t j = 0; j <= ord; ++j) {
    FModPars[kPars][j] = kArray[j];
    FModPars[kSig][j] = Alpha[j];
  }
  FModR2 = FitQual;
  FXShift = Centered ? XShift : 0.0;
  FPolyOrder = nOrder;
  Ok = true;
}

bool TCurveFit::CalcPolyFit(std::int32_t nOrder, std::vector<double>& kArray, std::vector<double>& Alpha,
                            double& FitQual, bool& NearSingular) {
  double shift = 0;
  bool ok = false;
  PolyFit("CalcPolyFit", false, nOrder, kArray, Alpha, shift, FitQual, NearSingular, ok);
  return ok;
}

bool TCurveFit::CalcPolyFit(std::int32_t nOrder, std::vector<double>& kArray, double& FitQual, bool& NearSingular) {
  std::vector<double> alpha;
  return CalcPolyFit(nOrder, kArray, alpha, FitQual, NearSingular);
}

bool TCurveFit::CalcCenteredPolyFit(std::int32_t nOrder, std::vector<double>& kArray, std::vector<double>& alpha,
                                    double& XShift, double& FitQual, bool& NearSingular) {
  bool ok = false;
  PolyFit("CalcCenteredPolyFit", true, nOrder, kArray, alpha, XShift, FitQual, NearSingular, ok);
  return ok;
}

bool TCurveFit::CalcCenteredPolyFit(std::int32_t nOrder, std::vector<double>& kArray, double& XShift,
                                    double& FitQual, bool& NearSingular) {
  std::vector<double> alpha;
  return CalcCenteredPolyFit(nOrder, kArray, alpha, XShift, FitQual, NearSingular);
}

// --- the linearised models -------------------------------------------------------------------------

namespace {

// Runs a linearised fit over the stored pairs; on a failure the model is
// cleared by the caller's handler before the message is raised.
template <class TTransform>
TLinearisedFit RunLinearised(TCurveFit& Fit, const char* Func, std::int32_t MinData, std::int32_t NumData,
                             const double* x, const double* y, TDomain Domain, int Regressors, TTransform Transform) {
  if (NumData < MinData) {
    Fit.ClearModelParams();
    RaiseFunc<EKVLMath2Error>(Func, "not enough data points");
  }
  TLinearisedFit r = curvefit_internal::FitLinearised(x, y, NumData, Domain, Regressors, Transform);
  if (!r.Problem.empty()) {
    Fit.ClearModelParams();
    RaiseFunc<EKVLMath2Error>(Func, r.Problem);
  }
  return r;
}

constexpr std::int32_t MinPairs(TRegModel m) { return REG_MINDP[static_cast<std::size_t>(m)]; }

}  // namespace

void TCurveFit::CalcReciLinFit(double& k0, double& k1, double& FitQual) {
  const auto r = RunLinearised(*this, "CalcReciLinFit", MinPairs(TRegModel::rmReciLin), FNumData, XData(), YData(),
                               TDomain::dmYNonZero, 1, [](long double x, long double y, long double* u) {
                                 u[0] = x;
                                 return 1 / y;
                               });
  StoreTwo(TRegModel::rmReciLin, r.Beta, r.R2, k0, k1, FitQual);
}

void TCurveFit::CalcHyperbolFit(double& k0, double& k1, double& FitQual) {
  const auto r = RunLinearised(*this, "CalcHyperbolFit", MinPairs(TRegModel::rmHyperbolic), FNumData, XData(),
                               YData(), TDomain::dmXNonZero, 1, [](long double x, long double y, long double* u) {
                                 u[0] = 1 / x;
                                 return y;
                               });
  StoreTwo(TRegModel::rmHyperbolic, r.Beta, r.R2, k0, k1, FitQual);
}

void TCurveFit::CalcReciHyperbolFit(double& k0, double& k1, double& FitQual) {
  const auto r = RunLinearised(*this, "CalcReciHyperbolFit", MinPairs(TRegModel::rmReciHyperbolic), FNumData,
                               XData(), YData(), TDomain::dmXNonZero | TDomain::dmYNonZero, 1,
                               [](long double x, long double y, long double* u) {
                                 u[0] = 1 / x;
                                 return 1 / y;
                               });
  StoreTwo(TRegModel::rmReciHyperbolic, r.Beta, r.R2, k0, k1, FitQual);
}

void TCurveFit::CalcLogFit(double& k0, double& k1, double& FitQual) {
  const auto r = RunLinearised(*this, "CalcLogFit", MinPairs(TRegModel::rmLog), FNumData, XData(), YData(),
                               TDomain::dmXPositive, 1, [](long double x, long double y, long double* u) {
                                 u[0] = std::log(x);
                                 return y;
                               });
  StoreTwo(TRegModel::rmLog, r.Beta, r.R2, k0, k1, FitQual);
}

void TCurveFit::CalcReciLogFit(double& k0, double& k1, double& FitQual) {
  const auto r = RunLinearised(*this, "CalcReciLogFit", MinPairs(TRegModel::rmReciLog), FNumData, XData(), YData(),
                               TDomain::dmXPositive | TDomain::dmYNonZero, 1,
                               [](long double x, long double y, long double* u) {
                                 u[0] = std::log(x);
                                 return 1 / y;
                               });
  StoreTwo(TRegModel::rmReciLog, r.Beta, r.R2, k0, k1, FitQual);
}

void TCurveFit::CalcPowerFit(double& k0, double& k1, double& FitQual) {
  auto r = RunLinearised(*this, "CalcPowerFit", MinPairs(TRegModel::rmPower), FNumData, XData(), YData(),
                         TDomain::dmXPositive | TDomain::dmYPositive, 1,
                         [](long double x, long double y, long double* u) {
                           u[0] = std::log(x);
                           return std::log(y);
                         });
  r.Beta[0] = std::exp(r.Beta[0]);
  StoreTwo(TRegModel::rmPower, r.Beta, r.R2, k0, k1, FitQual);
}

void TCurveFit::CalcExponentialFit(double& k0, double& k1, double& FitQual) {
  auto r = RunLinearised(*this, "CalcExponentialFit", MinPairs(TRegModel::rmExpo), FNumData, XData(), YData(),
                         TDomain::dmYPositive, 1, [](long double x, long double y, long double* u) {
                           u[0] = x;
                           return std::log(y);
                         });
  r.Beta[0] = std::exp(r.Beta[0]);
  StoreTwo(TRegModel::rmExpo, r.Beta, r.R2, k0, k1, FitQual);
}

void TCurveFit::CalcGaussFit(double& k0, double& k1, double& k2, double& FitQual) {
  // ln y = b0 + b1 x + b2 x² with c = −1/b2, centre b = b1 c/2, height a = exp(b0 + b²/c).
  auto r = RunLinearised(*this, "CalcGaussFit", MinPairs(TRegModel::rmGaussian), FNumData, XData(), YData(),
                         TDomain::dmYPositive, 2, [](long double x, long double y, long double* u) {
                           u[0] = x;
                           u[1] = x * x;
                           return std::log(y);
                         });
  if (r.Beta[2] == 0) {
    ClearModelParams();
    RaiseFunc<EKVLMath2Error>("CalcGaussFit", "width is infinite");
  }
  const long double c = -1.0L / r.Beta[2], b = r.Beta[1] * c / 2;
  const long double a = std::exp(r.Beta[0] + b * b / c);
  k0 = static_cast<double>(a);
  k1 = static_cast<double>(b);
  k2 = static_cast<double>(c);
  FitQual = r.R2;
  const double pars[3] = {k0, k1, k2};
  StoreLinearised(TRegModel::rmGaussian, pars, FitQual);
}

void TCurveFit::CalcHoerlFit(double& k0, double& k1, double& k2, double& FitQual) {
  // ln y = ln a + x ln b + c ln x.
  auto r = RunLinearised(*this, "CalcHoerlFit", MinPairs(TRegModel::rmHoerl), FNumData, XData(), YData(),
                         TDomain::dmXPositive | TDomain::dmYPositive, 2,
                         [](long double x, long double y, long double* u) {
                           u[0] = x;
                           u[1] = std::log(x);
                           return std::log(y);
                         });
  k0 = std::exp(r.Beta[0]);
  k1 = std::exp(r.Beta[1]);
  k2 = r.Beta[2];
  FitQual = r.R2;
  const double pars[3] = {k0, k1, k2};
  StoreLinearised(TRegModel::rmHoerl, pars, FitQual);
}

// --- model use -------------------------------------------------------------------------------------------

double TCurveFit::Evaluate(double XVal) const {
  const double a = FModPars[kPars][0], b = FModPars[kPars][1], c = FModPars[kPars][2];
  switch (FRegMod) {
    case TRegModel::rmLinear:
      return a + b * XVal;
    case TRegModel::rmParabolic:
      return a + b * XVal + c * XVal * XVal;
    case TRegModel::rmGaussian:
      return a * std::exp(-(XVal - b) * (XVal - b) / c);
    case TRegModel::rmReciLin: {
      const double den = a + b * XVal;
      return den == 0 ? uc_MaxDouble : 1.0 / den;
    }
    case TRegModel::rmHyperbolic:
      return XVal == 0 ? uc_MaxDouble : a + b / XVal;
    case TRegModel::rmReciHyperbolic: {
      const double den = a * XVal + b;
      return den == 0 ? uc_MaxDouble : XVal / den;
    }
    case TRegModel::rmLog:
      return XVal <= 0 ? -uc_MaxDouble : a + b * std::log(XVal);
    case TRegModel::rmReciLog: {
      if (XVal <= 0) return -uc_MaxDouble;
      const double den = a + b * std::log(XVal);
      return den == 0 ? uc_MaxDouble : 1.0 / den;
    }
    case TRegModel::rmPower:
      return a * std::pow(XVal, b);
    case TRegModel::rmExpo:
      return a * std::exp(b * XVal);
    case TRegModel::rmHoerl:
      return a * std::exp(XVal * std::log(b)) * std::exp(c * std::log(XVal));
    case TRegModel::rmPolynomial:
      return Polynomial(FModPars[kPars], FPolyOrder, XVal);
    case TRegModel::rmCenteredPoly:
      return CenteredPolynomial(FModPars[kPars], FPolyOrder, XVal, FXShift);
    case TRegModel::rmNone:
    case TRegModel::rmCircle:
      break;
  }
  return 0.0;
}

std::int32_t TCurveFit::CalcRegModel(TRegModel RegModel, std::int32_t PolyOrder) {
  const auto m = static_cast<std::size_t>(RegModel);
  if (m >= REG_MINDP.size()) return -2;
  if (FNumData < REG_MINDP[m]) return -1;
  if (RegModel == TRegModel::rmNone) return -2;
  const bool poly = RegModel == TRegModel::rmPolynomial || RegModel == TRegModel::rmCenteredPoly;
  if (RegModel != FRegMod || (poly && PolyOrder != FPolyOrder)) {
    double p0 = 0, p1 = 0, p2 = 0, q = 0, shift = 0;
    bool nearSingular = false;
    std::vector<double> k;
    switch (RegModel) {
      case TRegModel::rmLinear: CalcLinFit(p1, p0, q); break;
      case TRegModel::rmParabolic: CalcParabolFit(p0, p1, p2, q); break;
      case TRegModel::rmGaussian: CalcGaussFit(p0, p1, p2, q); break;
      case TRegModel::rmReciLin: CalcReciLinFit(p0, p1, q); break;
      case TRegModel::rmHyperbolic: CalcHyperbolFit(p0, p1, q); break;
      case TRegModel::rmReciHyperbolic: CalcReciHyperbolFit(p0, p1, q); break;
      case TRegModel::rmLog: CalcLogFit(p0, p1, q); break;
      case TRegModel::rmReciLog: CalcReciLogFit(p0, p1, q); break;
      case TRegModel::rmPower: CalcPowerFit(p0, p1, q); break;
      case TRegModel::rmExpo: CalcExponentialFit(p0, p1, q); break;
      case TRegModel::rmHoerl: CalcHoerlFit(p0, p1, p2, q); break;
      case TRegModel::rmPolynomial: CalcPolyFit(PolyOrder, k, q, nearSingular); break;
      case TRegModel::rmCenteredPoly: CalcCenteredPolyFit(PolyOrder, k, shift, q, nearSingular); break;
      case TRegModel::rmCircle:  // the circle is not a function of x: no fit
      case TRegModel::rmNone: break;
    }
  }
  const double *x = XData(), *y = YData();
  FModelClear = false;
  FResids.resize(static_cast<std::size_t>(FNumData));
  for (std::int32_t i = 0; i < FNumData; ++i) FResids[static_cast<std::size_t>(i)] = y[i] - Evaluate(x[i]);
  return 0;
}

std::int32_t TCurveFit::Predict(TRegModel RegModel, double XVal, double p, std::int32_t PolyOrder, double& PredVal,
                                double& PredIv, double& ConfIv) {
  const auto m = static_cast<std::size_t>(RegModel);
  if (RegModel == TRegModel::rmNone || m >= REG_MINDP.size()) return -3;
  // The intervals need n − 2 >= 1 degrees of freedom whatever the model.
  if (FNumData < REG_MINDP[m] || FNumData < 3) return -2;
  if (!(p >= 0.5 && p < 1)) return -1;
  if (const std::int32_t st = CalcRegModel(RegModel, PolyOrder)) return st;
  const std::int32_t n = FNumData;
  PredVal = Evaluate(XVal);
  const long double mx = Sums().sumx / n;
  const double *x = XData(), *y = YData();
  long double sxx = 0, ssres = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    const double f = Evaluate(x[i]);
    if (!(std::fabs(f) < uc_MaxDouble / 2)) continue;
    sxx += (x[i] - mx) * (x[i] - mx);
    ssres += (y[i] - f) * static_cast<long double>(y[i] - f);
  }
  const long double s = std::sqrt(ssres / (n - 2));
  const long double h = (XVal - mx) * (XVal - mx) / sxx;
  const long double t = std::fabs(tDistriQuantile((1 - p) / 2, n - 2));
  PredIv = static_cast<double>(s * std::sqrt(1 + 1.0L / n + h) * t);
  ConfIv = static_cast<double>(s * std::sqrt(1.0L / n + h) * t);
  return 0;
}

void TCurveFit::CalcAnovaReg(std::int32_t NumVars, bool IncludeConst, std::int32_t& dfreg, std::int32_t& dfres,
                             std::int32_t& dftotal, double& SSE, double& SSR, double& SST, double& MSE, double& MSR,
                             double& F) const {
  const std::int32_t n = FNumData;
  const TCurveFitSums& s = Sums();
  dfreg = NumVars;
  dftotal = IncludeConst ? n - 1 : n;
  const long double m = IncludeConst && n > 0 ? s.sumx / n : 0.0L;
  dfres = dftotal - dfreg;
  SSE = static_cast<double>(s.SumDiffq);
  SSR = static_cast<double>(s.sumyq - 2 * m * s.sumy + n * m * m);
  SST = static_cast<double>(s.sumxq - 2 * m * s.sumx + n * m * m);
  // No degrees of freedom leave nothing to divide: the mean square is 0 then.
  MSE = dfres > 0 ? SSE / dfres : 0.0;
  MSR = dfreg > 0 ? SSR / dfreg : 0.0;
  F = MSR == 0 ? 0.0 : MSE == 0 ? 1e10 : MSR / MSE;
}

}  // namespace kvl
