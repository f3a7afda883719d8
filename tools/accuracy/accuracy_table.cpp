#include "accuracy_table.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <istream>
#include <limits>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/modelling/KVL_math2.h"
#include "kvl/statistics/KVL_statis.h"
#include "kvl/transforms/KVL_fourier.h"
#include "kvl_nist_strd.h"

namespace kvl::accuracy {
namespace {

using TArgs = std::vector<double>;

// The measured functions: name, number of arguments, the call, and what the
// described method allows (said beside the figures).
struct TFunction {
  const char* Name;
  std::size_t Arity;
  std::function<double(const TArgs&)> Call;
  const char* Note;
  double Allowance = 1;  // see TErrorRow::Allowance
};

// The allowance of the routines whose sums use fused multiply-adds where the
// build has them, so that GCC, Clang and their optimisation levels round
// them differently.
constexpr double kFusedAllowance = 2;

std::int32_t I(double v) { return static_cast<std::int32_t>(v); }

// Integers -10 .. 10 from a linear congruential hash of the position (r, c),
// as tools/accuracy/gen_references.py draws them.
double Hashed(std::uint64_t r, std::uint64_t c) {
  std::uint64_t h = 1000 * r + c + 1;
  for (int i = 0; i < 2; ++i) h = (h * 1103515245u + 12345u) % (std::uint64_t{1} << 31);
  return static_cast<double>((h >> 16) % 21) - 10;
}

// The matrices of the singular value sets: kind 1 the Hilbert matrix,
// kind 2 the hashed integers.
double SvdEntry(int Kind, std::uint64_t r, std::uint64_t c) {
  return Kind == 1 ? 1.0 / static_cast<double>(r + c + 1) : Hashed(r, c);
}

// The k-th largest singular value (SvdDecompose) of matrix Kind of m rows
// and n columns.
double SingularValue(const TArgs& a) {
  const int kind = I(a[0]), m = I(a[1]), n = I(a[2]), k = I(a[3]);
  if (m < 1 || n < 1 || k < 1 || k > n) return std::numeric_limits<double>::quiet_NaN();
  TDouble2DArray A(static_cast<std::size_t>(n), TDoubleArray(static_cast<std::size_t>(m)));
  for (int c = 0; c < n; ++c)
    for (int r = 0; r < m; ++r)
      A[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)] = SvdEntry(kind, r, c);
  TDouble2DArray V;
  TDoubleArray W;
  if (SvdDecompose(A, V, W) != TSvdResult::svdSuccess) return std::numeric_limits<double>::quiet_NaN();
  std::sort(W.begin(), W.end(), std::greater<>());
  return W[static_cast<std::size_t>(k - 1)];
}

// Line L (0-based), real (component 0) or imaginary part, of the transform of
// N hashed complex samples (real parts column 1, imaginary parts column 2).
double FourierLine(const TArgs& a) {
  const int n = I(a[0]), line = I(a[1]), part = I(a[2]);
  static std::vector<double> lines;  // the last transform (real, imaginary), kept for the next line
  if (n < 1 || line < 0 || line >= n) return std::numeric_limits<double>::quiet_NaN();
  if (lines.size() != 2 * static_cast<std::size_t>(n)) {
    TFastFourier fft;
    fft.SetSpectrumSize(n);
    for (int j = 0; j < n; ++j) {
      fft.SetRealSpec(j + 1, Hashed(static_cast<std::uint64_t>(j), 1));
      fft.SetImagSpec(j + 1, Hashed(static_cast<std::uint64_t>(j), 2));
    }
    fft.Transform();
    lines.resize(2 * static_cast<std::size_t>(n));
    for (int L = 0; L < n; ++L) {
      lines[2 * static_cast<std::size_t>(L)] = fft.RealSpec(L + 1);
      lines[2 * static_cast<std::size_t>(L) + 1] = fft.ImagSpec(L + 1);
    }
  }
  return lines[2 * static_cast<std::size_t>(line) + (part == 0 ? 0 : 1)];
}

// The k-th largest eigenvalue (EigenDecomposition) of the symmetric n x n
// matrix of hashed integers a(r, c) = h(min(r, c), max(r, c)).
double Eigenvalue(const TArgs& a) {
  const int n = I(a[0]), k = I(a[1]);
  static int lastN = 0;
  static TDoubleArray values;  // the last matrix's, kept for its next value
  if (n < 1 || k < 1 || k > n) return std::numeric_limits<double>::quiet_NaN();
  if (n != lastN) {
    TDouble2DArray A(static_cast<std::size_t>(n), TDoubleArray(static_cast<std::size_t>(n)));
    for (int c = 0; c < n; ++c)
      for (int r = 0; r < n; ++r)
        A[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)] =
            Hashed(static_cast<std::uint64_t>(std::min(r, c)), static_cast<std::uint64_t>(std::max(r, c)));
    TDouble2DArray vectors;
    if (EigenDecomposition(A, values, vectors) != 0) return std::numeric_limits<double>::quiet_NaN();
    lastN = n;
  }
  return values[static_cast<std::size_t>(k - 1)];
}

