#include "shell/walk_command.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/interrupt.h"
#include "common/program_state.h"
#include "dialogue/option_values.h"
#include "dialogue/replicate_options.h"
#include "export/atomic_output.h"
#include "export/coordinate_reader.h"
#include "export/point_text.h"
#include "numeric/data_reader.h"
#include "shell/command_report.h"
#include "shell/manifest.h"
#include "shell/output_files.h"
#include "shell/output_plan.h"
#include "shell/replicate_runner.h"
#include "walk/random_walk.h"
#include "walk/walk_options.h"

namespace sparsim {
namespace {

const RunKind kWalk{"sparsim walk", "out", true};

// The command line's reading of the walk's input: an item the dialogue would
// ask "Quit Now" about is an error; a missing value the dialogue walks on is
// walked the same way and, when notes are kept, noted.
class CommandWalkReader : public WalkReader {
 public:
  CommandWalkReader(std::string name, std::vector<std::string>* notes)
      : name_(std::move(name)), notes_(notes) {}

  int32_t Integer(InputFile& file, WalkItem item) override {
    DataItem read = ReadIntegerDataItem(file.text());
    last_ = read.source;
    if (read.fault != ItemFault::kNone) Fail(read, item);
    return static_cast<int32_t>(read.value);
  }

  double Real(InputFile& file, WalkItem item) override {
    DataItem read = ReadDataItem(file.text());
    if (read.fault == ItemFault::kNone) return read.value;
    if (read.fault != ItemFault::kMissing && read.fault != ItemFault::kEnd) Fail(read, item);
    if (notes_ != nullptr) {
      std::string what = DescribeWalkItem(item);
      std::string note = read.fault == ItemFault::kEnd
                             ? DescribeBadItem(name_, read, what) + "; it is walked from 1e32"
                             : name_ + ":" + std::to_string(read.source.line) + ": \"" +
                                   read.source.token + "\" marks " + what +
                                   " as missing; it is walked from 1e32";
      notes_->push_back(note + ", as in the dialogue");
    }
    return kMissingValue;
  }

  [[noreturn]] void RefuseDimensions(int32_t) override {
    throw CommandFailure(kExitFile, name_ + ":" + std::to_string(last_.line) +
                                        ": the points have \"" + last_.token +
                                        "\" coordinates; a walk needs 2");
  }

 private:
  [[noreturn]] void Fail(const DataItem& read, WalkItem item) {
    throw CommandFailure(kExitFile, DescribeBadItem(name_, read, DescribeWalkItem(item)));
  }

