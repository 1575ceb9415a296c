#include "shell/scripted_run.h"

#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>
#include <set>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "common/interrupt.h"
#include "common/program_end.h"
#include "dialogue/choice_prompts.h"
#include "dialogue/numeric_prompts.h"
#include "export/atomic_output.h"
#include "export/coordinate_reader.h"
#include "export/csv_writer.h"
#include "export/export_failure.h"
#include "export/geojson_writer.h"
#include "export/svg_writer.h"
#include "shell/replicate_seeds.h"

namespace sparsim {
namespace {

constexpr int32_t kMostReplicates = 1000000;
constexpr int64_t kMostFiles = 1000000;
constexpr int32_t kMostJobs = 1024;
constexpr int32_t kLargestSeed = 2147483647;
constexpr auto kProgressInterval = std::chrono::milliseconds(250);

[[noreturn]] void Refuse(const std::string& message) { throw CommandFailure(kExitUsage, message); }

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
  Refuse(option + " " + text + ": must be " + kind.native_name + ", csv, geojson or svg");
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
      Refuse("-o " + pattern + ": " + field + " is not a placeholder; use {n}, {seed}" +
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
        Refuse("-o gives replicates " + std::to_string(earlier_k) + " and " + std::to_string(k) +
               " the same file " + name + "; put {n} in it");
      }
      Refuse("-o gives passes " + std::to_string(earlier_pass) + " and " + std::to_string(pass) +
             " of replicate " + std::to_string(k) + " the same file " + name +
             "; put {pass} in it");
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
  if (existing == 0 || plan.force) return;
  if (existing == 1) Refuse(first_existing + " exists; give --force to replace it");
  Refuse(first_existing + " and " + std::to_string(existing - 1) +
         " more of the files to write exist; give --force to replace them");
}

std::string Duration(double seconds) {
  auto whole = static_cast<long long>(seconds);
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  }
  return text;
}

// The line on a terminal that says how far the run has come, drawn again in
// place.
class ProgressLine {
 public:
  ProgressLine(const CommandIo& io, const RunKind& kind, int32_t total, bool shown)
      : io_(io), kind_(kind), total_(total), shown_(shown) {}

  void Draw(int32_t done) {
    if (!shown_) return;
    double elapsed = Seconds();
    std::string line = kind_.command + ": " + std::to_string(done) + "/" + std::to_string(total_) +
                       " replicates, " + Duration(elapsed) + " elapsed";
    if (done > 0 && done < total_) {
      line += ", about " + Duration(elapsed / done * (total_ - done)) + " left";
    }
    if (line == last_) return;
    last_ = line;
    std::size_t width = line.size();
    if (line.size() < width_) line += std::string(width_ - line.size(), ' ');
    width_ = width;
    Write("\r" + line);
    drawn_ = true;
  }
  // Ends the line, so that what follows starts on a line of its own.
  void End() {
    if (drawn_) Write("\n");
    drawn_ = false;
  }

 private:
  double Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }
  void Write(const std::string& text) {
    try {
      WriteAll(io_.err_fd, text, "(standard error)");
    } catch (const ExportFailure&) {
      shown_ = false;  // nothing more can be shown there
    }
  }

  const CommandIo& io_;
  const RunKind& kind_;
  int32_t total_;
  bool shown_;
  bool drawn_ = false;
  std::size_t width_ = 0;
  std::string last_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// What the threads of a run share, under the mutex.
struct SharedRun {
  std::mutex mutex;
  std::condition_variable changed;
  int32_t next = 1;
  int32_t finished = 0;
  int running = 0;
  bool stop = false;
  int failure_status = 0;
  std::string failure;
  // The manifest lines of each replicate, filled by its thread as its files
  // are written.
  std::vector<std::vector<std::string>> rows;
};

void RecordFailure(SharedRun& shared, int status, const std::string& message) {
  std::lock_guard<std::mutex> lock(shared.mutex);
  shared.stop = true;
  if (shared.failure_status == 0) {
    shared.failure_status = status;
    shared.failure = message;
  }
}

void Work(SharedRun& shared, int32_t replicates, const ReplicateWork& work) {
  for (;;) {
    int32_t k = 0;
    {
      std::lock_guard<std::mutex> lock(shared.mutex);
      if (shared.stop || g_interrupt_signal != 0 || shared.next > replicates) break;
      k = shared.next++;
    }
    try {
      // Only this thread touches the replicate's lines until all are joined.
      work(k, shared.rows[static_cast<std::size_t>(k - 1)]);
      std::lock_guard<std::mutex> lock(shared.mutex);
      ++shared.finished;
    } catch (const ProgramEnd& end) {
      // An interrupt is reported by the main thread; other ends are faults.
      if (!IsInterruptStatus(end.exit_status())) {
        std::string report = end.report();
        if (report.starts_with("sparsim: ")) report = report.substr(9);
        RecordFailure(shared, end.exit_status(), report);
      }
      std::lock_guard<std::mutex> lock(shared.mutex);
      shared.stop = true;
    } catch (const CommandFailure& failure) {
      RecordFailure(shared, failure.exit_status(), failure.what());
    } catch (const std::bad_alloc&) {
      RecordFailure(shared, kExitFile, "out of memory");
    } catch (const std::exception& error) {
      RecordFailure(shared, kExitFile, error.what());
    }
    shared.changed.notify_all();
  }
  std::lock_guard<std::mutex> lock(shared.mutex);
  --shared.running;
  shared.changed.notify_all();
}

