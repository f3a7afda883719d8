// TCurveFit: the pairs as two-column ASC text, byte for byte, and imports
// of well-formed and hostile files.

#include <gtest/gtest.h>

#include <string>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::TempFile;

TEST(CurveFitASC, ExportIsByteExactAndReadsBack) {
  TCurveFit f;
  f.EnterStatValue(1.5, -2);
  f.EnterStatValue(10, 0.125);
  TempFile file(".asc");
  EXPECT_EQ(f.ExportAsASC(file.Path(), "", 3), "");
  EXPECT_EQ(test::ReadFile(file.Path()),
            "Exported by KVL TCurveFit component: " + file.Path() +
                "\n2\t;nr. of columns\n2\t;nr. of rows\nFALSE TRUE FALSE\t;row attributes, column names, row names\n"
                "x   y\n1.500\t-2.000\n10.000\t0.125\n");
  EXPECT_EQ(f.ExportAsASC(file.Path(), "two\nlines", 1).size(), 0u);
  EXPECT_EQ(test::ReadFile(file.Path()).substr(0, 10), "two lines\n");

  TCurveFit g;
  g.EnterStatValue(7, 7);
  EXPECT_EQ(g.ImportASC(file.Path()), 0);  // joins the pair already held
  EXPECT_EQ(g.NumData(), 3);
  EXPECT_EQ(g.DataX(2), 1.5);
  EXPECT_EQ(g.DataY(3), 0.1);
  EXPECT_DOUBLE_EQ(g.MeanX(), (7 + 1.5 + 10) / 3);
  EXPECT_EQ(f.ExportAsASC("/nonexistent-dir/x.asc", "", 2).substr(0, 19), "Cannot create file ");
}

struct TImportCase {
  const char* Name;
  std::string Text;
  std::int32_t Status;
  std::int32_t Pairs;
};

class CurveFitImport : public ::testing::TestWithParam<TImportCase> {};

TEST_P(CurveFitImport, StatusAndPairs) {
  const TImportCase& c = GetParam();
  TempFile file(".asc");
  test::WriteFile(file.Path(), c.Text);
  TCurveFit f;
  EXPECT_EQ(f.ImportASC(file.Path()), c.Status);
  EXPECT_EQ(f.NumData(), c.Pairs);
}

const std::string kHead = "t\n2\t;c\n";

INSTANTIATE_TEST_SUITE_P(
    All, CurveFitImport,
    ::testing::Values(
        TImportCase{"AttributesNamesAndMissing", kHead + "2\t;r\nTRUE TRUE TRUE FALSE\n\"a\" \"b\"\n1 \"r1\" 1 2\n2 \"r2\" ### 4\n", 0, 2},
        TImportCase{"HugeRowCount", kHead + "2000000000\t;r\nFALSE FALSE FALSE\n1 2\n", -19, 0},
        TImportCase{"FewerRowsThanAnnounced", kHead + "3\t;r\nFALSE FALSE FALSE\n1 2\n3 4\n", -6, 0},
        TImportCase{"BadNumber", kHead + "1\t;r\nFALSE FALSE FALSE\n1 x\n", -6, 0},
        TImportCase{"BadAttribute", kHead + "1\t;r\nTRUE FALSE FALSE\nz 1 2\n", -5, 0},
        TImportCase{"NominalBlock", kHead + "1\t;r\nFALSE FALSE FALSE TRUE\n1 2\n", -7, 0},
        TImportCase{"NoHeader", "", -12, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(CurveFitASC, MissingFileAndWrongColumnCount) {
  TCurveFit f;
  EXPECT_EQ(f.ImportASC("/nonexistent-dir/none.asc"), -8);
  TempFile file(".asc");
  test::WriteFile(file.Path(), "t\n3\t;c\n1\t;r\nFALSE FALSE FALSE\n1 2 3\n");
  KVL_EXPECT_THROW_MSG(f.ImportASC(file.Path()), EKVLMath2Error,
                       "TCurveFit.ImportASC: number of columns must be 2 (is actually 3).");
}

}  // namespace
}  // namespace kvl
