#include "platform/confined_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/file_io.h"
#include "platform/folder_names.h"
#include "platform/paths.h"

namespace veyra {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kTemporaryNameAttempts = 100;
constexpr int kLeftoverSearchDepth = 64;
// Pieces of a replacement at least this large are written out to the disk as they come.
constexpr std::size_t kStartWritingOutFrom = std::size_t{1} << 20;

FileStatus LastError() {
  return FileStatus{errno != 0 ? errno : EIO};
}

// An open descriptor, closed when the object goes away.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// Opens one folder below `at`; a link in its place fails (ELOOP), as does anything not a folder.
FileStatus OpenFolderAt(int at, const char* name, Descriptor& folder) {
  errno = 0;
  const int fd = ::openat(at, name, kFolderFlags);
  if (fd < 0) return LastError();
  folder = Descriptor(fd);
  return {};
}

FileStatus OpenRoot(const std::string& root, Descriptor& folder) {
  // The root (the program folder) is where the player installed the game: its own path is
  // trusted.
  errno = 0;
  const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return LastError();
  folder = Descriptor(fd);
  return {};
}

// The components of `path` below `root`; EXDEV when it is not below it.
FileStatus ComponentsBelow(const std::string& root, const std::filesystem::path& path,
                           std::vector<std::string>& parts) {
  const std::string text = path.string();
  if (root.size() < 2 || text.size() <= root.size() || !text.starts_with(root)) {
    return FileStatus{EXDEV};
  }
  // A name ending in a separator names a folder, never a file to read or write.
  if (text.back() == '/') return FileStatus{EISDIR};
  size_t pos = root.size();
  while (pos <= text.size()) {
    size_t slash = text.find('/', pos);
    if (slash == std::string::npos) slash = text.size();
    std::string part = text.substr(pos, slash - pos);
    pos = slash + 1;
    if (part.empty()) continue;
    if (part == "." || part == "..") return FileStatus{EXDEV};
    parts.push_back(std::move(part));
  }
  return parts.empty() ? FileStatus{EXDEV} : FileStatus{};
}

// Whether openat2 is tried: until the kernel or a sandbox refuses it, or a test asks for the walk.
bool& Openat2Works() {
  static bool works = true;
  return works;
}

// Opens the folder `relative` (components joined by '/') below `root` in one call where the
// kernel offers openat2: no link anywhere on the way, nothing above `root`. Anywhere else, or
// when a sandbox refuses the call, the folders are opened one at a time.
FileStatus OpenFolderBeneath(int root, const std::vector<std::string>& parts, size_t count,
                             Descriptor& folder) {
  bool& openat2_works = Openat2Works();
  if (openat2_works) {
    std::string relative;
    for (size_t i = 0; i < count; ++i) relative += (i == 0 ? "" : "/") + parts[i];
    open_how how{};
    how.flags = static_cast<std::uint64_t>(kFolderFlags);
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS;
    errno = 0;
    const long fd = ::syscall(SYS_openat2, root, relative.c_str(), &how, sizeof how);
    if (fd >= 0) {
      folder = Descriptor(static_cast<int>(fd));
      return {};
    }
    if (errno != ENOSYS && errno != EPERM) return LastError();
    openat2_works = false;
  }
  Descriptor current(::dup(root));
  if (current.get() < 0) return LastError();
  for (size_t i = 0; i < count; ++i) {
    Descriptor next;
    if (FileStatus opened = OpenFolderAt(current.get(), parts[i].c_str(), next); !opened.ok()) {
      return opened;
    }
    current = std::move(next);
  }
  folder = std::move(current);
  return {};
}

// Opens, one level at a time, the first `count` folders of `parts` below `root`, making each
// one that is missing.
FileStatus OpenOrMakeFolders(const std::string& root_path, int root,
                             const std::vector<std::string>& parts, size_t count,
                             Descriptor& folder) {
  Descriptor current(::dup(root));
  if (current.get() < 0) return LastError();
  std::filesystem::path level = root_path;
  for (size_t i = 0; i < count; ++i) {
    level /= parts[i];
    Descriptor next;
    FileStatus opened = OpenFolderAt(current.get(), parts[i].c_str(), next);
    if (opened.error == ENOENT) {
      const EntryCreation creation(level);
      errno = 0;
      if (::mkdirat(current.get(), parts[i].c_str(), 0777) == 0) {
        creation.Confirm();
      } else if (errno != EEXIST) {
        return LastError();
      }
      opened = OpenFolderAt(current.get(), parts[i].c_str(), next);
    }
    if (!opened.ok()) return opened;
    current = std::move(next);
  }
  folder = std::move(current);
  return {};
}

// Opens the folder that holds the last component of `path` (put in `name`) below `root_path`;
// with `create`, missing folders are made on the way.
FileStatus OpenHoldingFolder(const std::string& root_path, const std::filesystem::path& path,
                             bool create, Descriptor& folder, std::string& name) {
  std::vector<std::string> parts;
  if (FileStatus below = ComponentsBelow(root_path, path, parts); !below.ok()) return below;
  Descriptor root;
  if (FileStatus opened = OpenRoot(root_path, root); !opened.ok()) return opened;
  name = parts.back();
  const size_t depth = parts.size() - 1;
  if (depth == 0) {
    folder = std::move(root);
    return {};
  }
  return create ? OpenOrMakeFolders(root_path, root.get(), parts, depth, folder)
                : OpenFolderBeneath(root.get(), parts, depth, folder);
}

// Creates a new file under a name no other replacement uses: this process's id and a counter,
// and O_EXCL for a name left by an earlier process with the same id.
FileStatus CreateTemporaryFile(int folder, std::string& name, Descriptor& file) {
  static unsigned counter = 0;
  static const std::string prefix = std::string(kTemporaryFilePrefix) + std::to_string(::getpid());
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    name = prefix + "-" + std::to_string(++counter);
    errno = 0;
    const int fd =
        ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      file = Descriptor(fd);
      return {};
    }
    if (errno != EEXIST) return LastError();
  }
  return FileStatus{EEXIST};
}

