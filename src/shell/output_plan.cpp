#include "shell/output_plan.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>
#include <unordered_map>

#include "common/command_line.h"
#include "dialogue/option_values.h"
#include "numeric/replicate_seeds.h"

namespace sparsim {
namespace {

constexpr int32_t kMostReplicates = 1000000;
constexpr int64_t kMostFiles = 1000000;
constexpr int32_t kMostJobs = 1024;
constexpr int32_t kLargestSeed = 2147483647;
constexpr auto kProgressInterval = std::chrono::milliseconds(250);

int32_t Digits(int32_t value) { return static_cast<int32_t>(std::to_string(value).size()); }

std::string Padded(int32_t value, int32_t width) {
  std::string text = std::to_string(value);
  return std::string(static_cast<std::size_t>(std::max<int32_t>(0, width - Digits(value))), '0') +
         text;
}

OutputFormat FormatNamed(const std::string& option, const std::string& text, const RunKind& kind) {
  std::string name = text;
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (name == kind.native_name) return OutputFormat::kNative;
  if (name == "csv") return OutputFormat::kCsv;
  if (name == "geojson") return OutputFormat::kGeoJson;
  if (name == "svg") return OutputFormat::kSvg;
  RefuseOption(option + " " + text + ": must be " + kind.native_name + ", csv, geojson or svg");
}

// The format a file name's extension asks for; the program's own otherwise.
OutputFormat FormatOfName(const std::string& name) {
  std::string extension = std::filesystem::path(name).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".csv") return OutputFormat::kCsv;
  if (extension == ".json" || extension == ".geojson") return OutputFormat::kGeoJson;
  if (extension == ".svg") return OutputFormat::kSvg;
  return OutputFormat::kNative;
}

// Refuses a pattern with a placeholder other than those of the run.
void CheckPattern(const std::string& pattern, const RunKind& kind) {
  std::size_t open = pattern.find('{');
  while (open != std::string::npos) {
    std::size_t close = pattern.find('}', open);
    std::string field =
        close == std::string::npos ? pattern.substr(open) : pattern.substr(open, close - open + 1);
    bool known = field == "{n}" || field == "{seed}" || (kind.has_passes && field == "{pass}");
    if (!known) {
      RefuseOption("-o " + pattern + ": " + field + " is not a placeholder; use {n}, {seed}" +
                   (kind.has_passes ? " or {pass}" : ""));
    }
    open = pattern.find('{', close);
  }
}

// The same file, however it is written ("./a.adf" and "a.adf").
std::string Normal(const std::string& name) {
  return std::filesystem::absolute(name).lexically_normal().string();
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0) {
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
  }
  return Normal(a) == Normal(b);
}

// Refuses two files of one name.
void CheckDistinct(const OutputPlan& plan) {
  std::unordered_map<std::string, int32_t> seen;
  for (int32_t k = 1; k <= plan.replicates; ++k) {
    for (int32_t pass = 1; pass <= plan.passes; ++pass) {
      const std::string& name = plan.Name(k, pass);
      int32_t index = (k - 1) * plan.passes + pass - 1;
      auto [at, fresh] = seen.emplace(Normal(name), index);
      if (fresh) continue;
      int32_t earlier_k = at->second / plan.passes + 1;
      int32_t earlier_pass = at->second % plan.passes + 1;
      if (earlier_k != k) {
        RefuseOption("-o gives replicates " + std::to_string(earlier_k) + " and " +
                     std::to_string(k) + " the same file " + name + "; put {n} in it");
      }
      RefuseOption("-o gives passes " + std::to_string(earlier_pass) + " and " +
                   std::to_string(pass) + " of replicate " + std::to_string(k) + " the same file " +
                   name + "; put {pass} in it");
    }
  }
}

// Refuses existing files (without --force) and outputs into folders that
// are not there, before anything is written.
void CheckFiles(const OutputPlan& plan, const std::vector<std::string>& files) {
  std::set<std::string> folders;
  std::string first_existing;
  std::size_t existing = 0;
  for (const std::string& name : files) {
    struct stat file {};
    if (::stat(name.c_str(), &file) == 0) {
      if (S_ISDIR(file.st_mode))
        throw CommandFailure(kExitFile, name + ": " + std::strerror(EISDIR));
      if (S_ISREG(file.st_mode) && ++existing == 1) first_existing = name;
    }
    std::string folder = std::filesystem::path(name).parent_path().string();
    if (!folders.insert(folder).second) continue;
    struct stat place {};
    std::string shown = folder.empty() ? "." : folder;
    if (::stat(shown.c_str(), &place) != 0) {
      throw CommandFailure(kExitFile, name + ": " + std::strerror(errno));
    }
    if (!S_ISDIR(place.st_mode))
      throw CommandFailure(kExitFile, name + ": " + std::strerror(ENOTDIR));
  }
  if (existing == 0 || plan.force || plan.skip_existing) return;
  if (existing == 1) RefuseOption(first_existing + " exists; give --force to replace it");
  RefuseOption(first_existing + " and " + std::to_string(existing - 1) +
               " more of the files to write exist; give --force to replace them");
}

