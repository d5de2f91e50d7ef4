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

// Starts the program `application` (a full path in the game's form, UTF-8) with the command line
// `command_line` (UTF-8), which begins with that path, in `working_folder`, detached as above.
// The path is never split at a blank: on Windows it is the application name the system starts
// (without it, an unquoted "C:\Program Files\..." would first run "C:\Program.exe"), and the
// line goes to the program as it stands. On this system's stand-in the program is `application`
// mapped onto the file system as MapPath maps game names, and the blank-separated words after
// it are its arguments (runs of blanks separate, so empty words are lost).
FileStatus StartCommandLine(const std::string& application, const std::string& command_line,
                            const std::filesystem::path& working_folder);

}  // namespace veyra
