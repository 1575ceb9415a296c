// Runs the replicates of sparsim generate and sparsim walk on several
// threads, shows how far it has come, and writes the manifest.
//
// The threads keep SIGINT, SIGTERM and SIGHUP blocked, so that the main
// thread gets them, except while they wait to open a FIFO or to write to a
// pipe; once a signal is recorded the main thread sends it on to them every
// quarter second until they end, so that no such wait outlasts it. The files
// never depend on the number of threads, since each replicate has its own
// state and files.

#ifndef SPARSIM_SHELL_REPLICATE_RUNNER_H_
#define SPARSIM_SHELL_REPLICATE_RUNNER_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shell/output_plan.h"
#include "shell/run_options.h"

namespace sparsim {

// The work of replicate k: writes its files, adding a manifest line to rows
// for each file as it is written; throws on failure.
using ReplicateWork = std::function<void(int32_t k, std::vector<std::string>& rows)>;

// Runs replicate k for k = 1 .. plan.replicates on plan.jobs threads, which
// keep SIGINT, SIGTERM and SIGHUP blocked so that the main thread gets
// them.
// The progress line is drawn on a terminal unless --quiet. After a failure
// or an interrupt no replicate is started, those running stop (an interrupt
// stops a set or a walk at once) or finish, and every thread is joined. The
// manifest, when asked for, lists the files written, in replicate order. Returns the exit status:
// 0, the status of the first failure (its message written), or 128 plus the number of the signal
// that stopped the run.
// finish, when given, runs once every replicate is done and the run neither
// failed nor was interrupted, before the manifest is written: it writes the
// files of all replicates (OutputPlan::combined), which are written whole or
// not at all, and may throw as work does.
int RunReplicates(const OutputPlan& plan, const CommandIo& io, const RunKind& kind,
                  const std::string& manifest_header, const ReplicateWork& work,
                  const std::function<void()>& finish = {});

}  // namespace sparsim

#endif  // SPARSIM_SHELL_REPLICATE_RUNNER_H_
