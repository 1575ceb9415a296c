// Fuzz target for the whole dialogue over arbitrary answer bytes.
//
// The input is the answers, optionally followed by the line "=DATA=" and the
// bytes of a data file DATA.ADF. Each input runs in a fresh temporary
// working directory that also holds SITE.ADF (three points) and an empty
// folder SUB, and that is removed afterwards.
//
// Checks: the run never crashes and always ends, with exit status 0, 1 or 2;
// status 2 comes with a report; every line end on the console and in every
// file the run wrote is CR LF.
//
// Bounded work: a set can need any number of candidates (a uniform cluster
// of radius 1e-20 on a site of 1e20 practically never accepts one), and a
// walk can take 2^31 - 1 steps per point. Every step draws from
// sparsim::Random, and so does every candidate of the reference engine,
// which the link puts in place of the fast one (it gives the same points and
// draws; sampling_fuzz compares the two). So the fuzz build counts the
// draws: the link wraps sparsim::Random (ld --wrap) and the wrapper ends the
// run, as any early end does, once kDrawBudget draws have been made. The
// program itself is unchanged. The wrapped Randomize gives a fixed seed so that every input
// runs the same way each time. The seeds long_set and long_walk of the corpus
// would run for ever without the budget, so a budget that stops working
// shows as a timeout.
//
// Safety: names may hold '\' to reach folders, and a leading '\' or ".."
// would reach files outside the temporary folder. Inputs with a '\' that
// does not follow a letter, digit or '_' are skipped, which leaves only
// paths down into the working directory.

#include <dirent.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "common/program_end.h"
#include "common/program_state.h"
#include "common/text_input.h"
#include "common/text_output.h"
#include "dialogue/console.h"
#include "generate/sampling.h"
#include "shell/program.h"

namespace {

constexpr long kDrawBudget = 200000;
constexpr int kBudgetStatus = 99;
long draws_left = 0;

constexpr std::string_view kDataMark = "\n=DATA=\n";
constexpr char kSiteFile[] =
    "3 #Points# 2 #Coordinates#\r\n"
    "# Site Corners   0.0000  0.0000,  10.0000 10.0000;  Area   100.00 #\r\n"
    "#Density:   0.0300;  Model U;  Random Seed: 1 #\r\n"
    "    1.0000    2.0000\r\n"
    "    3.5000    4.2500\r\n"
    "    9.0000    0.5000\r\n";

}  // namespace

// The program's generator, reached through the linker's --wrap.
extern "C" long double __real__ZN7sparsim6RandomERi(int32_t& rand_seed);

extern "C" long double __wrap__ZN7sparsim6RandomERi(int32_t& rand_seed) {
  if (--draws_left < 0) throw sparsim::ProgramEnd(kBudgetStatus, "");
  return __real__ZN7sparsim6RandomERi(rand_seed);
}

extern "C" void __wrap__ZN7sparsim9RandomizeERi(int32_t& rand_seed) { rand_seed = 1; }

// FillPointStore, whose candidates draw through Random.
extern "C" int64_t
__wrap__ZN7sparsim14FillPointStoreERNS_7ConsoleERKNS_20GenerationParametersERKNS_12ClusterSeedsERNS_12ProgramStateERNS_9GeneratorEl(
    sparsim::Console& console, const sparsim::GenerationParameters& parameters,
    const sparsim::ClusterSeeds& seeds, sparsim::ProgramState& state, sparsim::Generator& generator,
    int64_t draw_budget) {
  return sparsim::FillPointStoreReference(console, parameters, seeds, state, generator,
                                          draw_budget);
}

namespace {

void Fail(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "%s %s\n", what, detail.c_str());
  std::abort();
}

bool EveryLineEndIsCrLf(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return true;
}

bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// True when every '\' continues a name down from the working directory.
bool StaysInWorkingDirectory(std::string_view answers) {
  for (std::size_t i = 0; i < answers.size(); ++i) {
    if (answers[i] == '\\' && (i == 0 || !IsNameCharacter(answers[i - 1]))) return false;
  }
  return true;
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class WorkingDirectory {
 public:
  WorkingDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sparsim-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot make a temporary folder");
    path_ = pattern;
  }
  ~WorkingDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Every file the run wrote, anywhere under the working directory.
void CheckWrittenFiles(const std::string& directory) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(directory)) {
    if (!entry.is_regular_file()) continue;
    std::string name = entry.path().filename().string();
    if (name == "SITE.ADF" || name == "DATA.ADF") continue;
    if (!EveryLineEndIsCrLf(ReadFile(entry.path().string()))) {
      Fail("a written file has a line end other than CR LF:", name);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t mark = input.find(kDataMark);
  std::string_view answers = input.substr(0, mark);
  if (!StaysInWorkingDirectory(answers)) return -1;  // never added to the corpus

  WorkingDirectory dir;
  WriteFile(dir.path() + "/SITE.ADF", kSiteFile);
  ::mkdir((dir.path() + "/SUB").c_str(), 0755);
  if (mark != std::string_view::npos) {
    WriteFile(dir.path() + "/DATA.ADF", input.substr(mark + kDataMark.size()));
  }

  sparsim::TextInput console_input{std::string(answers), "answers"};
  sparsim::TextOutput screen = sparsim::TextOutput::InMemory("screen");
  sparsim::Console console{console_input, screen};
  auto state = std::make_unique<sparsim::ProgramState>();
  state->working_directory = dir.path();
  draws_left = kDrawBudget;
  sparsim::RunResult result = sparsim::RunProgram(console, *state);

  CheckWrittenFiles(dir.path());
  if (!EveryLineEndIsCrLf(screen.contents())) Fail("a console line does not end with CR LF");
  if (result.exit_status == kBudgetStatus) return 0;  // stopped by the budget
  if (result.exit_status < 0 || result.exit_status > 2) {
    Fail("exit status out of range:", std::to_string(result.exit_status));
  }
  if (result.exit_status == sparsim::kExitIoFault && result.error_report.empty()) {
    Fail("an input/output fault without a report");
  }
  return 0;
}