// Starts the threads with the interrupt signals blocked, so that only the
// main thread receives them, and joins them whatever happens.
class WorkerThreads {
 public:
  WorkerThreads(int count, SharedRun& shared, int32_t replicates, const ReplicateWork& work)
      : shared_(shared) {
    threads_.reserve(static_cast<std::size_t>(count));
    sigset_t blocked;
    sigemptyset(&blocked);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&blocked, signal);
    sigset_t previous;
    ::pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    {
      std::lock_guard<std::mutex> lock(shared.mutex);
      shared.running = count;
    }
    for (int i = 0; i < count; ++i) {
      try {
        threads_.emplace_back([&shared, replicates, &work] { Work(shared, replicates, work); });
      } catch (const std::system_error& error) {
        // Fewer threads do the same work; without any it fails.
        {
          std::lock_guard<std::mutex> lock(shared.mutex);
          shared.running -= count - i;
        }
        if (i == 0) RecordFailure(shared, kExitFile, std::string("no thread: ") + error.what());
        break;
      }
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  }
  // Normally every thread has ended by now; on an early way out they stop
  // after the replicate in hand.
  ~WorkerThreads() {
    {
      std::lock_guard<std::mutex> lock(shared_.mutex);
      shared_.stop = true;
    }
    for (std::thread& thread : threads_) thread.join();
  }
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;

 private:
  SharedRun& shared_;
  std::vector<std::thread> threads_;
};

void WriteManifest(const OutputPlan& plan, const std::string& header, const SharedRun& shared) {
  std::string content = header + "\n";
  for (const std::vector<std::string>& rows : shared.rows) {
    for (const std::string& row : rows) content += row + "\n";
  }
  WriteFileAtomically(plan.manifest, content, plan.force);
}

}  // namespace

std::string NotANumberReason(std::size_t error_position, const std::string& converted) {
  if (error_position > converted.size()) return "not a number (it stops short)";
  return "not a number (bad character \"" + converted.substr(error_position - 1, 1) + "\")";
}

double RealOption(const std::string& option, const std::string& text, double low, double high,
                  const std::string& rule) {
  RealAnswer read = ReadRealAnswer(text);
  if (read.text.empty()) Refuse(option + ": needs a number");
  if (read.parsed.error_position != 0) {
    Refuse(option + " " + text + ": " + NotANumberReason(read.parsed.error_position, read.text));
  }
  if (std::isinf(read.value) || read.value < low || read.value > high) {
    Refuse(option + " " + text + ": must be " + rule);
  }
  return read.value;
}

int32_t IntegerOption(const std::string& option, const std::string& text, int32_t low,
                      int32_t high) {
  std::string trimmed = TrimSpaces(text);
  if (trimmed.empty()) Refuse(option + ": needs a whole number");
  IntegerParse parsed = ReadIntegerAnswer(trimmed);
  if (parsed.error_position != 0) {
    Refuse(option + " " + text + ": " + NotANumberReason(parsed.error_position, trimmed));
  }
  if (parsed.value < low || parsed.value > high) {
    Refuse(option + " " + text + ": must be " + std::to_string(low) + " to " +
           std::to_string(high));
  }
  return parsed.value;
}

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
  int32_t seed = 0;
  if (options.seed) seed = IntegerOption("--seed", *options.seed, -kLargestSeed, kLargestSeed);
  plan.seed_from_clock = seed == 0;
  if (plan.seed_from_clock) seed = ClockSeed();
  if (options.replicates) {
    plan.replicates = IntegerOption("--replicates", *options.replicates, 1, kMostReplicates);
  }
  for (int32_t k = 1; k <= plan.replicates; ++k) plan.seeds.push_back(ReplicateSeed(seed, k));
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
    Refuse("--replicates " + std::to_string(plan.replicates) + " with --passes " +
           std::to_string(passes) + " would write more than " + std::to_string(kMostFiles) +
           " files");
  }
  bool to_stdout = !options.output || *options.output == "-";
  if (options.output && options.output->empty()) Refuse("the output file name is empty");
  if (to_stdout && plan.replicates > 1) {
    Refuse("--replicates " + std::to_string(plan.replicates) +
           " writes a file per replicate: give -o PATTERN with {n} in it");
  }
  if (to_stdout && passes > 1) {
    Refuse("--passes " + std::to_string(passes) +
           " writes a file per pass: give -o PATTERN with {pass} in it");
  }
  if (!to_stdout) CheckPattern(*options.output, kind);
  plan.format = options.format ? FormatNamed("--format", *options.format, kind)
                : to_stdout    ? OutputFormat::kNative
                               : FormatOfName(*options.output);
  for (int32_t k = 1; k <= plan.replicates; ++k) {
    for (int32_t pass = 1; pass <= passes; ++pass) {
      plan.names.push_back(to_stdout ? std::string()
                                     : ExpandPattern(*options.output, k, plan.replicates,
                                                     plan.seeds[static_cast<std::size_t>(k - 1)],
                                                     pass, passes));
    }
  }
  std::vector<std::string> files;
  if (!to_stdout) {
    CheckDistinct(plan);
    files = plan.names;
  }
  if (options.manifest) {
    if (options.manifest->empty()) Refuse("the manifest file name is empty");
    plan.manifest = *options.manifest;
    for (const std::string& name : files) {
      if (Normal(name) == Normal(plan.manifest)) {
        Refuse("--manifest " + plan.manifest + " is also an output file");
      }
    }
    files.push_back(plan.manifest);
  }
  if (!input.empty() && input != "-") {
    for (const std::string& name : files) {
      if (SameFile(name, input)) Refuse(name + " is the input file; choose another output");
    }
  }
  CheckFiles(plan, files);
  return plan;
}

