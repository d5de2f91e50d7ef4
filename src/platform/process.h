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

// Starts the program `program` (a path, UTF-8, never split, even when it holds blanks) with the
// command line `program + arguments`, in `working_folder`, detached as above. On Windows the
// program is named to the system and the line goes to it as it stands, unquoted, as the game's
// programs expect it. Elsewhere the program is mapped onto the file system as MapPath maps game
// names, and `arguments` is split into its argument list as a Windows program would split it
// (SplitWindowsArguments).
FileStatus StartProgramWithCommandLine(const std::string& program, const std::string& arguments,
                                       const std::filesystem::path& working_folder);

}  // namespace veyra
