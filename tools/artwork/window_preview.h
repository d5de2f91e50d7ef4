#pragma once

#include <filesystem>
#include <vector>

#include "tools/artwork/artwork_files.h"

namespace veyra::artwork {

// Lays each window's pictures together as the window places them (the launcher's frames without
// their transparent colour, the update mode dialog cut to its width) and writes one PNG per
// window, "window_<name>_<c|s>.png", into `folder`, so the artwork can be judged as a whole.
// Needs a QGuiApplication. Errors: std::runtime_error naming a file that could not be written.
std::vector<std::filesystem::path> WriteWindowPreviews(const std::filesystem::path& folder,
                                                       Script script);

}  // namespace veyra::artwork
