#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "updater/signing/signing_keys.h"

namespace veyra {

struct StatementReport {
  std::vector<std::string> problems;  // faults: clients would refuse the set
  std::vector<std::string> notes;     // what was and was not checked, and warnings
};

// Checks the set's update3.sig, when it has one, at the time `now`: it reads as a statement,
// update3.dat and every remote file the list names match their digests, it names exactly the
// list's remote files and it has not expired (a note warns when it expires within 7 days).
// With `keys` the signature is checked under them (and a set without a statement is a problem);
// without, a note says it was not. Missing files are left to VerifyUpdateSet to report.
StatementReport VerifySetStatement(const std::filesystem::path& set,
                                   const std::optional<std::vector<PublicKey>>& keys, int64_t now);

}  // namespace veyra