// true for philox, false for the LCG.
bool GeneratorNamed(const std::string& text) {
  std::string name = text;
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (name == "philox") return true;
  if (name != "lcg") RefuseOption("--generator " + text + ": must be lcg or philox");
  return false;
}

}  // namespace

std::string ExpandPattern(const std::string& pattern, int32_t replicate, int32_t replicates,
                          int32_t seed, int32_t pass, int32_t passes) {
  std::string name;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern.compare(i, 3, "{n}") == 0) {
      name += Padded(replicate, Digits(replicates));
      i += 2;
    } else if (pattern.compare(i, 6, "{seed}") == 0) {
      name += std::to_string(seed);
      i += 5;
    } else if (pattern.compare(i, 6, "{pass}") == 0) {
      name += Padded(pass, Digits(passes));
      i += 5;
    } else {
      name += pattern[i];
    }
  }
  return name;
}

OutputPlan PlanOutputs(const RunOptions& options, const RunKind& kind, int32_t passes,
                       const std::string& input) {
  OutputPlan plan;
  plan.passes = passes;
  plan.force = options.force;
  plan.quiet = options.quiet;
  plan.skip_existing = options.skip_existing;
  if (options.generator) plan.philox = GeneratorNamed(*options.generator);
  int32_t seed = 0;
  if (options.seed) seed = IntegerOption("--seed", *options.seed, -kLargestSeed, kLargestSeed);
  plan.seed_from_clock = seed == 0;
  if (plan.seed_from_clock) seed = ClockSeed();
  plan.seed = seed;
  if (options.replicates) {
    plan.replicates = IntegerOption("--replicates", *options.replicates, 1, kMostReplicates);
  }
  plan.study_replicates = plan.replicates;
  if (options.replicate) {
    plan.first_replicate = IntegerOption("--replicate", *options.replicate, 1, kMostReplicates);
    if (!options.replicates) {
      plan.study_replicates = plan.first_replicate;
    } else if (plan.first_replicate > plan.replicates) {
      RefuseOption("--replicate " + *options.replicate + " is beyond --replicates " +
                   *options.replicates);
    }
    plan.replicates = 1;
  }
  for (int32_t k = 1; k <= plan.replicates; ++k) {
    plan.seeds.push_back(plan.philox ? seed : ReplicateSeed(seed, plan.Number(k)));
  }
  if (options.jobs) {
    plan.jobs = IntegerOption("--jobs", *options.jobs, 1, kMostJobs);
  } else {
    plan.jobs = std::max(1u, std::thread::hardware_concurrency());
  }
  // Replicates share the cores; a single one scans its candidates on every
  // thread it is given.
  if (plan.replicates > 1) {
    plan.sampling_threads = 1;
  } else {
    plan.sampling_threads = options.jobs ? plan.jobs : 0;
  }
  plan.jobs = std::min(plan.jobs, plan.replicates);

  if (int64_t{plan.replicates} * passes > kMostFiles) {
    RefuseOption("--replicates " + std::to_string(plan.replicates) + " with --passes " +
                 std::to_string(passes) + " would write more than " + std::to_string(kMostFiles) +
                 " files");
  }
  bool to_stdout = !options.output || *options.output == "-";
  if (options.output && options.output->empty()) RefuseOption("the output file name is empty");
  if (to_stdout && plan.replicates > 1) {
    RefuseOption("--replicates " + std::to_string(plan.replicates) +
                 " writes a file per replicate: give -o PATTERN with {n} in it");
  }
  if (to_stdout && passes > 1) {
    RefuseOption("--passes " + std::to_string(passes) +
                 " writes a file per pass: give -o PATTERN with {pass} in it");
  }
  if (!to_stdout) CheckPattern(*options.output, kind);
  if (plan.skip_existing && to_stdout) RefuseOption("--skip-existing needs -o PATTERN");
  plan.format = options.format ? FormatNamed("--format", *options.format, kind)
                : to_stdout    ? OutputFormat::kNative
                               : FormatOfName(*options.output);
  if (plan.skip_existing && plan.format != OutputFormat::kNative) {
    RefuseOption("--skip-existing needs the " + kind.native_name +
                 " format, whose header names each file's seed and generator");
  }
  for (int32_t k = 1; k <= plan.replicates; ++k) {
    for (int32_t pass = 1; pass <= passes; ++pass) {
      plan.names.push_back(
          to_stdout ? std::string()
                    : ExpandPattern(*options.output, plan.Number(k), plan.study_replicates,
                                    plan.seeds[static_cast<std::size_t>(k - 1)], pass, passes));
    }
  }
  std::vector<std::string> files;
  if (!to_stdout) {
    CheckDistinct(plan);
    files = plan.names;
  }
  if (options.manifest) {
    if (options.manifest->empty()) RefuseOption("the manifest file name is empty");
    plan.manifest = *options.manifest;
    for (const std::string& name : files) {
      if (Normal(name) == Normal(plan.manifest)) {
        RefuseOption("--manifest " + plan.manifest + " is also an output file");
      }
    }
    files.push_back(plan.manifest);
  }
  if (!input.empty() && input != "-") {
    for (const std::string& name : files) {
      if (SameFile(name, input)) RefuseOption(name + " is the input file; choose another output");
    }
  }
  CheckFiles(plan, files);
  return plan;
}

}  // namespace sparsim
