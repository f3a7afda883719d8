#include "kvl/statistics/statis/contingency.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "kvl/base/KVL_univconst.h"
#include "kvl/statistics/statis/continuous.h"

namespace kvl {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The exact-test functions read ln n! from uc_LnFactorial, which ends at 1000.
constexpr std::int64_t kMaxExactN = 1000;
// Two table probabilities count as equal when they differ by no more than
// the rounding of the sums of logarithms they come from.
constexpr double kTieTolerance = 1e-7;

// True when T is a non-empty rectangle; Rows and Cols are its lengths.
bool IsRectangle(const TInt2DArray& T, std::size_t& Rows, std::size_t& Cols) {
  Rows = T.size();
  Cols = Rows == 0 ? 0 : T[0].size();
  if (Cols == 0) return false;
  return std::all_of(T.begin(), T.end(), [Cols](const auto& row) { return row.size() == Cols; });
}

bool HasNegative(const TInt2DArray& T) {
  for (const auto& row : T)
    if (std::any_of(row.begin(), row.end(), [](std::int32_t v) { return v < 0; })) return true;
  return false;
}

// A table with margins is usable when it is a rectangle of non-negative
// counts whose last row and column hold the sums of the cells before them
// (the grand total the sum of the column totals and of the row totals).
bool IsUsableWithMargins(const TInt2DArray& T) {
  std::size_t rows = 0, cols = 0;
  if (!IsRectangle(T, rows, cols) || HasNegative(T)) return false;
  std::vector<std::int64_t> colSums(cols, 0);
  for (std::size_t i = 0; i < rows; ++i) {
    std::int64_t rowSum = 0;
    for (std::size_t j = 0; j + 1 < cols; ++j) rowSum += T[i][j];
    if (rowSum != T[i][cols - 1]) return false;
    if (i + 1 < rows)
      for (std::size_t j = 0; j < cols; ++j) colSums[j] += T[i][j];
  }
  for (std::size_t j = 0; j < cols; ++j)
    if (colSums[j] != T[rows - 1][j]) return false;
  return true;
}

// C(x, 2) = x (x - 1) / 2 of a count, exact in 64 bits.
std::int64_t Pairs(std::int32_t x) { return static_cast<std::int64_t>(x) * (x - 1) / 2; }

// The four cells of a bare 2 x 2 table, checked as Prob2x2Contingency
// checks them: 0, or -1 (not 2 x 2), -2 (N > 1000), -3 (a negative count).
struct TCells2x2 {
  std::int32_t a, b, c, d;  // T[0][0], T[0][1], T[1][0], T[1][1]
};

std::int32_t Check2x2(const TInt2DArray& T, TCells2x2& Cells) {
  if (T.size() != 2 || T[0].size() != 2 || T[1].size() != 2) return -1;
  Cells = {T[0][0], T[0][1], T[1][0], T[1][1]};
  const std::int64_t n = static_cast<std::int64_t>(Cells.a) + Cells.b + Cells.c + Cells.d;
  if (n > kMaxExactN) return -2;
  if (Cells.a < 0 || Cells.b < 0 || Cells.c < 0 || Cells.d < 0) return -3;
  return 0;
}

// The probability of the 2 x 2 table given its margins (all counts checked).
double TableProb(const TCells2x2& t) {
  const auto at = [](std::int32_t k) { return uc_LnFactorial[static_cast<std::size_t>(k)]; };
  return std::exp(at(t.a + t.b) + at(t.c + t.d) + at(t.a + t.c) + at(t.b + t.d) -
                  at(t.a + t.b + t.c + t.d) - at(t.a) - at(t.b) - at(t.c) - at(t.d));
}

}  // namespace

std::int32_t Chi2OfContTab(const TInt2DArray& T, double& Chi2, double& p) {
  Chi2 = 0.0;
  p = 0.0;
  if (T.size() < 3 || T[0].size() < 3 || !IsUsableWithMargins(T)) return -1;
  const std::size_t l1 = T.size(), l2 = T[0].size();
  const double n = T[l1 - 1][l2 - 1];
  long double chi2 = 0.0L;
  for (std::size_t i = 0; i + 1 < l1; ++i) {
    for (std::size_t j = 0; j + 1 < l2; ++j) {
      const double e = static_cast<double>(T[i][l2 - 1]) * T[l1 - 1][j] / n;
      if (e > 0.0) {
        const double diff = T[i][j] - e;
        chi2 += diff * diff / e;
      }
    }
  }
  Chi2 = static_cast<double>(chi2);
  const auto df = static_cast<std::int32_t>((l1 - 2) * (l2 - 2));
  p = 1.0 - chi2DistriIntegral(Chi2, df);
  return 0;
}

std::int32_t Chi2OfContTabYates(const TInt2DArray& T, double& Chi2, double& p) {
  Chi2 = 0.0;
  p = 0.0;
  if (T.size() != 3 || T[0].size() != 3 || !IsUsableWithMargins(T)) return -1;
  const long double a = T[0][0], b = T[1][0], c = T[0][1], d = T[1][1], n = T[2][2];
  const long double margins = static_cast<long double>(T[0][2]) * T[1][2] * T[2][0] * T[2][1];
  if (margins == 0.0L) return -2;
  const long double dev = std::fabs(a * d - b * c) - n / 2.0L;
  Chi2 = static_cast<double>(n * dev * dev / margins);
  p = 1.0 - chi2DistriIntegral(Chi2, 1);
  return 0;
}

