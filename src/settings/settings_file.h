#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The game's settings file "sinfo.txt": three lines, each ended by CR LF, that the game reads at
// its start. This program writes it and reads it back only to show the choices again.
namespace veyra::settings {

enum class DisplayMode { kFullScreen, kWindow };

// The memory choice, numbered as the game's settings window keeps it.
enum class MemoryMode : std::uint8_t { kFullMemory = 0, kHalfMemory = 1, kShortMemory = 2 };

struct GameSettings {
  DisplayMode display = DisplayMode::kWindow;
  MemoryMode memory = MemoryMode::kFullMemory;
  bool operator==(const GameSettings&) const = default;
};

// The file, relative to the current folder. The game writes the name "Sinfo.txt"; the names are
// matched ignoring letter case, so both name one file.
inline constexpr const char* kSettingsFileName = "sinfo.txt";

// What a missing file stands for, and what is written in its place.
inline constexpr GameSettings kDefaultSettings{DisplayMode::kWindow, MemoryMode::kFullMemory};

// The settings a file's text holds. Only lines 1 and 3 count: line 1 "WindowScreen" is window
// mode, anything else full screen; line 3 "FullMemory" or "HalfMemory" are theirs, anything else
// short memory. The comparisons are exact (letter case, no trimming); a missing line reads as
// empty. Lines end at CR LF, CR or LF.
GameSettings ParseSettings(std::string_view text);

// The file's text for `settings`: the display line, the script line ("Complexities" on a
// Traditional-Chinese system, else "Simplified"; the game's texts follow the system, never a
// choice of the player) and the memory line, each followed by CR LF.
std::string SettingsText(const GameSettings& settings, bool traditional_locale);

// Reads the settings file without ever waiting and without following a link, and only as far as
// its first 64 KiB; when there is none, writes it with kDefaultSettings (SaveSettingsFile) and
// returns those. A link, FIFO, device or folder in its place reads as empty lines and is left
// alone. Throws veyra::Error when the file exists but cannot be read, or the default cannot be
// written.
GameSettings LoadSettingsFile(bool traditional_locale);

// Replaces the settings file with SettingsText(settings, traditional_locale) through the confined
// replacement of the game folder's files: a temporary file under a unique name beside it takes
// the file's name in one step, so a failed write leaves the old file whole; the old file's
// permission bits stay. Nothing is written through a link, nor over anything but a regular file
// the player lets us write (a read-only file stays as it is). Throws veyra::Error naming the
// failed step.
void SaveSettingsFile(const GameSettings& settings, bool traditional_locale);

}  // namespace veyra::settings
