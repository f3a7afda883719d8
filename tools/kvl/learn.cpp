#include "learn.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>
#include <sstream>

#include "args.h"
#include "input.h"
#include "kvl/base/KVL_stringl.h"
#include "kvl/learning/KVL_membl.h"
#include "progress.h"

namespace kvl::tool {

namespace {

struct TModelWord {
  std::string_view Word;
  TMBLLocalModel Model;
};
constexpr TModelWord kModels[] = {{"average", TMBLLocalModel::mblLMAverage},
                                  {"gauss", TMBLLocalModel::mblLMWgtGauss},
                                  {"majority", TMBLLocalModel::mblLMMajority},
                                  {"regression", TMBLLocalModel::mblLMRegress}};

struct TDistWord {
  std::string_view Word;
  TMBLDistMode Dist;
};
constexpr TDistWord kDists[] = {{"euclidean", TMBLDistMode::mblDistEuclid},
                                {"manhattan", TMBLDistMode::mblDistManhattan},
                                {"mahalanobis", TMBLDistMode::mblDistMahalanobis}};

// Leave-one-out runs over at most this many objects (evenly spread).
constexpr std::int32_t kMaxCheckedObjects = 5000;

struct TOptions {
  std::string Data, Model;  // Model: the file train writes or predict reads
  std::string Target;
  std::int32_t k = 3;
  const TModelWord* LocalModel = &kModels[0];
  const TDistWord* Dist = &kDists[0];
  bool Standardize = false;
};

std::string Num(double x) { return FormatNumber(x, 10); }

void Line(std::ostream& Out, const std::string& Label, const std::string& Value) {
  PrintField(Out, Label, Value, 22);
}

// LoadTable: Table from the ASC text of In; "" or the problem.
std::string LoadTable(TDataTable& Table, TInput& In) {
  if (!In.IsOpen()) return In.Problem();
  const std::string text = In.ReadAll();
  TMemoryStream s;
  s.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  s.SetPosition(0);
  const std::int32_t st = Table.ImportASC(s);
  if (st != 0) return "not a readable ASC data table (status " + std::to_string(st) + ")";
  if (Table.NrOfRows() < 1 || Table.NrOfColumns() < 1) return "the table is empty";
  return {};
}

// CheckCells: "" when every cell of column Col is a finite number, else the problem.
std::string CheckCells(const TDataTable& Table, std::int32_t Col) {
  for (std::int32_t r = 1; r <= Table.NrOfRows(); ++r)
    if (!Table.IsNumber(Col, r) || !std::isfinite(Table.Elem(Col, r)))
      return "row " + std::to_string(r) + ", column \"" + std::string(Table.ColName(Col)) +
             "\": not a number";
  return {};
}

// ColumnOf: the column that Word names (its number or its name), 0 for none.
std::int32_t ColumnOf(const TDataTable& Table, const std::string& Word) {
  std::int32_t n = 0;
  if (ParseNumber(Word, n)) return n >= 1 && n <= Table.NrOfColumns() ? n : 0;
  return Table.FindColIndex(Word);
}

std::string BaseName(const std::string& Path) {
  const std::size_t slash = Path.find_last_of('/');
  return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

bool EndsWith(const std::string& s, std::string_view Tail) {
  return s.size() >= Tail.size() && s.compare(s.size() - Tail.size(), Tail.size(), Tail) == 0;
}

int Train(const TOptions& Opt, const TStreams& IO) {
  TInput in(Opt.Data, IO);
  const std::string& dname = in.Name();
  const auto fail = [&IO](const std::string& Where, const std::string& Problem) {
    return BadInput(IO, Where, Problem);
  };
  TMemBasedLearner mbl;
  TDataTable& t = *mbl.ModelData;
  if (const std::string p = LoadTable(t, in); !p.empty()) return fail(dname, p);
  const std::int32_t target = ColumnOf(t, Opt.Target);
  if (target == 0) return fail(dname, "no column \"" + Opt.Target + "\"");
  if (t.NrOfColumns() < 2) return fail(dname, "the table needs a column besides the target");
  if (Opt.k >= t.NrOfRows())
    return fail(dname, "--k " + std::to_string(Opt.k) + " needs more than " + std::to_string(Opt.k) +
                           " objects (the table holds " + std::to_string(t.NrOfRows()) + ")");
  for (std::int32_t c = 1; c <= t.NrOfColumns(); ++c)
    if (const std::string p = CheckCells(t, c); !p.empty()) return fail(dname, p);
  mbl.SetAllVars(TMBLVarType::mblVarIndep);
  mbl.SetVarType(target, TMBLVarType::mblVarTarget);
  mbl.SetNumNearestNb(Opt.k);
  mbl.SetLocalModel(Opt.LocalModel->Model);
  mbl.SetDistMode(Opt.Dist->Dist);
  mbl.SetScalingMode(Opt.Standardize ? TMBLScalingMode::mblStandardized : TMBLScalingMode::mblUnscaled);
  mbl.SetModelName(BaseName(dname));
  mbl.SetComment("trained by kvl learn");

  // Leave-one-out: each checked object estimated from the others.
  const std::int32_t n = t.NrOfRows();
  const std::int32_t step = (n + kMaxCheckedObjects - 1) / kMaxCheckedObjects;
  double sumSq = 0;
  std::int32_t checked = 0, wrong = 0, failed = 0;
  std::vector<double> s(static_cast<std::size_t>(t.NrOfColumns()));
  if (IO.Progress != nullptr) IO.Progress->SetTotal((n + step - 1) / step);
  for (std::int32_t j = 1; j <= n; j += step) {
    for (std::int32_t c = 1; c <= t.NrOfColumns(); ++c) s[static_cast<std::size_t>(c - 1)] = t.Elem(c, j);
    ReportMathProgress();
    if (mbl.ApplyModel(s, j, 0) != 0) {
      ++failed;
      continue;
    }
    const double e = s[static_cast<std::size_t>(target - 1)] - t.Elem(target, j);
    sumSq += e * e;
    wrong += e != 0;
    ++checked;
  }

  try {
    if (EndsWith(Opt.Model, ".bin"))
      mbl.StoreModelBin(Opt.Model, BaseName(dname));
    else
      mbl.StoreModelXML(Opt.Model, BaseName(dname));
  } catch (const Exception&) {
    return fail(Opt.Model, "cannot be written");
  }
  std::ostream& out = IO.Out;
  std::string indep;
  for (std::int32_t c = 1; c <= t.NrOfColumns(); ++c)
    if (c != target) indep += (indep.empty() ? "" : ", ") + std::string(t.ColName(c));
  Line(out, "data", dname);
  Line(out, "objects", std::to_string(n));
  Line(out, "target", std::string(t.ColName(target)));
  Line(out, "independent", indep);
  Line(out, "k", std::to_string(mbl.NumNearestNb()));
  Line(out, "local model", std::string(MBLLocalModelID[static_cast<std::size_t>(Opt.LocalModel->Model)]));
  Line(out, "distance",
       std::string(MBLDistModeID[static_cast<std::size_t>(Opt.Dist->Dist)]) +
           (Opt.Standardize ? ", standardized" : ", unscaled"));
  const std::string over = " (" + std::to_string(checked) + " objects left out in turn)";
  if (checked > 0) {
    if (Opt.LocalModel->Model == TMBLLocalModel::mblLMMajority)
      Line(out, "leave-one-out errors", Num(100.0 * wrong / checked) + " %" + over);
    else
      Line(out, "leave-one-out RMSE", Num(std::sqrt(sumSq / checked)) + over);
  }
  if (failed > 0) Line(out, "not estimated", std::to_string(failed) + " objects (local regression singular)");
  Line(out, "model", Opt.Model);
  return kExitOK;
}

int Predict(const TOptions& Opt, const TStreams& IO) {
  const std::string& model = Opt.Model;
  TInput in(Opt.Data, IO);
  const std::string& dname = in.Name();
  const auto fail = [&IO](const std::string& Where, const std::string& Problem) {
    return BadInput(IO, Where, Problem);
  };
  TMemBasedLearner mbl;
  char first = ' ';
  {
    TInput probe(model, IO);
    if (!probe.IsOpen()) return probe.Fail(probe.Problem());
    while (probe.Stream().get(first) && (first == ' ' || first == '\n' || first == '\r' || first == '\t')) {
    }
  }
  std::string id;
  std::int32_t st = -1;
  try {
    st = first == '<' ? mbl.LoadModelXML(model, id) : mbl.LoadModelBin(model, id);
  } catch (const Exception&) {
    return fail(model, "the file cannot be opened");
  }
  if (st != 0) return fail(model, "not a model file of kvl learn");
  const TDataTable& m = *mbl.ModelData;
  if (mbl.NumNearestNb() >= m.NrOfRows())
    return fail(model, "k (" + std::to_string(mbl.NumNearestNb()) + ") is not below the number of objects (" +
                           std::to_string(m.NrOfRows()) + ")");
  if (mbl.CountTargetVars() == 0) return fail(model, "the model has no target column");

  TDataTable t;
  if (const std::string p = LoadTable(t, in); !p.empty()) return fail(dname, p);
  // Each independent column of the model is found in DATA by its name.
  std::vector<std::pair<std::int32_t, std::int32_t>> inputs;  // model column, data column
  std::vector<std::int32_t> targets;
  for (std::int32_t c = 1; c <= m.NrOfColumns(); ++c) {
    if (mbl.VarType(c) == TMBLVarType::mblVarTarget) targets.push_back(c);
    if (mbl.VarType(c) != TMBLVarType::mblVarIndep) continue;
    const std::int32_t dc = t.FindColIndex(m.ColName(c));
    if (dc == 0) return fail(dname, "no column \"" + std::string(m.ColName(c)) + "\" (the model needs it)");
    if (const std::string p = CheckCells(t, dc); !p.empty()) return fail(dname, p);
    inputs.emplace_back(c, dc);
  }
  std::ostream& out = IO.Out;
  out << "row";
  for (const std::int32_t c : targets) out << '\t' << m.ColName(c);
  out << '\n';
  std::vector<double> s(static_cast<std::size_t>(m.NrOfColumns()));
  if (IO.Progress != nullptr) IO.Progress->SetTotal(t.NrOfRows());
  for (std::int32_t r = 1; r <= t.NrOfRows(); ++r) {
    std::fill(s.begin(), s.end(), 0.0);
    for (const auto& [mc, dc] : inputs) s[static_cast<std::size_t>(mc - 1)] = t.Elem(dc, r);
    const std::int32_t status = mbl.ApplyModel(s, 0, 0);
    ReportMathProgress();
    out << t.RowName(r);
    for (const std::int32_t c : targets)
      out << '\t' << (status == 0 ? Num(s[static_cast<std::size_t>(c - 1)]) : "n/a");
    out << '\n';
  }
  return kExitOK;
}

}  // namespace

std::string LearnHelp() {
  return "usage: kvl learn train DATA --target COL [--k N] [--model NAME] [--dist NAME]\n"
         "                 [--standardize] --out MODEL\n"
         "       kvl learn predict MODEL DATA\n"
         "\n"
         "train reads DATA, an ASC data table (see kvl table --help), and keeps its rows\n"
         "as the training objects of a memory-based (k-nearest-neighbour) model: the\n"
         "column COL (its number or its name) is the target, every other column an\n"
         "independent variable. It prints the leave-one-out error of the model (each\n"
         "object estimated from the others; at most 5000 objects, evenly spread) and\n"
         "writes the model to MODEL: the binary form when MODEL ends in .bin, the\n"
         "XML-like text form otherwise.\n"
         "\n"
         "  --k N           neighbours per estimate, 1 to 100 (default 3); below the\n"
         "                  number of objects\n"
         "  --model NAME    average (default), gauss (weights exp(-(d/s)^2), s the\n"
         "                  spread of all distances), majority (the most common value\n"
         "                  among the neighbours; for classes) or regression (a linear\n"
         "                  fit to the neighbours)\n"
         "  --dist NAME     euclidean (default), manhattan or mahalanobis\n"
         "  --standardize   scale each variable to mean 0 and standard deviation 1\n"
         "\n"
         "predict reads a MODEL written by train and an ASC data table DATA that holds\n"
         "the model's independent columns (found by name; others are ignored) and\n"
         "prints one line per row of DATA: the row name and the estimate of each\n"
         "target, separated by tabs; n/a where the local regression was singular.\n"
         "\n"
         "A DATA of - reads the table from standard input.\n"
         "\n"
         "Exit status: 0 done, 1 a file is missing, malformed or unusable (one line on\n"
         "standard error says why), 2 wrong command line, 3 internal error.\n";
}

int RunLearn(std::span<const std::string> Args, const TStreams& IO) {
  TOptions opt;
  TArgParser args("learn", IO, LearnHelp);
  const std::string mode = Args.empty() ? std::string() : Args[0];
  if (mode == "train") {
    args.Positional("DATA", opt.Data)
        .Text("--target", opt.Target)
        .Text("--out", opt.Model)
        .Number("--k", opt.k, 1, MBLMaxNeighbours)
        .Choice("--model", kModels, &TModelWord::Word, opt.LocalModel)
        .Choice("--dist", kDists, &TDistWord::Word, opt.Dist, "distance")
        .Flag("--standardize", opt.Standardize);
  } else if (mode == "predict") {
    args.Positional("MODEL", opt.Model).Positional("DATA", opt.Data);
  } else if (TArgParser::AsksForHelp(Args)) {
    return args.Help();
  } else {
    return args.Usage(mode.empty() ? "expected train or predict"
                                   : "expected train or predict, not \"" + mode + "\"");
  }
  if (const auto code = args.Parse(Args.subspan(1))) return *code;
  if (mode == "predict")
    return opt.Model == "-" ? args.Usage("MODEL must be a file (DATA may be -)") : Predict(opt, IO);
  if (opt.Target.empty()) return args.Usage("train needs --target COL");
  if (opt.Model.empty()) return args.Usage("train needs --out MODEL");
  return Train(opt, IO);
}

}  // namespace kvl::tool