// Coefficient j of the least-squares fit (TMatrix SvdLeastSquares) of the
// m x n design of hashed integers h(r, c) to the column h(r, 999).
double LsqCoefficient(const TArgs& a) {
  const int m = I(a[0]), n = I(a[1]), j = I(a[2]);
  static std::pair<int, int> last;
  static TVector x;  // the last design's, kept for its next coefficient
  if (m < 1 || n < 1 || j < 1 || j > n) return std::numeric_limits<double>::quiet_NaN();
  if (last != std::pair(m, n)) {
    TMatrix A;
    TVector b;
    A.Resize(n, m);
    b.Resize(m);
    for (int r = 0; r < m; ++r) {
      b.SetVal(r + 1, Hashed(static_cast<std::uint64_t>(r), 999));
      for (int c = 0; c < n; ++c)
        A.SetVal(c + 1, r + 1, Hashed(static_cast<std::uint64_t>(r), static_cast<std::uint64_t>(c)));
    }
    bool nearSingular = false;
    if (!SvdLeastSquares(A, b, x, nearSingular)) return std::numeric_limits<double>::quiet_NaN();
    last = {m, n};
  }
  return x.GetVal(j);
}

const char* const kIncGammaNote =
    "Goes through IncompleteGamma, whose series and continued fraction stop at a relative change of 1e-8 "
    "(about 4.5e7 eps): errors up to a few 1e-8 are the described method's, not faults.";
const char* const kKernelNote = "Described: relative error below 1e-13 (450 eps).";

