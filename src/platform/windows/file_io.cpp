#include "platform/file_io.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/windows/error_number.h"
#include "platform/windows/file_sharing.h"

namespace veyra {
namespace {

// Pieces small enough for any single WriteFile/ReadFile call (they take 32-bit counts).
constexpr size_t kPiece = 1024 * 1024;

FileStatus LastError() {
  return FileStatus{LastErrorAsErrno()};
}

HANDLE AsHandle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED position{};
  position.Offset = static_cast<DWORD>(offset);
  position.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return position;
}

}  // namespace

FileHandle::FileHandle(const std::filesystem::path& path, OpenMode mode) {
  DWORD access = GENERIC_READ;
  DWORD disposition = OPEN_EXISTING;
  switch (mode) {
    case OpenMode::kRead:
      break;
    case OpenMode::kWrite:
      access = GENERIC_WRITE;
      disposition = OPEN_ALWAYS;
      break;
    case OpenMode::kReadWrite:
      access = GENERIC_READ | GENERIC_WRITE;
      disposition = OPEN_ALWAYS;
      break;
    case OpenMode::kWriteEmpty:
      access = GENERIC_WRITE;
      disposition = CREATE_ALWAYS;
      break;
  }
  const HANDLE file = CreateFileW(path.c_str(), access, kShareEverything, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    open_status_ = LastError();
    // Windows refuses to open a folder as a file with "access denied"; say what it is.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      open_status_ = FileStatus{EISDIR};
    }
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
}

FileHandle::~FileHandle() {
  if (ok()) CloseHandle(AsHandle(handle_));
}

FileStatus FileHandle::WriteAllAt(std::uint64_t offset, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD piece = static_cast<DWORD>(std::min(bytes.size() - done, kPiece));
    OVERLAPPED position = At(offset + done);
    DWORD written = 0;
    if (!WriteFile(AsHandle(handle_), bytes.data() + done, piece, &written, &position)) {
      return LastError();
    }
    if (written == 0) return FileStatus{EIO};
    done += written;
  }
  return {};
}

FileStatus FileHandle::Truncate(std::uint64_t size) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFileInformationByHandle(AsHandle(handle_), FileEndOfFileInfo, &end, sizeof end)) {
    return LastError();
  }
  return {};
}

FileStatus FileHandle::Sync() {
  return FlushFileBuffers(AsHandle(handle_)) ? FileStatus{} : LastError();
}

FileStatus FileHandle::Close() {
  if (!ok()) return FileStatus{EBADF};
  const HANDLE file = AsHandle(handle_);
  handle_ = kClosed;
  return CloseHandle(file) ? FileStatus{} : LastError();
}

FileStatus FileHandle::ReadAll(std::string& content, std::uint64_t max_bytes) {
  std::string text;
  char buffer[65536];
  // Room for the whole file at once: growing step by step would copy a large file several times.
  if (std::uint64_t size = 0; Size(size).ok()) {
    text.reserve(static_cast<std::size_t>(std::min(size, max_bytes)));
  }
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(AsHandle(handle_), buffer, sizeof buffer, &n, nullptr)) return LastError();
    if (n == 0) break;
    if (n > max_bytes - text.size()) return FileStatus{EFBIG};
    text.append(buffer, n);
  }
  content = std::move(text);
  return {};
}

FileStatus FileHandle::ReadAt(std::uint64_t offset, void* target, std::size_t count,
                              std::size_t& done) {
  done = 0;
  while (done < count) {
    const DWORD piece = static_cast<DWORD>(std::min(count - done, kPiece));
    OVERLAPPED position = At(offset + done);
    DWORD n = 0;
    if (!ReadFile(AsHandle(handle_), static_cast<char*>(target) + done, piece, &n, &position)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return LastError();
    }
    if (n == 0) break;
    done += n;
  }
  return {};
}

FileStatus FileHandle::Size(std::uint64_t& size) {
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(AsHandle(handle_), &length)) return LastError();
  size = static_cast<std::uint64_t>(length.QuadPart);
  return {};
}

FileStatus RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return LastError();
  }
  return {};
}

FileStatus RemoveFile(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  const bool folder =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const BOOL removed = folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str());
  return removed ? FileStatus{} : LastError();
}

FileStatus MakeFolder(const std::filesystem::path& path) {
  return CreateDirectoryW(path.c_str(), nullptr) ? FileStatus{} : LastError();
}

// A folder's entries reach the disk with the files' own metadata on Windows; there is no
// separate step to wait for, only the folder to find.
FileStatus SyncFolder(const std::filesystem::path& folder) {
  const DWORD attributes = GetFileAttributesW(folder.empty() ? L"." : folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileStatus{} : FileStatus{ENOTDIR};
}

FileStatus SyncFileSystem(const std::filesystem::path& folder) {
  return SyncFolder(folder);
}

}  // namespace veyra
