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

// Starts a command line (UTF-8) the way Windows starts one, in `working_folder`, detached as
// above. On Windows the line goes to the system as it stands, which finds the program in it. On
// this system's stand-in the program is the first blank-separated word, mapped onto the file
// system as MapPath maps game names, and the other words are its arguments (runs of blanks
// separate, so empty words are lost).
FileStatus StartCommandLine(const std::string& command_line,
                            const std::filesystem::path& working_folder);

}  // namespace veyra
