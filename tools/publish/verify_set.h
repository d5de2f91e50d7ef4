#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace veyra {

// Checks a published set as the updater will see it: the update list exists, every line has a
// marker E, O or C, a remote name, a local name and a non-empty version; every remote file
// exists; E and C files are gzip images that expand; every archive directory is valid; no local or
// member name leaves the game folder; no local name is listed twice (ASCII letter case ignored).
// Returns one English line per problem; empty when the set is sound.
std::vector<std::string> VerifyUpdateSet(const std::filesystem::path& set);

}  // namespace veyra
