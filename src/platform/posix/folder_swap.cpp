#include "platform/folder_swap.h"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <system_error>

namespace veyra {

FolderSwap SwapFolderIntoPlace(const std::filesystem::path& incoming,
                               const std::filesystem::path& target) {
  FolderSwap swap;
  std::error_code ec;
  swap.target_existed = std::filesystem::exists(target, ec);
  const int result = swap.target_existed ? ::renameat2(AT_FDCWD, incoming.c_str(), AT_FDCWD,
                                                       target.c_str(), RENAME_EXCHANGE)
                                         : ::rename(incoming.c_str(), target.c_str());
  if (result != 0) swap.status.error = errno;
  return swap;
}

}  // namespace veyra
