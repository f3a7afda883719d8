// Mean, sample standard deviation and variance, and mean absolute deviation of
// an index range of a 1-D to 4-D array: one template for every member.

#include <cmath>
#include <span>

#include "kvl/arrays/array_stats.h"

namespace kvl {
namespace {

using namespace detail;

enum class TSpread { None, Variance, MeanAbsDev };

// Sum of g(x) over a contiguous run in long double; four partial sums keep
// the adds independent of each other.
template <class T, class G>
long double SumOfRun(std::span<const T> Run, G g) {
  long double s0 = 0.0L, s1 = 0.0L, s2 = 0.0L, s3 = 0.0L;
  std::size_t i = 0;
  for (; i + 4 <= Run.size(); i += 4) {
    s0 += g(static_cast<long double>(Run[i]));
    s1 += g(static_cast<long double>(Run[i + 1]));
    s2 += g(static_cast<long double>(Run[i + 2]));
    s3 += g(static_cast<long double>(Run[i + 3]));
  }
  for (; i < Run.size(); ++i) s0 += g(static_cast<long double>(Run[i]));
  return (s0 + s1) + (s2 + s3);
}

template <class A, class G>
long double SumOverRange(const A& Data, const Index<Rank<A>>& Lo, const Index<Rank<A>>& Hi, G g) {
  long double sum = 0.0L;
  ForEachRunInRange(Data, Lo, Hi, [&sum, g](std::span<const Elem<A>> run) { sum += SumOfRun(run, g); });
  return sum;
}

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
  const long double mean = SumOverRange(Data, Lo, Hi, [](long double x) { return x; }) / n;
  Mean = static_cast<double>(mean);
  switch (Spread) {
    case TSpread::None:
      break;
    case TSpread::Variance:
      if (n > 1) {
        const auto sq = [mean](long double x) { return (x - mean) * (x - mean); };
        Dev = static_cast<double>(SumOverRange(Data, Lo, Hi, sq) / (n - 1));
      }
      break;
    case TSpread::MeanAbsDev: {
      const auto dist = [mean](long double x) { return std::fabs(x - mean); };
      Dev = static_cast<double>(SumOverRange(Data, Lo, Hi, dist) / n);
      break;
    }
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
std::int32_t MeanAbsDevOf(const A& Data, const Index<Rank<A>>& Lo, const Index<Rank<A>>& Hi,
                          double& MeanDev) {
  double mean;
  return RangeMoments(Data, Lo, Hi, TSpread::MeanAbsDev, mean, MeanDev);
}

}  // namespace

using std::int32_t;

int32_t MeanArray(const TDoubleArray& Data, int32_t First, int32_t Last, double& Mean) {
  return MeanOf(Data, {First}, {Last}, Mean);
}
int32_t MeanArray(const TDouble2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2,
                  double& Mean) {
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
int32_t StdDevArray(const TDouble3DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Hi1,
                    int32_t Hi2, int32_t Hi3, double& StdDev) {
  return StdDevOf(Data, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, StdDev);
}
int32_t StdDevArray(const TDouble4DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Lo4,
                    int32_t Hi1, int32_t Hi2, int32_t Hi3, int32_t Hi4, double& StdDev) {
  return StdDevOf(Data, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, StdDev);
}
int32_t StdDevArray(const TIntArray& Data, int32_t First, int32_t Last, double& StdDev) {
  return StdDevOf(Data, {First}, {Last}, StdDev);
}
int32_t StdDevArray(const TInt2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2,
                    double& StdDev) {
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
int32_t MeanVarArray(const TDouble2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2,
                     double& Mean, double& Variance) {
  return MeanVarOf(Data, {Lo1, Lo2}, {Hi1, Hi2}, Mean, Variance);
}
int32_t MeanVarArray(const TDouble3DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Hi1,
                     int32_t Hi2, int32_t Hi3, double& Mean, double& Variance) {
  return MeanVarOf(Data, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, Mean, Variance);
}
int32_t MeanVarArray(const TDouble4DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Lo4,
                     int32_t Hi1, int32_t Hi2, int32_t Hi3, int32_t Hi4, double& Mean, double& Variance) {
  return MeanVarOf(Data, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, Mean, Variance);
}
int32_t MeanVarArray(const TIntArray& Data, int32_t First, int32_t Last, double& Mean, double& Variance) {
  return MeanVarOf(Data, {First}, {Last}, Mean, Variance);
}
int32_t MeanVarArray(const TInt2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2,
                     double& Mean, double& Variance) {
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
int32_t MeanAbsDev(const TDouble3DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Hi1,
                   int32_t Hi2, int32_t Hi3, double& MeanDev) {
  return MeanAbsDevOf(Data, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, MeanDev);
}
int32_t MeanAbsDev(const TDouble4DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Lo3, int32_t Lo4,
                   int32_t Hi1, int32_t Hi2, int32_t Hi3, int32_t Hi4, double& MeanDev) {
  return MeanAbsDevOf(Data, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, MeanDev);
}
int32_t MeanAbsDev(const TIntArray& Data, int32_t First, int32_t Last, double& MeanDev) {
  return MeanAbsDevOf(Data, {First}, {Last}, MeanDev);
}
int32_t MeanAbsDev(const TInt2DArray& Data, int32_t Lo1, int32_t Lo2, int32_t Hi1, int32_t Hi2,
                   double& MeanDev) {
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
