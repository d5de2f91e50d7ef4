#pragma once

#include <string>

#include "updater/engine/updater_view.h"

namespace veyra {

// The whole main pass in a few words for a terminal: "files 12/40, 3.1 of ~9.8 MB, 2.4 MB/s,
// 0:03 left". The list carries no sizes, so the total is estimated from the average size of the
// files applied so far (marked "~"); speed and time left appear once a second has passed.
std::string PassSummary(const PassProgress& progress, double elapsed_seconds);

}  // namespace veyra
