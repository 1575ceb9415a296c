// What sparsim generate and sparsim walk share: checking the options of a
// run, naming its output files, running its replicates on several threads
// and writing their files and manifest.
//
// A value is checked against the same rule the dialogue applies to the same
// answer, and a refusal names the option, the value and the rule:
//   --points 20000: must be 1 to 10000
// Such mistakes, and output names that cannot be used (two replicates given
// one name, an existing file without --force), end the command with status 1
// before any file is touched. A file that cannot be read or written ends it
// with status 2.
//
// Output names come from the -o pattern: {n} is the replicate's number,
// zero-padded to the width of the number of replicates, {seed} its seed, and
// (sparsim walk) {pass} the pass's number, zero-padded likewise. With 20
// replicates, "sim{n}.adf" gives sim01.adf ... sim20.adf. Without -o (or with
// -o -) the one file goes to standard output.
//
// Each file is written to a temporary name beside it and renamed when whole;
// an existing file is replaced only with --force. The manifest (--manifest
// FILE) is a CSV table with one line per file written.

#ifndef SPARSIM_SHELL_SCRIPTED_RUN_H_
#define SPARSIM_SHELL_SCRIPTED_RUN_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "export/point_text.h"
#include "shell/run_options.h"

namespace sparsim {

// A real option converted as the dialogue converts the same answer, and
// required to lie from low to high ("--circle -3: must be from 0 to 1e30",
// with rule "from 0 to 1e30").
double RealOption(const std::string& option, const std::string& text, double low, double high,
                  const std::string& rule);

// An integer option converted as the dialogue converts the same answer:
// "--points 20000: must be 1 to 10000".
int32_t IntegerOption(const std::string& option, const std::string& text, int32_t low,
                      int32_t high);

// Why a text is not a number, from the error position of its conversion:
// "not a number (bad character "O")" for 3OO, "not a number (it stops
// short)" for 1e.
std::string NotANumberReason(std::size_t error_position, const std::string& converted);

enum class OutputFormat { kNative, kCsv, kGeoJson, kSvg };

// What kind of run the outputs are for.
struct RunKind {
  std::string command;      // "sparsim generate", for messages
  std::string native_name;  // the name of the program's own format: "adf" or "out"
  bool has_passes = false;  // names may hold {pass}
};

// The checked options of a run and the names of its files.
struct OutputPlan {
  int32_t replicates = 1;
  int32_t passes = 1;
  std::vector<int32_t> seeds;  // of each replicate, from 1
  bool seed_from_clock = false;
  int jobs = 1;
  // Threads that scan one set's candidates (ProgramState::sampling_threads).
  int sampling_threads = 0;
  OutputFormat format = OutputFormat::kNative;
  // Index (replicate - 1) x passes + (pass - 1); empty: standard output.
  std::vector<std::string> names;
  std::string manifest;  // empty: none
  bool force = false;
  bool quiet = false;

  const std::string& Name(int32_t replicate, int32_t pass) const {
    return names[static_cast<std::size_t>((replicate - 1) * passes + (pass - 1))];
  }
};

// Checks the shared options of a run of `passes` passes per replicate and
// works out every file name. input (sparsim walk) is a file no output may
// be. Throws CommandFailure.
OutputPlan PlanOutputs(const RunOptions& options, const RunKind& kind, int32_t passes,
                       const std::string& input = "");

// The file name a pattern gives; the pattern has been checked.
std::string ExpandPattern(const std::string& pattern, int32_t replicate, int32_t replicates,
                          int32_t seed, int32_t pass, int32_t passes);

// The content of a file in format, from the program's own text of the set
// (".ADF" or ".OUT" bytes), through the exporter's writers; name is the
// file's name for the SVG caption and centre the centre of a circular site
// (which the .ADF header does not record) for the SVG outline and the
// GeoJSON site polygon.
std::string RenderOutput(OutputFormat format, const std::string& native_text,
                         const std::string& name, std::optional<Point> centre);

// Writes a finished file: to a temporary name, then renamed. An existing
// file is replaced only when force is set.
void WriteOutputFile(const std::string& name, const std::string& content, bool force);

// Writes a line for standard error: the command's name, ": " and the line.
void Say(const CommandIo& io, const std::string& command, const std::string& line);

// The line after a bad command line: "Try 'sparsim walk --help' for more
// information."
void SayTryHelp(const CommandIo& io, const std::string& command);

// Turns the failure being handled (call it inside a catch block) into its
// line on standard error and returns its exit status: a CommandFailure's own
// (with the "Try ... --help" line after a usage error), a ProgramEnd's (an interrupt before any
// file was written says so), and 2 for any other std::exception, such as running out of memory.
int ReportFailure(const CommandIo& io, const std::string& command);

// Seconds since start with three decimals, for the manifest: "0.117".
std::string SecondsSince(std::chrono::steady_clock::time_point start);

// A line of the manifest, its fields separated by commas; a file name with a
// comma, a quote or a line end in it is quoted.
std::string ManifestField(const std::string& text);

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
int RunReplicates(const OutputPlan& plan, const CommandIo& io, const RunKind& kind,
                  const std::string& manifest_header, const ReplicateWork& work);

}  // namespace sparsim

#endif  // SPARSIM_SHELL_SCRIPTED_RUN_H_
