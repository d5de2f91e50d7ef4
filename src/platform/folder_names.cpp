#include "platform/folder_names.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <unordered_map>
#include <utility>

namespace veyra {
namespace {

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : char(c); });
  return lower;
}

// What identifies one state of a folder: another folder at the same path, or an entry added,
// removed or renamed in a later tick of the file system's clock, changes it.
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
// cannot be read, also part of the way through.
template <typename Visit>
bool ForEachEntry(const std::filesystem::path& folder, Visit visit) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return false;
  bool complete = true;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      complete = errno == 0;
      break;
    }
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (visit(name)) break;
  }
  ::closedir(dir);
  return complete;
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

  // The stamp is taken before reading, so a change made while reading (in a later tick) shows up
  // next time.
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

EntryCreation::EntryCreation(std::filesystem::path path) : path_(std::move(path)) {
  Cache& cache = TheCache();
  if (cache.scopes == 0) return;
  const auto kept = cache.folders.find(path_.parent_path().string());
  if (kept == cache.folders.end()) return;
  const std::optional<FolderStamp> stamp = StampOf(path_.parent_path());
  folder_was_current_ = stamp && kept->second.stamp == *stamp;
}

void EntryCreation::Confirm() const {
  Cache& cache = TheCache();
  if (!folder_was_current_ || cache.scopes == 0) return;
  const auto kept = cache.folders.find(path_.parent_path().string());
  if (kept == cache.folders.end()) return;
  const std::optional<FolderStamp> stamp = StampOf(path_.parent_path());
  if (!stamp) {
    cache.folders.erase(kept);
    return;
  }
  const std::string name = path_.filename().string();
  kept->second.names.try_emplace(LowerAscii(name), name);
  kept->second.stamp = *stamp;
}

}  // namespace veyra