const std::vector<TFunction>& Functions() {
  static const std::vector<TFunction> list = {
      {"nDistriDensity", 1, [](const TArgs& a) { return nDistriDensity(a[0]); }, ""},
      {"nDistriIntegral", 1, [](const TArgs& a) { return nDistriIntegral(a[0]); },
       "Goes through IncompleteGamma(x^2/2, 0.5), whose series and continued fraction stop at a relative "
       "change of 1e-8; below x = -5.6 the result is only about 1e-16 absolute (as described)."},
      {"nDistriQuantile", 1, [](const TArgs& a) { return nDistriQuantile(a[0]); },
       "Bisection until |Phi(x) - p| < 1e-8 p, Phi itself good to 1e-8 (as described); above p = 1 - 1e-7 "
       "only the starting value's 4.5e-4; below p = 3e-9 the exact normal tail (about 1e-15)."},
      {"Erf", 1, [](const TArgs& a) { return Erf(a[0]); }, kIncGammaNote},
      {"ErfApprox", 1, [](const TArgs& a) { return ErfApprox(a[0]); },
       "A fixed approximation of absolute error about 1.2e-7 (5.4e8 eps), as described."},
      {"LnGamma", 1, [](const TArgs& a) { return LnGamma(a[0]); },
       "The six-term Lanczos series: about 2e-10 absolute (9e5 eps) as described."},
      {"IncompleteGamma", 2, [](const TArgs& a) { return IncompleteGamma(a[0], a[1]); },
       "Series and continued fraction stopped at a relative change of 1e-8 (4.5e7 eps), as described; the "
       "error grows to a few 1e-8 as X nears A + 1."},
      {"LnBeta", 2, [](const TArgs& a) { return LnBeta(a[0], a[1]); },
       "Three LnGamma values, each about 2e-10 absolute (as described)."},
      {"IncompleteBeta", 3, [](const TArgs& a) { return IncompleteBeta(a[0], a[1], a[2]); },
       "Continued fraction to a relative tolerance of 1e-8 in at most 100 steps (as described)."},
      {"Chi2DistriDensity", 2, [](const TArgs& a) { return Chi2DistriDensity(a[0], I(a[1])); }, kKernelNote},
      {"chi2DistriIntegral", 2, [](const TArgs& a) { return chi2DistriIntegral(a[0], I(a[1])); },
       kKernelNote},
      {"chi2DistriQuantile", 2, [](const TArgs& a) { return chi2DistriQuantile(a[0], I(a[1])); },
       "Described: Newton steps to full double precision."},
      {"tDistriDensity", 2, [](const TArgs& a) { return tDistriDensity(a[0], I(a[1])); }, kKernelNote},
      {"tDistriIntegral", 2, [](const TArgs& a) { return tDistriIntegral(a[0], I(a[1])); }, kKernelNote},
      {"tDistriQuantile", 2, [](const TArgs& a) { return tDistriQuantile(a[0], I(a[1])); },
       "Described: Newton steps to full double precision."},
      {"FDistriDensity", 3, [](const TArgs& a) { return FDistriDensity(a[0], I(a[1]), I(a[2])); },
       kKernelNote},
      {"FDistriIntegral", 3, [](const TArgs& a) { return FDistriIntegral(a[0], I(a[1]), I(a[2])); },
       kKernelNote},
      {"FDistriQuantile", 3, [](const TArgs& a) { return FDistriQuantile(a[0], I(a[1]), I(a[2])); },
       "Described: Newton steps to full double precision."},
      {"BinomDistriDensity", 3, [](const TArgs& a) { return BinomDistriDensity(I(a[0]), a[1], I(a[2])); },
       kKernelNote},
      {"SvdDecompose", 4, SingularValue,
       "Golub-Reinsch, backward stable: each singular value lies within a few eps times the largest one "
       "of the true value, so the small singular values of an ill-conditioned matrix (Hilbert: absolute "
       "errors) have no relative accuracy in this or any such method."},
      {"KSPValue", 2, [](const TArgs& a) { return KSPValue(I(a[0]), a[1]); },
       "The matrix method of Marsaglia, Tsang and Wang (described: 13 or more digits) while n d^2 <= 7.24 "
       "(3.76 above n = 99); beyond, the fixed asymptotic form 2 exp(-(2.000071 + 0.331/sqrt n + 1.409/n) "
       "n d^2), as described. Fault found here: the exact p-value is formed as 1 - P(D < d), so small "
       "p-values lose relative accuracy (1.1e-10 at n = 10, d = 0.79, p = 3.6e-7), short of the 13 digits "
       "described."},
      {"UDistriIntegral", 3, [](const TArgs& a) { return UDistriIntegral(I(a[0]), I(a[1]), I(a[2])); },
       "Exact table built in probabilities while n1 n2 <= 500000 and min(n1, n2) n1 n2 <= 2e6 (described: "
       "relative error below 1e-15); beyond, the Edgeworth expansion, whose absolute error falls as "
       "min(n1, n2)^-3 (described: 4e-8 at 50)."},
      {"TFastFourier::Transform", 3, FourierLine,
       "Radix-2 transform: absolute errors grow like eps log2(N) times the signal's size (lines here reach "
       "a few hundred)."},
      {"BinomDistriIntegral", 3, [](const TArgs& a) { return BinomDistriIntegral(I(a[0]), a[1], I(a[2])); },
       kKernelNote},
      {"EigenDecomposition", 2, Eigenvalue,
       "Householder tridiagonalisation and implicit QL, backward stable: each eigenvalue within a few eps "
       "times the largest magnitude (135 at n = 50). Its sums use fused multiply-adds where the build has "
       "them: the figures are twice this build's, a bound for the others.",
       kFusedAllowance},
      {"SvdLeastSquares", 3, LsqCoefficient,
       "Householder reduction of tall designs, then Golub-Reinsch: errors of order eps times the design's "
       "condition number (2 to 72 here) times the largest coefficient, so a small coefficient carries a "
       "larger relative error. The reduction's products use fused multiply-adds where the build has them: "
       "the figures are twice this build's, a bound for the others.",
       kFusedAllowance},
      {"HyperGeoDistriDensity", 4,
       [](const TArgs& a) { return HyperGeoDistriDensity(a[0], I(a[1]), I(a[2]), I(a[3])); },
       "The exponential of three LnBinomCoeff values through LnGamma's six-term Lanczos series (about 2e-10 "
       "absolute each), as described."},
      {"WeibullDensity", 3, [](const TArgs& a) { return WeibullDensity(a[0], a[1], a[2]); },
       "The described form exp(-exp(K ln(X/L))) K X^(K-1) / L^K: the rounding of the exponent (X/L)^K, up "
       "to 64 here, carries into the result."},
  };
  return list;
}

