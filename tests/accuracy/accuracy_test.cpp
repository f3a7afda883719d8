// docs/accuracy.md is a promise: every figure it states is recomputed here
// with the generator's code and must be no worse, and the page must list
// exactly the argument sets and data sets measured today.

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "accuracy_table.h"

namespace kvl::accuracy {
namespace {

class AccuracyPage : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Computed = new TAccuracyTable(ComputeTable(KVL_ACCURACY_REFS));
    std::ifstream in(KVL_ACCURACY_PAGE);
    ASSERT_TRUE(in) << KVL_ACCURACY_PAGE << " missing";
    Stated = new TStated(ReadStated(in));
  }
  static void TearDownTestSuite() {
    delete Computed;
    delete Stated;
  }
  static inline TAccuracyTable* Computed = nullptr;
  static inline TStated* Stated = nullptr;
};

TEST_F(AccuracyPage, NoFunctionErrorIsWorseThanStated) {
  ASSERT_FALSE(Computed->Errors.empty());
  for (const auto& r : Computed->Errors) {
    SCOPED_TRACE(r.Function + " / " + r.Id);
    const auto it = Stated->Errors.find(r.Id);
    ASSERT_NE(it, Stated->Errors.end()) << "not on the page: regenerate docs/accuracy.md";
    EXPECT_EQ(r.Count, it->second.Count);
    EXPECT_LE(r.Max, it->second.Max) << "worst at " << r.WorstAt;
    EXPECT_LE(r.Median, it->second.Median);
  }
  EXPECT_EQ(Stated->Errors.size(), Computed->Errors.size()) << "the page lists sets without references";
}

TEST_F(AccuracyPage, NoNistStrdFigureHasFewerDigitsThanStated) {
  ASSERT_FALSE(Computed->Digits.empty());
  for (const auto& d : Computed->Digits) {
    const auto it = Stated->Digits.find(DigitsKey(d));
    ASSERT_NE(it, Stated->Digits.end()) << DigitsKey(d) << " not on the page";
    EXPECT_GE(d.Lre, it->second) << DigitsKey(d);
  }
  EXPECT_EQ(Stated->Digits.size(), Computed->Digits.size());
}

// The page's reader and writer agree, and a worse figure is caught: the
// stated bounds are rounded up (errors) and down (digits), never the other way.
TEST(AccuracyTable, StatedFiguresBoundTheMeasuredOnes) {
  TAccuracyTable t;
  t.Errors.push_back({"set_a", "Erf", "x = 1", false, 3, 123.456, 0.4444, "1", "stops at |dx| < 1e-8"});
  t.Errors.push_back({"set_b", "LnGamma", "x = 2", true, 1, 0, 0, "2", ""});
  t.Digits.push_back({"Norris", "MultiLinReg", "R squared", 12.96});
  std::stringstream page;
  WriteTable(page, t);
  const TStated s = ReadStated(page);
  ASSERT_EQ(s.Errors.size(), 2u);
  EXPECT_EQ(s.Errors.at("set_a").Count, 3u);
  EXPECT_DOUBLE_EQ(s.Errors.at("set_a").Max, 130);
  EXPECT_DOUBLE_EQ(s.Errors.at("set_a").Median, 0.45);
  EXPECT_EQ(s.Errors.at("set_b").Max, 0);
  EXPECT_DOUBLE_EQ(s.Digits.at("Norris / MultiLinReg / R squared"), 12.9);
}

TEST(AccuracyTable, MalformedReferenceFilesAreReportedByName) {
  const auto dir = std::filesystem::temp_directory_path() / "kvl_accuracy_bad_refs";
  std::filesystem::create_directories(dir);
  const auto expectError = [&](const std::string& Text, const std::string& Part) {
    std::ofstream(dir / "bad.txt") << Text;
    try {
      ComputeTable(dir);
      ADD_FAILURE() << "accepted: " << Text;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("bad.txt"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(Part), std::string::npos) << e.what();
    }
  };
  expectError("# function: NoSuchFunction\n# error: relative\n1 2\n", "unknown function");
  expectError("# function: Erf\n# error: relative\n1 2 3\n", "expected 2 numbers");
  expectError("# function: Erf\n# error: relative\n1 x\n", "bad reference");
  expectError("# function: Erf\n# error: sideways\n1 0.8\n", "relative or absolute");
  expectError("# function: Erf\n# error: relative\n", "no reference values");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kvl::accuracy
