#pragma once

#include <filesystem>
#include <optional>
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
// With `previous` (a set players had), each patch whose base that set holds is applied to it
// and must yield its result; a patch whose base it does not hold is noted, not faulted.
PatchReport VerifyPatches(const std::filesystem::path& set, const UpdateStatement& statement,
                          const std::optional<std::filesystem::path>& previous);

}  // namespace veyra
