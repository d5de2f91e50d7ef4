#pragma once

#include <cstdint>
#include <filesystem>

namespace veyra {

// An exclusive lock on a folder for as long as the object lives: flock on a descriptor of the
// folder itself (on Windows a named mutex keyed on the folder's volume and file index), so no
// lock file is left behind and the lock ends with the process however it ends. Two updaters on one
// game folder would both download everything and overwrite each other's files; the second one waits
// or gives up.
class FolderLock {
 public:
  // Tries to take the lock, again every 100 ms (Sleep) for up to `wait_seconds`.
  FolderLock(const std::filesystem::path& folder, int wait_seconds);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool held() const { return handle_ != kNone; }
  // Another process holds the lock (not merely a folder that could not be opened).
  bool busy() const { return busy_; }

 private:
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;  // the descriptor, or the mutex on Windows
  bool busy_ = false;
};

}  // namespace veyra