  std::string name_;
  std::vector<std::string>* notes_;
  ItemSource last_;
};

// A table ("x,y" and a line a point) as a list the walk reads: the count,
// 2, and each point's numbers in their shortest text, which the walk's
// reading turns back into the same doubles.
std::string TableAsList(const std::string& content, const std::string& name) {
  CoordinateSet table = ReadCoordinates(content, name);
  std::string list = std::to_string(table.points.size()) + ",2\n";
  for (const Point& point : table.points) {
    list += ShortestText(point.x) + "," + ShortestText(point.y) + "\n";
  }
  return list;
}

// A signal ends the wait for a FIFO's writer and for data from a pipe.
std::string ReadWholeInput(const std::string& path, const std::string& name) {
  int fd = path == "-" ? STDIN_FILENO : OpenOrInterrupted(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw CommandFailure(kExitFile, name + ": " + std::strerror(errno));
  std::string content;
  char chunk[65536];
  try {
    for (;;) {
      WaitReadableOrInterrupted(fd);
      ssize_t count = ::read(fd, chunk, sizeof chunk);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) throw CommandFailure(kExitFile, name + ": " + std::strerror(errno));
      if (count == 0) break;
      content.append(chunk, static_cast<std::size_t>(count));
    }
  } catch (...) {
    if (fd != STDIN_FILENO) ::close(fd);
    throw;
  }
  if (fd != STDIN_FILENO) ::close(fd);
  return content;
}

// Reads the input once as a pass reads it, so that a bad item stops the
// command before any file is written; gives the notes of what the dialogue
// walks on without a question.
std::vector<std::string> CheckInput(const std::string& content, const std::string& name) {
  std::vector<std::string> notes;
  auto state = std::make_unique<ProgramState>();
  state->input_file.Open(std::make_unique<TextInput>(content, name));
  CommandWalkReader reader(name, &notes);
  TextOutput no_output(-1, "(check)", false);
  Generator no_steps = Generator::Lcg(0);
  WalkPassCount count = WalkInputPoints(reader, no_output, *state, 0, 0, no_steps);
  if (count.processed != count.announced) {
    notes.push_back(name + ": the file announces " + std::to_string(count.announced) +
                    " points and holds " + std::to_string(count.processed));
  } else if (!SkipSeparatorsToDataEnd(state->input_file.text())) {
    notes.push_back(name + ":" + std::to_string(state->input_file.text().line_number()) +
                    ": more numbers follow the " + std::to_string(count.announced) +
                    " announced points; they are not walked");
  }
  return notes;
}

}  // namespace

int RunWalk(const WalkOptions& options, const CommandIo& io) {
  try {
    if (options.inputs.empty()) RefuseOption("no input file given");
    if (options.inputs.size() > 1) {
      RefuseOption("more than one input file given (" + options.inputs[0] + ", " +
                   options.inputs[1] + ")");
    }
    const std::string& input = options.inputs[0];
    if (input.empty()) RefuseOption("the input file name is empty");
    const WalkSettings walk = CheckWalkOptions({options.max_step, options.steps, options.passes});
    const double max_step = walk.max_step;
    const int32_t steps = walk.steps;
    const int32_t passes = walk.passes;
    const OutputPlan plan = PlanOutputs(options.run, kWalk, passes, input);
    const std::string name = input == "-" ? "(standard input)" : input;
    std::string content = ReadWholeInput(input, name);
    if (IsPointTable(content)) content = TableAsList(content, name);
    for (const std::string& note : CheckInput(content, name)) Say(io, kWalk.command, note);
    if (plan.seed_from_clock) {
      Say(io, kWalk.command, "seed " + std::to_string(plan.seed) + ", from the clock");
    }
    std::string standard_output;
    // The replicates' shares of one file of all a pass (plan.combined).
    std::vector<std::string> parts(
        plan.combined ? static_cast<std::size_t>(plan.replicates) * passes : 0);

    auto work = [&](int32_t k, std::vector<std::string>& rows) {
      const int32_t seed = plan.seeds[static_cast<std::size_t>(k - 1)];
      auto state = std::make_unique<ProgramState>();
      Generator generator = ReplicateGenerator(plan.philox, plan.seed, plan.Number(k), seed);
      state->input_file.Open(std::make_unique<TextInput>(content, name));
      CommandWalkReader reader(name, nullptr);
      for (int32_t pass = 1; pass <= passes; ++pass) {
        auto start = std::chrono::steady_clock::now();
        TextOutput out = TextOutput::InMemory();
        WalkPassCount count = WalkInputPoints(reader, out, *state, max_step, steps, generator);
        const std::string& file = plan.Name(k, pass);
        if (plan.combined) {
          parts[static_cast<std::size_t>((k - 1) * passes + pass - 1)] =
              RenderReplicatePart(plan.format, out.contents(), file, k, seed);
        } else if (file.empty()) {
          standard_output = RenderOutput(plan.format, out.contents(), file, std::nullopt);
        } else {
          WriteOutputFile(file, RenderOutput(plan.format, out.contents(), file, std::nullopt),
                          plan.force);
        }
        rows.push_back(std::to_string(plan.Number(k)) + "," + std::to_string(seed) + "," +
                       std::to_string(pass) + "," + ManifestField(file.empty() ? "-" : file) + "," +
                       std::to_string(count.processed) + "," + SecondsSince(start));
        // The next pass reads the input again, with the generator running on.
        state->input_file.Rewind();
      }
    };
    auto finish = [&] {
      for (int32_t pass = 1; pass <= passes; ++pass) {
        std::vector<std::string> pass_parts;
        for (int32_t k = 1; k <= plan.replicates; ++k) {
          pass_parts.push_back(
              std::move(parts[static_cast<std::size_t>((k - 1) * passes + pass - 1)]));
        }
        std::string joined = JoinReplicateParts(plan.format, pass_parts, "0,2\n", std::nullopt);
        if (plan.Name(1, pass).empty()) {
          standard_output = std::move(joined);
        } else {
          WriteOutputFile(plan.Name(1, pass), joined, plan.force);
        }
      }
    };
    int status = RunReplicates(plan, io, kWalk, "replicate,seed,pass,file,points,seconds", work,
                               plan.combined ? std::function<void()>(finish) : nullptr);
    if (status == 0 && plan.Name(1, 1).empty()) {
      WriteAll(io.out_fd, standard_output, "(standard output)");
    }
    return status;
  } catch (...) {
    return ReportFailure(io, kWalk.command);
  }
}

}  // namespace sparsim