[[noreturn]] void Fail(const std::filesystem::path& File, const std::string& What) {
  throw std::runtime_error(File.string() + ": " + What);
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

// The arguments as the reference file writes them.
std::string ArgText(const std::string& Line) {
  const auto last = Line.find_last_of(' ');
  return Line.substr(0, last);
}

TErrorRow EvaluateFile(const std::filesystem::path& File) {
  std::ifstream in(File);
  if (!in) Fail(File, "cannot be read");
  TErrorRow row;
  row.Id = File.stem().string();
  std::string error;
  std::vector<double> errs;
  const TFunction* fn = nullptr;
  double worst = -1;
  for (std::string line; std::getline(in, line);) {
    line = Trim(line);
    if (line.empty()) continue;
    if (line[0] == '#') {
      const auto colon = line.find(':');
      if (colon == std::string::npos) continue;
      const std::string key = Trim(line.substr(1, colon - 1)), value = Trim(line.substr(colon + 1));
      if (key == "function") row.Function = value;
      if (key == "error") error = value;
      if (key == "arguments") row.Arguments = value;
      continue;
    }
    if (!fn) {
      for (const auto& f : Functions())
        if (row.Function == f.Name) fn = &f;
      if (!fn) Fail(File, "unknown function \"" + row.Function + "\"");
      if (error != "relative" && error != "absolute") Fail(File, "error must be relative or absolute");
      row.Absolute = error == "absolute";
      row.Note = fn->Note;
      row.Allowance = fn->Allowance;
    }
    std::istringstream s(line);
    TArgs args;
    std::string tok;
    std::vector<std::string> toks;
    while (s >> tok) toks.push_back(tok);
    if (toks.size() != fn->Arity + 1)
      Fail(File, "expected " + std::to_string(fn->Arity + 1) + " numbers: " + line);
    for (std::size_t i = 0; i < fn->Arity; ++i) {
      char* end = nullptr;
      args.push_back(std::strtod(toks[i].c_str(), &end));
      if (*end != '\0') Fail(File, "bad number " + toks[i]);
    }
    char* end = nullptr;
    const long double ref = std::strtold(toks.back().c_str(), &end);
    if (*end != '\0' || !std::isfinite(ref)) Fail(File, "bad reference " + toks.back());
    const long double ours = fn->Call(args);
    long double e = std::fabs(ours - ref);
    if (!row.Absolute) e /= std::fabs(ref);
    double err = static_cast<double>(e / DBL_EPSILON);
    if (std::isnan(err)) err = std::numeric_limits<double>::infinity();
    if (err > worst) {
      worst = err;
      row.WorstAt = ArgText(line);
    }
    errs.push_back(err);
  }
  if (errs.empty()) Fail(File, "holds no reference values");
  row.Count = errs.size();
  row.Max = worst;
  std::sort(errs.begin(), errs.end());
  const std::size_t n = errs.size();
  row.Median = n % 2 ? errs[n / 2] : (errs[n / 2 - 1] + errs[n / 2]) / 2;
  return row;
}

// NIST StRD: the univariate sets through TVector::MeanVar, the linear
// least-squares sets through MultiLinReg, the ANOVA sets through Anova1F.
void AddDigits(std::vector<TDigitsRow>& Out, const std::string& Set, const char* Routine,
               const char* Quantity, double Lre) {
  Out.push_back({Set, Routine, Quantity, Lre});
}

void Univariate(const std::string& Name, const test::TStrdSet& S, std::vector<TDigitsRow>& Out) {
  TVector v;
  v.Resize(static_cast<std::int32_t>(S.Rows.size()));
  for (std::size_t i = 0; i < S.Rows.size(); ++i) v.SetVal(static_cast<std::int32_t>(i + 1), S.Rows[i].at(0));
  double mean = 0, var = 0;
  v.MeanVar(0, 0, mean, var);
  AddDigits(Out, Name, "TVector::MeanVar", "mean", test::Lre(mean, S.Cert("mean")));
  AddDigits(Out, Name, "TVector::MeanVar", "standard deviation", test::Lre(std::sqrt(var), S.Cert("sd")));
}

void LinearLeastSquares(const std::string& Name, const test::TStrdSet& S, std::vector<TDigitsRow>& Out) {
  const bool poly = S.Header.at("design") == "polynomial";
  const bool intercept = S.Header.at("intercept") == "yes";
  const int nx = std::stoi(S.Header.at(poly ? "degree" : "predictors"));
  const int n = static_cast<int>(S.Rows.size());
  TMatrix data;
  data.Resize(nx + 1, n);
  for (int i = 0; i < n; ++i) {
    const auto& r = S.Rows[static_cast<std::size_t>(i)];
    for (int j = 0; j < nx; ++j) {
      // Powers of x in extended precision, rounded once.
      const long double v =
          poly ? std::pow(static_cast<long double>(r.at(0)), j + 1) : r.at(static_cast<std::size_t>(j));
      data.SetVal(j + 1, i + 1, static_cast<double>(v));
    }
    data.SetVal(nx + 1, i + 1, r.back());
  }
  std::vector<std::int32_t> cols(static_cast<std::size_t>(nx));
  for (int j = 0; j < nx; ++j) cols[static_cast<std::size_t>(j)] = j + 1;
  double r2 = 0, sd = 0, f = 0;
  TVector b, se;
  bool singular = false;
  const bool ok = MultiLinReg(data, cols, nx + 1, intercept, r2, sd, f, b, se, singular);
  double minB = 15, minSE = 15;
  const int p = nx + (intercept ? 1 : 0);
  for (int j = 0; ok && j < p; ++j) {
    // The constant comes last; NIST calls it B0.
    const int label = intercept ? (j + 1) % p : j + 1;
    const std::string key = "B" + std::to_string(label);
    minB = std::min(minB, test::Lre(b.Elem(j + 1), S.Cert(key + ".estimate")));
    minSE = std::min(minSE, test::Lre(se.Elem(j + 1), S.Cert(key + ".sd")));
  }
  if (!ok) minB = minSE = 0;
  AddDigits(Out, Name, "MultiLinReg", "coefficients (fewest digits)", minB);
  AddDigits(Out, Name, "MultiLinReg", "standard errors (fewest digits)", minSE);
  AddDigits(Out, Name, "MultiLinReg", "residual standard deviation",
            ok ? test::Lre(sd, S.Cert("residual_sd")) : 0);
  AddDigits(Out, Name, "MultiLinReg", "R squared", ok ? test::Lre(r2, S.Cert("r_squared")) : 0);
}

void Anova(const std::string& Name, const test::TStrdSet& S, std::vector<TDigitsRow>& Out) {
  const auto n = static_cast<std::int32_t>(S.Rows.size());
  TVector data;
  TIntVector groups;
  data.Resize(n);
  groups.Resize(n);
  for (std::int32_t i = 0; i < n; ++i) {
    groups.SetVal(i + 1, static_cast<std::int32_t>(S.Rows[static_cast<std::size_t>(i)].at(0)));
    data.SetVal(i + 1, S.Rows[static_cast<std::size_t>(i)].at(1));
  }
  double ssb = 0, ssw = 0, sst = 0, f = 0;
  std::int32_t dfb = 0, dfw = 0, dft = 0;
  Anova1F(data, groups, ssb, ssw, sst, dfb, dfw, dft, f);
  AddDigits(Out, Name, "Anova1F", "between-groups sum of squares", test::Lre(ssb, S.Cert("between.ss")));
  AddDigits(Out, Name, "Anova1F", "within-groups sum of squares", test::Lre(ssw, S.Cert("within.ss")));
  AddDigits(Out, Name, "Anova1F", "F", test::Lre(f, S.Cert("f")));
  AddDigits(Out, Name, "Anova1F", "R squared", test::Lre(sst > 0 ? ssb / sst : 0, S.Cert("r_squared")));
}

// Figures as printed: errors rounded up to two significant digits, digit
// counts down to one decimal, so that the printed figure is a bound.
std::string ErrorFigure(double v) {
  if (v == 0) return "0";
  if (std::isinf(v)) return "inf";
  const double unit = std::pow(10.0, std::floor(std::log10(v)) - 1);
  const double up = std::ceil(v / unit * (1 - 1e-12)) * unit;
  char buf[32];
  std::snprintf(buf, sizeof buf, up >= 1e4 || up < 1e-2 ? "%.2g" : "%.4g", up);
  return buf;
}

std::string DigitsFigure(double v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.1f", std::floor(v * 10 + 1e-9) / 10);
  return buf;
}

// A table cell's text with its bars escaped.
std::string Cell(const std::string& Text) {
  std::string out;
  for (char ch : Text) {
    if (ch == '|') out += '\\';
    out += ch;
  }
  return out;
}

// The cells of a table row (escaped bars kept as bars).
std::vector<std::string> Cells(const std::string& Line) {
  std::vector<std::string> cells;
  std::string cur;
  for (std::size_t i = 1; i < Line.size(); ++i) {
    if (Line[i] == '\\' && i + 1 < Line.size() && Line[i + 1] == '|') {
      cur += '|';
      ++i;
    } else if (Line[i] == '|') {
      cells.push_back(Trim(cur));
      cur.clear();
    } else {
      cur += Line[i];
    }
  }
  return cells;
}

std::string Unquote(const std::string& s) {
  return s.size() >= 2 && s.front() == '`' && s.back() == '`' ? s.substr(1, s.size() - 2) : s;
}

}  // namespace

