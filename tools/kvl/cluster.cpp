#include "cluster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <optional>
#include <ostream>
#include <vector>

#include "args.h"
#include "input.h"
#include "kvl/containers/asc_format.h"
#include "kvl/modelling/KVL_math2.h"

namespace kvl::tool {

namespace {

struct TMethodName {
  std::string_view Name;
  std::optional<TClusterMethod> Method;  // none: k-means
};

constexpr TMethodName kMethods[] = {
    {"kmeans", std::nullopt},
    {"single", TClusterMethod::cmSingleLink},
    {"complete", TClusterMethod::cmCompleteLink},
    {"ward", TClusterMethod::cmWard},
    {"average", TClusterMethod::cmAvgLink},
    {"flexible", TClusterMethod::cmFlexLink},
    {"upgma", TClusterMethod::cmUpgma},
};

struct TDistanceName {
  std::string_view Name;
  TDistMode Mode;
  std::string_view Text;
};

constexpr TDistanceName kDistances[] = {
    {"euclid", TDistMode::dmEuclid, "Euclidean distance"},
    {"sqeuclid", TDistMode::dmEuclidSqr, "squared Euclidean distance"},
    {"manhattan", TDistMode::dmManhattan, "city-block distance"},
};

// The distance matrix of the agglomerative methods has n x n cells: this
// many objects take 200 MB for it.
constexpr std::int32_t kMaxAgglomObjects = 5000;
constexpr double kDefaultFlex = 0.4;
constexpr std::int32_t kMaxRuns = 1000;
constexpr std::int32_t kMaxSeed = 1000000000;  // so that the seeds of the runs stay in range

// Reads the matrix of an ASC text, one object per row; Problem says what is
// wrong with it (empty when it is sound).
void ReadObjects(std::istream& In, TMatrix& Data, std::string& Problem) {
  TASCColumnReader reader(In);
  if (const std::int32_t st = reader.ReadHeader()) {
    Problem = ASCStatusText(st);
    return;
  }
  const TASCHeader& h = reader.Header();
  if (h.NrColumns < 1 || h.NrRows < 1) {
    Problem = "holds no values";
    return;
  }
  Data.Resize(h.NrColumns, h.NrRows);
  const TColumnView<double> cells = Data.ColumnView();
  for (std::int32_t r = 0; r < h.NrRows; ++r) {
    const std::string row = "row " + std::to_string(r + 1) + ": ";
    if (const std::int32_t st = reader.ReadRowLead()) {
      Problem = row + ASCStatusText(st);
      return;
    }
    for (std::int32_t c = 0; c < h.NrColumns; ++c) {
      double v = 0.0;
      bool missing = false;
      if (!reader.ReadValue(v, missing)) {
        Problem = row + ASCStatusText(kASCBadValue);
        return;
      }
      if (missing || !std::isfinite(v)) {
        Problem = row + "a value is missing or not finite";
        return;
      }
      cells[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)] = v;
    }
  }
}

std::string Num(double x) { return FormatNumber(x, 10); }

void Line(std::ostream& Out, const std::string& Label, const std::string& Value) {
  PrintField(Out, Label, Value, 20);
}

std::string Pad(std::string Text, std::size_t Width) {
  Text.resize(std::max(Text.size() + 1, Width), ' ');
  return Text;
}

void PrintAssignment(std::ostream& Out, std::span<const std::int32_t> Cluster) {
  Out << "\nobject  cluster\n";
  for (std::size_t i = 0; i < Cluster.size(); ++i) Out << Pad(std::to_string(i + 1), 8) << Cluster[i] << '\n';
}

void PrintHead(std::ostream& Out, const std::string& File, const TMatrix& Data) {
  Line(Out, "file", File);
  Line(Out, "objects", std::to_string(Data.NrOfRows()));
  Line(Out, "variables", std::to_string(Data.NrOfColumns()));
}

// k-means from rows 1..K (Seed 0), or the best of Runs runs seeded Seed,
// Seed + 1, ... (the lowest within-cluster sum of squares, the first on ties).
int RunKMeans(const std::string& File, const TMatrix& Data, std::int32_t K, std::int32_t Seed,
              std::int32_t Runs, const TStreams& IO) {
  TMatrix centers, c;
  TIntVector assign, sizes, a, z;
  double within = 0;
  std::int32_t bestSeed = Seed;
  for (std::int32_t run = 0; run < Runs; ++run) {
    const double w = kMeansClustering(Data, 0, 0, K, Seed + run, c, a, z);
    if (run == 0 || w < within) {
      within = w;
      bestSeed = Seed + run;
      centers.Assign(&c);
      assign.Assign(&a);
      sizes.Assign(&z);
    }
  }
  std::ostream& out = IO.Out;
  PrintHead(out, File, Data);
  std::string seeds = "seeds rows 1 to " + std::to_string(K);
  if (Runs > 1)
    seeds = "best of " + std::to_string(Runs) + " runs, seed " + std::to_string(bestSeed);
  else if (Seed > 0)
    seeds = "seeds drawn with seed " + std::to_string(Seed);
  Line(out, "method", "k-means, " + std::to_string(K) + " clusters, " + seeds);
  Line(out, "within-cluster SS", Num(within));
  out << "\ncluster  size  centre\n";
  for (std::int32_t j = 1; j <= K; ++j) {
    out << Pad(std::to_string(j), 9) << Pad(std::to_string(sizes.Elem(j)), 6);
    for (std::int32_t c = 1; c <= Data.NrOfColumns(); ++c)
      out << (c > 1 ? " " : "") << Num(centers.Elem(c, j));
    out << '\n';
  }
  PrintAssignment(out, assign.Data());
  return kExitOK;
}

// The clusters left after the first n − K merges of Tree, numbered by their
// first object.
std::vector<std::int32_t> CutTree(const TIntMatrix& Tree, std::int32_t N, std::int32_t K) {
  std::vector<std::int32_t> root(static_cast<std::size_t>(2 * N));  // by identifier
  std::iota(root.begin(), root.end(), 0);
  for (std::int32_t s = 1; s <= N - K; ++s) {
    const std::int32_t id = Tree.Elem(3, s);
    root[static_cast<std::size_t>(Tree.Elem(1, s))] = id;
    root[static_cast<std::size_t>(Tree.Elem(2, s))] = id;
  }
  const auto find = [&root](std::int32_t id) {
    while (root[static_cast<std::size_t>(id)] != id) id = root[static_cast<std::size_t>(id)];
    return id;
  };
  std::vector<std::int32_t> label(static_cast<std::size_t>(2 * N), 0), cluster;
  std::int32_t next = 0;
  for (std::int32_t i = 1; i <= N; ++i) {
    std::int32_t& l = label[static_cast<std::size_t>(find(i))];
    if (l == 0) l = ++next;
    cluster.push_back(l);
  }
  return cluster;
}

int RunAgglom(const std::string& File, TMatrix& Data, const TMethodName& M, const TDistanceName& D,
              double Flex, std::optional<std::int32_t> K, const TStreams& IO) {
  const std::int32_t n = Data.NrOfRows();
  TIntMatrix tree;
  TVector dist, pos;
  pos.Resize(2 * n - 1);
  AgglomClustering(nullptr, Data, D.Mode, *M.Method, Flex, tree, dist, pos);
  std::ostream& out = IO.Out;
  PrintHead(out, File, Data);
  std::string method = std::string(ClusterMethodID[static_cast<std::size_t>(*M.Method)]);
  if (*M.Method == TClusterMethod::cmFlexLink) method += " (" + Num(Flex) + ")";
  Line(out, "method", method + ", " + std::string(D.Text));
  out << "\nmerge  joins          new    distance\n";
  for (std::int32_t s = 1; s < n; ++s)
    out << Pad(std::to_string(s), 7)
        << Pad(std::to_string(tree.Elem(1, s)) + " " + std::to_string(tree.Elem(2, s)), 15)
        << Pad(std::to_string(tree.Elem(3, s)), 7) << Num(dist.Elem(s)) << '\n';
  if (K) PrintAssignment(out, CutTree(tree, n, *K));
  return kExitOK;
}

}  // namespace

