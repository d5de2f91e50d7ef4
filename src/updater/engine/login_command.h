#pragma once

#include <array>
#include <string>
#include <vector>

namespace veyra {

using LoginParams = std::array<std::string, 3>;

// The three texts handed to the login program: the program's parameters 1 to 3 when it was
// started with at least two of them (a missing third is empty), otherwise three empty texts.
LoginParams LoginParamsFrom(const std::vector<std::string>& arguments);

// The login program's command line: program folder + "alogin.exe", followed, when the first
// parameter is not empty, by " " + first + " " + second + " " + third. Nothing is quoted.
std::string BuildLoginCommandLine(const std::string& program_folder, const LoginParams& params);

// The login program's full path: program folder + "alogin.exe".
std::string LoginProgramPath(const std::string& program_folder);

// Starts the program `application` with `command_line` (which begins with its path; see
// StartCommandLine) as a detached process whose current folder is `working_folder`. Returns
// false when it could not be started; callers ignore the result.
bool StartDetached(const std::string& application, const std::string& command_line,
                   const std::string& working_folder);

}  // namespace veyra
