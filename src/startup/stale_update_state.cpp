#include "startup/stale_update_state.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "platform/paths.h"

namespace veyra {
namespace {

bool IsFile(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

// The size found by seeking to the end, or -1 when the file cannot be opened.
int64_t SizeBySeeking(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  const off_t end = ::lseek(fd, 0, SEEK_END);
  ::close(fd);
  return end < 0 ? -1 : static_cast<int64_t>(end);
}

}  // namespace

void CleanUpStaleUpdateState(const std::string& application_folder) noexcept {
  try {
    std::string folder = application_folder;
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += '/';
    const std::filesystem::path talk = MapPath(folder + "Data\\Talk.Dat");
    if (!IsFile(talk) || SizeBySeeking(talk) >= kTalkDatMinimumSize) return;
    for (const char* name : {"update3.dat", "update2.dat"}) {
      const std::filesystem::path record = MapPath(folder + name);
      std::error_code ignored;
      if (IsFile(record)) std::filesystem::remove(record, ignored);
    }
  } catch (...) {
    // The launcher opens whatever the clean-up met.
  }
}

}  // namespace veyra