std::string ClusterHelp() {
  return "usage: kvl cluster FILE [--method NAME] [--k N] [--seed S] [--runs R]\n"
         "                        [--distance NAME] [--flex A]\n"
         "\n"
         "Reads FILE, an ASC text of a matrix (one object per row, one variable per\n"
         "column; see kvl describe --help for the header), and clusters its objects.\n"
         "\n"
         "methods (default kmeans):\n"
         "  kmeans    k-means into N clusters (--k, default 2), numbered by\n"
         "            decreasing size; prints the within-cluster sum of squares,\n"
         "            each cluster's size and centre, and each object's cluster.\n"
         "            --seed S > 0 starts from N rows drawn at random with seed S,\n"
         "            otherwise (default) from rows 1 to N. --runs R (1 to 1000)\n"
         "            keeps the best (lowest sum of squares) of R runs seeded S,\n"
         "            S + 1, ... (S from --seed, default 1).\n"
         "  single    single linkage         complete  complete linkage\n"
         "  ward      Ward's method          average   average linkage\n"
         "  flexible  flexible strategy      upgma     unweighted pair group\n"
         "            Agglomerative: prints every merge (the two clusters joined,\n"
         "            objects 1 to n and merges n + 1 onwards, the new cluster and\n"
         "            the distance); --k N also cuts the tree into N clusters and\n"
         "            prints each object's cluster (numbered by first object).\n"
         "            At most 5000 objects.\n"
         "\n"
         "--distance  euclid (default), sqeuclid or manhattan: the distance of the\n"
         "            agglomerative methods.\n"
         "--flex A    the flexible strategy's d = A*(d1 + d2) + (1 - 2A)*d12,\n"
         "            A at most 0.5 (default 0.4).\n"
         "\n"
         "A FILE of - reads the text from standard input.\n"
         "\n"
         "Exit status: 0 done, 1 the file is missing, malformed, holds a missing or\n"
         "infinite value, or fewer objects than clusters (one line on standard\n"
         "error says why), 2 wrong command line, 3 internal error of the program.\n";
}

