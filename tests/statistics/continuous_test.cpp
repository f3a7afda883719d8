#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "kvl/statistics/KVL_statis.h"
#include "kvl_test_support.h"

namespace kvl {
namespace {

// The header promises 1e-13 relative; reference values come from mpmath at
// 40 digits (tests/statistics/reference_values.py).
constexpr double kDistTol = 1e-13;
// A quantile is checked against the exact root to the same relative accuracy.
constexpr double kQuantileTol = 1e-13;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void ExpectRel(double actual, double expected, double tol, const char* what) {
  EXPECT_NEAR(actual, expected, tol * std::fabs(expected)) << what;
}

// A point of a distribution with one degree-of-freedom parameter.
struct OneDfRow {
  double x;
  int df;
  double density, integral;
};

template <class Density, class Integral>
void ExpectRows(const std::vector<OneDfRow>& rows, Density density, Integral integral) {
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "x = " << r.x << ", df = " << r.df);
    ExpectRel(density(r.x, r.df), r.density, kDistTol, "density");
    ExpectRel(integral(r.x, r.df), r.integral, kDistTol, "integral");
  }
}

const std::vector<OneDfRow> kChi2 = {
    {1e-10, 1, 3.9894228038148556e+4, 7.9788456078956729e-6},
    {0.01, 1, 3.9695254747701176, 7.9655674554057964e-2},
    {0.5, 1, 4.393912894677224e-1, 5.2049987781304654e-1},
    {3.84, 1, 2.9846887483060558e-2, 9.499564787512949e-1},
    {20.0, 1, 4.0499554780445587e-6, 9.9999225578356896e-1},
    {200.0, 1, 1.0494140578386042e-45, 1.0},
    {0.1, 2, 4.75614712250357e-1, 4.8770575499285994e-2},
    {1.0, 2, 3.0326532985631671e-1, 3.9346934028736658e-1},
    {10.0, 2, 3.3689734995427335e-3, 9.9326205300091453e-1},
    {100.0, 2, 9.6437492398195889e-23, 1.0},
    {0.05, 3, 8.7003696738629301e-2, 2.929332764619927e-3},
    {2.5, 3, 1.8072239266818127e-1, 5.2470891665697941e-1},
    {7.81, 3, 2.2455132960121388e-2, 9.4989394364999406e-1},
    {40.0, 3, 5.2005637376543872e-9, 9.9999998934490967e-1},
    {0.5, 5, 3.6615940788976866e-2, 7.8767067673704078e-3},
    {4.35, 5, 1.3706677622236982e-1, 4.9979987899220703e-1},
    {11.07, 5, 1.9328149897682447e-2, 9.4999038137759452e-1},
    {60.0, 5, 5.7833733521961739e-12, 9.9999999998784543e-1},
    {2.0, 10, 7.6641550244050484e-3, 3.6598468273437123e-3},
    {9.34, 10, 9.2869060997064315e-2, 4.9983119682653089e-1},
    {18.3, 10, 1.5511315428409549e-2, 9.4989093858853755e-1},
    {100.0, 10, 2.5113930312030179e-17, 9.9999999999999995e-1},
    {10.0, 30, 2.358681514816157e-4, 2.2625367617675553e-4},
    {29.3, 30, 5.2224493666662767e-2, 4.9811903078227267e-1},
    {43.8, 30, 1.0321197923731733e-2, 9.5027964395839126e-1},
    {150.0, 30, 2.737368069257017e-18, 9.9999999999999999e-1},
    {50.0, 100, 3.6021642652022016e-6, 6.953305247616099e-6},
    {99.3, 100, 2.8326146597428407e-2, 4.990333591702256e-1},
    {124.3, 100, 6.3398444405457289e-3, 9.497336016998416e-1},
    {300.0, 100, 2.5070589415277745e-22, 1.0},
    {900.0, 1000, 6.7929589628741533e-4, 1.0717238091289742e-2},
    {999.3, 1000, 8.924287899214488e-3, 4.9970182136075741e-1},
    {1074.7, 1000, 2.19665056326105e-3, 9.5004516035342265e-1},
    {1500.0, 1000, 1.7629519620799669e-23, 1.0},
    {99000.0, 100000, 7.2732745023303741e-5, 1.2478315638082799e-2},
    {100300.0, 100000, 7.1051319320859022e-4, 7.4909389185658125e-1},
    {102000.0, 100000, 4.5279368896491211e-8, 9.9999558806074488e-1},
    {9990000.0, 10000000, 7.3176056319188602e-6, 1.2654131885775518e-2},
    {10005000.0, 10000000, 4.7734717938619478e-5, 8.6821581336183641e-1},
    {2147283647.0, 2147483647, 5.7810102000995853e-8, 1.1372074713427881e-3},
    {2147533647.0, 2147483647, 4.5501493922694976e-6, 7.7725151499066185e-1},
    {2147883647.0, 2147483647, 4.9657918606123143e-14, 9.9999999947999908e-1},
};

