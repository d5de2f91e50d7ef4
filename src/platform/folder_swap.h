#pragma once

#include <filesystem>

#include "platform/file_status.h"

namespace veyra {

// What SwapFolderIntoPlace found and did.
struct FolderSwap {
  bool target_existed = false;  // the folders were (to be) exchanged rather than renamed
  FileStatus status;
};

// Puts the folder `incoming` at `target` in one step, so that a reader of `target` sees either
// the old folder or the new one, never a mix or nothing. When `target` exists the two folders
// trade places: afterwards `incoming` holds the old content, for the caller to remove. When it
// does not, `incoming` is renamed to `target`.
FolderSwap SwapFolderIntoPlace(const std::filesystem::path& incoming,
                               const std::filesystem::path& target);

}  // namespace veyra
