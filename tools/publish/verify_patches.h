#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "updater/signing/update_statement.h"

namespace veyra {

struct PatchReport {
  std::vector<std::string> problems;  // faults: a player would fall back to the whole file
  std::vector<std::string> notes;
};

// Checks the patches `statement` offers in `set`: each patch file matches its signed digest and
// stands in for an "E" or "O" file of the list whose installed content is the patch's result.
// Each patch whose base one of the sets of `previous` (sets players had) holds is applied to it
// and must yield its result; a patch whose base none of them holds is noted, not faulted, since
// players further behind simply fetch the whole file.
PatchReport VerifyPatches(const std::filesystem::path& set, const UpdateStatement& statement,
                          const std::vector<std::filesystem::path>& previous);

}  // namespace veyra