TEST(Chi2DistriTest, MatchesReferenceValues) { ExpectRows(kChi2, Chi2DistriDensity, chi2DistriIntegral); }

const std::vector<OneDfRow> kStudent = {
    {-10000000000.0, 1, 3.1830988618379067e-21, 3.1830988618379067e-11},
    {-40.0, 1, 1.9881941672941329e-4, 7.9560899120258133e-3},
    {-1.0, 1, 1.5915494309189534e-1, 2.5e-1},
    {0.0, 1, 3.1830988618379067e-1, 5.0e-1},
    {0.5, 1, 2.5464790894703254e-1, 6.4758361765043327e-1},
    {12.7, 1, 1.9613647555843903e-3, 9.7498783615532792e-1},
    {-30.0, 2, 3.6913922295566901e-5, 5.5463134097982946e-4},
    {-2.0, 2, 6.8041381743977169e-2, 9.1751709536136984e-2},
    {0.3, 2, 3.3096385830912663e-1, 6.0375716957991119e-1},
    {4.3, 2, 1.0781695505270961e-2, 9.749714229414542e-1},
    {-10.0, 3, 3.118082168470876e-4, 1.064199529207075e-3},
    {-0.8, 3, 2.4966590482208913e-1, 2.4109947587554111e-1},
    {2.35, 3, 4.5543665935357756e-2, 9.4984710059300666e-1},
    {50.0, 3, 5.2800776064818938e-7, 9.9999119142397936e-1},
    {-5.0, 5, 1.7574383788078446e-3, 2.0523579900266612e-3},
    {-2.57, 5, 3.0361251056961221e-2, 2.5017658431033591e-2},
    {0.7, 5, 2.8676545757669791e-1, 7.4242552584259178e-1},
    {8.0, 5, 1.444430326956394e-4, 9.9975354666971378e-1},
    {-3.0, 10, 1.1400549464542524e-2, 6.6718275112847886e-3},
    {1.2, 10, 1.8566389362670316e-1, 8.7110184963784715e-1},
    {2.23, 10, 4.2255963249816611e-2, 9.7507876461065957e-1},
    {20.0, 10, 5.2451676804395852e-10, 9.9999999892696884e-1},
    {-6.0, 30, 1.9486779083978797e-6, 6.9713843836023714e-7},
    {-0.1, 30, 3.935936956326793e-1, 4.6050480589513558e-1},
    {2.04, 30, 5.2823711576161288e-2, 9.7488021263045656e-1},
    {4.0, 30, 5.247164401974079e-4, 9.9980907718195812e-1},
    {-40.0, 100, 2.8983699485134318e-63, 1.2310538010700354e-63},
    {-1.98, 100, 5.7073362153930107e-2, 2.5225803416547689e-2},
    {0.5, 100, 3.5080283339233032e-1, 6.9091321708455671e-1},
    {9.0, 100, 3.8641708215471803e-14, 9.9999999999999232e-1},
    {-7.0, 10000, 9.6740128413431608e-12, 1.362015780339914e-12},
    {1.96, 10000, 5.8449816908354605e-2, 9.7498823988408348e-1},
    {3.0, 10000, 4.4387186123801527e-3, 9.9864677590500117e-1},
    {-8.0, 10000000, 5.0527721652128468e-15, 6.2216174014033925e-16},
    {0.2, 10000000, 3.9104268343294499e-1, 5.7925970740568104e-1},
    {2.5, 10000000, 1.752831169524623e-2, 9.9379032673171076e-1},
    {-30.0, 2147483647, 1.4737847919332394e-196, 4.9071776620667978e-198},
    {-10.0, 2147483647, 7.6946074043533064e-23, 7.6198620714342939e-24},
    {-3.0, 2147483647, 4.4318484439259809e-3, 1.3498980471081464e-3},
    {1.96, 2147483647, 5.8440944374780144e-2, 9.7500210478721825e-1},
    {0.5, 2147483647, 3.5206532670538239e-1, 6.9146246124839698e-1},
};

