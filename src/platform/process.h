#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_status.h"

namespace veyra {

// Starts the program `arguments[0]` (a path, not looked up in a search path) with `arguments` as
// its argument list, in `working_folder`, as a process that lives on by itself: it is not waited
// for and does not end with this program or its terminal. The status tells why it could not be
// started (no arguments, a missing or non-executable program, a missing working folder).
FileStatus StartDetachedProcess(const std::vector<std::string>& arguments,
                                const std::filesystem::path& working_folder);

}  // namespace veyra
