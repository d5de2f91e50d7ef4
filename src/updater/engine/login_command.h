#pragma once

#include <array>
#include <string>
#include <vector>

namespace veyra {

using LoginParams = std::array<std::string, 3>;

// The three texts handed to the login program: the program's parameters 1 to 3 when it was
// started with at least two of them (a missing third is empty), otherwise three empty texts.
LoginParams LoginParamsFrom(const std::vector<std::string>& arguments);

// The login program's command line: `program`, the program folder + "alogin.exe", followed by
// `arguments`, which is " " + first + " " + second + " " + third when the first parameter is not
// empty and empty otherwise. Nothing is quoted.
struct LoginCommand {
  std::string program;
  std::string arguments;

  std::string Line() const { return program + arguments; }
};
LoginCommand BuildLoginCommand(const std::string& program_folder, const LoginParams& params);

// Starts the login program with its command line, detached, in the program folder (the
// program's path is never split at its blanks). When it cannot be started, the reason goes to
// the support log; the player is told nothing. Returns whether it started.
bool StartLoginProgram(const std::string& program_folder, const LoginParams& params);

}  // namespace veyra