TAccuracyTable ComputeTable(const std::filesystem::path& RefFolder) {
  TAccuracyTable table;
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(RefFolder))
    if (e.path().extension() == ".txt") files.push_back(e.path());
  if (files.empty()) throw std::runtime_error(RefFolder.string() + ": no reference files");
  std::sort(files.begin(), files.end());
  for (const auto& f : files) table.Errors.push_back(EvaluateFile(f));
  std::stable_sort(table.Errors.begin(), table.Errors.end(),
                   [](const TErrorRow& a, const TErrorRow& b) { return a.Function < b.Function; });
  if (test::StrdFolder().empty())
    throw std::runtime_error("NIST StRD folder shared/data/nist-strd not found");
  for (const char* name :
       {"PiDigits", "Lottery", "Lew", "Mavro", "Michelso", "NumAcc1", "NumAcc3", "Norris", "Longley", "Filip",
        "Wampler1", "Wampler2", "Wampler3", "SiRstv", "SmLs01", "SmLs03", "SmLs07", "AtmWtAg"}) {
    test::TStrdSet set;
    if (!test::LoadStrd(name, set))
      throw std::runtime_error(std::string("NIST StRD set ") + name + " not readable in " +
                               test::StrdFolder().string());
    const std::string kind = set.Header.at("kind");
    if (kind == "univariate") Univariate(name, set, table.Digits);
    if (kind == "lls") LinearLeastSquares(name, set, table.Digits);
    if (kind == "anova") Anova(name, set, table.Digits);
  }
  return table;
}

