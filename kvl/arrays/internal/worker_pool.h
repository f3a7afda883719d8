#pragma once
// Internal to the array routines: the worker pool of the threaded
// operations (the Gram product of the matrices today).

#include <cstddef>
#include <cstdint>
#include <functional>

namespace kvl::pool_internal {

/// RunTasks: runs Task(t) for t = 0 .. Count-1; task t stands for Steps(t)
/// progress steps. Tasks are handed out in ascending order to at most
/// NThreads worker threads (NThreads <= 1, or no thread to be had: the
/// calling thread runs them itself). Workers count the steps of the tasks
/// they finish privately; only the calling thread adds them to ProcStat,
/// calls MathFeedBackProc and reads AbortMathProc: alone, before every step
/// (as ReportMathProgress); threaded, on every wake-up of its wait (at least
/// every 20 ms) and once more at the end. An abort stops the hand-out, the
/// running tasks finish and the result is false. Every worker is joined
/// before return, also when the progress hook throws. Task must not throw.
bool RunTasks(std::size_t Count, std::int32_t NThreads, const std::function<void(std::size_t)>& Task,
              const std::function<std::size_t(std::size_t)>& Steps);

}  // namespace kvl::pool_internal
