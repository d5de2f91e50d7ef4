// veyra-update: the headless updater, for scripts, servers and players without a display.
#include <unistd.h>

#include <iostream>

#include "platform/error.h"
#include "updater/headless/headless_run.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  veyra::HeadlessOptions options;
  try {
    options = veyra::ParseHeadlessOptions(arguments);
  } catch (const veyra::Error& error) {
    std::cerr << "veyra-update: " << error.what() << "\n" << veyra::HeadlessUsage();
    return veyra::kExitOtherFailure;
  }
  if (options.show_help) {
    std::cout << veyra::HeadlessUsage();
    return 0;
  }
  return veyra::RunHeadlessUpdate(options, std::cout, ::isatty(STDOUT_FILENO) != 0);
}
