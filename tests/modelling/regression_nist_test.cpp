// MultiLinReg against the certified values of the NIST StRD linear
// least-squares data sets (../shared/data/nist-strd beside the checkout).
// Accuracy is counted in correct digits, the log relative error
// LRE = −lg(|estimate − certified| / |certified|) (−lg|estimate| for a
// certified 0), capped at 15; each test prints its row of the table.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_nist_strd.h"
#include "kvl_test_support.h"

namespace {

using kvl::TMatrix;
using kvl::TVector;

using kvl::test::LoadStrd;
using kvl::test::Lre;
using kvl::test::TStrdSet;

struct TStrdCase {
  const char* Name;
  double MinDigits;  // required LRE of every coefficient and standard error
};

class NistStrd : public ::testing::TestWithParam<TStrdCase> {};

TEST_P(NistStrd, MultiLinRegReachesTheCertifiedDigits) {
  const TStrdCase& c = GetParam();
  TStrdSet set;
  ASSERT_TRUE(LoadStrd(c.Name, set)) << "NIST StRD file " << c.Name
                                     << " not found (looked for shared/data/nist-strd above " << __FILE__
                                     << ")";
  const std::size_t n = set.Rows.size();
  const bool poly = set.Header.at("design") == "polynomial";
  const bool intercept = set.Header.at("intercept") == "yes";
  const std::size_t nx = poly ? std::stoul(set.Header.at("degree")) : std::stoul(set.Header.at("predictors"));
  ASSERT_EQ(std::stoul(set.Header.at("observations")), n);

  // Data: the predictor columns (powers of x for the polynomial sets), then y.
  TMatrix data;
  data.Resize(static_cast<int>(nx + 1), static_cast<int>(n));
  for (std::size_t i = 0; i < n; ++i) {
    const auto& row = set.Rows[i];
    for (std::size_t j = 0; j < nx; ++j) {
      long double v = row[poly ? 0 : j];
      if (poly) v = std::pow(static_cast<long double>(row[0]), static_cast<int>(j + 1));
      data.SetVal(static_cast<int>(j + 1), static_cast<int>(i + 1), static_cast<double>(v));
    }
    data.SetVal(static_cast<int>(nx + 1), static_cast<int>(i + 1), row.back());
  }
  // The design matrix of the first form: the same columns, ones last.
  TMatrix X;
  TVector y;
  const std::size_t p = nx + (intercept ? 1 : 0);
  X.Resize(static_cast<int>(p), static_cast<int>(n));
  y.Resize(static_cast<int>(n));
  for (std::size_t i = 1; i <= n; ++i) {
    for (std::size_t j = 1; j <= nx; ++j) X.SetVal(int(j), int(i), data.Elem(int(j), int(i)));
    if (intercept) X.SetVal(int(p), int(i), 1.0);
    y.SetVal(int(i), data.Elem(int(nx + 1), int(i)));
  }

  TVector b, se, b2, se2;
  bool singular = true, singular2 = true;
  ASSERT_TRUE(kvl::MultiLinReg(X, y, b, se, singular));
  EXPECT_FALSE(singular);
  std::vector<std::int32_t> cols(nx);
  for (std::size_t j = 0; j < nx; ++j) cols[j] = static_cast<std::int32_t>(j + 1);
  double r2 = 0, sd = 0, f = 0;
  ASSERT_TRUE(
      kvl::MultiLinReg(data, cols, static_cast<int>(nx + 1), intercept, r2, sd, f, b2, se2, singular2));
  EXPECT_FALSE(singular2);
  ASSERT_EQ(b.NrOfElem(), static_cast<int>(p));

  // Certified B0 is the constant, which both forms return last.
  double minB = 15, minSE = 15;
  for (std::size_t j = 0; j < p; ++j) {
    const std::size_t label = intercept ? (j + 1) % p : j + 1;
    const std::string key = "B" + std::to_string(label);
    minB = std::min(minB, Lre(b.Elem(int(j + 1)), set.Cert(key + ".estimate")));
    minSE = std::min(minSE, Lre(se.Elem(int(j + 1)), set.Cert(key + ".sd")));
    EXPECT_EQ(b.Elem(int(j + 1)), b2.Elem(int(j + 1))) << "both forms run the same fit";
    EXPECT_EQ(se.Elem(int(j + 1)), se2.Elem(int(j + 1)));
  }
  const double lreSD = Lre(sd, set.Cert("residual_sd"));
  const double lreR2 = Lre(r2, set.Cert("r_squared"));
  std::printf("| %-8s | %5.1f | %5.1f | %5.1f | %5.1f | %4.0f |\n", c.Name, minB, minSE, lreSD, lreR2,
              c.MinDigits);
  EXPECT_GE(minB, c.MinDigits);
  EXPECT_GE(minSE, c.MinDigits);
  EXPECT_GE(lreSD, c.MinDigits);
  EXPECT_GE(lreR2, c.MinDigits);
}

INSTANTIATE_TEST_SUITE_P(Certified, NistStrd,
                         ::testing::Values(TStrdCase{"Norris", 12}, TStrdCase{"Longley", 12},
                                           TStrdCase{"Wampler1", 9}, TStrdCase{"Wampler2", 9},
                                           TStrdCase{"Wampler3", 9}, TStrdCase{"Filip", 6}),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
