#include "platform/folder_swap.h"

#include <windows.h>

#include "platform/windows/error_number.h"

#include <cerrno>
#include <system_error>

namespace veyra {

// Windows cannot exchange two folders in one step: an existing target is refused rather than
// replaced in two steps that a reader could fall between.
FolderSwap SwapFolderIntoPlace(const std::filesystem::path& incoming,
                               const std::filesystem::path& target) {
  FolderSwap swap;
  std::error_code ec;
  swap.target_existed = std::filesystem::exists(target, ec);
  if (swap.target_existed) {
    swap.status.error = ENOSYS;
  } else if (!MoveFileExW(incoming.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
    swap.status.error = LastErrorAsErrno();
  }
  return swap;
}

}  // namespace veyra
