#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace veyra {

// The program folder: the folder of the running executable (or the folder set for this run),
// absolute, always ending with a folder separator. Every local file of the updater is this text
// followed by a relative name that may use backslashes, e.g. ProgramFolder() + "Data\\Talk.Dat".
const std::string& ProgramFolder();

// Replaces the program folder for this process (headless updater's --folder, tests).
// A missing trailing separator is added.
void SetProgramFolder(std::string folder);

// The folder of the running executable, with a trailing separator.
std::string ExecutableFolder();

// The separator this system writes between folder names: '/' here, '\\' on Windows (where '/'
// is understood too).
#ifdef _WIN32
inline constexpr char kFolderSeparator = '\\';
#else
inline constexpr char kFolderSeparator = '/';
#endif

// A path from UTF-8 text, and the UTF-8 text of a path. Windows paths are UTF-16, and a plain
// narrow string would be read in the ANSI code page there; here both are byte for byte.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// How many leading characters of a path text written with '/' name its root: 1 for "/x"; on
// Windows also 3 for a drive "C:/x" and the whole "//server/share/" of a network path. 0 for a
// relative path.
size_t PathRootLength(std::string_view text);

// The language whose code page the game's file names are written in ("t" Big5, "s" GBK, any
// other Windows-1252), as the display language decides it. Until it is set, names below the
// program folder are used byte for byte.
void SetFileNameLanguage(std::string language_code);

// A relative name of the game (from a list or an archive) as text of this system: decoded from
// the file-name code page to UTF-8 (undecodable bytes become '?'), so that a double-byte
// character whose second byte is 0x5C stays one character instead of reading as a separator.
std::string DecodeFileName(std::string_view name);

// Maps a name as the game writes it (backslashes, any letter case) onto this file system: the
// part below the program folder is decoded with DecodeFileName, every '\' becomes '/', and each
// component that already exists is matched without regard to ASCII letter case, as on the game's
// original file system. Components that do not exist yet are kept as given, so new files and
// folders get exactly the spelling of the name.
std::filesystem::path MapPath(std::string_view name);

// True when a relative name from a server list or an archive stays inside the program folder:
// not empty, not absolute ("\x", "/x"), no drive letter ("C:"), no UNC prefix ("\\host"), no NUL
// byte, and no ".." component that climbs above the folder.
// The name is read as DecodeFileName reads it.
bool IsConfinedName(std::string_view relative_name);

}  // namespace veyra
