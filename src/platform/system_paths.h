#pragma once

#include <filesystem>

namespace veyra {

// The running executable's own path, empty when the system cannot tell.
std::filesystem::path ExecutablePath();

}  // namespace veyra
