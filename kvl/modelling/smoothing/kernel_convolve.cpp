#include "kvl/modelling/smoothing/kernel_convolve.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace kvl {

namespace {

using Table3 = double[3][3];

// Rows top to bottom, as Kernel[row][column].
constexpr Table3 kCompass[8] = {
    {{-1, -1, -1}, {1, -2, 1}, {1, 1, 1}},  {{1, -1, -1}, {1, -2, -1}, {1, 1, 1}},
    {{1, 1, -1}, {1, -2, -1}, {1, 1, -1}},  {{1, 1, 1}, {1, -2, -1}, {1, -1, -1}},
    {{1, 1, 1}, {1, -2, 1}, {-1, -1, -1}},  {{1, 1, 1}, {-1, -2, 1}, {-1, -1, 1}},
    {{-1, 1, 1}, {-1, -2, 1}, {-1, 1, 1}},  {{-1, -1, 1}, {-1, -2, 1}, {1, 1, 1}},
};
constexpr Table3 kKirsch[8] = {
    {{-3, -3, -3}, {-3, 0, -3}, {5, 5, 5}},  {{-3, -3, -3}, {5, 0, -3}, {5, 5, -3}},
    {{5, -3, -3}, {5, 0, -3}, {5, -3, -3}},  {{5, 5, -3}, {5, 0, -3}, {-3, -3, -3}},
    {{5, 5, 5}, {-3, 0, -3}, {-3, -3, -3}},  {{-3, 5, 5}, {-3, 0, 5}, {-3, -3, -3}},
    {{-3, -3, 5}, {-3, 0, 5}, {-3, -3, 5}},  {{-3, -3, -3}, {-3, 0, 5}, {-3, 5, 5}},
};

std::int32_t KernelStatus(const TDouble2DArray& Kernel) {
  const std::size_t s = Kernel.size();
  std::int32_t status = 0;
  if (s == 0 || std::ranges::any_of(Kernel, [s](const std::vector<double>& r) { return r.size() != s; }))
    status = -1;
  if (s % 2 == 0) status = -2;
  if (s < 3) status = -3;
  return status;
}

// The clamped sum of one border cell, summed as the interior lines are.
double BorderCell(const TDouble2DArray& Kernel, const TDouble2DArray& Data, std::ptrdiff_t i, std::ptrdiff_t j) {
  const auto s = static_cast<std::ptrdiff_t>(Kernel.size());
  const std::ptrdiff_t h = s / 2;
  const auto rows = static_cast<std::ptrdiff_t>(Data.size());
  const auto cols = static_cast<std::ptrdiff_t>(Data[0].size());
  double sum = 0.0;
  for (std::ptrdiff_t r = 0; r < s; ++r) {
    const std::vector<double>& line = Data[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(i + r - h, 0, rows - 1))];
    const std::vector<double>& k = Kernel[static_cast<std::size_t>(r)];
    double row = 0.0;
    for (std::ptrdiff_t c = 0; c < s; ++c)
      row += k[static_cast<std::size_t>(c)] * line[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(j + c - h, 0, cols - 1))];
    sum += row;
  }
  return sum;
}

// Two doubles as one value (GCC and Clang vector extension): one SSE2
// register on any x86-64.
using TPair = double __attribute__((vector_size(16)));