// Refuses to replace what is not a regular file the player lets us write. `exists` tells
// whether anything stands under the name; `old` then holds its status.
FileStatus CheckReplaceable(int folder, const std::string& name, struct stat& old, bool& exists) {
  errno = 0;
  exists = ::fstatat(folder, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
  if (!exists) return errno == ENOENT ? FileStatus{} : LastError();
  if (S_ISLNK(old.st_mode)) return FileStatus{ELOOP};
  if (S_ISDIR(old.st_mode)) return FileStatus{EISDIR};
  if (!S_ISREG(old.st_mode)) return FileStatus{EINVAL};
  // A file the player made read-only stays unwritten, even for a program allowed to replace it:
  // no write bit at all, or none that applies to us.
  if ((old.st_mode & 0222) == 0 || ::faccessat(folder, name.c_str(), W_OK, AT_EACCESS) != 0) {
    return FileStatus{EACCES};
  }
  return {};
}

// Gives the new file the old one's owner (where we may) and permission bits.
FileStatus TakeOwnerAndMode(int fd, const struct stat& old) {
  // The owner first: changing it clears set-id bits that the mode then restores. Only a
  // privileged program may give a file away; without that the mode still carries over.
  [[maybe_unused]] const int chowned = ::fchown(fd, old.st_uid, old.st_gid);
  errno = 0;
  if (::fchmod(fd, old.st_mode & 07777) != 0) return LastError();
  return {};
}

// Collects the temporary files and the subfolders of one folder (links are neither).
void ListLeftovers(int folder, std::vector<std::string>& leftovers,
                   std::vector<std::string>& subfolders) {
  const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return;
  DIR* dir = ::fdopendir(listing);
  if (dir == nullptr) {
    ::close(listing);
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (IsTemporaryFileName(name)) {
      leftovers.emplace_back(name);
    } else if (entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN) {
      subfolders.emplace_back(name);  // DT_UNKNOWN: opening it as a folder decides
    }
  }
  ::closedir(dir);
}

void RemoveLeftoversIn(int folder, int depth) {
  std::vector<std::string> leftovers;
  std::vector<std::string> subfolders;
  ListLeftovers(folder, leftovers, subfolders);
  for (const std::string& name : leftovers) ::unlinkat(folder, name.c_str(), 0);
  if (depth >= kLeftoverSearchDepth) return;
  for (const std::string& name : subfolders) {
    Descriptor subfolder;
    if (OpenFolderAt(folder, name.c_str(), subfolder).ok()) {
      RemoveLeftoversIn(subfolder.get(), depth + 1);
    }
  }
}

}  // namespace

