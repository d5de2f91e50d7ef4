#pragma once

#include <filesystem>

namespace veyra::testing {

// A game folder's pictures as the artwork tool draws them, drawn once per test program into a
// folder that is removed when the program ends. Throws std::runtime_error when the tool fails.
const std::filesystem::path& DrawnArtwork();

}  // namespace veyra::testing
