#include "common/program_end.h"

#include <cstring>

namespace sparsim {

ProgramEnd IoFault(const std::string& name, int error_number) {
  return ProgramEnd(kExitIoFault, "sparsim: " + name + ": " + std::strerror(error_number));
}

}  // namespace sparsim
