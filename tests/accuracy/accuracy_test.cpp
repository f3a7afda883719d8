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

// The measured table and the page's figures; a failure here fails the
// test (never skips it).
void Load(TAccuracyTable& Computed, TStated& Stated) {
  ASSERT_NO_THROW(Computed = ComputeTable(KVL_ACCURACY_REFS));
  std::ifstream in(KVL_ACCURACY_PAGE);
  ASSERT_TRUE(in) << KVL_ACCURACY_PAGE << " missing";
  Stated = ReadStated(in);
}

TEST(AccuracyPage, NoFunctionErrorIsWorseThanStated) {
  TAccuracyTable computed;
  TStated stated;
  ASSERT_NO_FATAL_FAILURE(Load(computed, stated));
  ASSERT_FALSE(computed.Errors.empty());
  for (const auto& r : computed.Errors) {
    SCOPED_TRACE(r.Function + " / " + r.Id);
    const auto it = stated.Errors.find(r.Id);
    ASSERT_NE(it, stated.Errors.end()) << "not on the page: regenerate docs/accuracy.md";
    EXPECT_EQ(r.Count, it->second.Count);
    EXPECT_LE(r.Max, it->second.Max) << "worst at " << r.WorstAt;
    EXPECT_LE(r.Median, it->second.Median);
  }
  EXPECT_EQ(stated.Errors.size(), computed.Errors.size()) << "the page lists sets without references";
}

TEST(AccuracyPage, NoNistStrdFigureHasFewerDigitsThanStated) {
  TAccuracyTable computed;
  TStated stated;
  ASSERT_NO_FATAL_FAILURE(Load(computed, stated));
  ASSERT_FALSE(computed.Digits.empty());
  for (const auto& d : computed.Digits) {
    const auto it = stated.Digits.find(DigitsKey(d));
    ASSERT_NE(it, stated.Digits.end()) << DigitsKey(d) << " not on the page";
    EXPECT_GE(d.Lre, it->second) << DigitsKey(d);
  }
  EXPECT_EQ(stated.Digits.size(), computed.Digits.size());
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
