#pragma once

#include <filesystem>

namespace veyra {

// The running executable's own path, empty when the system cannot tell.
std::filesystem::path ExecutablePath();

// Whether an entry exists under exactly this spelling. Where the file system ignores letter case
// (Windows) a look cannot tell the spelling, so it answers false and the caller asks for it.
bool NameExistsAsSpelled(const std::filesystem::path& path);

}  // namespace veyra
