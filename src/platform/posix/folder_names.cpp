#include "platform/folder_names.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <unordered_map>
#include <utility>

#include "platform/ascii_case.h"

namespace veyra {
namespace {

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

// The kept names of a folder, or null outside a scope or when the folder was not read.
KeptFolder* KeptFolderOf(const std::filesystem::path& folder) {
  Cache& cache = TheCache();
  if (cache.scopes == 0) return nullptr;
  const auto kept = cache.folders.find(folder.string());
  return kept == cache.folders.end() ? nullptr : &kept->second;
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
  std::string found;
  ForEachEntry(folder, [&](std::string_view entry) {
    if (!EqualsIgnoringAsciiCase(entry, name)) return false;
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
      kept.names.try_emplace(AsciiLowered(entry), entry);
      return false;
    });
    if (!read) {
      cache.folders.erase(folder.string());
      return {};
    }
    kept.stamp = *stamp;
  }
  const auto found = kept.names.find(AsciiLowered(name));
  return found == kept.names.end() ? std::string() : found->second;
}

EntryCreation::EntryCreation(std::filesystem::path path) : path_(std::move(path)) {
  const KeptFolder* kept = KeptFolderOf(path_.parent_path());
  if (kept == nullptr) return;
  const std::optional<FolderStamp> stamp = StampOf(path_.parent_path());
  folder_was_current_ = stamp && kept->stamp == *stamp;
}

void EntryCreation::Confirm() const {
  KeptFolder* kept = folder_was_current_ ? KeptFolderOf(path_.parent_path()) : nullptr;
  if (kept == nullptr) return;
  const std::optional<FolderStamp> stamp = StampOf(path_.parent_path());
  if (!stamp) {
    TheCache().folders.erase(path_.parent_path().string());
    return;
  }
  const std::string name = path_.filename().string();
  kept->names.try_emplace(AsciiLowered(name), name);
  kept->stamp = *stamp;
}

}  // namespace veyra
