#pragma once

#include <optional>
#include <string>
#include <vector>

#include "updater/engine/login_command.h"

namespace veyra {

// The launcher's command line:
//   VeyraOnline [--folder DIR] [--home-url URL] [--account-url URL] [--] [PARAM1 [PARAM2 [PARAM3]]]
// Only the launcher's own options are taken, before the game's parameters: the first word that
// is none of them starts the parameters, whatever it begins with ("--user=A" and "-x" are
// parameters), and "--" ends the options, so that a parameter may itself be "--folder".
struct LauncherOptions {
  std::string program_folder;                // absolute, ending with '/'
  std::vector<std::string> game_parameters;  // at most three; further ones are not handed on
  LoginParams login_params;                  // what the login program is started with
  std::optional<std::string> home_url;       // the game's home page, for the web button
  std::optional<std::string> account_url;    // the account web site, for the agreement window
};

// Parses the arguments after the program name. The program folder is `executable_folder`
// unless --folder names another one (a relative one is taken from the current folder); either
// gets a trailing separator. Throws veyra::Error with a readable message for an option without
// its value.
LauncherOptions ParseLauncherOptions(const std::vector<std::string>& arguments,
                                     const std::string& executable_folder);

}  // namespace veyra
