#include "platform/folder_names.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace veyra {
namespace {

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : char(c); });
  return lower;
}

// What identifies one state of a folder: another folder at the same path, or any entry added,
// removed or renamed, changes it.
struct FolderStamp {
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{};

  bool operator==(const FolderStamp& other) const {
    return device == other.device && inode == other.inode &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
  }
};

std::optional<FolderStamp> StampOf(const std::filesystem::path& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return std::nullopt;
  return FolderStamp{info.st_dev, info.st_ino, info.st_mtim};
}

// Lower-case name -> the name as the folder lists it (the first one for names equal but for
// case, as a scan in listing order would find).
using NameIndex = std::unordered_map<std::string, std::string>;

struct KeptFolder {
  FolderStamp stamp;
  NameIndex names;
};

struct Cache {
  int scopes = 0;
  std::unordered_map<std::string, KeptFolder> folders;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

// Calls `visit` with each entry name of the folder until it returns true; false when the folder
// cannot be read.
template <typename Visit>
bool ForEachEntry(const std::filesystem::path& folder, Visit visit) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return false;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (visit(name)) break;
  }
  ::closedir(dir);
  return true;
}

std::string ScanFolder(const std::filesystem::path& folder, std::string_view name) {
  const std::string wanted = LowerAscii(name);
  std::string found;
  ForEachEntry(folder, [&](std::string_view entry) {
    if (entry.size() != wanted.size() || LowerAscii(entry) != wanted) return false;
    found = entry;
    return true;
  });
  return found;
}

}  // namespace

FolderNamesScope::FolderNamesScope() {
  ++TheCache().scopes;
}

FolderNamesScope::~FolderNamesScope() {
  Cache& cache = TheCache();
  if (--cache.scopes == 0) cache.folders.clear();
}

std::string FindEntryIgnoringCase(const std::filesystem::path& folder, std::string_view name) {
  Cache& cache = TheCache();
  if (cache.scopes == 0) return ScanFolder(folder, name);

  // The stamp is taken before reading, so a change made while reading shows up next time.
  const std::optional<FolderStamp> stamp = StampOf(folder);
  if (!stamp) return {};
  KeptFolder& kept = cache.folders[folder.string()];
  if (!(kept.stamp == *stamp)) {
    kept.names.clear();
    const bool read = ForEachEntry(folder, [&](std::string_view entry) {
      kept.names.try_emplace(LowerAscii(entry), entry);
      return false;
    });
    if (!read) {
      cache.folders.erase(folder.string());
      return {};
    }
    kept.stamp = *stamp;
  }
  const auto found = kept.names.find(LowerAscii(name));
  return found == kept.names.end() ? std::string() : found->second;
}

void NoteCreatedEntry(const std::filesystem::path& path) {
  Cache& cache = TheCache();
  if (cache.scopes == 0) return;
  const auto kept = cache.folders.find(path.parent_path().string());
  if (kept == cache.folders.end()) return;
  // A name already kept was only written to: the folder did not change, and taking its stamp
  // now could hide a change somebody else made meanwhile.
  const std::string name = path.filename().string();
  if (!kept->second.names.try_emplace(LowerAscii(name), name).second) return;
  const std::optional<FolderStamp> stamp = StampOf(path.parent_path());
  if (stamp) {
    kept->second.stamp = *stamp;
  } else {
    cache.folders.erase(kept);
  }
}

}  // namespace veyra
