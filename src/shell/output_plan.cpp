#include "shell/output_plan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "common/command_line.h"
#include "dialogue/option_values.h"
#include "dialogue/replicate_options.h"

namespace sparsim {
namespace {

constexpr int64_t kMostFiles = 1000000;

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

// The folders of a run's files, each looked at once: its identity (device
// and inode) and the names in it, so that a million names are checked
// without a million lookups of files that are not there.
class Folders {
 public:
  // What a name writes to: its folder's identity and its last part, so that
  // "d/x.adf" and "x.adf" are one file when d links to "."; a symbolic link
  // counts as the file it leads to.
  std::string Key(const std::string& name) {
    std::string target = name;
    if (MayExist(name)) {
      struct stat link {};
      if (::lstat(name.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* real = ::realpath(name.c_str(), nullptr)) {
          target = real;
          std::free(real);
        }
      }
    }
    auto [folder, base] = Split(target);
    return Of(folder).identity + "/" + base;
  }

  // False only when the folder's listing shows nothing of that name.
  bool MayExist(const std::string& name) {
    auto [folder, base] = Split(name);
    const Folder& entry = Of(folder);
    return !entry.listed || base.empty() || base == "." || base == ".." ||
           entry.names.count(base) > 0;
  }

  // The folder of name: its stat, or the errno of the failed one.
  int Problem(const std::string& name) {
    auto [folder, base] = Split(name);
    return Of(folder).problem;
  }

 private:
  struct Folder {
    std::string identity;
    int problem = 0;  // errno of the look at the folder, ENOTDIR, or 0
    bool listed = false;
    std::unordered_set<std::string> names;
  };

  static std::pair<std::string, std::string> Split(const std::string& name) {
    std::size_t slash = name.rfind('/');
    if (slash == std::string::npos) return {".", name};
    return {name.substr(0, slash + 1), name.substr(slash + 1)};
  }

  const Folder& Of(const std::string& folder) {
    auto [at, fresh] = folders_.try_emplace(folder);
    Folder& entry = at->second;
    if (!fresh) return entry;
    struct stat place {};
    if (::stat(folder.c_str(), &place) != 0) {
      entry.problem = errno;
      entry.identity = Normal(folder);
      return entry;
    }
    if (!S_ISDIR(place.st_mode)) entry.problem = ENOTDIR;
    entry.identity = std::to_string(place.st_dev) + ":" + std::to_string(place.st_ino);
    if (DIR* dir = ::opendir(folder.c_str())) {
      while (dirent* item = ::readdir(dir)) entry.names.insert(item->d_name);
      ::closedir(dir);
      entry.listed = true;
    }
    return entry;
  }

