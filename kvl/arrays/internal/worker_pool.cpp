// The worker pool. Instead of one thread object per task, a fixed set of
// workers takes tasks from an atomic counter: tasks go out in ascending
// order and a worker that finishes one takes the next at once, so long
// early tasks and short late ones balance out. The calling thread waits on
// a condition variable that the workers signal after every task; on each
// wake-up it moves the steps done so far into ProcStat, calls the progress
// hook and checks the abort flag. ProcStat is written by the calling thread
// alone, so a hook may read it freely.

#include "kvl/arrays/internal/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "kvl/base/KVL_kvlbase.h"

namespace kvl::pool_internal {
namespace {

constexpr auto PollInterval = std::chrono::milliseconds(20);

bool RunAlone(std::size_t Count, const std::function<void(std::size_t)>& Task,
              const std::function<std::size_t(std::size_t)>& Steps) {
  for (std::size_t t = 0; t < Count; ++t) {
    for (std::size_t s = Steps(t); s > 0; --s) {
      if (AbortMathProc) return false;
      ReportMathProgress();
    }
    Task(t);
  }
  return true;
}

// State shared by the workers and the calling thread of one RunTasks.
struct TPool {
  std::atomic<std::size_t> Next{0};  // the next task to hand out
  std::atomic<bool> Stop{false};     // set on abort: hand out no more tasks
  std::mutex Lock;
  std::condition_variable Wake;
  std::size_t StepsDone = 0;  // steps of the finished tasks, guarded by Lock
  std::size_t Finished = 0;   // workers that have ended, guarded by Lock
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

bool RunTasks(std::size_t Count, std::int32_t NThreads, const std::function<void(std::size_t)>& Task,
              const std::function<std::size_t(std::size_t)>& Steps) {
  if (NThreads <= 1 || Count <= 1) return RunAlone(Count, Task, Steps);
  const std::size_t workers = std::min<std::size_t>(static_cast<std::size_t>(NThreads), Count);

  TPool pool;
  auto work = [&pool, &Task, &Steps, Count] {
    while (!pool.Stop.load(std::memory_order_relaxed)) {
      const std::size_t t = pool.Next.fetch_add(1);
      if (t >= Count) break;
      Task(t);
      const std::size_t steps = Steps(t);
      {
        std::lock_guard<std::mutex> guard(pool.Lock);
        pool.StepsDone += steps;
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
  if (pool.Workers.empty()) return RunAlone(Count, Task, Steps);

  const std::size_t started = pool.Workers.size();
  std::size_t done = 0, reported = 0;  // steps finished / already added to ProcStat
  for (;;) {
    ProcStat += static_cast<double>(done - reported);
    reported = done;
    if (MathFeedBackProc) MathFeedBackProc(ProcStat);
    if (AbortMathProc) {
      pool.Stop.store(true);
      break;
    }
    std::unique_lock<std::mutex> lock(pool.Lock);
    if (pool.Finished == started) break;
    pool.Wake.wait_for(lock, PollInterval, [&] { return pool.StepsDone != done || pool.Finished == started; });
    done = pool.StepsDone;
  }
  for (auto& t : pool.Workers) t.join();
  // The workers have ended: their counts can be read without the lock.
  ProcStat += static_cast<double>(pool.StepsDone - reported);
  if (pool.Stop.load()) return false;
  if (MathFeedBackProc) MathFeedBackProc(ProcStat);
  return true;
}

}  // namespace kvl::pool_internal
