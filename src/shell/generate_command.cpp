#include "shell/generate_command.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/program_state.h"
#include "dialogue/option_values.h"
#include "dialogue/replicate_options.h"
#include "export/atomic_output.h"
#include "generate/coordinate_file.h"
#include "generate/generate_set.h"
#include "generate/pattern_study.h"
#include "generate/set_options.h"
#include "generate/trial_estimate.h"
#include "numeric/random.h"
#include "shell/command_report.h"
#include "shell/existing_files.h"
#include "shell/manifest.h"
#include "shell/output_files.h"
#include "shell/output_plan.h"
#include "shell/replicate_runner.h"
#include "shell/stream_overlap.h"

namespace sparsim {
namespace {

const RunKind kGenerate{"sparsim generate", "adf", false};

// What the header of replicate k records (generate/pattern_study.h).
SetRecord RecordOf(const SetOptions& options, const CheckedSet& set, const OutputPlan& plan,
                   int32_t k) {
  return SetRecordOf(options, set, plan.philox, plan.Number(k));
}

// The lines after the count line of replicate k's file, as it would be written.
std::string HeaderAfterCount(const SetOptions& options, const CheckedSet& set,
                             const OutputPlan& plan, int32_t k) {
  auto empty = std::make_unique<ProgramState>();
  TextOutput text = TextOutput::InMemory();
  WriteCoordinateLines(text, *empty, set.parameters, plan.seeds[static_cast<std::size_t>(k - 1)],
                       RecordOf(options, set, plan, k));
  const std::string& lines = text.contents();
  return lines.substr(lines.find('\n') + 1);
}

// With --skip-existing: which of the run's files are kept (their point
// counts; -1 for those to make). An existing file that is not one of this
// run's is refused unless --force replaces it.
std::vector<int32_t> KeptFiles(const SetOptions& options, const CheckedSet& set,
                               const OutputPlan& plan) {
  std::vector<int32_t> kept(static_cast<std::size_t>(plan.replicates), -1);
  if (!plan.skip_existing) return kept;
  std::string first_foreign;
  int32_t foreign = 0;
  for (int32_t k = 1; k <= plan.replicates; ++k) {
    const std::string& name = plan.Name(k, 1);
    ExistingFile file =
        CheckExistingSetFile(name, HeaderAfterCount(options, set, plan, k),
                             options.poisson ? kMaxPoints : set.point_count, options.poisson);
    if (file.whole) {
      kept[static_cast<std::size_t>(k - 1)] = file.points;
    } else if (file.exists && ++foreign == 1) {
      first_foreign = name;
    }
  }
  if (foreign == 0 || plan.force) return kept;
  std::string what = foreign == 1 ? first_foreign + " exists"
                                  : first_foreign + " and " + std::to_string(foreign - 1) +
                                        " more of the files exist";
  RefuseOption(what + " but " + (foreign == 1 ? "is not a whole file" : "are not whole files") +
               " of this run's set, seed and generator; give --force to replace " +
               (foreign == 1 ? "it" : "them"));
}

}  // namespace

int RunGenerate(const GenerateOptions& options, const CommandIo& io) {
  try {
    const CheckedSet set = CheckSetOptions(options);
    const OutputPlan plan = PlanOutputs(options.run, kGenerate, 1);
    const GenerationParameters& p = set.parameters;
    if (!options.run.allow_shared_stream) {
      CheckSharedStream(set, plan.philox, plan.study_replicates);
    }
    const std::vector<int32_t> kept = KeptFiles(options, set, plan);
    if (plan.seed_from_clock) {
      Say(io, kGenerate.command, "seed " + std::to_string(plan.seed) + ", from the clock");
    }
    // Direct sampling does not scan the site.
    std::string warning = plan.philox ? "" : HopelessWarning(p, set.point_count);
    if (!warning.empty()) Say(io, kGenerate.command, warning);
    std::optional<Point> centre;
    if (p.shape == kCircle) centre = Point{p.centre_x, p.centre_y};
    std::string standard_output;
    // The replicates' shares of one file of all (plan.combined).
    std::vector<std::string> parts(plan.combined ? static_cast<std::size_t>(plan.replicates) : 0);
    std::string site_text;
    // Each replicate's stretch of the LCG's cycle; draws -1 until made.
    std::vector<CycleStretch> stretches(static_cast<std::size_t>(plan.replicates),
                                        CycleStretch{0, -1});

    auto work = [&](int32_t k, std::vector<std::string>& rows) {
      auto start = std::chrono::steady_clock::now();
      const int32_t seed = plan.seeds[static_cast<std::size_t>(k - 1)];
      const std::string& name = plan.Name(k, 1);
      const std::string row_start = std::to_string(plan.Number(k)) + "," + std::to_string(seed) +
                                    "," + ManifestField(name.empty() ? "-" : name) + ",";
      const std::string stream_start =
          plan.philox ? "" : std::to_string(CyclePosition(static_cast<uint32_t>(seed))) + ",";
      const int32_t kept_points = kept[static_cast<std::size_t>(k - 1)];
      if (kept_points >= 0) {
        // Kept from an earlier run: what it took is not known here.
        rows.push_back(row_start + std::to_string(kept_points) + ",," + stream_start +
                       (plan.philox ? "" : ","));
        return;
      }
      auto state = std::make_unique<ProgramState>();
      Generator generator = ReplicateGenerator(plan.philox, plan.seed, plan.Number(k), seed);
      state->point_count = set.point_count;
      state->sampling_threads = plan.sampling_threads;
      // The running count of the dialogue goes nowhere.
      TextInput no_answers{std::string()};
      TextOutput no_screen(-1, "(running count)", false);
      Console console{no_answers, no_screen};
      auto seeds = std::make_unique<ClusterSeeds>();
      const SetOutcome outcome = GenerateSet(console, p, options, *seeds, *state, generator);
      TextOutput text = TextOutput::InMemory();
      WriteCoordinateLines(text, *state, p, seed, RecordOf(options, set, plan, k));
      if (plan.combined) {
        parts[static_cast<std::size_t>(k - 1)] =
            RenderReplicatePart(plan.format, text.contents(), name, plan.Number(k), seed);
        if (k == 1) site_text = text.contents();
      } else if (name.empty()) {
        standard_output = RenderOutput(plan.format, text.contents(), name, centre);
      } else {
        WriteOutputFile(name, RenderOutput(plan.format, text.contents(), name, centre), plan.force);
      }
      stretches[static_cast<std::size_t>(k - 1)] =
          CycleStretch{CyclePosition(outcome.first_state), outcome.draws};
      rows.push_back(row_start + std::to_string(outcome.points) + "," +
                     std::to_string(outcome.candidates) + "," + stream_start +
                     (plan.philox ? "" : std::to_string(outcome.draws) + ",") +
                     SecondsSince(start));
      if (outcome.exhausted) {
        throw CommandFailure(
            kExitFile, "replicate " + std::to_string(plan.Number(k)) + " (" +
                           (name.empty() ? "standard output" : name) +
                           "): the generator's cycle of 2^32 draws ran out after " +
                           std::to_string(outcome.points) + " of " + std::to_string(outcome.asked) +
                           " points; those are written, none repeated; use --generator philox");
      }
    };
    auto finish = [&] {
      std::string content = JoinReplicateParts(plan.format, parts, site_text, centre);
      if (plan.Name(1, 1).empty()) {
        standard_output = std::move(content);
      } else {
        WriteOutputFile(plan.Name(1, 1), content, plan.force);
      }
    };
    const std::string header = plan.philox
                                   ? "replicate,seed,file,points,candidates,seconds"
                                   : "replicate,seed,file,points,candidates,stream_start,draws,"
                                     "seconds";
    int status = RunReplicates(plan, io, kGenerate, header, work,
                               plan.combined ? std::function<void()>(finish) : nullptr);
    // An exhausted set is written too, with the points it has.
    if ((status == 0 || (status == kExitFile && !standard_output.empty())) &&
        plan.Name(1, 1).empty()) {
      WriteAll(io.out_fd, standard_output, "(standard output)");
    }
    if (!plan.philox && status < 128) {
      std::vector<CycleStretch> made;
      for (const CycleStretch& stretch : stretches) {
        if (stretch.draws >= 0) made.push_back(stretch);
      }
      int64_t pairs = CountOverlappingPairs(made);
      if (made.size() >= 2 && (pairs > 0 || !plan.quiet)) {
        Say(io, kGenerate.command, OverlapReport(pairs, static_cast<int32_t>(made.size())));
      }
    }
    return status;
  } catch (...) {
    return ReportFailure(io, kGenerate.command);
  }
}

}  // namespace sparsim
