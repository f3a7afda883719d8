// Mean, sample standard deviation and variance, and mean absolute deviation of
// an index range of a 1-D to 4-D array: one template for every member.

#include <cmath>

#include "kvl/arrays/array_stats.h"

namespace kvl {
namespace {

using namespace arrays_detail;

enum class TSpread { None, Variance, MeanAbsDev };

// Mean of the range and, when asked, the spread around it, both sums in long
// double; the spread takes a second pass over the range, which keeps the
// variance accurate when the mean is large against the deviations.
template <class A>
std::int32_t RangeMoments(const A& Data, const Index<Rank<A>>& Lo, const Index<Rank<A>>& Hi, TSpread Spread,
                          double& Mean, double& Dev) {
  Mean = 0.0;
  Dev = 0.0;
  const std::int32_t status = CheckRange(ExtentsOf(Data), Lo, Hi);
  if (status != 0) return status;
  const auto n = static_cast<long double>(CountInRange(Lo, Hi));
  long double sum = 0.0L;
  ForEachInRange(Data, Lo, Hi, [&sum](auto v) { sum += static_cast<long double>(v); });
  const long double mean = sum / n;
  Mean = static_cast<double>(mean);
  long double dev = 0.0L;
  switch (Spread) {
    case TSpread::None:
      break;
    case TSpread::Variance:
      if (n > 1) {
        ForEachInRange(Data, Lo, Hi, [&dev, mean](auto v) {
          const long double d = static_cast<long double>(v) - mean;
          dev += d * d;
        });
        Dev = static_cast<double>(dev / (n - 1));
      }
      break;
    case TSpread::MeanAbsDev:
      ForEachInRange(Data, Lo, Hi,
                     [&dev, mean](auto v) { dev += std::fabs(static_cast<long double>(v) - mean); });
      Dev = static_cast<double>(dev / n);
      break;
  }
  return 0;
}

template <class A>
std::int32_t MeanOf(const A& Data, const Index<Rank<A>>& Lo, const Index<Rank<A>>& Hi, double& Mean) {
  double unused;
  return RangeMoments(Data, Lo, Hi, TSpread::None, Mean, unused);
}

template <class A>
std::int32_t StdDevOf(const A& Data, const Index<Rank<A>>& Lo, const Index<Rank<A>>& Hi, double& StdDev) {
  double mean;
  const std::int32_t status = RangeMoments(Data, Lo, Hi, TSpread::Variance, mean, StdDev);
  StdDev = std::sqrt(StdDev);
  return status;
}

template <class A>
std::int32_t MeanVarOf(const A& Data, const Index<Rank<A>>& Lo, const Index<Rank<A>>& Hi, double& Mean,
                       double& Variance) {
  return RangeMoments(Data, Lo, Hi, TSpread::Variance, Mean, Variance);
}

template <class A>
std::int32_t MeanAbsDevOf(const A& Data, const Index<Rank<A>>& Lo, const Index<Rank<A>>& Hi, double& MeanDev) {
  double mean;
  return RangeMoments(Data, Lo, Hi, TSpread::MeanAbsDev, mean, MeanDev);
}

}  // namespace

using std::int32_t;

int32_t MeanArray(const TDoubleArray& Data, int32_t First, int32_t Last, double& Mean) {
  return MeanOf(Data, {First}, {Last}, Mean);
}
int32_t MeanArray(const TDouble2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2, double& Mean) {
  return MeanOf(Data, {Lo1, Lo2}, {Hi1, Hi2}, Mean);
}
int32_t MeanArray(const TDouble3DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Hi1, int32_t Hi2,
                  int32_t Hi3, double& Mean) {
  return MeanOf(Data, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, Mean);
}
int32_t MeanArray(const TDouble4DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Lo4, int32_t Hi1,
                  int32_t Hi2, int32_t Hi3, int32_t Hi4, double& Mean) {
  return MeanOf(Data, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, Mean);
}
int32_t MeanArray(const TIntArray& Data, int32_t First, int32_t Last, double& Mean) {
  return MeanOf(Data, {First}, {Last}, Mean);
}
int32_t MeanArray(const TInt2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2, double& Mean) {
  return MeanOf(Data, {Lo1, Lo2}, {Hi1, Hi2}, Mean);
}
int32_t MeanArray(const TInt3DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Hi1, int32_t Hi2,
                  int32_t Hi3, double& Mean) {
  return MeanOf(Data, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, Mean);
}
int32_t MeanArray(const TInt4DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Lo4, int32_t Hi1,
                  int32_t Hi2, int32_t Hi3, int32_t Hi4, double& Mean) {
  return MeanOf(Data, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, Mean);
}

int32_t StdDevArray(const TDoubleArray& Data, int32_t First, int32_t Last, double& StdDev) {
  return StdDevOf(Data, {First}, {Last}, StdDev);
}
int32_t StdDevArray(const TDouble2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2,
                    double& StdDev) {
  return StdDevOf(Data, {Lo1, Lo2}, {Hi1, Hi2}, StdDev);
}
int32_t StdDevArray(const TDouble3DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Hi1, int32_t Hi2,
                    int32_t Hi3, double& StdDev) {
  return StdDevOf(Data, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, StdDev);
}
int32_t StdDevArray(const TDouble4DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Lo4, int32_t Hi1,
                    int32_t Hi2, int32_t Hi3, int32_t Hi4, double& StdDev) {
  return StdDevOf(Data, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, StdDev);
}
int32_t StdDevArray(const TIntArray& Data, int32_t First, int32_t Last, double& StdDev) {
  return StdDevOf(Data, {First}, {Last}, StdDev);
}
int32_t StdDevArray(const TInt2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2, double& StdDev) {
  return StdDevOf(Data, {Lo1, Lo2}, {Hi1, Hi2}, StdDev);
}
int32_t StdDevArray(const TInt3DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Hi1, int32_t Hi2,
                    int32_t Hi3, double& StdDev) {
  return StdDevOf(Data, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, StdDev);
}
int32_t StdDevArray(const TInt4DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Lo4, int32_t Hi1,
                    int32_t Hi2, int32_t Hi3, int32_t Hi4, double& StdDev) {
  return StdDevOf(Data, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, StdDev);
}

int32_t MeanVarArray(const TDoubleArray& Data, int32_t First, int32_t Last, double& Mean, double& Variance) {
  return MeanVarOf(Data, {First}, {Last}, Mean, Variance);
}
int32_t MeanVarArray(const TDouble2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2, double& Mean,
                     double& Variance) {
  return MeanVarOf(Data, {Lo1, Lo2}, {Hi1, Hi2}, Mean, Variance);
}
int32_t MeanVarArray(const TDouble3DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Hi1, int32_t Hi2,
                     int32_t Hi3, double& Mean, double& Variance) {
  return MeanVarOf(Data, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, Mean, Variance);
}
int32_t MeanVarArray(const TDouble4DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Lo4, int32_t Hi1,
                     int32_t Hi2, int32_t Hi3, int32_t Hi4, double& Mean, double& Variance) {
  return MeanVarOf(Data, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, Mean, Variance);
}
int32_t MeanVarArray(const TIntArray& Data, int32_t First, int32_t Last, double& Mean, double& Variance) {
  return MeanVarOf(Data, {First}, {Last}, Mean, Variance);
}
int32_t MeanVarArray(const TInt2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2, double& Mean,
                     double& Variance) {
  return MeanVarOf(Data, {Lo1, Lo2}, {Hi1, Hi2}, Mean, Variance);
}
int32_t MeanVarArray(const TInt3DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Hi1, int32_t Hi2,
                     int32_t Hi3, double& Mean, double& Variance) {
  return MeanVarOf(Data, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, Mean, Variance);
}
int32_t MeanVarArray(const TInt4DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Lo4, int32_t Hi1,
                     int32_t Hi2, int32_t Hi3, int32_t Hi4, double& Mean, double& Variance) {
  return MeanVarOf(Data, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, Mean, Variance);
}

int32_t MeanAbsDev(const TDoubleArray& Data, int32_t First, int32_t Last, double& MeanDev) {
  return MeanAbsDevOf(Data, {First}, {Last}, MeanDev);
}
int32_t MeanAbsDev(const TDouble2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2,
                   double& MeanDev) {
  return MeanAbsDevOf(Data, {Lo1, Lo2}, {Hi1, Hi2}, MeanDev);
}
int32_t MeanAbsDev(const TDouble3DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Hi1, int32_t Hi2,
                   int32_t Hi3, double& MeanDev) {
  return MeanAbsDevOf(Data, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, MeanDev);
}
int32_t MeanAbsDev(const TDouble4DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Lo4, int32_t Hi1,
                   int32_t Hi2, int32_t Hi3, int32_t Hi4, double& MeanDev) {
  return MeanAbsDevOf(Data, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, MeanDev);
}
int32_t MeanAbsDev(const TIntArray& Data, int32_t First, int32_t Last, double& MeanDev) {
  return MeanAbsDevOf(Data, {First}, {Last}, MeanDev);
}
int32_t MeanAbsDev(const TInt2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2, double& MeanDev) {
  return MeanAbsDevOf(Data, {Lo1, Lo2}, {Hi1, Hi2}, MeanDev);
}
int32_t MeanAbsDev(const TInt3DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Hi1, int32_t Hi2,
                   int32_t Hi3, double& MeanDev) {
  return MeanAbsDevOf(Data, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, MeanDev);
}
int32_t MeanAbsDev(const TInt4DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Lo4, int32_t Hi1,
                   int32_t Hi2, int32_t Hi3, int32_t Hi4, double& MeanDev) {
  return MeanAbsDevOf(Data, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, MeanDev);
}

}  // namespace kvl
