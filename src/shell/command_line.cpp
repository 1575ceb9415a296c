#include "shell/command_line.h"

#include <CLI/CLI.hpp>
#include <list>
#include <optional>
#include <utility>

#include "common/command_line.h"
#include "export/atomic_output.h"
#include "export/export_failure.h"
#include "export/export_run.h"
#include "shell/command_report.h"
#include "shell/generate_command.h"
#include "shell/walk_command.h"

#ifndef SPARSIM_VERSION
#define SPARSIM_VERSION "unknown"
#endif

namespace sparsim {
namespace {

const std::string kVersion = std::string("sparsim ") + SPARSIM_VERSION;

// Options whose value is kept as typed, and set only when given.
class TextOptions {
 public:
  CLI::Option* Add(CLI::App& app, const std::string& names, std::optional<std::string>& target,
                   const std::string& value_name, const std::string& description) {
    texts_.emplace_back();
    // The list grows before the library keeps a pointer into it.
    std::string& text = texts_.back();
    CLI::Option* option = app.add_option(names, text, description)->type_name(value_name);
    given_.emplace_back(option, &target);
    return option;
  }
  void Store() {
    auto text = texts_.begin();
    for (auto& [option, target] : given_) {
      if (option->count() > 0) *target = *text;
      ++text;
    }
  }