int RunCluster(std::span<const std::string> Args, const TStreams& IO) {
  std::string file;
  const TMethodName* method = &kMethods[0];
  const TDistanceName* dist = nullptr;
  std::optional<std::int32_t> kOpt, seedOpt, runsOpt;
  std::optional<double> flex;
  TArgParser args("cluster", IO, ClusterHelp);
  args.Positional("FILE", file)
      .Choice("--method", kMethods, &TMethodName::Name, method)
      .Choice("--distance", kDistances, &TDistanceName::Name, dist)
      .Number("--k", kOpt)
      .Number("--seed", seedOpt, 0, kMaxSeed)
      .Number("--runs", runsOpt, 1, kMaxRuns)
      .Number("--flex", flex);
  if (const auto code = args.Parse(Args)) return *code;
  if (kOpt && *kOpt < 1) return args.Usage("--k must be at least 1");
  if (flex && *flex > 0.5) return args.Usage("--flex must not be above 0.5");
  if (method->Method) {
    if (seedOpt || runsOpt) return args.Usage("--seed and --runs go with --method kmeans only");
    if (flex && method->Method != TClusterMethod::cmFlexLink)
      return args.Usage("--flex goes with --method flexible only");
  } else {
    if (dist) return args.Usage("--distance goes with the agglomerative methods only");
    if (flex) return args.Usage("--flex goes with --method flexible only");
    if (runsOpt && *runsOpt > 1 && seedOpt && *seedOpt == 0)
      return args.Usage("--runs above 1 needs a --seed above 0");
  }

  TInput in(file, IO);
  if (!in.IsOpen()) return in.Fail(in.Problem());
  TMatrix data;
  std::string problem;
  ReadObjects(in.Stream(), data, problem);
  if (!problem.empty()) return in.Fail(problem);
  const std::int32_t n = data.NrOfRows();
  const std::int32_t k = kOpt.value_or(method->Method ? 1 : 2);
  if (k > n)
    return in.Fail(std::to_string(k) + " clusters asked for but only " + std::to_string(n) +
                   (n == 1 ? " object" : " objects"));
  if (method->Method && n > kMaxAgglomObjects)
    return in.Fail(std::to_string(n) + " objects, more than the " + std::to_string(kMaxAgglomObjects) +
                   " of agglomerative clustering");

  if (!method->Method) {
    try {
      const std::int32_t runs = runsOpt.value_or(1);
      // Several runs draw their seeds, from 1 unless --seed says otherwise.
      return RunKMeans(file, data, k, seedOpt.value_or(runs > 1 ? 1 : 0), runs, IO);
    } catch (const EKVLMath2Error& e) {
      return in.Fail(e.what());
    }
  }
  return RunAgglom(file, data, *method, dist ? *dist : kDistances[0], flex.value_or(kDefaultFlex), kOpt, IO);
}

}  // namespace kvl::tool