inline TPair LoadPair(const double* p) noexcept {
  TPair v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void AddTo(double* p, TPair v) noexcept {
  const TPair sum = LoadPair(p) + v;
  std::memcpy(p, &sum, sizeof sum);
}

// One interior line: Out[j] for j = h..cols-h-1. For each kernel row the
// products along that row are summed in registers for a block of eight
// neighbouring cells, vectorised along the contiguous inner arrays, and
// then added to the cells: Out = sum over r of (sum over c of
// Kernel[r][c] * Data[i + r - h][j + c - h]).
void InteriorLine(const TDouble2DArray& Kernel, const TDouble2DArray& Data, std::size_t i, double* Out) {
  const std::size_t s = Kernel.size();
  const std::size_t h = s / 2;
  const std::size_t run = Data[0].size() - 2 * h;
  double* out = Out + h;
  std::fill_n(out, run, 0.0);
  for (std::size_t r = 0; r < s; ++r) {
    const double* line = Data[i + r - h].data();
    const double* k = Kernel[r].data();
    std::size_t j = 0;
    for (; j + 8 <= run; j += 8) {
      TPair a0 = {}, a1 = {}, a2 = {}, a3 = {};
      for (std::size_t c = 0; c < s; ++c) {
        const TPair kc = {k[c], k[c]};
        const double* p = line + j + c;
        a0 += kc * LoadPair(p);
        a1 += kc * LoadPair(p + 2);
        a2 += kc * LoadPair(p + 4);
        a3 += kc * LoadPair(p + 6);
      }
      AddTo(out + j, a0);
      AddTo(out + j + 2, a1);
      AddTo(out + j + 4, a2);
      AddTo(out + j + 6, a3);
    }
    for (; j < run; ++j) {
      double acc = 0.0;
      for (std::size_t c = 0; c < s; ++c) acc += k[c] * line[j + c];
      out[j] += acc;
    }
  }
}

std::int32_t Convolve(const TDouble2DArray& Kernel, const TDouble2DArray& Data, TDouble2DArray& Result,
                      const TOnPercentDoneEvent& FeedBack) {
  const std::size_t rows = Data.size();
  const std::size_t cols = rows > 0 ? Data[0].size() : 0;
  if (std::ranges::any_of(Data, [cols](const std::vector<double>& r) { return r.size() != cols; })) return -4;
  // The result's own lines are reused when it has Data's shape already (and
  // is not Data): repeated calls then allocate nothing.
  const bool reuse = &Result != &Data && Result.size() == rows &&
                     std::ranges::all_of(Result, [cols](const std::vector<double>& r) { return r.size() == cols; });
  TDouble2DArray fresh;
  if (!reuse) fresh.assign(rows, std::vector<double>(cols));
  TDouble2DArray& out = reuse ? Result : fresh;
  const auto s = static_cast<std::ptrdiff_t>(Kernel.size());
  const std::ptrdiff_t h = s / 2;
  const auto R = static_cast<std::ptrdiff_t>(rows);
  const auto C = static_cast<std::ptrdiff_t>(cols);
  const bool interior = R > 2 * h && C > 2 * h;
  const std::int64_t step = std::max<std::int64_t>(1, (std::int64_t{R} - s) * (std::int64_t{C} - s) / 100);
  std::int64_t done = 0;
  for (std::ptrdiff_t i = 0; i < R; ++i) {
    std::vector<double>& line = out[static_cast<std::size_t>(i)];
    if (interior && i >= h && i < R - h) {
      InteriorLine(Kernel, Data, static_cast<std::size_t>(i), line.data());
      for (std::ptrdiff_t j = 0; j < h; ++j) {
        line[static_cast<std::size_t>(j)] = BorderCell(Kernel, Data, i, j);
        line[static_cast<std::size_t>(C - 1 - j)] = BorderCell(Kernel, Data, i, C - 1 - j);
      }
      if (FeedBack) {
        const std::int64_t before = done / step;
        done += C - 2 * h;
        for (std::int64_t k = before + 1; k <= done / step; ++k) FeedBack(nullptr, static_cast<double>(k));
      }
    } else {
      for (std::ptrdiff_t j = 0; j < C; ++j) line[static_cast<std::size_t>(j)] = BorderCell(Kernel, Data, i, j);
    }
  }
  if (!reuse) Result = std::move(fresh);
  return 0;
}

std::int32_t ConvolveTable(std::int32_t Direction, const Table3* Tables, const TDouble2DArray& Data,
                           TDouble2DArray& Result, const TOnPercentDoneEvent& FeedBack) {
  if (Direction < 0 || Direction > 7) return -1;
  const Table3& t = Tables[Direction];
  const TDouble2DArray kernel = {{t[0][0], t[0][1], t[0][2]}, {t[1][0], t[1][1], t[1][2]}, {t[2][0], t[2][1], t[2][2]}};
  return KernelConvolve(kernel, Data, Result, FeedBack);
}

}  // namespace

std::int32_t KernelConvolve(const TDouble2DArray& Kernel, const TDouble2DArray& Data, TDouble2DArray& Result,
                            const TOnPercentDoneEvent& FeedBack) {
  if (const std::int32_t status = KernelStatus(Kernel)) return status;
  return Convolve(Kernel, Data, Result, FeedBack);
}

std::int32_t ApplyCompassKernel(std::int32_t Direction, const TDouble2DArray& Data, TDouble2DArray& Result,
                                const TOnPercentDoneEvent& FeedBack) {
  return ConvolveTable(Direction, kCompass, Data, Result, FeedBack);
}

std::int32_t ApplyKirschKernel(std::int32_t Direction, const TDouble2DArray& Data, TDouble2DArray& Result,
                               const TOnPercentDoneEvent& FeedBack) {
  return ConvolveTable(Direction, kKirsch, Data, Result, FeedBack);
}

}  // namespace kvl
