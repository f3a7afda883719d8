#include "kvl/modelling/smoothing/moving_filters.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "kvl/modelling/smoothing/internal/median_window.h"
#include "kvl/modelling/smoothing/internal/smooth_frame.h"
#include "kvl/modelling/smoothing/internal/window_sums.h"

namespace kvl {

namespace {

using smoothing_internal::TSmoothTexts;
using smoothing_internal::TStretch;

constexpr std::int32_t kNoLimit = std::numeric_limits<std::int32_t>::max();

constexpr TSmoothTexts kAverageTexts{
    "MovingAverageSmooth", "specified range for smoothing is smaller than the length of the smoothing windows",
    "length of smoothing window is out of range", "length of smoothing window must be odd"};
constexpr TSmoothTexts kMedianTexts{
    "MovingMedianSmooth", "specified range for smoothing is smaller than the length of the smoothing windows",
    "length of smoothing window is out of range", "length of smoothing window must be odd"};
constexpr TSmoothTexts kWeightedTexts{
    "WeightedAverageSmooth", "specified range for smoothing is smaller than the length of the smoothing windows",
    "length of smoothing window is out of range", "length of smoothing window must be odd"};

// The shared course of the three smoothers: check, compute the inner
// results into Out[h..n-h-1] by Inner(stretch, Out), fill the edges, write.
template <class InnerFn>
void RunSmoother(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                 std::int32_t length, const TSmoothTexts& Texts, InnerFn&& Inner) {
  const TStretch s = smoothing_internal::CheckSmoother(SourceVec, DestVec, first, last, length, 3, kNoLimit, Texts);
  const std::span<const double> x = smoothing_internal::StretchOf(*SourceVec, s);
  std::vector<double> out(x.size());
  Inner(x, std::span<double>(out));
  smoothing_internal::FillEdges(out, length / 2);
  smoothing_internal::WriteOnce(*DestVec, 1, out);
}

}  // namespace

void MovingAverageSmooth(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                         std::int32_t length) {
  RunSmoother(SourceVec, first, last, DestVec, length, kAverageTexts,
              [length](std::span<const double> x, std::span<double> out) {
                const auto h = static_cast<std::size_t>(length / 2);
                const std::span<double> inner = out.subspan(h, x.size() - 2 * h);
                smoothing_internal::WindowSums(x, static_cast<std::size_t>(length), inner);
                for (double& v : inner) v /= length;
              });
}

void MovingMedianSmooth(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                        std::int32_t length) {
  RunSmoother(SourceVec, first, last, DestVec, length, kMedianTexts,
              [length](std::span<const double> x, std::span<double> out) {
                const auto L = static_cast<std::size_t>(length);
                const std::size_t h = L / 2;
                smoothing_internal::TMedianWindow window(x.first(L));
                for (std::size_t p = h;; ++p) {
                  out[p] = window.Median();
                  if (p + h + 1 >= x.size()) break;
                  window.Replace((p - h) % L, x[p + h + 1]);  // x[p + h + 1] takes the slot of x[p - h]
                }
              });
}

void WeightedAverageSmooth(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                           std::int32_t length) {
  RunSmoother(SourceVec, first, last, DestVec, length, kWeightedTexts,
              [length](std::span<const double> x, std::span<double> out) {
                // The triangle of weights h + 1 - |k| is a box of h + 1 values
                // run over boxes of h + 1 values: two O(n) passes.
                const auto h = static_cast<std::size_t>(length / 2);
                std::vector<double> boxes(x.size() - h);
                smoothing_internal::WindowSums(x, h + 1, boxes);
                const std::span<double> inner = out.subspan(h, x.size() - 2 * h);
                smoothing_internal::WindowSums(boxes, h + 1, inner);
                const double scale = 4.0 / (static_cast<double>(length + 1) * (length + 1));
                for (double& v : inner) v *= scale;
              });
}

void MovingKernelFilter(const TVector* SourceVec, std::int32_t first, std::int32_t last, TVector* DestVec,
                        const TVector* FilterKernel) {
  constexpr std::string_view func = "MovingKernelfilter";
  if (SourceVec == nullptr || DestVec == nullptr || FilterKernel == nullptr)
    RaiseFunc<EKVLMath2Error>(func, "SourceVec, DestVec and/or FilterKernel is undefined");
  const TStretch s = smoothing_internal::ClampStretch(*SourceVec, first, last);
  const std::span<const double> kernel = FilterKernel->Data();
  const auto K = static_cast<std::int64_t>(kernel.size());
  if (s.Last - s.First < K)
    RaiseFunc<EKVLMath2Error>(func, "specified range for smoothing is smaller than the length of the kernel");
  const std::span<const double> x = smoothing_internal::StretchOf(*SourceVec, s);
  const auto n = static_cast<std::int64_t>(x.size());
  const std::int64_t h = K / 2;
  std::vector<double> out(x.size());
  for (std::int64_t p = 0; p < n; ++p) {
    double sum = 0.0;
    if (p - h >= 0 && p - h + K - 1 < n) {
      const double* w = &x[static_cast<std::size_t>(p - h)];
      for (std::int64_t k = 0; k < K; ++k) sum += kernel[static_cast<std::size_t>(k)] * w[k];
    } else {
      for (std::int64_t k = 0; k < K; ++k)
        sum += kernel[static_cast<std::size_t>(k)] * x[static_cast<std::size_t>(std::clamp<std::int64_t>(p - h + k, 0, n - 1))];
    }
    out[static_cast<std::size_t>(p)] = sum;
  }
  DestVec->Resize(SourceVec->NrOfElem());
  smoothing_internal::WriteOnce(*DestVec, 1, out);
}

}  // namespace kvl