  std::unordered_map<std::string, Folder> folders_;
};

// True when every name is in the pattern's one folder, under a last part of
// its own: {n} (and with passes, {pass}) in the last part and no
// placeholder before it.
bool DistinctByPattern(const OutputPlan& plan, const std::string& pattern) {
  std::size_t slash = pattern.rfind('/');
  std::string folder = slash == std::string::npos ? "" : pattern.substr(0, slash);
  std::string last = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  return folder.find('{') == std::string::npos &&
         (plan.combined || plan.replicates == 1 || last.find("{n}") != std::string::npos) &&
         (plan.passes == 1 || last.find("{pass}") != std::string::npos);
}

// Refuses two files of one name.
void CheckDistinct(const OutputPlan& plan, const std::string& pattern, Folders& folders) {
  if (DistinctByPattern(plan, pattern)) return;
  std::unordered_map<std::string, int32_t> seen;
  const int32_t replicates = plan.combined ? 1 : plan.replicates;
  seen.reserve(static_cast<std::size_t>(replicates) * plan.passes);
  for (int32_t k = 1; k <= replicates; ++k) {
    for (int32_t pass = 1; pass <= plan.passes; ++pass) {
      const std::string& name = plan.Name(k, pass);
      int32_t index = (k - 1) * plan.passes + pass - 1;
      auto [at, fresh] = seen.emplace(folders.Key(name), index);
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
void CheckFiles(const OutputPlan& plan, const std::vector<std::string>& files, Folders& folders) {
  std::string first_existing;
  std::size_t existing = 0;
  for (const std::string& name : files) {
    if (int problem = folders.Problem(name)) {
      throw CommandFailure(kExitFile, name + ": " + std::strerror(problem));
    }
    struct stat file {};
    if (folders.MayExist(name) && ::stat(name.c_str(), &file) == 0) {
      if (S_ISDIR(file.st_mode))
        throw CommandFailure(kExitFile, name + ": " + std::strerror(EISDIR));
      if (S_ISREG(file.st_mode) && ++existing == 1) first_existing = name;
    }
  }
  if (existing == 0 || plan.force || plan.skip_existing) return;
  if (existing == 1) RefuseOption(first_existing + " exists; give --force to replace it");
  RefuseOption(first_existing + " and " + std::to_string(existing - 1) +
               " more of the files to write exist; give --force to replace them");
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
  ReplicatePlan run = CheckReplicateOptions(
      {options.seed, options.generator, options.replicates, options.replicate, options.jobs});
  plan.seed = run.seed;
  plan.seed_from_clock = run.seed_from_clock;
  plan.philox = run.philox;
  plan.replicates = run.replicates;
  plan.first_replicate = run.first_replicate;
  plan.study_replicates = run.study_replicates;
  plan.seeds = std::move(run.seeds);
  plan.jobs = run.jobs;
  plan.sampling_threads = run.sampling_threads;

  if (int64_t{plan.replicates} * passes > kMostFiles) {
    RefuseOption("--replicates " + std::to_string(plan.replicates) + " with --passes " +
                 std::to_string(passes) + " would write more than " + std::to_string(kMostFiles) +
                 " files");
  }
  bool to_stdout = !options.output || *options.output == "-";
  if (options.output && options.output->empty()) RefuseOption("the output file name is empty");
  if (!to_stdout) CheckPattern(*options.output, kind);
  plan.format = options.format ? FormatNamed("--format", *options.format, kind)
                : to_stdout    ? OutputFormat::kNative
                               : FormatOfName(*options.output);
  // A table or a collection takes every replicate, unless the name asks
  // for a file each.
  const bool per_replicate_name =
      !to_stdout && (options.output->find("{n}") != std::string::npos ||
                     options.output->find("{seed}") != std::string::npos);
  plan.combined = plan.replicates > 1 && !per_replicate_name &&
                  (plan.format == OutputFormat::kCsv || plan.format == OutputFormat::kGeoJson);
  if (to_stdout && plan.replicates > 1 && !plan.combined) {
    RefuseOption("--replicates " + std::to_string(plan.replicates) +
                 " writes a file per replicate: give -o PATTERN with {n} in it");
  }
  if (to_stdout && passes > 1) {
    RefuseOption("--passes " + std::to_string(passes) +
                 " writes a file per pass: give -o PATTERN with {pass} in it");
  }
  if (plan.skip_existing && to_stdout) RefuseOption("--skip-existing needs -o PATTERN");
  if (plan.skip_existing && plan.format != OutputFormat::kNative) {
    RefuseOption("--skip-existing needs the " + kind.native_name +
                 " format, whose header names each file's seed and generator");
  }
  const int32_t named_replicates = plan.combined ? 1 : plan.replicates;
  for (int32_t k = 1; k <= named_replicates; ++k) {
    for (int32_t pass = 1; pass <= passes; ++pass) {
      plan.names.push_back(
          to_stdout ? std::string()
                    : ExpandPattern(*options.output, plan.Number(k), plan.study_replicates,
                                    plan.seeds[static_cast<std::size_t>(k - 1)], pass, passes));
    }
  }
  Folders folders;
  std::vector<std::string> files;
  if (!to_stdout) {
    CheckDistinct(plan, *options.output, folders);
    files = plan.names;
  }
  if (options.manifest) {
    if (options.manifest->empty()) RefuseOption("the manifest file name is empty");
    plan.manifest = *options.manifest;
    if (plan.manifest == "-") {
      if (to_stdout) {
        RefuseOption("--manifest - and the output both go to standard output; give -o");
      }
    } else {
      const std::string manifest_key = folders.Key(plan.manifest);
      for (const std::string& name : files) {
        if (folders.Key(name) == manifest_key) {
          RefuseOption("--manifest " + plan.manifest + " is also an output file");
        }
      }
      files.push_back(plan.manifest);
    }
  }
  if (!input.empty() && input != "-") {
    const std::string input_key = folders.Key(input);
    for (const std::string& name : files) {
      if (folders.Key(name) == input_key || (folders.MayExist(name) && SameFile(name, input))) {
        RefuseOption(name + " is the input file; choose another output");
      }
    }
  }
  CheckFiles(plan, files, folders);
  return plan;
}

}  // namespace sparsim
