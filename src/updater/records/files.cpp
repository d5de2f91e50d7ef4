#include "updater/records/files.h"

#include "platform/confined_files.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/pump.h"

namespace veyra {
namespace {

constexpr int kLoadAttempts = 10;
constexpr int kLoadRetryDelayMs = 100;

}  // namespace

void MakeFoldersOfMapped(const std::filesystem::path& mapped) {
  MakeConfinedFoldersFor(mapped);
}

bool MakeFolders(const std::string& path) {
  MakeFoldersOfMapped(MapPath(path));
  return true;
}

void EnsureFile(const std::string& path) {
  CreateConfinedFileIfMissing(MapPath(path));
}

FileStatus WriteBufferToFile(const std::string& path, std::string_view bytes) {
  return WriteBufferToMappedFile(MapPath(path), bytes);
}

FileStatus WriteBufferToMappedFile(const std::filesystem::path& mapped, std::string_view bytes) {
  return ReplaceConfinedFile(mapped, bytes);
}

void CreateFileFromBuffer(const std::string& path, std::string_view bytes) {
  WriteBufferToMappedFile(MapPath(path), bytes);
}

bool LoadList(LineList& list, const std::string& path, std::uint64_t max_bytes) {
  std::string content;
  if (!ReadConfinedFile(MapPath(path), max_bytes, content).ok()) return false;
  list = SplitLines(content);
  return true;
}

bool LoadListRetrying(LineList& list, const std::string& path, std::uint64_t max_bytes) {
  for (int attempt = 0; attempt < kLoadAttempts; ++attempt) {
    PumpMessages();
    if (LoadList(list, path, max_bytes)) return true;
    Sleep(kLoadRetryDelayMs);
  }
  return false;
}

FileStatus SaveListText(const LineList& list, const std::string& path) {
  const std::string text = JoinLines(list);
  if (text.empty()) return {};
  // MapPath finds the existing file's own spelling, so the new content replaces that file instead
  // of placing a second one beside it under another letter case.
  const std::filesystem::path target = MapPath(path);
  // One flush of the whole file system covers every file written before the list, far cheaper
  // than one per file. After a large update it takes a noticeable time: it runs on a helper
  // thread while the windows' messages run.
  FileStatus flushed;
  RunWhilePumping([&flushed, folder = target.parent_path()] { flushed = SyncFileSystem(folder); });
  if (!flushed.ok()) return flushed;
  return ReplaceConfinedFile(target, text, ReplaceFlush::kFileBeforeRename);
}

}  // namespace veyra