TEST(tDistriTest, MatchesReferenceValues) { ExpectRows(kStudent, tDistriDensity, tDistriIntegral); }

struct FRow {
  double x;
  int df1, df2;
  double density, integral;
};

const std::vector<FRow> kFisher = {
    {1e-06, 1, 1, 3.183095678742228e+2, 6.3661956016111786e-4},
    {0.5, 1, 1, 3.0010543871903536e-1, 3.9182655203060727e-1},
    {1.0, 1, 1, 1.5915494309189534e-1, 5.0e-1},
    {161.4, 1, 1, 1.542809616501924e-4, 9.4999265186043569e-1},
    {100000000.0, 1, 1, 3.1830988300069184e-13, 9.9993633802297545e-1},
    {0.01, 1, 10, 3.8697522581518037, 7.7679281435591681e-2},
    {4.96, 1, 10, 1.9063646921380267e-2, 9.4991234943353181e-1},
    {30.0, 1, 10, 3.4688059767671989e-5, 9.9972970425274538e-1},
    {0.2, 2, 5, 7.6386543007399807e-1, 1.7502533552008208e-1},
    {1.0, 2, 5, 3.0800082169406581e-1, 5.6879884962830787e-1},
    {5.79, 2, 5, 1.5060839259274206e-2, 9.5005825701624673e-1},
    {80.0, 2, 5, 4.8439673861395731e-6, 9.9984014907625739e-1},
    {0.1, 5, 2, 3.5777087639996637e-1, 1.788854381999832e-2},
    {1.0, 5, 2, 3.0800082169406581e-1, 4.3120115037169213e-1},
    {19.3, 5, 2, 2.4986427832169738e-3, 9.5000897260692568e-1},
    {1000.0, 5, 2, 9.9860125907660024e-7, 9.9900069958023088e-1},
    {0.3, 10, 20, 3.1138774234168358e-1, 2.7269295941804624e-2},
    {1.0, 10, 20, 7.1435684961927762e-1, 5.2449953156710821e-1},
    {2.35, 10, 20, 8.273068664564636e-2, 9.5017591612709158e-1},
    {12.0, 10, 20, 1.3662761370053061e-6, 9.9999796633135141e-1},
    {0.2, 30, 3, 1.4761591133500404e-1, 6.2548706018734385e-3},
    {1.0, 30, 3, 4.4079294056447196e-1, 4.0635726687294873e-1},
    {8.62, 30, 3, 8.0499587660876356e-3, 9.500275767598582e-1},
    {0.5, 100, 100, 1.102042200673948e-2, 3.091368626070544e-4},
    {1.0, 100, 100, 1.989730934679469, 5.0e-1},
    {1.39, 100, 100, 3.7130349407205056e-1, 9.4936513040403628e-1},
    {3.0, 100, 100, 3.7560923959053191e-7, 9.9999995615152954e-1},
    {0.4, 1000, 5, 3.5861360864865581e-1, 2.9218613715870306e-2},
    {1.0, 1000, 5, 6.0868727997813538e-1, 4.1648882367853914e-1},
    {4.37, 1000, 5, 2.40770616351893e-2, 9.500231146509163e-1},
    {0.01, 3, 1000000, 2.0421039103845092e-1, 1.3696061716106899e-3},
    {2.6, 3, 1000000, 6.7659999858375625e-2, 9.4966830402796947e-1},
    {15.0, 3, 1000000, 1.3589472561369017e-9, 9.9999999907428144e-1},
};

