// `kvl learn`: training and prediction through the command, the model file
// it writes, and its errors (one line on standard error, exit 1 or 2).

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "cli_run.h"
#include "commands.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/learning/KVL_membl.h"
#include "kvl_test_support.h"
#include "learn.h"

namespace kvl::tool {
namespace {

using test::TempFile;
using test_cli::TResult;

TResult Learn(const std::vector<std::string>& Args, const std::string& Stdin = "") {
  return test_cli::Run(RunLearn, Args, Stdin);
}

// Data: n rows of x1, x2 on a grid and y = 3·x1 − x2 (columns "x1", "x2", "y").
std::string WriteData(const TempFile& f, std::int32_t n, bool WithTarget = true) {
  TDataTable t;
  t.Resize(WithTarget ? 3 : 2, n);
  t.SetColName(1, "x1");
  t.SetColName(2, "x2");
  if (WithTarget) t.SetColName(3, "y");
  for (std::int32_t j = 1; j <= n; ++j) {
    const double x1 = (j % 10) * 0.1, x2 = (j / 10) * 0.1;
    t.SetElem(1, j, x1);
    t.SetElem(2, j, x2);
    if (WithTarget) t.SetElem(3, j, 3 * x1 - x2);
    t.SetRowName(j, "r" + std::to_string(j));
  }
  EXPECT_EQ(t.ExportAsASC(f.Path(), 17), "");
  return f.Path();
}

// OneLine: the text is exactly one line.
bool OneLine(const std::string& s) { return !s.empty() && s.find('\n') == s.size() - 1; }

TEST(LearnCommand, TrainsAndPredicts) {
  TempFile data(".asc"), model(".xml"), probe(".asc");
  WriteData(data, 100);
  const TResult tr = Learn({"train", data.Path(), "--target", "y", "--k", "4", "--model", "regression", "--out", model.Path()});
  ASSERT_EQ(tr.Exit, kExitOK) << tr.Err;
  EXPECT_EQ(tr.Err, "");
  EXPECT_NE(tr.Out.find("objects               100\n"), std::string::npos) << tr.Out;
  EXPECT_NE(tr.Out.find("independent           x1, x2\n"), std::string::npos) << tr.Out;
  EXPECT_NE(tr.Out.find("local model           Regression\n"), std::string::npos) << tr.Out;
  EXPECT_NE(tr.Out.find("leave-one-out RMSE    "), std::string::npos) << tr.Out;

  TMemBasedLearner mbl;
  std::string id;
  ASSERT_EQ(mbl.LoadModelXML(model.Path(), id), 0);
  EXPECT_EQ(mbl.NumNearestNb(), 4);
  EXPECT_EQ(mbl.CountTargetVars(), 1);
  EXPECT_EQ(mbl.VarType(3), TMBLVarType::mblVarTarget);

  // DATA without the target column, its columns in another order
  TDataTable t;
  t.Resize(2, 2);
  t.SetColName(1, "x2");
  t.SetColName(2, "x1");
  t.SetElem(1, 1, 0.25);
  t.SetElem(2, 1, 0.55);
  t.SetElem(1, 2, 0.5);
  t.SetElem(2, 2, 0.15);
  t.SetRowName(1, "a");
  t.SetRowName(2, "b");
  ASSERT_EQ(t.ExportAsASC(probe.Path(), 17), "");
  const TResult pr = Learn({"predict", model.Path(), probe.Path()});
  ASSERT_EQ(pr.Exit, kExitOK) << pr.Err;
  std::istringstream lines(pr.Out);
  std::string head, a, b;
  std::getline(lines, head);
  EXPECT_EQ(head, "row\ty");
  double ya = 0, yb = 0;
  lines >> a >> ya >> b >> yb;
  EXPECT_EQ(a, "a");
  EXPECT_EQ(b, "b");
  // the plane is exact, so the local regression reproduces it
  EXPECT_NEAR(ya, 3 * 0.55 - 0.25, 1e-9);
  EXPECT_NEAR(yb, 3 * 0.15 - 0.5, 1e-9);
}

TEST(LearnCommand, BinaryModelAndStandardInput) {
  TempFile data(".asc"), model(".bin");
  WriteData(data, 60);
  const std::string text = test::ReadFile(data.Path());
  const TResult tr = Learn({"train", "-", "--target", "3", "--model", "majority", "--dist", "manhattan",
                            "--standardize", "--out", model.Path()},
                           text);
  ASSERT_EQ(tr.Exit, kExitOK) << tr.Err;
  EXPECT_NE(tr.Out.find("leave-one-out errors  "), std::string::npos) << tr.Out;
  EXPECT_NE(tr.Out.find("Manhattan, standardized"), std::string::npos) << tr.Out;
  TMemBasedLearner mbl;
  std::string id;
  ASSERT_EQ(mbl.LoadModelBin(model.Path(), id), 0);
  EXPECT_EQ(id, "standard input");
  const TResult pr = Learn({"predict", model.Path(), "-"}, text);
  ASSERT_EQ(pr.Exit, kExitOK) << pr.Err;
  EXPECT_EQ(std::count(pr.Out.begin(), pr.Out.end(), '\n'), 61);
}

TEST(LearnCommand, Errors) {
  TempFile data(".asc"), model(".xml"), other(".asc"), junk(".xml");
  WriteData(data, 30);
  WriteData(other, 5, false);
  test::WriteFile(junk.Path(), "<membasedlearner><numnnb>3</numnnb></membasedlearner>\n");
  ASSERT_EQ(Learn({"train", data.Path(), "--target", "y", "--out", model.Path()}).Exit, kExitOK);
  struct TCase {
    std::vector<std::string> Args;
    int Exit;
    std::string Err;
  };
  const std::vector<TCase> cases = {
      {{}, kExitUsage, "kvl learn: expected train or predict (try kvl learn --help)\n"},
      {{"fit"}, kExitUsage, "kvl learn: expected train or predict, not \"fit\" (try kvl learn --help)\n"},
      {{"train", data.Path(), "--out", model.Path()}, kExitUsage, "kvl learn: train needs --target COL (try kvl learn --help)\n"},
      {{"train", data.Path(), "--target", "y"}, kExitUsage, "kvl learn: train needs --out MODEL (try kvl learn --help)\n"},
      {{"train", data.Path(), "--target", "y", "--k", "0", "--out", model.Path()}, kExitUsage,
       "kvl learn: --k takes a whole number from 1 to 100, not \"0\" (try kvl learn --help)\n"},
      {{"train", data.Path(), "--target", "y", "--model", "median", "--out", model.Path()}, kExitUsage,
       "kvl learn: unknown model \"median\" (try kvl learn --help)\n"},
      {{"predict", model.Path()}, kExitUsage, "kvl learn: expected MODEL and DATA (try kvl learn --help)\n"},
      {{"predict", model.Path(), data.Path(), "--k", "3"}, kExitUsage, "kvl learn: unknown option \"--k\" (try kvl learn --help)\n"},
      {{"train", "/nonexistent.asc", "--target", "y", "--out", model.Path()}, kExitBadInput,
       "kvl: /nonexistent.asc: the file does not exist\n"},
      {{"train", data.Path(), "--target", "z", "--out", model.Path()}, kExitBadInput,
       "kvl: " + data.Path() + ": no column \"z\"\n"},
      {{"train", data.Path(), "--target", "y", "--k", "30", "--out", model.Path()}, kExitBadInput,
       "kvl: " + data.Path() + ": --k 30 needs more than 30 objects (the table holds 30)\n"},
      {{"train", data.Path(), "--target", "y", "--out", "/nonexistent/dir/m.xml"}, kExitBadInput,
       "kvl: /nonexistent/dir/m.xml: cannot be written\n"},
      {{"predict", junk.Path(), data.Path()}, kExitBadInput, "kvl: " + junk.Path() + ": not a model file of kvl learn\n"},
      {{"predict", data.Path(), data.Path()}, kExitBadInput, "kvl: " + data.Path() + ": not a model file of kvl learn\n"},
      {{"predict", "/nonexistent.xml", data.Path()}, kExitBadInput, "kvl: /nonexistent.xml: the file does not exist\n"},
  };
  for (const TCase& c : cases) {
    const TResult r = Learn(c.Args);
    EXPECT_EQ(r.Exit, c.Exit) << c.Err;
    EXPECT_EQ(r.Err, c.Err);
    EXPECT_TRUE(OneLine(r.Err));
  }
  // a DATA that lacks one of the model's columns
  TDataTable t;
  t.Resize(1, 2);
  t.SetColName(1, "x1");
  TempFile half(".asc");
  ASSERT_EQ(t.ExportAsASC(half.Path(), 17), "");
  const TResult r = Learn({"predict", model.Path(), half.Path()});
  EXPECT_EQ(r.Exit, kExitBadInput);
  EXPECT_EQ(r.Err, "kvl: " + half.Path() + ": no column \"x2\" (the model needs it)\n");
}

TEST(LearnCommand, HelpAndTableRow) {
  const TResult h = Learn({"--help"});
  EXPECT_EQ(h.Exit, kExitOK);
  EXPECT_EQ(h.Out, LearnHelp());
  const TResult p = test_cli::RunProgram({"--help"});
  EXPECT_NE(p.Out.find("  learn train|predict ... trains a k-nearest-neighbour model"), std::string::npos) << p.Out;
  const TResult viaProgram = test_cli::RunProgram({"learn", "predict"});
  EXPECT_EQ(viaProgram.Exit, kExitUsage);
}

}  // namespace
}  // namespace kvl::tool
