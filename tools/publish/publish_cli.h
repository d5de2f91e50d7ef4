#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace veyra {

// Exit statuses of veyra-publish.
inline constexpr int kPublishOk = 0;
inline constexpr int kPublishFailed = 1;  // the work failed, or verify found problems
inline constexpr int kPublishUsage = 2;   // the command line is wrong

// Runs one veyra-publish command (`args` without the program name):
//   build --release DIR --out DIR [--previous DIR ...] [--page DIR] [--archive-small N]
//         [--follow-links] [--sign KEYFILE [--expires DAYS]]
//   verify --set DIR [--key PUBFILE] [--previous DIR ...]
//   web0 --line NAME URL [--line NAME URL ...]
//   keygen KEYFILE
//   sign --set DIR --key KEYFILE [--expires DAYS]
// Results go to `out` (web0.dat text, verify's verdict, keygen's public key), progress and
// errors to `err`.
// Returns the exit status.
int RunPublishTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace veyra
