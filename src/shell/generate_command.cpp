#include "shell/generate_command.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/program_state.h"
#include "export/atomic_output.h"
#include "generate/coordinate_file.h"
#include "generate/generation_dialogue.h"
#include "generate/set_options.h"
#include "generate/trial_estimate.h"
#include "shell/command_report.h"
#include "shell/manifest.h"
#include "shell/output_files.h"
#include "shell/output_plan.h"
#include "shell/replicate_runner.h"

namespace sparsim {
namespace {

const RunKind kGenerate{"sparsim generate", "adf", false};

}  // namespace

int RunGenerate(const GenerateOptions& options, const CommandIo& io) {
  try {
    const CheckedSet set = CheckSetOptions(options);
    const OutputPlan plan = PlanOutputs(options.run, kGenerate, 1);
    const GenerationParameters& p = set.parameters;
    if (plan.seed_from_clock) {
      Say(io, kGenerate.command, "seed " + std::to_string(plan.seeds[0]) + ", from the clock");
    }
    std::string warning = HopelessWarning(p, set.point_count);
    if (!warning.empty()) Say(io, kGenerate.command, warning);
    std::optional<Point> centre;
    if (p.shape == kCircle) centre = Point{p.centre_x, p.centre_y};
    std::string standard_output;
    // The replicates' shares of one file of all (plan.combined).
    std::vector<std::string> parts(plan.combined ? static_cast<std::size_t>(plan.replicates) : 0);
    std::string site_text;

    auto work = [&](int32_t k, std::vector<std::string>& rows) {
      auto start = std::chrono::steady_clock::now();
      const int32_t seed = plan.seeds[static_cast<std::size_t>(k - 1)];
      auto state = std::make_unique<ProgramState>();
      state->rand_seed = seed;
      state->point_count = set.point_count;
      state->sampling_threads = plan.sampling_threads;
      // The running count of the dialogue goes nowhere.
      TextInput no_answers{std::string()};
      TextOutput no_screen(-1, "(running count)", false);
      Console console{no_answers, no_screen};
      auto seeds = std::make_unique<ClusterSeeds>();
      int64_t candidates = GenerateSet(console, p, *seeds, *state);
      TextOutput text = TextOutput::InMemory();
      WriteCoordinateLines(text, *state, p, seed);
      const std::string& name = plan.Name(k, 1);
      if (plan.combined) {
        parts[static_cast<std::size_t>(k - 1)] =
            RenderReplicatePart(plan.format, text.contents(), name, k, seed);
        if (k == 1) site_text = text.contents();
      } else if (name.empty()) {
        standard_output = RenderOutput(plan.format, text.contents(), name, centre);
      } else {
        WriteOutputFile(name, RenderOutput(plan.format, text.contents(), name, centre), plan.force);
      }
      rows.push_back(std::to_string(k) + "," + std::to_string(seed) + "," +
                     ManifestField(name.empty() ? "-" : name) + "," +
                     std::to_string(set.point_count) + "," + std::to_string(candidates) + "," +
                     SecondsSince(start));
    };
    auto finish = [&] {
      std::string content = JoinReplicateParts(plan.format, parts, site_text, centre);
      if (plan.Name(1, 1).empty()) {
        standard_output = std::move(content);
      } else {
        WriteOutputFile(plan.Name(1, 1), content, plan.force);
      }
    };
    int status = RunReplicates(plan, io, kGenerate,
                               "replicate,seed,file,points,candidates,seconds", work,
                               plan.combined ? std::function<void()>(finish) : nullptr);
    if (status == 0 && plan.Name(1, 1).empty()) {
      WriteAll(io.out_fd, standard_output, "(standard output)");
    }
    return status;
  } catch (...) {
    return ReportFailure(io, kGenerate.command);
  }
}

}  // namespace sparsim
