#include "kvl/modelling/smoothing/golay_filters.h"

#include <span>
#include <vector>

#include "kvl/modelling/smoothing/internal/smooth_frame.h"

namespace kvl {

namespace {

using smoothing_internal::TSmoothTexts;

constexpr std::int32_t kMinLength = 5;
constexpr std::int32_t kMaxLength = 25;

/// The divisors of the first derivative, m(m + 1)(2m + 1)/3 for m = 2..12.
constexpr std::int32_t kFirstDerivDivisor[11] = {10, 28, 60, 110, 182, 280, 408, 570, 770, 1012, 1300};

constexpr TSmoothTexts kPolyTexts{"PolynomialSmooth",
                                  "specified range for smoothing is smaller than the length of the polynomial",
                                  "length of polynomial is out of range", "length of polynomial must be odd"};
constexpr TSmoothTexts kSecondTexts{"SecondDeriv",
                                    "specified range for smoothing is smaller than the length of the polynomial",
                                    "length of polynomial is out of range", "length of polynomial must be odd"};
constexpr TSmoothTexts kFirstTexts{"FirstDeriv",
                                   "specified range for calculation is smaller than the length of the polynomial",
                                   "length of polynomial is out of range", "length of polynomial must be odd"};

// One filter for the three: Out[p] = (w[0] x[p] + sum w[k] (x[p + k] + Sign x[p - k])) / Divisor
// for p = m..n-m-1; Sign +1 for the symmetric weights, -1 for the slope.
template <int Sign>
void GolayFilter(std::span<const double> x, const std::int32_t* w, std::int32_t m, double Divisor,
                 std::span<double> Out) {
  const std::size_t n = x.size();
  const auto h = static_cast<std::size_t>(m);
  for (std::size_t p = h; p + h < n; ++p) {
    double sum = w[0] * x[p];
    for (std::size_t k = 1; k <= h; ++k) sum += w[k] * (x[p + k] + Sign * x[p - k]);
    Out[p] = sum / Divisor;
  }
}

template <int Sign>
void RunGolay(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec, std::int32_t length,
              const TSmoothTexts& Texts, const std::int32_t* Weights, std::int32_t Divisor) {
  const auto s =
      smoothing_internal::CheckSmoother(SourceVec, DestVec, first, last, length, kMinLength, kMaxLength, Texts);
  const std::span<const double> x = smoothing_internal::StretchOf(*SourceVec, s);
  std::vector<double> out(x.size());
  GolayFilter<Sign>(x, Weights, length / 2, Divisor, out);
  smoothing_internal::FillEdges(out, length / 2);
  smoothing_internal::WriteOnce(*DestVec, 1, out);
}

// The row of a table for a checked length, or the first one: the table is
// only read once the length has passed the checks.
const std::int32_t* RowOf(const TGolayTable& Table, std::int32_t length) {
  const std::int32_t r = length / 2 - 2;
  return Table[static_cast<std::size_t>(r >= 0 && r < 11 ? r : 0)].data();
}

}  // namespace

void PolynomialSmooth(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                      std::int32_t length) {
  const std::int32_t* row = RowOf(GolayPoly, length);
  RunGolay<1>(SourceVec, first, last, DestVec, length, kPolyTexts, row + 1, row[0]);
}

void SecondDeriv(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                 std::int32_t length) {
  const std::int32_t* row = RowOf(Golay2ndDeriv, length);
  RunGolay<1>(SourceVec, first, last, DestVec, length, kSecondTexts, row + 1, row[0]);
}

void FirstDeriv(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                std::int32_t length) {
  static constexpr std::int32_t kOffsets[13] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const std::int32_t r = length / 2 - 2;
  RunGolay<-1>(SourceVec, first, last, DestVec, length, kFirstTexts, kOffsets,
               kFirstDerivDivisor[r >= 0 && r < 11 ? r : 0]);
}

}  // namespace kvl
