#pragma once

#include <windows.h>

namespace veyra {

// Other programs may read, write, rename or delete a file while we hold it open, as the game's
// tools expect; a program that holds it without sharing makes our open fail instead.
inline constexpr DWORD kShareEverything = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace veyra
