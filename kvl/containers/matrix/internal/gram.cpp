// The threaded driver of the Gram product (TMatrix::Square).
//
// Instead of one thread object per column, a fixed pool of workers takes
// panels of consecutive columns from an atomic counter: panels go out in
// ascending order, a worker that finishes one takes the next at once, and
// the early, long columns and the late, short ones balance out. The calling
// thread waits on a condition variable that the workers signal after every
// panel; on each wake-up (at the latest every PollInterval) it calls
// MathFeedBackProc and checks AbortMathProc. An abort stops the hand-out;
// the panels in progress finish and every worker is joined before return.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/matrix/internal/kernels.h"

namespace kvl::matrix_detail {
namespace {

constexpr std::size_t MaxPanel = 64;  // columns per panel at most
constexpr auto PollInterval = std::chrono::milliseconds(20);

// Panels small enough that every worker gets several, large enough that a
// panel reuses each column it reads many times.
std::size_t PanelWidth(std::size_t n, std::size_t workers) noexcept {
  return std::clamp<std::size_t>(n / (4 * workers), 1, MaxPanel);
}

void AddProgressAtomic(double Increment) noexcept {
  std::atomic_ref<double>(ProcStat).fetch_add(Increment, std::memory_order_relaxed);
}

double ReadProgress() noexcept { return std::atomic_ref<double>(ProcStat).load(std::memory_order_relaxed); }

// The calling thread alone: before each column the abort flag and the
// progress step, as the unthreaded algorithm takes them; the columns of a
// panel are computed together once their steps are taken.
bool GramSequential(const double* A, std::size_t Rows, std::size_t N, double* G, double Norm) {
  const std::size_t w = PanelWidth(N, 1);
  for (std::size_t i0 = 0; i0 < N; i0 += w) {
    const std::size_t i1 = std::min(N, i0 + w);
    for (std::size_t i = i0; i < i1; ++i) {
      if (AbortMathProc) {
        if (i > i0) GramPanel(A, Rows, N, i0, i, G, Norm);
        return false;
      }
      ReportMathProgress();
    }
    GramPanel(A, Rows, N, i0, i1, G, Norm);
  }
  return true;
}

// State shared by the workers and the calling thread of one GramProduct.
struct TPool {
  std::atomic<std::size_t> Next{0};  // the next panel to hand out
  std::atomic<bool> Stop{false};     // set on abort: hand out no more panels
  std::mutex Lock;
  std::condition_variable Wake;
  std::size_t PanelsDone = 0;  // guarded by Lock
  std::size_t Finished = 0;    // workers that have ended, guarded by Lock
  std::vector<std::thread> Workers;

  // Stops the hand-out and joins every worker (also when the calling
  // thread leaves by an exception of the progress hook).
  ~TPool() {
    Stop.store(true);
    for (auto& t : Workers)
      if (t.joinable()) t.join();
  }
};

}  // namespace

bool GramProduct(const double* A, std::size_t Rows, std::size_t N, double* G, double Norm, std::int32_t NThreads) {
  if (NThreads <= 1 || N == 0) return GramSequential(A, Rows, N, G, Norm);
  const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(NThreads), N);
  const std::size_t w = PanelWidth(N, wanted);
  const std::size_t panels = (N + w - 1) / w;
  const std::size_t workers = std::min(wanted, panels);

  TPool pool;
  auto work = [&pool, A, Rows, N, G, Norm, w, panels] {
    while (!pool.Stop.load(std::memory_order_relaxed)) {
      const std::size_t p = pool.Next.fetch_add(1);
      if (p >= panels) break;
      const std::size_t i0 = p * w, i1 = std::min(N, i0 + w);
      GramPanel(A, Rows, N, i0, i1, G, Norm);
      for (std::size_t i = i0; i < i1; ++i) AddProgressAtomic(1.0);
      {
        std::lock_guard<std::mutex> guard(pool.Lock);
        ++pool.PanelsDone;
      }
      pool.Wake.notify_one();
    }
    {
      std::lock_guard<std::mutex> guard(pool.Lock);
      ++pool.Finished;
    }
    pool.Wake.notify_one();
  };
  pool.Workers.reserve(workers);
  for (std::size_t t = 0; t < workers; ++t) {
    try {
      pool.Workers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // run with the workers that did start
    }
  }
  if (pool.Workers.empty()) return GramSequential(A, Rows, N, G, Norm);

  const std::size_t started = pool.Workers.size();
  std::size_t seen = 0;
  for (;;) {
    if (MathFeedBackProc) MathFeedBackProc(ReadProgress());
    if (AbortMathProc) {
      pool.Stop.store(true);
      break;
    }
    std::unique_lock<std::mutex> lock(pool.Lock);
    if (pool.Finished == started) break;
    pool.Wake.wait_for(lock, PollInterval, [&] { return pool.PanelsDone != seen || pool.Finished == started; });
    seen = pool.PanelsDone;
  }
  for (auto& t : pool.Workers) t.join();
  if (pool.Stop.load()) return false;
  if (MathFeedBackProc) MathFeedBackProc(ReadProgress());
  return true;
}

}  // namespace kvl::matrix_detail
