// veyra-update: the headless updater, for scripts, servers and players without a display.
#include <iostream>

#include "platform/console.h"
#include "platform/error.h"
#include "updater/headless/headless_run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = veyra::ProgramArguments(argc, argv);
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
  return veyra::RunHeadlessUpdate(options, std::cout, veyra::StandardOutputIsTerminal());
}
