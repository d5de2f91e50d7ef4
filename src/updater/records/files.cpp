#include "updater/records/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/folder_names.h"
#include "platform/paths.h"
#include "platform/pump.h"

namespace veyra {
namespace {

constexpr int kLoadAttempts = 10;
constexpr int kLoadRetryDelayMs = 100;

// Files are handed to the kernel in pieces of this size, each copied first through one small
// block that stays in use. Measured over a 200 MB install: one call for a whole file of several
// MiB copied into the page cache at half the speed of pieces, and the kernel read pieces straight
// from a large block the program filled earlier two to ten times slower than from the small block
// it reads again and again (the extra copy costs a fraction of that). Pieces between 128 KiB and
// 512 KiB all did equally well.
constexpr size_t kWritePiece = 256 * 1024;

// Owns a POSIX file descriptor; Close() reports whether closing succeeded.
class FileHandle {
 public:
  FileHandle(const std::filesystem::path& path, int flags)
      : fd_(::open(path.c_str(), flags | O_CLOEXEC, 0666)) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAllAt(int fd, std::string_view bytes) {
  static thread_local const std::unique_ptr<char[]> staging(new char[kWritePiece]);
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t piece = std::min(bytes.size() - done, kWritePiece);
    std::memcpy(staging.get(), bytes.data() + done, piece);
    const ssize_t n = ::pwrite(fd, staging.get(), piece, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writes the bytes from offset 0 and sets the size to their length.
bool ReplaceContent(FileHandle& file, std::string_view bytes) {
  if (!file.ok()) return false;
  if (!WriteAllAt(file.fd(), bytes)) return false;
  if (::ftruncate(file.fd(), static_cast<off_t>(bytes.size())) != 0) return false;
  return true;
}

bool ReadAll(const std::filesystem::path& path, std::string& content) {
  FileHandle file(path, O_RDONLY);
  if (!file.ok()) return false;
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(file.fd(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  content = std::move(text);
  return true;
}

void SyncFolder(const std::filesystem::path& folder) {
  FileHandle dir(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY);
  if (dir.ok()) ::fsync(dir.fd());
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
    if (::mkdir(level->c_str(), 0777) != 0 && errno != EEXIST) return;
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
  FileHandle file(mapped, O_WRONLY | O_CREAT);
  if (file.ok()) creation.Confirm();
}

bool WriteBufferToFile(const std::string& path, std::string_view bytes) {
  return WriteBufferToMappedFile(MapPath(path), bytes);
}

bool WriteBufferToMappedFile(const std::filesystem::path& mapped, std::string_view bytes) {
  // Creating the file when missing and opening it for writing are one step: one open per file,
  // which counts when thousands of files are installed.
  const EntryCreation creation(mapped);
  FileHandle file(mapped, O_RDWR | O_CREAT);
  if (file.ok()) creation.Confirm();
  if (!ReplaceContent(file, bytes)) return false;
  return file.Close();
}

void CreateFileFromBuffer(const std::string& path, std::string_view bytes) {
  const std::filesystem::path mapped = MapPath(path);
  const EntryCreation creation(mapped);
  FileHandle file(mapped, O_WRONLY | O_CREAT | O_TRUNC);
  if (file.ok()) creation.Confirm();
  ReplaceContent(file, bytes);
}

bool LoadList(LineList& list, const std::string& path) {
  std::string content;
  if (!ReadAll(MapPath(path), content)) return false;
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

void SaveListText(const LineList& list, const std::string& path) {
  const std::string text = JoinLines(list);
  if (text.empty()) return;
  // MapPath finds the existing file's own spelling, so the rename replaces that file instead of
  // placing a second one beside it under another letter case.
  const std::filesystem::path target = MapPath(path);
  const std::filesystem::path saving = SavingPathFor(target);
  const EntryCreation creation(target);  // the temporary file comes and goes inside it
  FileHandle file(saving, O_WRONLY | O_CREAT | O_TRUNC);
  if (!file.ok()) return;
  const bool written = ReplaceContent(file, text) && ::fsync(file.fd()) == 0;
  if (!file.Close() || !written || std::rename(saving.c_str(), target.c_str()) != 0) {
    ::unlink(saving.c_str());
    return;
  }
  creation.Confirm();
  SyncFolder(target.parent_path());
}

}  // namespace veyra
