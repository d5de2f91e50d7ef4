#include "platform/confined_files.h"

#include <windows.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "platform/folder_names.h"
#include "platform/paths.h"
#include "platform/windows/error_number.h"
#include "platform/windows/file_sharing.h"

// Windows has no openat: each level below the program folder is looked at before it is used, and
// a reparse point (a symbolic link or a junction) at any level is refused. Creating links there
// takes rights a player's programs do not have by default, so the look-then-use gap is narrow.
namespace veyra {
namespace {

constexpr int kTemporaryNameAttempts = 100;
constexpr int kLeftoverSearchDepth = 64;
// Attributes a replaced file keeps (read-only files are refused before).
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

FileStatus LastError() {
  return FileStatus{LastErrorAsErrno()};
}

bool IsFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
bool IsLink(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The levels of `path` below `root_text`, each a full path; EXDEV when the path is not below it.
FileStatus LevelsBelow(const std::string& root_text, const std::filesystem::path& path,
                       std::vector<std::filesystem::path>& levels) {
  const std::filesystem::path root = PathFromUtf8(root_text).lexically_normal();
  const std::filesystem::path relative = path.lexically_normal().lexically_relative(root);
  if (relative.empty() || relative.is_absolute()) return FileStatus{EXDEV};
  std::filesystem::path level = root;
  for (const std::filesystem::path& part : relative) {
    if (part.empty() || part == "." || part == "..") return FileStatus{EXDEV};
    level /= part;
    levels.push_back(level);
  }
  return levels.empty() ? FileStatus{EXDEV} : FileStatus{};
}

// Checks every existing level: a link is refused (ELOOP), and so is a file where a folder must
// be. `last` holds the attributes of the final level, INVALID_FILE_ATTRIBUTES when it is missing.
FileStatus CheckLevels(const std::vector<std::filesystem::path>& levels, DWORD& last) {
  last = INVALID_FILE_ATTRIBUTES;
  for (size_t i = 0; i < levels.size(); ++i) {
    const DWORD attributes = GetFileAttributesW(levels[i].c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
      return FileStatus{ErrnoFromWindowsError(error)};
    }
    if (IsLink(attributes)) return FileStatus{ELOOP};
    if (i + 1 < levels.size() && !IsFolder(attributes)) return FileStatus{ENOTDIR};
    if (i + 1 == levels.size()) last = attributes;
  }
  return {};
}

FileStatus CheckedLevels(const std::string& root, const std::filesystem::path& path,
                         std::vector<std::filesystem::path>& levels, DWORD& last) {
  if (FileStatus below = LevelsBelow(root, path, levels); !below.ok()) return below;
  return CheckLevels(levels, last);
}

// A new file beside `target` under a name no other replacement uses: this process's id and a
// counter, and CREATE_NEW for a name left by an earlier process with the same id.
FileStatus CreateTemporaryFile(const std::filesystem::path& target,
                               std::filesystem::path& temporary, HANDLE& file) {
  static unsigned counter = 0;
  static const std::wstring prefix =
      std::wstring(kTemporaryFilePrefix.begin(), kTemporaryFilePrefix.end()) +
      std::to_wstring(GetCurrentProcessId());
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    temporary = target.parent_path() / (prefix + L"-" + std::to_wstring(++counter));
    file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return {};
    if (GetLastError() != ERROR_FILE_EXISTS) return LastError();
  }
  return FileStatus{EEXIST};
}

void RemoveLeftoversIn(const std::filesystem::path& folder, int depth) {
  WIN32_FIND_DATAW entry{};
  const HANDLE search = FindFirstFileW((folder / L"*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::filesystem::path> subfolders;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L".." || IsLink(entry.dwFileAttributes)) continue;
    if (IsFolder(entry.dwFileAttributes)) {
      subfolders.push_back(folder / name);
    } else if (IsTemporaryFileName(Utf8FromPath(name))) {
      DeleteFileW((folder / name).c_str());
    }
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  if (depth >= kLeftoverSearchDepth) return;
  for (const std::filesystem::path& subfolder : subfolders) RemoveLeftoversIn(subfolder, depth + 1);
}

}  // namespace

FileStatus ReadConfinedFile(const std::filesystem::path& path, std::uint64_t max_bytes,
                            std::string& content) {
  return ReadConfinedFileIn(ProgramFolder(), path, max_bytes, content, LargerFile::kRefuse);
}

FileStatus ReadConfinedFileIn(const std::string& root, const std::filesystem::path& path,
                              std::uint64_t max_bytes, std::string& content, LargerFile larger) {
  std::vector<std::filesystem::path> levels;
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  if (FileStatus checked = CheckedLevels(root, path, levels, attributes); !checked.ok()) {
    return checked;
  }
  if (attributes == INVALID_FILE_ATTRIBUTES) return FileStatus{ENOENT};
  if (IsFolder(attributes)) return FileStatus{EISDIR};
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, kShareEverything, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  FileHandle file(reinterpret_cast<std::intptr_t>(handle));
  if (GetFileType(handle) != FILE_TYPE_DISK) return FileStatus{EINVAL};
  std::uint64_t size = 0;
  if (FileStatus sized = file.Size(size); !sized.ok()) return sized;
  if (size > max_bytes) {
    if (larger == LargerFile::kRefuse) return FileStatus{EFBIG};
    return file.ReadStart(static_cast<std::size_t>(max_bytes), content);
  }
  return file.ReadAll(content, max_bytes);
}

FileStatus ReplaceConfinedFile(const std::filesystem::path& path, std::string_view bytes,
                               ReplaceFlush flush) {
  return ReplaceConfinedFileIn(ProgramFolder(), path, bytes, flush);
}

FileStatus ReplaceConfinedFileIn(const std::string& root, const std::filesystem::path& path,
                                 std::string_view bytes, ReplaceFlush flush) {
  ConfinedReplacement replacement(root, path);
  replacement.Append(bytes);
  return replacement.Commit(flush);
}

struct ConfinedReplacement::State {
  std::filesystem::path path;
  DWORD old = INVALID_FILE_ATTRIBUTES;
  std::filesystem::path temporary;  // empty once renamed or removed
  std::optional<FileHandle> file;
  std::uint64_t written = 0;
};

ConfinedReplacement::ConfinedReplacement(const std::string& root, const std::filesystem::path& path)
    : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.path = path;
  std::vector<std::filesystem::path> levels;
  status_ = CheckedLevels(root, path, levels, s.old);
  if (!status_.ok()) return;
  if (s.old != INVALID_FILE_ATTRIBUTES) {
    if (IsFolder(s.old)) status_ = FileStatus{EISDIR};
    // A file the player made read-only stays unwritten.
    if ((s.old & FILE_ATTRIBUTE_READONLY) != 0) status_ = FileStatus{EACCES};
    if (!status_.ok()) return;
  }
  HANDLE handle = INVALID_HANDLE_VALUE;
  status_ = CreateTemporaryFile(path, s.temporary, handle);
  if (!status_.ok()) {
    s.temporary.clear();
    return;
  }
  s.file.emplace(reinterpret_cast<std::intptr_t>(handle));
}

ConfinedReplacement::~ConfinedReplacement() {
  if (!state_->temporary.empty()) {
    state_->file.reset();
    DeleteFileW(state_->temporary.c_str());
  }
}

FileStatus ConfinedReplacement::Append(std::string_view bytes) {
  if (!status_.ok()) return status_;
  status_ = state_->file->WriteAllAt(state_->written, bytes);
  state_->written += bytes.size();
  return status_;
}

FileStatus ConfinedReplacement::Commit(ReplaceFlush flush) {
  if (!status_.ok()) return status_;
  State& s = *state_;
  if (flush == ReplaceFlush::kFileBeforeRename) status_ = s.file->Sync();
  const FileStatus closed = s.file->Close();
  if (status_.ok()) status_ = closed;
  if (status_.ok() && !MoveFileExW(s.temporary.c_str(), s.path.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    status_ = LastError();
  }
  if (!status_.ok()) return status_;
  s.temporary.clear();
  if (s.old != INVALID_FILE_ATTRIBUTES && (s.old & kKeptAttributes) != 0) {
    SetFileAttributesW(s.path.c_str(), s.old & kKeptAttributes);
  }
  return status_;
}

FileStatus AppendConfinedFile(const std::filesystem::path& path, std::string_view bytes) {
  std::vector<std::filesystem::path> levels;
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  if (FileStatus checked = CheckedLevels(ProgramFolder(), path, levels, attributes);
      !checked.ok()) {
    return checked;
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && IsFolder(attributes)) return FileStatus{EISDIR};
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, kShareEverything, nullptr,
                                    OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  FileHandle file(reinterpret_cast<std::intptr_t>(handle));
  if (GetFileType(handle) != FILE_TYPE_DISK) return FileStatus{EINVAL};
  std::uint64_t size = 0;
  if (FileStatus sized = file.Size(size); !sized.ok()) return sized;
  if (FileStatus written = file.WriteAllAt(size, bytes); !written.ok()) return written;
  return file.Close();
}

FileStatus CreateConfinedFileIfMissing(const std::filesystem::path& path) {
  std::vector<std::filesystem::path> levels;
  if (FileStatus below = LevelsBelow(ProgramFolder(), path, levels); !below.ok()) return below;
  levels.pop_back();  // whatever stands under the name itself, a link too, is left as it is
  DWORD folder = INVALID_FILE_ATTRIBUTES;
  if (FileStatus checked = CheckLevels(levels, folder); !checked.ok()) return checked;
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return {};
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, kShareEverything, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_FILE_EXISTS ? FileStatus{} : LastError();
  }
  return FileHandle(reinterpret_cast<std::intptr_t>(handle)).Close();
}

FileStatus MakeConfinedFoldersFor(const std::filesystem::path& path) {
  std::vector<std::filesystem::path> levels;
  if (FileStatus below = LevelsBelow(ProgramFolder(), path, levels); !below.ok()) return below;
  levels.pop_back();  // the file itself
  for (const std::filesystem::path& level : levels) {
    const DWORD attributes = GetFileAttributesW(level.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      if (!CreateDirectoryW(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return LastError();
      }
      continue;
    }
    if (IsLink(attributes)) return FileStatus{ELOOP};
    if (!IsFolder(attributes)) return FileStatus{ENOTDIR};
  }
  return {};
}

void SetConfinedResolverWalks(bool) {}

void RemoveLeftoverTemporaryFiles() {
  RemoveLeftoversIn(PathFromUtf8(ProgramFolder()), 0);
}

}  // namespace veyra