std::string DigitsKey(const TDigitsRow& Row) { return Row.Set + " / " + Row.Routine + " / " + Row.Quantity; }

void WriteTable(std::ostream& Out, const TAccuracyTable& Table) {
  Out << "# Accuracy\n\n"
         "<!-- Generated by tools/accuracy/kvl_accuracy.cpp; do not edit by hand (see README.md). -->\n\n"
         "How close the library's numeric functions come to values computed independently of it. The "
         "references lie in `tests/accuracy/refs/`, one file per argument set: mpmath at 50 significant "
         "digits from the textbook definition of each function (incomplete gamma and beta integrals in "
         "their hypergeometric forms, closed-form densities, exact binomial sums, quantiles as 50-digit "
         "roots of those distribution functions, singular values by mpmath's SVD of the matrices the library "
         "sees, the discrete Fourier transform summed directly), written by "
         "`tools/accuracy/gen_references.py`. Arguments "
         "are doubles that read back exactly. The page is rebuilt from the stored values without Python; "
         "the test `kvl_accuracy_tests` recomputes every figure and fails when one is worse than stated "
         "here.\n\n"
         "Errors are in units of the double epsilon (2^-52 = 2.2e-16): relative errors "
         "|ours - reference| / |reference| / eps, or absolute errors |ours - reference| / eps where the "
         "values pass through 0 or where the library promises only an absolute accuracy. 0.5 eps is a "
         "correctly rounded result. Stated figures are rounded up. Reference values below the smallest "
         "normal double are left out.\n\n"
         "## Distributions and special functions\n\n"
         "| Function | Set | Arguments | Error | Count | Max (eps) | Median (eps) | Worst at | Note |\n"
         "|---|---|---|---|---:|---:|---:|---|---|\n";
  for (const auto& r : Table.Errors)
    Out << "| `" << r.Function << "` | `" << r.Id << "` | " << Cell(r.Arguments) << " | "
        << (r.Absolute ? "absolute" : "relative") << " | " << r.Count << " | "
        << ErrorFigure(r.Max * r.Allowance) << " | " << ErrorFigure(r.Median * r.Allowance) << " | "
        << Cell(r.WorstAt) << " | " << Cell(r.Note) << " |\n";
  Out << "\nWhere a note says \"as described\", the figure is what the function's documented method "
         "delivers (a fixed tolerance or a fixed approximation), not a fault; the kernels of the chi-square, "
         "t, F and binomial distributions promise full double accuracy and are held to it.\n";
  if (!Table.Digits.empty()) {
    Out << "\n## NIST StRD data sets\n\n"
           "Correct digits (log relative error -lg(|ours - certified| / |certified|), capped at 15; "
           "-lg|ours| for a certified 0) against the certified values of the NIST Statistical Reference "
           "Datasets (`../shared/data/nist-strd/`). The data of Filip and Longley are very "
           "ill-conditioned and SmLs07 and NumAcc3 cannot be stored exactly in binary, so the attainable "
           "digits differ from set to set. Stated figures are rounded down.\n\n"
           "| Set | Routine | Quantity | Digits |\n|---|---|---|---:|\n";
    for (const auto& d : Table.Digits)
      Out << "| " << d.Set << " | `" << d.Routine << "` | " << d.Quantity << " | " << DigitsFigure(d.Lre)
          << " |\n";
  }
  Out << "\n## Not yet covered\n\n"
         "Not yet in this table (some are checked against references in their own tests): the "
         "Lilliefors and Shapiro-Wilk distributions and the p-values of the hypothesis tests built on the "
         "distributions above, the eigenvectors and the singular vectors, the curve fits of `TCurveFit` "
         "(NIST rows in docs/modelling.md), the windowed spectra and the wavelet transforms "
         "(docs/transforms.md), and the scalar functions of `KVL_math1`.\n";
}

TStated ReadStated(std::istream& In) {
  TStated stated;
  std::string section;
  for (std::string line; std::getline(In, line);) {
    if (line.rfind("## ", 0) == 0) section = line;
    if (line.empty() || line[0] != '|' || line.rfind("|---", 0) == 0) continue;
    const auto c = Cells(line);
    if (section.find("Distributions") != std::string::npos && c.size() == 9 && c[0] != "Function") {
      TStated::TErrors e;
      e.Count = std::strtoul(c[4].c_str(), nullptr, 10);
      e.Max = std::strtod(c[5].c_str(), nullptr);
      e.Median = std::strtod(c[6].c_str(), nullptr);
      stated.Errors[Unquote(c[1])] = e;
    }
    if (section.find("NIST") != std::string::npos && c.size() == 4 && c[0] != "Set")
      stated.Digits[DigitsKey({c[0], Unquote(c[1]), c[2], 0})] = std::strtod(c[3].c_str(), nullptr);
  }
  return stated;
}

}  // namespace kvl::accuracy
