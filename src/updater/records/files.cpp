#include "updater/records/files.h"

#include <cerrno>
#include <system_error>
#include <vector>

#include "platform/file_io.h"
#include "platform/folder_names.h"
#include "platform/paths.h"
#include "platform/pump.h"

namespace veyra {
namespace {

constexpr int kLoadAttempts = 10;
constexpr int kLoadRetryDelayMs = 100;

// Writes the bytes from offset 0 and sets the size to their length.
FileStatus ReplaceContent(FileHandle& file, std::string_view bytes) {
  if (!file.ok()) return file.status();
  if (FileStatus written = file.WriteAllAt(0, bytes); !written.ok()) return written;
  return file.Truncate(bytes.size());
}

}  // namespace

void MakeFoldersOfMapped(const std::filesystem::path& mapped) {
  // The missing levels, deepest first, then made from the top down, each one on its own so that
  // the kept folder names learn of every level made, also when a deeper one then fails.
  std::vector<std::filesystem::path> missing;
  std::error_code ec;
  for (std::filesystem::path level = mapped.parent_path();
       level.has_relative_path() && !std::filesystem::exists(level, ec);
       level = level.parent_path()) {
    missing.push_back(level);
  }
  for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
    const EntryCreation creation(*level);
    const FileStatus made = MakeFolder(*level);
    if (!made.ok() && made.error != EEXIST) return;
    creation.Confirm();
  }
}

bool MakeFolders(const std::string& path) {
  MakeFoldersOfMapped(MapPath(path));
  return true;
}

void EnsureFile(const std::string& path) {
  const std::filesystem::path mapped = MapPath(path);
  const EntryCreation creation(mapped);
  FileHandle file(mapped, OpenMode::kWrite);
  if (file.ok()) creation.Confirm();
}

FileStatus WriteBufferToFile(const std::string& path, std::string_view bytes) {
  return WriteBufferToMappedFile(MapPath(path), bytes);
}

FileStatus WriteBufferToMappedFile(const std::filesystem::path& mapped, std::string_view bytes) {
  // Creating the file when missing and opening it for writing are one step: one open per file,
  // which counts when thousands of files are installed.
  const EntryCreation creation(mapped);
  FileHandle file(mapped, OpenMode::kReadWrite);
  if (file.ok()) creation.Confirm();
  if (FileStatus replaced = ReplaceContent(file, bytes); !replaced.ok()) return replaced;
  return file.Close();
}

void CreateFileFromBuffer(const std::string& path, std::string_view bytes) {
  const std::filesystem::path mapped = MapPath(path);
  const EntryCreation creation(mapped);
  FileHandle file(mapped, OpenMode::kWriteEmpty);
  if (file.ok()) creation.Confirm();
  // Failures are not reported, but the file is closed here, where its writing ends, like every
  // other written file.
  if (ReplaceContent(file, bytes).ok()) file.Close();
}

bool LoadList(LineList& list, const std::string& path) {
  std::string content;
  if (!ReadWholeFile(MapPath(path), content).ok()) return false;
  list = SplitLines(content);
  return true;
}

bool LoadListRetrying(LineList& list, const std::string& path) {
  for (int attempt = 0; attempt < kLoadAttempts; ++attempt) {
    PumpMessages();
    if (LoadList(list, path)) return true;
    Sleep(kLoadRetryDelayMs);
  }
  return false;
}

std::filesystem::path SavingPathFor(const std::filesystem::path& target) {
  std::filesystem::path saving = target;
  saving += ".saving";
  return saving;
}

FileStatus SaveListText(const LineList& list, const std::string& path) {
  const std::string text = JoinLines(list);
  if (text.empty()) return {};
  // MapPath finds the existing file's own spelling, so the new content replaces that file instead
  // of placing a second one beside it under another letter case.
  const std::filesystem::path target = MapPath(path);
  const std::filesystem::path saving = SavingPathFor(target);
  const EntryCreation creation(target);  // the temporary file comes and goes inside it
  FileHandle file(saving, OpenMode::kWriteEmpty);
  if (!file.ok()) return file.status();
  FileStatus saved = ReplaceContent(file, text);
  if (saved.ok()) saved = file.Sync();
  const FileStatus closed = file.Close();  // a failed close is a failed write
  if (saved.ok()) saved = closed;
  if (saved.ok()) saved = RenameReplacing(saving, target);
  if (!saved.ok()) {
    RemoveFile(saving);
    return saved;
  }
  creation.Confirm();
  SyncFolder(target.parent_path());
  return {};
}

}  // namespace veyra