std::string RenderOutput(OutputFormat format, const std::string& native_text,
                         const std::string& name, std::optional<Point> centre) {
  if (format == OutputFormat::kNative) return native_text;
  CoordinateSet set = ReadCoordinates(native_text, name.empty() ? "(standard output)" : name);
  switch (format) {
    case OutputFormat::kCsv:
      return CsvText(set.points);
    case OutputFormat::kGeoJson:
      return GeoJsonText(set, false, centre);
    case OutputFormat::kSvg:
    case OutputFormat::kNative:
      break;
  }
  SvgOptions svg;
  svg.centre = centre;
  return SvgText(set, svg);
}

void WriteOutputFile(const std::string& name, const std::string& content, bool force) {
  WriteFileAtomically(name, content, force);
}

void Say(const CommandIo& io, const std::string& command, const std::string& line) {
  try {
    WriteAll(io.err_fd, command + ": " + line + "\n", "(standard error)");
  } catch (const ExportFailure&) {
    // Nothing more can be done when standard error itself fails.
  }
}

void SayTryHelp(const CommandIo& io, const std::string& command) {
  try {
    WriteAll(io.err_fd, "Try '" + command + " --help' for more information.\n", "(standard error)");
  } catch (const ExportFailure&) {
  }
}

int ReportFailure(const CommandIo& io, const std::string& command) {
  try {
    throw;
  } catch (const CommandFailure& failure) {
    Say(io, command, failure.what());
    if (failure.exit_status() == kExitUsage) SayTryHelp(io, command);
    return failure.exit_status();
  } catch (const ProgramEnd& end) {
    // Interrupted while the options or the input were checked.
    Say(io, command,
        IsInterruptStatus(end.exit_status()) ? "interrupted before any file was written"
                                             : std::string(end.report()));
    return end.exit_status();
  } catch (const std::exception& error) {
    // Out of memory, or no working folder to resolve names in.
    Say(io, command, error.what());
    return kExitFile;
  }
}

std::string SecondsSince(std::chrono::steady_clock::time_point start) {
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

std::string ManifestField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

int RunReplicates(const OutputPlan& plan, const CommandIo& io, const RunKind& kind,
                  const std::string& manifest_header, const ReplicateWork& work) {
  SharedRun shared;
  shared.rows.resize(static_cast<std::size_t>(plan.replicates));
  ProgressLine progress(io, kind, plan.replicates, io.err_is_terminal && !plan.quiet);
  {
    WorkerThreads threads(plan.jobs, shared, plan.replicates, work);
    std::unique_lock<std::mutex> lock(shared.mutex);
    while (shared.running > 0) {
      int32_t done = shared.finished;
      lock.unlock();
      progress.Draw(done);
      lock.lock();
      shared.changed.wait_for(lock, kProgressInterval);
      if (g_interrupt_signal != 0) shared.stop = true;
    }
  }
  progress.Draw(shared.finished);
  progress.End();
  int status = shared.failure_status;
  if (status != 0) Say(io, kind.command, shared.failure);
  if (!plan.manifest.empty()) {
    try {
      WriteManifest(plan, manifest_header, shared);
    } catch (const ExportFailure& failure) {
      Say(io, kind.command, failure.what());
      if (status == 0) status = failure.exit_status();
    }
  }
  if (g_interrupt_signal != 0) {
    Say(io, kind.command,
        "interrupted; " + std::to_string(shared.finished) + " of " +
            std::to_string(plan.replicates) + " replicates were finished and are kept");
    return InterruptEnd(g_interrupt_signal).exit_status();
  }
  return status;
}

}  // namespace sparsim