TEST(FDistriTest, MatchesReferenceValues) {
  for (const auto& r : kFisher) {
    SCOPED_TRACE(testing::Message() << "x = " << r.x << ", df = " << r.df1 << ", " << r.df2);
    ExpectRel(FDistriDensity(r.x, r.df1, r.df2), r.density, kDistTol, "density");
    ExpectRel(FDistriIntegral(r.x, r.df1, r.df2), r.integral, kDistTol, "integral");
  }
}

struct QuantileRow {
  double p;
  int df;
  double x;
};

const std::vector<QuantileRow> kChi2Quantiles = {
    {1e-100, 1, 1.5707963267948967e-200},
    {1e-10, 1, 1.5707963267948967e-20},
    {0.001, 1, 1.5707971492624899e-6},
    {0.05, 1, 3.9321400000195232e-3},
    {0.5, 1, 4.5493642311957275e-1},
    {0.95, 1, 3.8414588206941245},
    {0.999, 1, 1.0827566170662731e+1},
    {0.9999999999, 1, 4.1821456202982789e+1},
    {1e-100, 2, 2.0e-100},
    {1e-10, 2, 2.0000000001000001e-10},
    {0.001, 2, 2.001000667167067e-3},
    {0.05, 2, 1.0258658877510107e-1},
    {0.5, 2, 1.3862943611198906},
    {0.95, 2, 5.9914645471079802},
    {0.999, 2, 1.3815510557964272e+1},
    {0.9999999999, 2, 4.6051701694400179e+1},
    {1e-100, 5, 3.2334077805831284e-40},
    {1e-10, 5, 3.2335571462496935e-4},
    {0.001, 5, 2.1021260262921917e-1},
    {0.05, 5, 1.1454762260617693},
    {0.5, 5, 4.3514601910955273},
    {0.95, 5, 1.1070497693516352e+1},
    {0.999, 5, 2.0515005652432876e+1},
    {0.9999999999, 5, 5.5562398343664851e+1},
    {1e-100, 30, 2.7677700613391893e-6},
    {1e-10, 30, 3.0430403795533462},
    {0.001, 30, 1.1587951045645056e+1},
    {0.05, 30, 1.8492660981953468e+1},
    {0.5, 30, 2.9336031516661586e+1},
    {0.95, 30, 4.3772971825742184e+1},
    {0.999, 30, 5.9703064304429928e+1},
    {0.9999999999, 30, 1.0792587787810748e+2},
    {1e-100, 1000, 3.2293397028743493e+2},
    {1e-10, 1000, 7.4126807171935294e+2},
    {0.001, 1000, 8.6747908260727688e+2},
    {0.05, 1000, 9.2759436302097905e+2},
    {0.5, 1000, 9.9933341240338097e+2},
    {0.95, 1000, 1.074679448803441e+3},
    {0.999, 1000, 1.1439170926196792e+3},
    {0.9999999999, 1000, 1.3113030076011555e+3},
};

