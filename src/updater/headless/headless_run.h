#pragma once

#include <ostream>

#include "updater/headless/headless_options.h"

namespace veyra {

// Exit statuses of the headless updater.
enum HeadlessExit : int {
  kExitUpToDate = 0,
  kExitOtherFailure = 1,
  kExitInitFailed = 2,
  kExitNoServer = 3,
  kExitDownloadFailed = 4,
  kExitWriteFailed = 5,
  kExitExpandFailed = 6,
  kExitFolderBusy = 7,
};

// Runs one whole update of the program folder without a window: line choice, server search,
// page pass, main pass, record, and optionally the start of the login program. Prints every text
// the window would show to `out`. Returns the exit status.
int RunHeadlessUpdate(const HeadlessOptions& options, std::ostream& out, bool interactive_terminal);

}  // namespace veyra
