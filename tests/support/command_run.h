// Runs the program's command line in the test's process, with standard
// output and standard error caught in files of a scratch folder.
//
//   CommandRun run;
//   int status = run({"generate", "--help"});
//   // run.out: the help; run.err: ""

#ifndef SPARSIM_TESTS_SUPPORT_COMMAND_RUN_H_
#define SPARSIM_TESTS_SUPPORT_COMMAND_RUN_H_

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "shell/command_line.h"
#include "support/temp_dir.h"

namespace sparsim {

struct CommandRun {
  int operator()(const std::vector<std::string>& args) {
    int out_fd = ::open(scratch.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err_fd = ::open(scratch.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    status = RunCommandLine(args, CommandIo{out_fd, err_fd, false});
    ::close(out_fd);
    ::close(err_fd);
    out = scratch.Read("out");
    err = scratch.Read("err");
    return status;
  }

  TempDir scratch;
  int status = -1;
  std::string out;
  std::string err;
};

}  // namespace sparsim

#endif  // SPARSIM_TESTS_SUPPORT_COMMAND_RUN_H_