 private:
  std::list<std::string> texts_;  // stable addresses
  std::vector<std::pair<CLI::Option*, std::optional<std::string>*>> given_;
};

void AddRunOptions(CLI::App& app, TextOptions& texts, RunOptions& run, bool walk) {
  const std::string group = "Output";
  texts
      .Add(app, "--seed", run.seed, "S",
           "seed of the generator, -2147483647 to 2147483647;\n"
           "0 or none: from the clock (reported)")
      ->group(group);
  texts
      .Add(app, "--generator", run.generator, "G",
           "lcg (default): the dialogue's generator, a cycle of 2^32 draws;\n"
           "philox: Philox4x64-10, replicate k from the key (S, k), no\n"
           "two replicates sharing a draw (as numpy.random.Philox)")
      ->group(group);
  texts
      .Add(app, "--replicates", run.replicates, "N",
           "replicates, each from its own stream (default 1); with the LCG\n"
           "replicate 1 uses S, the others seeds derived from S")
      ->group(group);
  texts
      .Add(app, "--replicate", run.replicate, "K",
           "make replicate K alone, the very file of a full run; {n} is\n"
           "padded to the width of --replicates N when given")
      ->group(group);
  texts
      .Add(app, "-o,--output", run.output, "PATTERN",
           std::string("output file; {n} is the replicate's number, zero-padded,\n") +
               "{seed} its seed" + (walk ? ", {pass} the pass's number" : "") +
               ";\nstandard output when absent or - (one file only); in CSV or\n"
               "GeoJSON without {n}, one file of every replicate")
      ->group(group);
  texts
      .Add(app, "--format", run.format, "FORMAT",
           std::string(walk ? "out" : "adf") +
               ", csv, geojson or svg; default from the extension of\n-o (.csv, .json, "
               ".geojson, .svg), otherwise " +
               (walk ? "out" : "adf"))
      ->group(group);
  texts
      .Add(app, "--jobs", run.jobs, "J",
           "threads that run replicates (default: every hardware thread);\n"
           "the files are the same whatever J is")
      ->group(group);
  texts
      .Add(app, "--manifest", run.manifest, "FILE",
           walk ? "CSV list: replicate,seed,pass,file,points,seconds;\n- for standard output"
                : "CSV list: replicate,seed,file,points,candidates,seconds;\n"
                  "with the LCG also stream_start,draws (the replicate's\n"
                  "stretch of the cycle) before seconds; - for standard output")
      ->group(group);
  app.add_flag("--force", run.force, "replace existing files")->group(group);
  if (!walk) {
    app.add_flag("--skip-existing", run.skip_existing,
                 "keep the files already whole (same set, seed and generator)\n"
                 "and make the others; the manifest lists them all")
        ->group(group);
    app.add_flag("--allow-shared-stream", run.allow_shared_stream,
                 "with the LCG, go on when the replicates' draws would pass\n"
                 "the cycle of 2^32, so that replicates share draws")
        ->group(group);
  }
  app.add_flag("-q,--quiet", run.quiet, "no progress line on standard error")->group(group);
}

const char kExitStatuses[] =
    "Exit status: 0 done; 1 bad options or output names, nothing written; 2 a file could not\n"
    "be read or written, or holds a bad number, or a set ran out of the generator's cycle;\n"
    "130, 143, 129 stopped by SIGINT, SIGTERM, SIGHUP (finished files and their manifest\n"
    "lines are kept).\n";

void DefineGenerate(CLI::App& app, TextOptions& texts, GenerateOptions& o) {
  SetUpHelp(app,
            "Usage: sparsim generate (--circle D [--centre X,Y] | --rect XMIN,YMIN,XMAX,YMAX)\n"
            "         (--points N | --density D) [--poisson]\n"
            "         (--centred | --clusters K --radius R | --csr) [--model M]\n"
            "         [--seed S] [--generator lcg|philox] [--replicates N] [-o PATTERN] [options]",
            kVersion);
  app.description(
      "Generate random points as the dialogue does, replicate after replicate; replicate 1\n"
      "with seed S is byte for byte the .ADF file the dialogue writes for seed S. With\n"
      "--generator philox the points are sampled directly around the cluster seeds, with\n"
      "the same distribution, and no two replicates share a draw.");
  const std::string site = "Site (choose one)";
  texts.Add(app, "--circle", o.circle, "D", "circular site of diameter D (0 to 1e30)")->group(site);
  texts
      .Add(app, "--centre,--center", o.centre, "X,Y",
           "centre of the circle (default: one radius from each axis)")
      ->group(site);
  texts
      .Add(app, "--rect", o.rect, "XMIN,YMIN,XMAX,YMAX",
           "rectangular site (-1e30 to 1e30, XMAX >= XMIN, YMAX >= YMIN)")
      ->group(site);
  const std::string count = "Number of points (choose one)";
  texts.Add(app, "--points", o.points, "N", "number of points, 1 to 10000")->group(count);
  texts
      .Add(app, "--density", o.density, "D",
           "points per square unit; the count (nearest, ties to even) at most 10000")
      ->group(count);
  app.add_flag("--poisson", o.poisson,
               "draw the number of points from a Poisson law whose mean is the\n"
               "count asked (at most 9300)")
      ->group("Count law");
  const std::string spread = "Spread (choose one)";
  app.add_flag("--centred,--centered", o.centred, "points centred on the site")->group(spread);
  app.add_flag("--csr", o.csr,
               "complete spatial randomness: points uniform over the whole site\n"
               "(no --model)")
      ->group(spread);
  texts
      .Add(app, "--clusters", o.clusters, "K",
           "points contagious around K random cluster seeds (0 to 500)")
      ->group(spread);
  texts
      .Add(app, "--radius", o.radius, "R",
           "with --clusters: radius, or S.D. of the normal model, of each cluster")
      ->group(spread);
  app.add_flag("--seeds-as-points", o.seeds_as_points,
               "with --clusters: the seeds are the first points (default)")
      ->group(spread);
  app.add_flag("--no-seeds-as-points", o.no_seeds_as_points,
               "with --clusters: the seeds are not points")
      ->group(spread);
  texts
      .Add(app, "--model", o.model, "M",
           "uniform, hemisphere, conic, sinusoid or normal (U H C S N;\ndefault normal)")
      ->group("Density model");
  AddRunOptions(app, texts, o.run, false);
  app.footer(kExitStatuses);
}

void DefineWalk(CLI::App& app, TextOptions& texts, WalkOptions& o) {
  SetUpHelp(app,
            "Usage: sparsim walk INPUT --max-step L --steps N [--passes P] [--seed S]\n"
            "         [--replicates N] [-o PATTERN] [options]",
            kVersion);
  app.description(
      "Random-walk the points of a coordinate file as the dialogue's passes do; with seed S\n"
      "the files are byte for byte the .OUT files the dialogue writes for seed S.");
  app.add_option("INPUT", o.inputs,
                 "coordinate file (.ADF, .OUT, a list, a CSV table x,y);\n- for standard input");
  const std::string walk = "Walk";
  texts.Add(app, "--max-step", o.max_step, "L", "largest step, 0 to 1e30")->group(walk);
  texts.Add(app, "--steps", o.steps, "N", "steps of every point, 0 to 2147483647")->group(walk);
  texts
      .Add(app, "--passes", o.passes, "P",
           "passes over the input, the generator running on (default 1)")
      ->group(walk);
  AddRunOptions(app, texts, o.run, true);
  app.footer(kExitStatuses);
}

void WriteText(const CommandIo& io, const std::string& text) {
  try {
    WriteAll(io.out_fd, text, "(standard output)");
  } catch (const ExportFailure&) {
  }
}

void WriteError(const CommandIo& io, const std::string& text) {
  try {
    WriteAll(io.err_fd, text, "(standard error)");
  } catch (const ExportFailure&) {
  }
}

// Parses and runs one of the two commands of scripted runs.
template <typename Options, typename Define, typename Run>
int RunScripted(const std::string& command, const std::vector<std::string>& args,
                const CommandIo& io, Define define, Run run) {
  CLI::App app;
  TextOptions texts;
  Options options;
  define(app, texts, options);
  CommandLineParse parse = ParseCommandLine(app, args);
  if (parse.action == CommandAction::kHelp) {
    WriteText(io, AppHelp(app));
    return 0;
  }
  if (parse.action == CommandAction::kVersion) {
    WriteText(io, kVersion + "\n");
    return 0;
  }
  if (!parse.error.empty()) {
    WriteError(io, "sparsim " + command + ": " + parse.error + "\n");
    SayTryHelp(io, "sparsim " + command);
    return kExitUsage;
  }
  texts.Store();
  return run(options, io);
}

std::string TopHelp() {
  return "Usage: sparsim [COMMAND [options]]\n"
         "Random point patterns in the plane. Without a command, sparsim asks its questions\n"
         "at the console (answers may come from a file on standard input).\n"
         "\n"
         "Commands:\n"
         "  generate  generate sets of random points into files, replicate after replicate\n"
         "  walk      random-walk the points of a coordinate file, pass after pass\n"
         "  export    turn a coordinate file into CSV, GeoJSON or SVG (as sparsim-export)\n"
         "\n"
         "Options:\n"
         "  -h,--help     show this help and end\n"
         "  -V,--version  show the version and end\n"
         "\n"
         "'sparsim COMMAND --help' describes a command's options; 'man sparsim' all of them.\n";
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, const CommandIo& io) {
  const std::string& command = args.front();
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "generate") {
    return RunScripted<GenerateOptions>("generate", rest, io, DefineGenerate, RunGenerate);
  }
  if (command == "walk") return RunScripted<WalkOptions>("walk", rest, io, DefineWalk, RunWalk);
  if (command == "export") {
    std::string diagnostics;
    int status = RunExport(rest, io.out_fd, diagnostics, "sparsim export");
    WriteError(io, diagnostics);
    return status;
  }
  if (command == "-h" || command == "--help" || command == "help") {
    WriteText(io, TopHelp());
    return 0;
  }
  if (command == "-V" || command == "--version") {
    WriteText(io, kVersion + "\n");
    return 0;
  }
  WriteError(
      io,
      "sparsim: " + std::string(command.starts_with("-") ? "unknown option " : "unknown command ") +
          command + "\n");
  SayTryHelp(io, "sparsim");
  return kExitUsage;
}

}  // namespace sparsim
