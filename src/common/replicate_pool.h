// Independent pieces of work (the replicates of a study) on a pool of
// threads, while the calling thread keeps watch: the Python and R packages
// use it to release their interpreter during sampling and still answer
// Ctrl-C at once.
//
// RunOnPool(count, jobs, work, poll) runs work(k) for k = 1 .. count on
// min(jobs, count) threads, which keep SIGINT, SIGTERM and SIGHUP blocked so
// that the calling thread gets them. The calling thread calls poll(0) as
// soon as the threads have started, then poll(finished) about every
// kPollInterval and once more when all are done. When poll returns false
// (the caller saw an interrupt), no piece is started any more and the
// interrupt flag (common/interrupt.h) is raised, so that a set or a walk in
// progress stops at its next check; every thread is joined, the flag is
// lowered again and the interrupt's ProgramEnd (status 130) is thrown. When
// a piece or poll throws, the others stop the same way and, once all are
// joined, the first exception is thrown again. A signal recorded by the
// program's own handlers (the command line) stops the pool alike, also one
// recorded before the call, and its ProgramEnd is thrown with the flag left
// as it is: RunOnPool returns only when every piece has run.
//
// Example:
//   std::vector<int> squares(4);
//   RunOnPool(4, 2, [&](int32_t k) { squares[k - 1] = k * k; },
//             [](int32_t finished) { return !UserPressedCtrlC(); });
//   // squares == {1, 4, 9, 16}; poll saw finished go from 0 to 4

#ifndef SPARSIM_COMMON_REPLICATE_POOL_H_
#define SPARSIM_COMMON_REPLICATE_POOL_H_

#include <chrono>
#include <cstdint>
#include <functional>

namespace sparsim {

constexpr auto kPollInterval = std::chrono::milliseconds(50);

using PoolWork = std::function<void(int32_t k)>;
// Returns false to stop the run as an interrupt does.
using PoolPoll = std::function<bool(int32_t finished)>;

void RunOnPool(int32_t count, int jobs, const PoolWork& work, const PoolPoll& poll);

}  // namespace sparsim

#endif  // SPARSIM_COMMON_REPLICATE_POOL_H_
