// The four reductions of TMat4D: mean, maximum, minimum and standard
// deviation of the layers and time slots of a block, per (column, row), into
// a TMatrix.
//
// Destination columns are handed out in tiles of eight adjacent columns:
// in the column-fastest storage a tile's cells of one row are one 64-byte
// line, so every line of the block is read once whichever thread reads it.
// Each cell is accumulated in the same order (time slot, then layer,
// ascending) on any number of threads, so the results are bit for bit the
// one-thread ones. Workers only count the columns they finish; the calling
// thread adds them to ProcStat, calls MathFeedBackProc and reads
// AbortMathProc (which stops the hand-out: the remaining cells stay 0).

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "kvl/base/KVL_univconst.h"
#include "kvl/containers/KVL_matrix.h"

namespace kvl {

namespace {

constexpr std::int32_t kTile = 8;

enum class TReduceKind { Mean, Maximum, Minimum, StdDev };

/// TBlock: the validated block of a reduction (1-based, inclusive).
struct TBlock {
  std::int32_t LoC, HiC, LoR, HiR, LoL, HiL, LoT, HiT;
};

/// ReduceTile: the results of the destination columns c0..c1 (1-based,
/// inclusive) written to DestMat.
template <TReduceKind K>
void ReduceTile(const double* Cells, std::size_t RowStride, std::size_t LayerStride, std::size_t SlotStride,
                const TBlock& B, std::int32_t c0, std::int32_t c1, TMatrix* DestMat) {
  const std::size_t w = static_cast<std::size_t>(c1 - c0 + 1);
  const std::size_t h = static_cast<std::size_t>(B.HiR - B.LoR + 1);
  const double start = K == TReduceKind::Maximum ? -uc_MaxReal : K == TReduceKind::Minimum ? uc_MaxReal : 0.0;
  std::vector<double> acc(w * h, start);
  std::vector<double> acc2(K == TReduceKind::StdDev ? w * h : 0, 0.0);
  for (std::int32_t t = B.LoT; t <= B.HiT; ++t)
    for (std::int32_t l = B.LoL; l <= B.HiL; ++l)
      for (std::int32_t r = B.LoR; r <= B.HiR; ++r) {
        const double* row = Cells + static_cast<std::size_t>(t - 1) * SlotStride +
                            static_cast<std::size_t>(l - 1) * LayerStride + static_cast<std::size_t>(r - 1) * RowStride +
                            static_cast<std::size_t>(c0 - 1);
        double* a = acc.data() + static_cast<std::size_t>(r - B.LoR) * w;
        if constexpr (K == TReduceKind::Mean) {
          for (std::size_t k = 0; k < w; ++k) a[k] += row[k];
        } else if constexpr (K == TReduceKind::Maximum) {
          for (std::size_t k = 0; k < w; ++k) a[k] = row[k] > a[k] ? row[k] : a[k];
        } else if constexpr (K == TReduceKind::Minimum) {
          for (std::size_t k = 0; k < w; ++k) a[k] = row[k] < a[k] ? row[k] : a[k];
        } else {
          double* a2 = acc2.data() + static_cast<std::size_t>(r - B.LoR) * w;
          for (std::size_t k = 0; k < w; ++k) {
            a[k] += row[k];
            a2[k] += row[k] * row[k];
          }
        }
      }
  const double n = static_cast<double>(B.HiL - B.LoL + 1) * static_cast<double>(B.HiT - B.LoT + 1);
  for (std::size_t k = 0; k < w; ++k)
    for (std::size_t r = 0; r < h; ++r) {
      double v = acc[r * w + k];
      if constexpr (K == TReduceKind::Mean) v /= n;
      if constexpr (K == TReduceKind::StdDev) {
        const double mean = v / n;
        const double radicand = acc2[r * w + k] / n - mean * mean;
        v = radicand > 0 ? std::sqrt(radicand) : 0.0;
      }
      DestMat->SetVal(c0 - B.LoC + 1 + static_cast<std::int32_t>(k), static_cast<std::int32_t>(r) + 1, v);
    }
}

/// RunTiles: Task(tile) for every tile on at most NThreads workers, the
/// calling thread reporting progress (Columns(tile) columns of AllColumns
/// each) and reading AbortMathProc; every worker joined before return, a
/// worker's exception raised again on the calling thread.
template <class TaskFn, class ColsFn>
void RunTiles(std::int32_t Tiles, std::int32_t NThreads, std::int32_t AllColumns, TaskFn&& Task, ColsFn&& Columns) {
  const double perColumn = 100.0 / AllColumns;
  if (NThreads <= 1 || Tiles <= 1) {
    for (std::int32_t k = 0; k < Tiles && !AbortMathProc; ++k) {
      Task(k);
      ReportMathProgress(perColumn * Columns(k));
    }
    return;
  }
  std::atomic<std::int32_t> next{0};
  std::atomic<std::int32_t> doneColumns{0};
  std::atomic<bool> stop{false};
  std::mutex m;
  std::condition_variable wake;
  std::int32_t running = std::min(NThreads, Tiles);
  std::exception_ptr failure;
  std::vector<std::thread> workers;
  workers.reserve(static_cast<std::size_t>(running));
  auto work = [&] {
    try {
      for (std::int32_t k; !stop.load() && (k = next.fetch_add(1)) < Tiles;) {
        Task(k);
        doneColumns.fetch_add(Columns(k));
      }
    } catch (...) {
      std::lock_guard lock(m);
      if (!failure) failure = std::current_exception();
      stop = true;
    }
    std::lock_guard lock(m);
    --running;
    wake.notify_one();
  };
  for (std::int32_t i = 0; i < std::min(NThreads, Tiles); ++i) workers.emplace_back(work);
  std::int32_t reported = 0;
  std::exception_ptr hookFailure;
  for (bool more = true; more;) {
    {
      std::unique_lock lock(m);
      wake.wait_for(lock, std::chrono::milliseconds(20));
      more = running > 0;
    }
    const std::int32_t now = doneColumns.load();
    try {
      ProcStat += perColumn * (now - reported);
      reported = now;
      if (MathFeedBackProc) MathFeedBackProc(ProcStat);
    } catch (...) {
      if (!hookFailure) hookFailure = std::current_exception();
      stop = true;
    }
    if (AbortMathProc) stop = true;
  }
  for (std::thread& t : workers) t.join();
  if (failure) std::rethrow_exception(failure);
  if (hookFailure) std::rethrow_exception(hookFailure);
}

}  // namespace

template <class Kernel>
void TMat4D::ReduceLayers(TMatrix* DestMat, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,
                          std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer,
                          std::int32_t LowTimeSlot, std::int32_t HighTimeSlot, std::int32_t NThreads) {
  if (DestMat == nullptr) return;
  TBlock b{LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot};
  MakeValidColRange(b.LoC, b.HiC);
  MakeValidRowRange(b.LoR, b.HiR);
  MakeValidLayerRange(b.LoL, b.HiL);
  MakeValidTSlotRange(b.LoT, b.HiT);
  const auto processors = static_cast<std::int32_t>(std::max(1u, std::thread::hardware_concurrency()));
  NThreads = NThreads < 1 ? processors : std::min(NThreads, processors);
  const std::int32_t columns = b.HiC - b.LoC + 1;
  DestMat->Resize(columns, b.HiR - b.LoR + 1);
  DestMat->Fill(0.0);
  const std::int32_t tiles = (columns + kTile - 1) / kTile;
  auto first = [&](std::int32_t k) { return b.LoC + k * kTile; };
  auto last = [&](std::int32_t k) { return std::min(b.HiC, first(k) + kTile - 1); };
  RunTiles(
      tiles, NThreads, columns,
      [&](std::int32_t k) { Kernel{}(FCells.data(), FStride[1], FStride[2], FStride[3], b, first(k), last(k), DestMat); },
      [&](std::int32_t k) { return last(k) - first(k) + 1; });
}

namespace {
template <TReduceKind K>
struct TTileKernel {
  void operator()(const double* Cells, std::size_t RowStride, std::size_t LayerStride, std::size_t SlotStride,
                  const TBlock& B, std::int32_t c0, std::int32_t c1, TMatrix* DestMat) const {
    ReduceTile<K>(Cells, RowStride, LayerStride, SlotStride, B, c0, c1, DestMat);
  }
};
}  // namespace

#define KVL_REDUCTION(Name, Kind)                                                                              \
  void TMat4D::Name(TMatrix* DestMat, std::int32_t LowCol, std::int32_t HighCol, std::int32_t LowRow,          \
                    std::int32_t HighRow, std::int32_t LowLayer, std::int32_t HighLayer, std::int32_t LowTimeSlot, \
                    std::int32_t HighTimeSlot, std::int32_t NThreads) {                                        \
    ReduceLayers<TTileKernel<TReduceKind::Kind>>(DestMat, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer,  \
                                                 LowTimeSlot, HighTimeSlot, NThreads);                        \
  }

KVL_REDUCTION(MeanOfLayersToMatrix, Mean)
KVL_REDUCTION(MaximumOfLayersToMatrix, Maximum)
KVL_REDUCTION(MinimumOfLayersToMatrix, Minimum)
KVL_REDUCTION(StdDevOfLayersToMatrix, StdDev)

#undef KVL_REDUCTION

}  // namespace kvl
