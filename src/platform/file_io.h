#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_status.h"

namespace veyra {

// Files and folders at the level of the system: every path is a local path as this system writes
// it (already mapped, see MapPath). Nothing here resolves names or keeps folder names current;
// callers do that around these calls.

enum class OpenMode {
  kRead,       // an existing file, for reading
  kWrite,      // for writing; created when missing, an existing content is kept
  kReadWrite,  // for reading and writing; created when missing, an existing content is kept
  kWriteEmpty  // for writing; created when missing, an existing content is cut to nothing
};

// An open file, closed when the object goes away (the outcome of that close is lost; call Close
// to learn it). Files created here get the usual permissions for new files of the user.
class FileHandle {
 public:
  FileHandle(const std::filesystem::path& path, OpenMode mode);
  // Takes over a handle the caller opened itself (closed here from now on).
  explicit FileHandle(std::intptr_t system_handle) : handle_(system_handle) {}
  ~FileHandle();
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // Whether the file is open; status() holds the reason when opening failed.
  bool ok() const { return handle_ != kClosed; }
  std::intptr_t system_handle() const { return handle_; }
  FileStatus status() const { return open_status_; }

  // Reads from the current position to the end of the file into `content`; on failure `content`
  // is left unchanged. More than `max_bytes` fails with EFBIG, so that an endless source cannot
  // take all memory.
  FileStatus ReadAll(std::string& content, std::uint64_t max_bytes = UINT64_MAX);

  // Reads the first `count` bytes of the file (fewer when it is shorter) into `content`; on
  // failure `content` is left unchanged.
  FileStatus ReadStart(std::size_t count, std::string& content);

  // Reads up to `count` bytes at `offset` into `target`, stopping early only at the end of the
  // file; `done` tells how many arrived, also when the read fails part-way.
  FileStatus ReadAt(std::uint64_t offset, void* target, std::size_t count, std::size_t& done);

  // The size of the file in bytes.
  FileStatus Size(std::uint64_t& size);

  // Writes all of `bytes` starting at `offset`, retrying interrupted and partial writes; the
  // first failure ends the write and is returned.
  FileStatus WriteAllAt(std::uint64_t offset, std::string_view bytes);

  // Sets the size of the file to `size` bytes.
  FileStatus Truncate(std::uint64_t size);

  // Waits until the content written so far is on the disk.
  FileStatus Sync();

  // Closes the file. A write may first fail here (a full disk, a network file system), so a
  // write is complete only when this succeeds. Calling it on a handle that is not open fails.
  FileStatus Close();

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;  // the system's file handle
  FileStatus open_status_;
};

// Reads the whole file into `content`. On failure `content` is left unchanged.
FileStatus ReadWholeFile(const std::filesystem::path& path, std::string& content);

// Renames `from` to `to` in one step, replacing a file that exists under `to`.
FileStatus RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Removes a file (or an empty folder).
FileStatus RemoveFile(const std::filesystem::path& path);

// Makes one folder; its parent must exist. When anything already exists under the name the
// status is EEXIST.
FileStatus MakeFolder(const std::filesystem::path& path);

// Waits until everything written so far to the file system that holds `folder` is on the disk.
// Windows cannot flush a whole volume without administrator rights: there it only checks that
// the folder exists, and each replaced file is flushed by itself (ReplaceFlush).
FileStatus SyncFileSystem(const std::filesystem::path& folder);

// Waits until the folder's list of entries (files created, renamed or removed in it) is on the
// disk. An empty path is the current folder.
FileStatus SyncFolder(const std::filesystem::path& folder);

}  // namespace veyra
