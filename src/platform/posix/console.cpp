#include "platform/console.h"

#include <unistd.h>

namespace veyra {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

bool StandardOutputIsTerminal() {
  return ::isatty(STDOUT_FILENO) != 0;
}

}  // namespace veyra
