#include "startup/stale_update_state.h"

#include <filesystem>
#include <system_error>

#include "platform/file_io.h"
#include "platform/paths.h"

namespace veyra {
namespace {

bool IsFile(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

// The size of the open file, or -1 when the file cannot be opened or sized.
int64_t SizeOf(const std::filesystem::path& path) {
  FileHandle file(path, OpenMode::kRead);
  uint64_t size = 0;
  if (!file.ok() || !file.Size(size).ok()) return -1;
  return static_cast<int64_t>(size);
}

}  // namespace

void CleanUpStaleUpdateState(const std::string& application_folder) noexcept {
  try {
    std::string folder = application_folder;
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += '/';
    const std::filesystem::path talk = MapPath(folder + "Data\\Talk.Dat");
    if (!IsFile(talk) || SizeOf(talk) >= kTalkDatMinimumSize) return;
    for (const char* name : {"update3.dat", "update2.dat"}) {
      const std::filesystem::path record = MapPath(folder + name);
      if (IsFile(record)) RemoveFile(record);
    }
  } catch (...) {
    // The launcher opens whatever the clean-up met.
  }
}

}  // namespace veyra