const std::vector<QuantileRow> kTQuantiles = {
    {1e-100, 1, -3.1830988618379067e+99},
    {1e-10, 1, -3.1830988618379066e+9},
    {0.001, 1, -3.1830883898555044e+2},
    {0.05, 1, -6.3137515146750427},
    {0.3, 1, -7.2654252800536094e-1},
    {0.95, 1, 6.3137515146750374},
    {0.999, 1, 3.1830883898555016e+2},
    {0.9999999999, 1, 3.1830985984671478e+9},
    {1e-100, 2, -7.0710678118654752e+49},
    {1e-10, 2, -7.0710678108048149e+4},
    {0.001, 2, -2.2327124770119875e+1},
    {0.05, 2, -2.9199855803537256},
    {0.3, 2, -6.1721339984836768e-1},
    {0.95, 2, 2.9199855803537242},
    {0.999, 2, 2.2327124770119865e+1},
    {0.9999999999, 2, 7.0710675182734461e+4},
    {1e-100, 5, -1.5683925590993378e+20},
    {1e-10, 5, -1.5682559270889432e+2},
    {0.001, 5, -5.8934295313560101},
    {0.05, 5, -2.0150483733330242},
    {0.3, 5, -5.5942964446936079e-1},
    {0.95, 5, 2.0150483733330235},
    {0.999, 5, 5.893429531356009},
    {0.9999999999, 5, 1.5682559011328069e+2},
    {1e-100, 30, -1.0810645001143976e+4},
    {1e-10, 30, -9.3774897804071432},
    {0.001, 30, -3.3851848668293051},
    {0.05, 30, -1.6972608865939578},
    {0.3, 30, -5.3001900390650451e-1},
    {0.95, 30, 1.6972608865939574},
    {0.999, 30, 3.3851848668293048},
    {0.9999999999, 30, 9.377489746079774},
    {1e-100, 1000, -2.3930617087826443e+1},
    {1e-10, 1000, -6.4278762831342136},
    {0.001, 1000, -3.0984021639129229},
    {0.05, 1000, -1.6463788172854647},
    {0.3, 1000, -5.2456770730922693e-1},
    {0.95, 1000, 1.6463788172854643},
    {0.999, 1000, 3.0984021639129226},
    {0.9999999999, 1000, 6.4278762700330286},
};

template <class Quantile>
void ExpectQuantileRows(const std::vector<QuantileRow>& rows, Quantile quantile) {
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "p = " << r.p << ", df = " << r.df);
    ExpectRel(quantile(r.p, r.df), r.x, kQuantileTol, "quantile");
  }
}

TEST(Chi2DistriTest, QuantilesMatchReferenceRoots) { ExpectQuantileRows(kChi2Quantiles, chi2DistriQuantile); }

TEST(tDistriTest, QuantilesMatchReferenceRoots) { ExpectQuantileRows(kTQuantiles, tDistriQuantile); }

struct FQuantileRow {
  double p;
  int df1, df2;
  double x;
};

const std::vector<FQuantileRow> kFQuantiles = {
    {1e-20, 1, 1, 2.4674011002723394e-40},
    {0.01, 1, 1, 2.4678070282409453e-4},
    {0.5, 1, 1, 1.0},
    {0.95, 1, 1, 1.6144763879758821e+2},
    {0.999999, 1, 1, 4.0528473454537596e+11},
    {1e-20, 2, 5, 9.9999999999999995e-21},
    {0.01, 2, 5, 1.0070564802268471e-2},
    {0.5, 2, 5, 7.9876977693223565e-1},
    {0.95, 2, 5, 5.7861350433499641},
    {0.999999, 2, 5, 6.2547160787017193e+2},
    {1e-20, 5, 2, 4.0000000400000003e-9},
    {0.01, 5, 2, 7.5335618606349562e-2},
    {0.5, 5, 2, 1.2519251840506678},
    {0.95, 5, 2, 1.9296409652017233e+1},
    {0.999999, 5, 2, 9.9999929997117434e+5},
    {1e-20, 10, 20, 4.3728131395226662e-5},
    {0.01, 10, 20, 2.2699441321991305e-1},
    {0.5, 10, 20, 9.6626388859291628e-1},
    {0.95, 10, 20, 2.3478775669983115},
    {0.999999, 10, 20, 1.3094480421185818e+1},
    {1e-20, 100, 100, 1.363460362984774e-1},
    {0.01, 100, 100, 6.2591182716548959e-1},
    {0.5, 100, 100, 1.0},
    {0.95, 100, 100, 1.3917195516552198},
    {0.999999, 100, 100, 2.6409804771724909},
    {1e-20, 3, 1000, 3.7392330888913674e-14},
    {0.01, 3, 1000, 3.8260341988586719e-2},
    {0.5, 3, 1000, 7.8919684672989237e-1},
    {0.95, 3, 1000, 2.6138035806936199},
    {0.999999, 3, 1000, 1.0374701401936207e+1},
};

