#pragma once

#include <optional>
#include <string>
#include <vector>

namespace veyra {

// Options of the headless updater:
//   veyra-update [--folder DIR] [--line N] [--force-complete] [--lang t|s|n] [--start-game]
//                [--timeout SECONDS] [--wait SECONDS] [--connections N] [--no-patches]
//                [--no-resume]
//                [-- PARAM1 PARAM2 PARAM3]
struct HeadlessOptions {
  std::optional<std::string> folder;    // program folder; default: the executable's folder
  std::optional<int> line;              // position in the line list; default: isp1.dat
  bool force_complete = false;          // delete the record first: install everything again
  std::optional<std::string> language;  // display language code override
  bool start_game = false;              // start alogin.exe after a complete update
  std::optional<int> timeout_seconds;   // stall limit of every request; default: the line's
  int wait_seconds = 0;  // how long to wait for another updater to leave the game folder
  int connections = 6;   // connections of the main pass, 1 to 16
  bool patches = true;   // fetch the signed patches a set offers in place of changed files
  bool resume = true;    // downloads cut short go on where they stopped
  std::vector<std::string> game_parameters;  // handed on to the login program
  bool show_help = false;
};

// Parses the arguments after the program name. Throws veyra::Error with a readable message for
// an unknown option, a missing value or a bad value.
HeadlessOptions ParseHeadlessOptions(const std::vector<std::string>& arguments);

// The usage text, with the exit statuses.
std::string HeadlessUsage();

}  // namespace veyra
