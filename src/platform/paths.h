#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace veyra {

// The program folder: the folder of the running executable (or the folder set for this run),
// absolute, always ending with '/'. Every local file of the updater is this text followed by a
// relative name that may use backslashes, e.g. ProgramFolder() + "Data\\Talk.Dat".
const std::string& ProgramFolder();

// Replaces the program folder for this process (headless updater's --folder, tests).
// A missing trailing separator is added.
void SetProgramFolder(std::string folder);

// The folder of the running executable, with a trailing '/'.
std::string ExecutableFolder();

// Maps a name as the game writes it (backslashes, any letter case) onto this file system:
// every '\' becomes '/', and each component that already exists is matched without regard to
// ASCII letter case, as on the game's original file system. Components that do not exist yet are
// kept as given, so new files and folders get exactly the spelling of the name.
std::filesystem::path MapPath(std::string_view name);

// True when a relative name from a server list or an archive stays inside the program folder:
// not empty, not absolute ("\x", "/x"), no drive letter ("C:"), no UNC prefix ("\\host"), no NUL
// byte, and no ".." component that climbs above the folder.
bool IsConfinedName(std::string_view relative_name);

}  // namespace veyra