TEST(FDistriTest, QuantilesMatchReferenceRoots) {
  for (const auto& r : kFQuantiles) {
    SCOPED_TRACE(testing::Message() << "p = " << r.p << ", df = " << r.df1 << ", " << r.df2);
    ExpectRel(FDistriQuantile(r.p, r.df1, r.df2), r.x, kQuantileTol, "quantile");
  }
}

TEST(ContinuousDistriTest, OutsideTheDomainGivesNaN) {
  EXPECT_TRUE(std::isnan(chi2DistriIntegral(1.0, 0)));
  EXPECT_TRUE(std::isnan(Chi2DistriDensity(1.0, -3)));
  EXPECT_TRUE(std::isnan(chi2DistriQuantile(0.5, 0)));
  EXPECT_TRUE(std::isnan(chi2DistriQuantile(1.5, 3)));
  EXPECT_TRUE(std::isnan(chi2DistriIntegral(kNaN, 3)));
  EXPECT_TRUE(std::isnan(tDistriIntegral(1.0, 0)));
  EXPECT_TRUE(std::isnan(tDistriDensity(kNaN, 4)));
  EXPECT_TRUE(std::isnan(tDistriQuantile(-0.1, 4)));
  EXPECT_TRUE(std::isnan(FDistriIntegral(1.0, 0, 3)));
  EXPECT_TRUE(std::isnan(FDistriDensity(1.0, 3, 0)));
  EXPECT_TRUE(std::isnan(FDistriQuantile(kNaN, 3, 4)));
}

TEST(ContinuousDistriTest, EndsOfTheSupport) {
  for (int df : {1, 2, 7}) {
    EXPECT_EQ(chi2DistriIntegral(0.0, df), 0.0);
    EXPECT_EQ(chi2DistriIntegral(-2.0, df), 0.0);
    EXPECT_EQ(chi2DistriIntegral(kInf, df), 1.0);
    EXPECT_EQ(Chi2DistriDensity(-1.0, df), 0.0);
    EXPECT_EQ(chi2DistriQuantile(0.0, df), 0.0);
    EXPECT_EQ(chi2DistriQuantile(1.0, df), kInf);
    EXPECT_EQ(tDistriIntegral(-kInf, df), 0.0);
    EXPECT_EQ(tDistriIntegral(kInf, df), 1.0);
    EXPECT_EQ(tDistriIntegral(0.0, df), 0.5);
    EXPECT_EQ(tDistriDensity(kInf, df), 0.0);
    EXPECT_EQ(tDistriQuantile(0.5, df), 0.0);
    EXPECT_EQ(tDistriQuantile(0.0, df), -kInf);
    EXPECT_EQ(tDistriQuantile(1.0, df), kInf);
    EXPECT_EQ(FDistriIntegral(0.0, df, 3), 0.0);
    EXPECT_EQ(FDistriIntegral(kInf, df, 3), 1.0);
    EXPECT_EQ(FDistriDensity(-1.0, df, 3), 0.0);
    EXPECT_EQ(FDistriQuantile(0.0, df, 3), 0.0);
    EXPECT_EQ(FDistriQuantile(1.0, df, 3), kInf);
  }
  // The density at 0: a pole for one degree of freedom, finite for two.
  EXPECT_EQ(Chi2DistriDensity(0.0, 1), kInf);
  EXPECT_EQ(Chi2DistriDensity(0.0, 2), 0.5);
  EXPECT_EQ(Chi2DistriDensity(0.0, 3), 0.0);
  EXPECT_EQ(FDistriDensity(0.0, 1, 5), kInf);
  EXPECT_EQ(FDistriDensity(0.0, 2, 5), 1.0);
  EXPECT_EQ(FDistriDensity(0.0, 3, 5), 0.0);
}

