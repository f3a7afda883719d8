#include "fit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>
#include <vector>

#include "args.h"
#include "input.h"
#include "kvl/containers/asc_format.h"
#include "kvl/modelling/KVL_math2.h"

namespace kvl::tool {

namespace {

struct TModelName {
  std::string_view Name;
  TRegModel Model;
  std::string_view Formula;  // in the parameters k0, k1, k2
};

constexpr TModelName kModels[] = {
    {"linear", TRegModel::rmLinear, "y = k0 + k1*x"},
    {"parabolic", TRegModel::rmParabolic, "y = k0 + k1*x + k2*x^2"},
    {"gaussian", TRegModel::rmGaussian, "y = k0*exp(-(x - k1)^2/k2)"},
    {"recilin", TRegModel::rmReciLin, "y = 1/(k0 + k1*x)"},
    {"hyperbolic", TRegModel::rmHyperbolic, "y = k0 + k1/x"},
    {"recihyperbolic", TRegModel::rmReciHyperbolic, "y = x/(k0*x + k1)"},
    {"log", TRegModel::rmLog, "y = k0 + k1*ln(x)"},
    {"recilog", TRegModel::rmReciLog, "y = 1/(k0 + k1*ln(x))"},
    {"power", TRegModel::rmPower, "y = k0*x^k1"},
    {"expo", TRegModel::rmExpo, "y = k0*exp(k1*x)"},
    {"hoerl", TRegModel::rmHoerl, "y = k0*k1^x*x^k2"},
    {"poly", TRegModel::rmPolynomial, "y = k0 + k1*x + ... + kN*x^N"},
    {"cpoly", TRegModel::rmCenteredPoly, "y = k0 + k1*(x - s) + ... + kN*(x - s)^N"},
};

// The number of parameters each model prints (polynomials: order + 1).
int ParameterCount(TRegModel m, std::int32_t Order) {
  switch (m) {
    case TRegModel::rmParabolic:
    case TRegModel::rmGaussian:
    case TRegModel::rmHoerl:
      return 3;
    case TRegModel::rmPolynomial:
    case TRegModel::rmCenteredPoly:
      return Order + 1;
    default:
      return 2;
  }
}

std::string Num(double x) { return FormatNumber(x, 10); }

void Line(std::ostream& Out, const std::string& Label, const std::string& Value) {
  PrintField(Out, Label, Value, 20);
}

}  // namespace

std::string FitHelp() {
  return "usage: kvl fit FILE [--model NAME] [--order N] [--predict X [--p P]]\n"
         "\n"
         "Reads FILE, an ASC column text of two columns (x, then y; see kvl describe\n"
         "--help for the format), fits the model by least squares and prints its\n"
         "parameters, the fit quality (r^2; for the transformed models the r^2 of the\n"
         "linearised regression) and the standard deviation of the residuals.\n"
         "\n"
         "models (default linear):\n"
         "  linear          y = k0 + k1*x\n"
         "  parabolic       y = k0 + k1*x + k2*x^2\n"
         "  gaussian        y = k0*exp(-(x - k1)^2/k2)          (y > 0)\n"
         "  recilin         y = 1/(k0 + k1*x)                   (y <> 0)\n"
         "  hyperbolic      y = k0 + k1/x                       (x <> 0)\n"
         "  recihyperbolic  y = x/(k0*x + k1)                   (x, y <> 0)\n"
         "  log             y = k0 + k1*ln(x)                   (x > 0)\n"
         "  recilog         y = 1/(k0 + k1*ln(x))               (x > 0, y <> 0)\n"
         "  power           y = k0*x^k1                         (x, y > 0)\n"
         "  expo            y = k0*exp(k1*x)                    (y > 0)\n"
         "  hoerl           y = k0*k1^x*x^k2                    (x, y > 0)\n"
         "  poly            polynomial of order N (--order, 0 to 10, default 2)\n"
         "  cpoly           the same about the mean s of x (better conditioned)\n"
         "\n"
         "--predict X gives the model's value at X with the half widths of the\n"
         "prediction and confidence intervals at probability P (--p, 0.5 <= P < 1,\n"
         "default 0.95); it needs at least 3 pairs.\n"
         "\n"
         "A FILE of - reads the text from standard input.\n"
         "\n"
         "Exit status: 0 done, 1 the file is missing or malformed, or the model\n"
         "cannot be fitted to its pairs (one line on standard error says why),\n"
         "2 wrong command line, 3 internal error of the program.\n";
}

int RunFit(std::span<const std::string> Args, const TStreams& IO) {
  std::string file;
  const TModelName* model = &kModels[0];
  std::optional<std::int32_t> orderOpt;
  std::optional<double> predict, pOpt;
  TArgParser args("fit", IO, FitHelp);
  args.Positional("FILE", file)
      .Choice("--model", kModels, &TModelName::Name, model)
      .Number("--order", orderOpt, 0, CurveFitMaxOrder)
      .Number("--predict", predict)
      .Number("--p", pOpt);
  if (const auto code = args.Parse(Args)) return *code;
  const bool poly = model->Model == TRegModel::rmPolynomial || model->Model == TRegModel::rmCenteredPoly;
  if (orderOpt && !poly) return args.Usage("--order goes with --model poly or cpoly only");
  const std::int32_t order = orderOpt.value_or(2);
  if (pOpt && !predict) return args.Usage("--p goes with --predict only");
  const double p = pOpt.value_or(0.95);
  if (!(p >= 0.5 && p < 1)) return args.Usage("--p must be at least 0.5 and below 1");

  TInput in(file, IO);
  if (!in.IsOpen()) return in.Fail(in.Problem());
  TCurveFit fit;
  std::int32_t status = 0;
  try {
    status = fit.ImportASC(in.Stream());
  } catch (const EKVLMath2Error&) {
    return in.Fail("the file must hold two columns (x and y)");
  }
  if (status != 0) return in.Fail(ASCStatusText(status));
  if (fit.NumData() == 0) return in.Fail("the file holds no pairs");
  for (std::int32_t i = 1; i <= fit.NumData(); ++i)
    if (!std::isfinite(fit.DataX(i)) || !std::isfinite(fit.DataY(i)))
      return in.Fail("row " + std::to_string(i) + ": a value is not finite");

  try {
    const std::int32_t st = fit.CalcRegModel(model->Model, order);
    if (st == -1)
      return in.Fail("the " + std::string(model->Name) + " model needs at least " +
                     std::to_string(REG_MINDP[static_cast<std::size_t>(model->Model)]) + " pairs");
  } catch (const EKVLMath2Error& e) {
    return in.Fail(e.what());
  }
  if (fit.RegModel() != model->Model) return in.Fail("the fit did not converge");

  std::ostream& out = IO.Out;
  Line(out, "file", file);
  Line(out, "pairs", std::to_string(fit.NumData()));
  Line(
      out, "model",
      std::string(IDS_REGMODEL[static_cast<std::size_t>(model->Model)]) + "  " + std::string(model->Formula));
  if (poly) Line(out, "order", std::to_string(order));
  if (model->Model == TRegModel::rmCenteredPoly) Line(out, "s (mean of x)", Num(fit.CPXShift()));
  for (int j = 0; j < ParameterCount(model->Model, order); ++j)
    Line(out, "k" + std::to_string(j), Num(fit.ModelPar(1, j)));
  Line(out, "fit quality (r^2)", Num(fit.FitQual()));
  Line(out, "residual SD", Num(fit.StdDevResid()));
  if (predict) {
    double v = 0, piv = 0, civ = 0;
    const std::int32_t st = fit.Predict(model->Model, *predict, p, order, v, piv, civ);
    if (st == -2) return in.Fail("a prediction interval needs at least 3 pairs");
    if (st != 0) return in.Fail("the prediction failed (status " + std::to_string(st) + ")");
    out << '\n';
    Line(out, "at x", Num(*predict));
    Line(out, "predicted y", Num(v));
    Line(out, "prediction int.", "+/- " + Num(piv) + "  (p = " + Num(p) + ")");
    Line(out, "confidence int.", "+/- " + Num(civ));
  }
  return kExitOK;
}

}  // namespace kvl::tool