FileStatus ReadConfinedFileIn(const std::string& root, const std::filesystem::path& path,
                              std::uint64_t max_bytes, std::string& content, LargerFile larger) {
  Descriptor folder;
  std::string name;
  if (FileStatus opened = OpenHoldingFolder(root, path, false, folder, name); !opened.ok()) {
    return opened;
  }
  // Without O_NONBLOCK a FIFO would wait for a writer forever right here.
  errno = 0;
  const int fd =
      ::openat(folder.get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return LastError();
  FileHandle file(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0) return LastError();
  if (!S_ISREG(info.st_mode)) return FileStatus{S_ISDIR(info.st_mode) ? EISDIR : EINVAL};
  if (static_cast<std::uint64_t>(info.st_size) > max_bytes) {
    if (larger == LargerFile::kRefuse) return FileStatus{EFBIG};
    return file.ReadStart(static_cast<std::size_t>(max_bytes), content);
  }
  return file.ReadAll(content, max_bytes);
}

FileStatus ReadConfinedFile(const std::filesystem::path& path, std::uint64_t max_bytes,
                            std::string& content) {
  return ReadConfinedFileIn(ProgramFolder(), path, max_bytes, content, LargerFile::kRefuse);
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
  explicit State(const std::filesystem::path& path) : creation(path) {}
  Descriptor folder;
  std::string name;
  std::string temporary;  // empty once renamed or removed
  std::optional<FileHandle> file;
  std::uint64_t written = 0;
  const EntryCreation creation;  // the temporary file comes and goes inside it
};

ConfinedReplacement::ConfinedReplacement(const std::string& root, const std::filesystem::path& path)
    : state_(std::make_unique<State>(path)) {
  State& s = *state_;
  status_ = OpenHoldingFolder(root, path, false, s.folder, s.name);
  if (!status_.ok()) return;
  struct stat old {};
  bool exists = false;
  status_ = CheckReplaceable(s.folder.get(), s.name, old, exists);
  if (!status_.ok()) return;
  Descriptor file;
  status_ = CreateTemporaryFile(s.folder.get(), s.temporary, file);
  if (!status_.ok()) {
    s.temporary.clear();
    return;
  }
  if (exists) status_ = TakeOwnerAndMode(file.get(), old);
  s.file.emplace(file.release());
}

ConfinedReplacement::~ConfinedReplacement() {
  if (!state_->temporary.empty()) {
    state_->file.reset();
    ::unlinkat(state_->folder.get(), state_->temporary.c_str(), 0);
  }
}

FileStatus ConfinedReplacement::Append(std::string_view bytes) {
  if (!status_.ok()) return status_;
  status_ = state_->file->WriteAllAt(state_->written, bytes);
  if (status_.ok() && bytes.size() >= kStartWritingOutFrom) {
    // Sent on to the disk now, while more is coming: replacing a file by a rename makes the
    // file system write out all that is still waiting, and the commit would wait for it.
    ::sync_file_range(static_cast<int>(state_->file->system_handle()),
                      static_cast<off_t>(state_->written), static_cast<off_t>(bytes.size()),
                      SYNC_FILE_RANGE_WRITE);
  }
  state_->written += bytes.size();
  return status_;
}

FileStatus ConfinedReplacement::Commit(ReplaceFlush flush) {
  if (!status_.ok()) return status_;
  State& s = *state_;
  if (flush == ReplaceFlush::kFileBeforeRename) status_ = s.file->Sync();
  if (status_.ok()) status_ = s.file->Close();
  if (status_.ok()) {
    errno = 0;
    if (::renameat(s.folder.get(), s.temporary.c_str(), s.folder.get(), s.name.c_str()) != 0) {
      status_ = LastError();
    }
  }
  if (!status_.ok()) return status_;
  s.temporary.clear();
  s.creation.Confirm();
  if (flush == ReplaceFlush::kFileBeforeRename) {
    errno = 0;
    if (::fsync(s.folder.get()) != 0) status_ = LastError();  // the rename itself
  }
  return status_;
}

namespace {

// Opens the entry `path` names in its folder below the program folder with `flags`, never
// through a link; an entry the call creates is made known to the folder names read for the pass.
FileStatus OpenEntry(const std::filesystem::path& path, int flags, int& fd) {
  Descriptor folder;
  std::string name;
  if (FileStatus opened = OpenHoldingFolder(ProgramFolder(), path, false, folder, name);
      !opened.ok()) {
    return opened;
  }
  const EntryCreation creation(path);
  errno = 0;
  fd = ::openat(folder.get(), name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return LastError();
  creation.Confirm();
  return {};
}

}  // namespace

FileStatus AppendConfinedFile(const std::filesystem::path& path, std::string_view bytes) {
  int fd = -1;
  if (FileStatus opened = OpenEntry(path, O_WRONLY | O_CREAT | O_NONBLOCK, fd); !opened.ok()) {
    return opened;
  }
  FileHandle file(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0) return LastError();
  if (!S_ISREG(info.st_mode)) return FileStatus{EINVAL};
  if (FileStatus written = file.WriteAllAt(static_cast<std::uint64_t>(info.st_size), bytes);
      !written.ok()) {
    return written;
  }
  return file.Close();
}

FileStatus CreateConfinedFileIfMissing(const std::filesystem::path& path) {
  int fd = -1;
  const FileStatus opened = OpenEntry(path, O_WRONLY | O_CREAT | O_EXCL, fd);
  if (opened.error == EEXIST) return {};
  if (!opened.ok()) return opened;
  return FileHandle(fd).Close();
}

FileStatus MakeConfinedFoldersFor(const std::filesystem::path& path) {
  // Most files go into folders that exist already: one look settles that. Wherever a link there
  // leads, nothing is made through it, and the file's own write refuses it.
  struct stat info {};
  if (::stat(path.parent_path().c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return {};
  Descriptor folder;
  std::string name;
  return OpenHoldingFolder(ProgramFolder(), path, true, folder, name);
}

void SetConfinedResolverWalks(bool walk) {
  Openat2Works() = !walk;
}

void RemoveLeftoverTemporaryFiles() {
  Descriptor root;
  if (OpenRoot(ProgramFolder(), root).ok()) RemoveLeftoversIn(root.get(), 0);
}

}  // namespace veyra