TEST(ContinuousDistriTest, QuantileBeyondTheDoublesIsInfinite) {
  // Cauchy: P(T <= t) = 1e-320 needs t = -3.2e319.
  EXPECT_EQ(tDistriQuantile(1e-320, 1), -kInf);
  // chi^2_1: P(X <= x) = 1e-320 needs x = 1.6e-640, which underflows.
  EXPECT_EQ(chi2DistriQuantile(1e-320, 1), 0.0);
}

// The quantile q of p is right when p lies between the integrals at the
// doubles a few steps on either side of q (or the integral at q is p within
// kDistTol, where the integral moves by less than its own error per step).
template <class Cdf>
void ExpectQuantileOf(double q, double p, Cdf cdf) {
  constexpr int kUlps = 4;
  double below = q, above = q;
  for (int i = 0; i < kUlps; ++i) {
    below = std::nextafter(below, -kInf);
    above = std::nextafter(above, kInf);
  }
  const double atQ = cdf(q);
  EXPECT_TRUE(std::fabs(atQ - p) <= kDistTol * p || (cdf(below) <= p && p <= cdf(above)))
      << "q = " << q << ", integral there " << atQ;
}

TEST(ContinuousDistriTest, QuantileInvertsIntegralForLargeDegreesOfFreedom) {
  // Beyond the reference table: very large df, where the kernels need many
  // continued-fraction steps.
  for (int df : {100000, 10000000, 2147483647}) {
    for (double p : {1e-12, 0.025, 0.5, 0.975}) {
      SCOPED_TRACE(testing::Message() << "p = " << p << ", df = " << df);
      ExpectQuantileOf(chi2DistriQuantile(p, df), p, [df](double x) { return chi2DistriIntegral(x, df); });
      ExpectQuantileOf(tDistriQuantile(p, df), p, [df](double x) { return tDistriIntegral(x, df); });
      ExpectQuantileOf(FDistriQuantile(p, df, 7), p, [df](double x) { return FDistriIntegral(x, df, 7); });
      ExpectQuantileOf(FDistriQuantile(p, 7, df), p, [df](double x) { return FDistriIntegral(x, 7, df); });
    }
  }
}

TEST(ContinuousDistriTest, LargeDegreesOfFreedomApproachTheLimits) {
  // t with n degrees of freedom: P(T <= z) = Phi(z) - phi(z)(z^3 + z)/(4n)
  // + O(1/n^2), and its quantile z + (z^3 + z)/(4n) + O(1/n^2).
  constexpr double kSecondOrder = 1e-15;  // O(1/n^2) at n = 2^31
  const double n = 2147483647.0, z = 1.959963984540054, pz = 0.058445069805035388;
  EXPECT_NEAR(tDistriIntegral(z, 2147483647), 0.975 - pz * (z * z * z + z) / (4 * n), kSecondOrder);
  EXPECT_NEAR(tDistriQuantile(0.975, 2147483647), z + (z * z * z + z) / (4 * n), kSecondOrder);
  // df1 F(df1, n) tends to chi^2(df1) as 1/n.
  EXPECT_NEAR(FDistriIntegral(7.81 / 3, 3, 2147483647), chi2DistriIntegral(7.81, 3), test::kTol1e8);
}

}  // namespace
}  // namespace kvl
