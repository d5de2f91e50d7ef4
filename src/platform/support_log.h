#pragma once

#include <filesystem>
#include <string_view>

namespace veyra {

// The support log: lines for whoever helps a player (never shown to the player), such as a
// dropped exception or a program that could not be started. Appended to
// "VeyraOnline-support.log" in the system's temporary folder and copied to standard error (on
// Windows also to the debugger output). Never throws; a log that cannot be written is skipped.
void WriteSupportLog(std::string_view line) noexcept;

// Where the support log is written.
std::filesystem::path SupportLogPath();

}  // namespace veyra