std::int32_t Prob2x2Contingency(const TInt2DArray& T, double& p) {
  p = 0.0;
  TCells2x2 cells{};
  const std::int32_t status = Check2x2(T, cells);
  if (status != 0) return status;
  p = TableProb(cells);
  return 0;
}

std::int32_t FisherExactTest(const TInt2DArray& T, double& pLow, double& pHigh, double& pTwo) {
  pLow = pHigh = pTwo = 0.0;
  TCells2x2 obs{};
  const std::int32_t status = Check2x2(T, obs);
  if (status != 0) return status;
  // Margins in the order (a + c), (b + d), (a + b), (c + d); the smallest
  // (the first of equal ones) bounds the running cell.
  const std::int32_t margin[4] = {obs.a + obs.c, obs.b + obs.d, obs.a + obs.b, obs.c + obs.d};
  const int which = static_cast<int>(std::min_element(margin, margin + 4) - margin);
  const std::int32_t m = margin[which];
  // The table whose running cell is x; as m is the smallest margin, every
  // x in 0..m gives non-negative cells.
  const auto tableAt = [&](std::int32_t x) -> TCells2x2 {
    switch (which) {
      case 0: return {x, margin[2] - x, margin[0] - x, margin[3] - margin[0] + x};   // runs a
      case 1: return {margin[2] - x, x, margin[3] - margin[1] + x, margin[1] - x};   // runs b
      case 2: return {x, margin[2] - x, margin[0] - x, margin[1] - margin[2] + x};   // runs a
      default: return {margin[0] - x, margin[1] - margin[3] + x, x, margin[3] - x};  // runs c
    }
  };
  const std::int32_t xObs = which == 1 ? obs.b : (which == 3 ? obs.c : obs.a);
  std::vector<double> px(static_cast<std::size_t>(m) + 1);
  for (std::int32_t x = 0; x <= m; ++x) px[static_cast<std::size_t>(x)] = TableProb(tableAt(x));
  const double pObs = px[static_cast<std::size_t>(xObs)];
  long double low = 0.0L, high = 0.0L, two = 0.0L;
  for (std::int32_t x = 0; x <= m; ++x) {
    const double q = px[static_cast<std::size_t>(x)];
    if (x <= xObs) low += q;
    if (x >= xObs) high += q;
    if (q <= pObs * (1.0 + kTieTolerance)) two += q;
  }
  pLow = static_cast<double>(low);
  pHigh = static_cast<double>(high);
  pTwo = static_cast<double>(two);
  return 0;
}

std::int32_t Lambda(const TInt2DArray& T, double& LambdaA, double& LambdaB) {
  LambdaA = LambdaB = 0.0;
  if (T.size() < 2 || T[0].size() < 2 || !IsUsableWithMargins(T)) return -1;
  const std::size_t last1 = T.size() - 1, last2 = T[0].size() - 1;
  const double n = T[last1][last2];
  // Sum over the rows of each row's largest cell, and the other way round.
  std::int64_t sumRowMax = 0, sumColMax = 0;
  for (std::size_t i = 0; i < last1; ++i) sumRowMax += *std::max_element(T[i].begin(), T[i].end() - 1);
  for (std::size_t j = 0; j < last2; ++j) {
    std::int32_t mx = T[0][j];
    for (std::size_t i = 1; i < last1; ++i) mx = std::max(mx, T[i][j]);
    sumColMax += mx;
  }
  const double maxColTotal = *std::max_element(T[last1].begin(), T[last1].end() - 1);
  std::int32_t maxRowTotal = T[0][last2];
  for (std::size_t i = 1; i < last1; ++i) maxRowTotal = std::max(maxRowTotal, T[i][last2]);
  const auto ratio = [](double num, double den) { return den == 0.0 ? kNaN : num / den; };
  LambdaA = ratio(static_cast<double>(sumRowMax) - maxColTotal, n - maxColTotal);
  LambdaB = ratio(static_cast<double>(sumColMax) - maxRowTotal, n - maxRowTotal);
  return 0;
}

double AdjustedRandIx(const TInt2DArray& T) {
  if (T.size() < 2 || T[0].size() < 2 || !IsUsableWithMargins(T)) return kNaN;
  const std::size_t last1 = T.size() - 1, last2 = T[0].size() - 1;
  std::int64_t s = 0, a = 0, b = 0;
  for (std::size_t i = 0; i < last1; ++i)
    for (std::size_t j = 0; j < last2; ++j) s += Pairs(T[i][j]);
  for (std::size_t j = 0; j < last2; ++j) a += Pairs(T[last1][j]);
  for (std::size_t i = 0; i < last1; ++i) b += Pairs(T[i][last2]);
  const std::int64_t pairsN = Pairs(T[last1][last2]);
  if (pairsN == 0) return kNaN;
  // a b reaches 2^122 for the largest tables: extended precision, which is
  // exact wherever the product fits in 64 bits.
  const long double e = static_cast<long double>(a) * static_cast<long double>(b) / pairsN;
  const long double den = (static_cast<long double>(a) + b) / 2.0L - e;
  if (den == 0.0L) return kNaN;
  return static_cast<double>((s - e) / den);
}

}  // namespace kvl
