#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "kvl/modelling/KVL_math2.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

using test::kTol16Eps;

constexpr double kPi = std::numbers::pi;

/// Haversine: the central angle by the haversine formula in extended
/// precision, the reference away from antipodes.
long double Haversine(long double Lat1, long double Long1, long double Lat2, long double Long2) {
  const long double r = std::numbers::pi_v<long double> / 180.0L;
  const long double a = std::pow(std::sin((Lat2 - Lat1) * r / 2), 2) +
                        std::cos(Lat1 * r) * std::cos(Lat2 * r) * std::pow(std::sin((Long2 - Long1) * r / 2), 2);
  return 2.0L * std::asin(std::sqrt(std::fmin(a, 1.0L)));
}

TEST(PolygonSphereTest, AgreesWithHaversine) {
  std::mt19937_64 gen(20261208);
  std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180), step(-1e-3, 1e-3);
  for (int i = 0; i < 2000; ++i) {
    const double la1 = lat(gen), lo1 = lon(gen);
    // Half the pairs lie close together, where an arccos of the cosine
    // alone would lose half of the digits.
    const bool near = i % 2 == 0;
    const double la2 = near ? std::fmax(-90, std::fmin(90, la1 + step(gen))) : lat(gen);
    const double lo2 = near ? lo1 + step(gen) : lon(gen);
    const long double ref = Haversine(la1, lo1, la2, lo2);
    if (ref > 3.0L) continue;  // the haversine loses digits near antipodes
    EXPECT_NEAR(SphereGreatCircleDist(1.0, la1, lo1, la2, lo2), static_cast<double>(ref),
                kTol16Eps * static_cast<double>(ref) + 1e-18)
        << la1 << "," << lo1 << " " << la2 << "," << lo2;
  }
}

TEST(PolygonSphereTest, ClosedCases) {
  struct TCase {
    double Lat1, Long1, Lat2, Long2, Angle;
  };
  const TCase cases[] = {
      {0, 0, 0, 90, kPi / 2},        // along the equator
      {0, 0, 90, 0, kPi / 2},        // equator to pole
      {0, 0, 0, 180, kPi},           // antipodes on the equator
      {30, 40, -30, -140, kPi},      // antipodes
      {90, 0, -90, 77, kPi},         // pole to pole
      {90, 10, 90, -170, 0},         // one pole, two longitudes
      {-90, 0, -90, 123, 0},
      {12.5, 33.25, 12.5, 33.25, 0}, // coincident
      {0, 179, 0, -179, kPi / 90},   // across the date line
      {0, -180, 0, 180, 0},          // the date line from both sides
      {45, 0, 45, 360, 0},           // a whole turn of longitude
  };
  for (const TCase& c : cases) {
    EXPECT_NEAR(SphereGreatCircleDist(1.0, c.Lat1, c.Long1, c.Lat2, c.Long2), c.Angle, kTol16Eps)
        << c.Lat1 << "," << c.Long1 << " " << c.Lat2 << "," << c.Long2;
  }
  EXPECT_EQ(SphereGreatCircleDist(1.0, 0, 0, 0, 90), kPi / 2);
  EXPECT_EQ(SphereGreatCircleDist(1.0, 0, 0, 0, 180), kPi);
  EXPECT_EQ(SphereGreatCircleDist(6371.0, 48, 16, 48, 16), 0.0);
  EXPECT_EQ(SphereGreatCircleDist(6371.0, 90, 0, 90, 45), 0.0);
  EXPECT_NEAR(SphereGreatCircleDist(6371.0, 0, 0, 0, 90), 6371.0 * kPi / 2, 6371.0 * kTol16Eps);
}

TEST(PolygonSphereTest, BadAnglesGiveNaNOrContinueOverThePole) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(std::isnan(SphereGreatCircleDist(1, nan, 0, 0, 0)));
  EXPECT_TRUE(std::isnan(SphereGreatCircleDist(1, 0, 0, 0, nan)));
  EXPECT_TRUE(std::isnan(SphereGreatCircleDist(1, inf, 0, 0, 0)));
  EXPECT_TRUE(std::isnan(SphereGreatCircleDist(nan, 1, 2, 3, 4)));
  // Latitude 100 on meridian 20 is latitude 80 on meridian -160.
  EXPECT_NEAR(SphereGreatCircleDist(1, 100, 20, 10, 5), SphereGreatCircleDist(1, 80, -160, 10, 5), kTol16Eps);
  EXPECT_NEAR(SphereGreatCircleDist(1, 100, 20, 80, -160), 0.0, kTol16Eps);
  EXPECT_NEAR(SphereGreatCircleDist(1, -270, 0, 90, 0), 0.0, kTol16Eps);
}

}  // namespace
}  // namespace kvl
