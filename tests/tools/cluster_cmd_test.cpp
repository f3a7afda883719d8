// `kvl cluster`: k-means and agglomerative runs on small matrices, the tree
// cut, and the errors of bad files and command lines.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_run.h"
#include "cluster.h"
#include "commands.h"
#include "kvl/containers/asc_format.h"
#include "kvl_test_support.h"

namespace kvl::tool {
namespace {

using test_cli::TResult;

TResult Cluster(const std::vector<std::string>& Args, const std::string& Stdin = "") {
  std::vector<std::string> all{"cluster"};
  all.insert(all.end(), Args.begin(), Args.end());
  return test_cli::RunProgram(all, Stdin);
}

std::string Matrix(int Cols, int Rows, const std::string& Body) {
  return "objects\n" + std::to_string(Cols) + "\t;c\n" + std::to_string(Rows) + "\t;r\nFALSE FALSE FALSE\n" + Body;
}

// Two groups on a line: 0, 1, 2 and 10, 11 (one variable).
const std::string kLine = Matrix(1, 5, "0\n10\n1\n11\n2\n");

bool Has(const TResult& R, const std::string& Text) { return R.Out.find(Text) != std::string::npos; }

TEST(ClusterCommand, KMeansSizesCentresAndAssignment) {
  const TResult r = Cluster({"-", "--k", "2"}, kLine);
  ASSERT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  EXPECT_TRUE(Has(r, "objects             5\n")) << r.Out;
  EXPECT_TRUE(Has(r, "method              k-means, 2 clusters, seeds rows 1 to 2\n")) << r.Out;
  // Within: (0−1)² + 0 + (2−1)² + 2·0.5² = 2.5; the larger cluster first.
  EXPECT_TRUE(Has(r, "within-cluster SS   2.5\n")) << r.Out;
  EXPECT_TRUE(Has(r, "1        3     1\n2        2     10.5\n")) << r.Out;
  EXPECT_TRUE(Has(r, "object  cluster\n1       1\n2       2\n3       1\n4       2\n5       1\n")) << r.Out;
}

TEST(ClusterCommand, SingleLinkageMergesAndCut) {
  const TResult r = Cluster({"-", "--method", "single", "--k", "2"}, kLine);
  ASSERT_EQ(r.Exit, 0) << r.Err;
  EXPECT_TRUE(Has(r, "method              single linkage, Euclidean distance\n")) << r.Out;
  // Objects 1 and 3 (0 and 1) merge first at 1 into 6; 6 and 5 (2) into 7;
  // 2 and 4 (10, 11) into 8; the last merge joins 7 and 8 at 8.
  EXPECT_TRUE(Has(r, "1      1 3            6      1\n")) << r.Out;
  EXPECT_TRUE(Has(r, "4      7 8            9      8\n")) << r.Out;
  EXPECT_TRUE(Has(r, "object  cluster\n1       1\n2       2\n3       1\n4       2\n5       1\n")) << r.Out;
  // Without --k there is no assignment.
  EXPECT_FALSE(Has(Cluster({"-", "--method", "ward"}, kLine), "object  cluster"));
}

TEST(ClusterCommand, FlexibleDistanceAndSeedAreShown) {
  const TResult flex = Cluster({"-", "--method", "flexible", "--flex", "0.25", "--distance", "manhattan"}, kLine);
  ASSERT_EQ(flex.Exit, 0) << flex.Err;
  EXPECT_TRUE(Has(flex, "method              flexible strategy (0.25), city-block distance\n")) << flex.Out;
  const TResult seeded = Cluster({"-", "--k", "2", "--seed", "7"}, kLine);
  ASSERT_EQ(seeded.Exit, 0) << seeded.Err;
  EXPECT_TRUE(Has(seeded, "seeds drawn with seed 7\n")) << seeded.Out;
}

TEST(ClusterCommand, RunsKeepTheLowestSumOfSquares) {
  // Three groups; from rows 1 to 3 (two of one group) k-means stops in a
  // poor partition, several seeded runs find the groups.
  const std::string groups =
      Matrix(2, 8, "1.0 1.2\n0.8 1.0\n5.1 4.9\n1.1 0.9\n5.0 5.2\n9.0 1.1\n4.8 5.0\n9.2 0.9\n");
  const TResult rows = Cluster({"-", "--k", "3"}, groups);
  ASSERT_EQ(rows.Exit, 0) << rows.Err;
  EXPECT_TRUE(Has(rows, "within-cluster SS   40.206\n")) << rows.Out;
  const TResult best = Cluster({"-", "--k", "3", "--runs", "10"}, groups);
  ASSERT_EQ(best.Exit, 0) << best.Err;
  EXPECT_TRUE(Has(best, "within-cluster SS   0.2266666667\n")) << best.Out;
  EXPECT_TRUE(Has(best, "best of 10 runs, seed ")) << best.Out;
  EXPECT_TRUE(Has(best, "object  cluster\n1       1\n2       1\n3       2\n4       1\n5       2\n6       3\n")) << best.Out;
}

TEST(ClusterCommand, HelpAndTableRow) {
  const TResult help = Cluster({"--help"});
  EXPECT_EQ(help.Exit, 0);
  EXPECT_EQ(help.Out, ClusterHelp());
  EXPECT_NE(Usage(Commands()).find("cluster FILE [--method NAME] [--k N]"), std::string::npos);
}

struct TErrorCase {
  const char* Name;
  std::vector<std::string> Args;  // "@" stands for the file holding Text
  std::string Text;
  int Exit;
  std::string Err;
};

class ClusterCommandErrors : public ::testing::TestWithParam<TErrorCase> {};

TEST_P(ClusterCommandErrors, OneLineAndTheStatus) {
  const TErrorCase& c = GetParam();
  test::TempFile file(".asc");
  test::WriteFile(file.Path(), c.Text);
  std::vector<std::string> args;
  for (const std::string& a : c.Args) args.push_back(a == "@" ? file.Path() : a);
  const TResult r = Cluster(args);
  EXPECT_EQ(r.Exit, c.Exit);
  EXPECT_EQ(r.Out, "");
  std::string expected = c.Err;
  if (const auto at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, file.Path());
  EXPECT_EQ(r.Err, expected);
}

INSTANTIATE_TEST_SUITE_P(
    All, ClusterCommandErrors,
    ::testing::Values(
        TErrorCase{"Malformed", {"@"}, "t\nzwei\t;c\n", 1, "kvl: @: " + ASCStatusText(-15) + "\n"},
        TErrorCase{"BadValue", {"@"}, Matrix(2, 2, "1 2\n3 x\n"), 1, "kvl: @: row 2: " + ASCStatusText(-6) + "\n"},
        TErrorCase{"Missing", {"@"}, Matrix(2, 2, "1 2\nNAN 4\n"), 1,
                   "kvl: @: row 2: a value is missing or not finite\n"},
        TErrorCase{"Empty", {"@"}, Matrix(2, 0, ""), 1, "kvl: @: holds no values\n"},
        TErrorCase{"MoreClustersThanObjects", {"@", "--k", "4"}, Matrix(1, 3, "1\n2\n3\n"), 1,
                   "kvl: @: 4 clusters asked for but only 3 objects\n"},
        TErrorCase{"CutAboveObjects", {"@", "--method", "ward", "--k", "2"}, Matrix(1, 1, "1\n"), 1,
                   "kvl: @: 2 clusters asked for but only 1 object\n"},
        TErrorCase{"UnknownMethod", {"@", "--method", "dbscan"}, "", 2,
                   "kvl cluster: unknown method \"dbscan\" (try kvl cluster --help)\n"},
        TErrorCase{"ZeroK", {"@", "--k", "0"}, "", 2, "kvl cluster: --k must be at least 1 (try kvl cluster --help)\n"},
        TErrorCase{"SeedWithTree", {"@", "--method", "single", "--seed", "3"}, "", 2,
                   "kvl cluster: --seed and --runs go with --method kmeans only (try kvl cluster --help)\n"},
        TErrorCase{"ZeroRuns", {"@", "--runs", "0"}, "", 2,
                   "kvl cluster: --runs takes a whole number from 1 to 1000, not \"0\" (try kvl cluster --help)\n"},
        TErrorCase{"RunsFromRows", {"@", "--runs", "3", "--seed", "0"}, "", 2,
                   "kvl cluster: --runs above 1 needs a --seed above 0 (try kvl cluster --help)\n"},
        TErrorCase{"DistanceWithKMeans", {"@", "--distance", "euclid"}, "", 2,
                   "kvl cluster: --distance goes with the agglomerative methods only (try kvl cluster --help)\n"},
        TErrorCase{"UnknownDistance", {"@", "--method", "single", "--distance", "cosine"}, "", 2,
                   "kvl cluster: unknown distance \"cosine\" (try kvl cluster --help)\n"},
        TErrorCase{"FlexTooLarge", {"@", "--method", "flexible", "--flex", "0.6"}, "", 2,
                   "kvl cluster: --flex must not be above 0.5 (try kvl cluster --help)\n"},
        TErrorCase{"BadK", {"@", "--k", "two"}, "", 2,
                   "kvl cluster: --k takes a whole number, not \"two\" (try kvl cluster --help)\n"},
        TErrorCase{"NoFile", {}, "", 2, "kvl cluster: expected one FILE (try kvl cluster --help)\n"}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace kvl::tool
