#include "settings/settings_file.h"

#include <cerrno>
#include <filesystem>

#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/folder_names.h"
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
  std::string content;
  const FileStatus read = ReadWholeFile(MapPath(kSettingsFileName), content);
  if (read.ok()) return ParseSettings(content);
  if (read.error != ENOENT) Fail("cannot read", read);
  SaveSettingsFile(kDefaultSettings, traditional_locale);
  return kDefaultSettings;
}

void SaveSettingsFile(const GameSettings& settings, bool traditional_locale) {
  const std::string text = SettingsText(settings, traditional_locale);
  // The existing file's own spelling, so that it is replaced rather than joined by a second file
  // under another letter case.
  const std::filesystem::path target = MapPath(kSettingsFileName);
  std::filesystem::path saving = target;
  saving += ".saving";
  const EntryCreation creation(target);
  FileHandle file(saving, OpenMode::kWriteEmpty);
  if (!file.ok()) Fail("cannot create a temporary file for", file.status());
  FileStatus status = file.WriteAllAt(0, text);
  if (status.ok()) status = file.Sync();
  const FileStatus closed = file.Close();
  if (status.ok()) status = closed;
  if (status.ok()) status = RenameReplacing(saving, target);
  if (!status.ok()) {
    RemoveFile(saving);
    Fail("cannot write", status);
  }
  creation.Confirm();
  SyncFolder(target.parent_path());
}

}  // namespace veyra::settings
