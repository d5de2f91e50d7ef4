#include "settings/settings_file.h"

#include <cerrno>
#include <filesystem>

#include "platform/confined_files.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "updater/records/lines.h"

namespace veyra::settings {
namespace {

constexpr std::string_view kFullScreenLine = "FullScreen";
constexpr std::string_view kWindowScreenLine = "WindowScreen";
constexpr std::string_view kTraditionalLine = "Complexities";
constexpr std::string_view kSimplifiedLine = "Simplified";
constexpr std::string_view kFullMemoryLine = "FullMemory";
constexpr std::string_view kHalfMemoryLine = "HalfMemory";
constexpr std::string_view kShortMemoryLine = "ShortMemory";

// Three lines need far less; a larger file is read only this far.
constexpr size_t kReadBytes = 64 * 1024;

struct SettingsPlace {
  std::string folder;          // the current folder, with a trailing separator
  std::filesystem::path file;  // the file in it, under its existing spelling
};

SettingsPlace Place() {
  SettingsPlace place{Utf8FromPath(std::filesystem::current_path()), {}};
  if (!place.folder.ends_with(kFolderSeparator)) place.folder += kFolderSeparator;
  place.file = MapPath(place.folder + kSettingsFileName);
  return place;
}

[[noreturn]] void Fail(std::string_view step, const FileStatus& status) {
  throw Error(std::string(step) + " " + kSettingsFileName + ": " + status.Describe());
}

}  // namespace

GameSettings ParseSettings(std::string_view text) {
  const LineList lines = SplitLines(text);
  const auto line = [&lines](size_t index) {
    return index < lines.size() ? std::string_view(lines[index]) : std::string_view();
  };
  GameSettings settings;
  settings.display = line(0) == kWindowScreenLine ? DisplayMode::kWindow : DisplayMode::kFullScreen;
  if (line(2) == kFullMemoryLine) {
    settings.memory = MemoryMode::kFullMemory;
  } else if (line(2) == kHalfMemoryLine) {
    settings.memory = MemoryMode::kHalfMemory;
  } else {
    settings.memory = MemoryMode::kShortMemory;
  }
  return settings;
}

std::string SettingsText(const GameSettings& settings, bool traditional_locale) {
  std::string text(settings.display == DisplayMode::kFullScreen ? kFullScreenLine
                                                                : kWindowScreenLine);
  text += "\r\n";
  text += traditional_locale ? kTraditionalLine : kSimplifiedLine;
  text += "\r\n";
  switch (settings.memory) {
    case MemoryMode::kFullMemory:
      text += kFullMemoryLine;
      break;
    case MemoryMode::kHalfMemory:
      text += kHalfMemoryLine;
      break;
    default:
      text += kShortMemoryLine;
      break;
  }
  text += "\r\n";
  return text;
}

GameSettings LoadSettingsFile(bool traditional_locale) {
  const SettingsPlace place = Place();
  std::string content;
  const FileStatus read =
      ReadConfinedFileIn(place.folder, place.file, kReadBytes, content, LargerFile::kReadItsStart);
  if (read.ok()) {
    // A line cut by the bound is no line of the file: only whole lines count.
    if (content.size() == kReadBytes) content.erase(content.find_last_of("\r\n") + 1);
    return ParseSettings(content);
  }
  // A link, a FIFO, a device or a folder in its place holds no settings, and is no file to
  // replace with the default either.
  if (read.error == ELOOP || read.error == EINVAL || read.error == EISDIR) return ParseSettings("");
  if (read.error != ENOENT) Fail("cannot read", read);
  SaveSettingsFile(kDefaultSettings, traditional_locale);
  return kDefaultSettings;
}

void SaveSettingsFile(const GameSettings& settings, bool traditional_locale) {
  const SettingsPlace place = Place();
  // Replaced, never overwritten: a link is not followed, a read-only file stays as it is, and the
  // old file's permission bits carry over.
  const FileStatus written =
      ReplaceConfinedFileIn(place.folder, place.file, SettingsText(settings, traditional_locale),
                            ReplaceFlush::kFileBeforeRename);
  if (!written.ok()) Fail("cannot write", written);
}

}  // namespace veyra::settings
