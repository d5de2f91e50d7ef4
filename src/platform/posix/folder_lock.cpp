#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/pump.h"

namespace veyra {
namespace {

constexpr int kRetryDelayMs = 100;

}  // namespace

FolderLock::FolderLock(const std::filesystem::path& folder, int wait_seconds) {
  // Close-on-exec: the game started at the end must not keep the folder locked.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  const int retries = wait_seconds > 0 ? wait_seconds * (1000 / kRetryDelayMs) : 0;
  for (int attempt = 0;; ++attempt) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      handle_ = fd;
      busy_ = false;
      return;
    }
    busy_ = errno == EWOULDBLOCK;
    if ((errno != EWOULDBLOCK && errno != EINTR) || attempt >= retries) break;
    Sleep(kRetryDelayMs);
  }
  ::close(fd);
}

FolderLock::~FolderLock() {
  if (held()) ::close(static_cast<int>(handle_));
}

}  // namespace veyra
