#pragma once

#include <cstdint>

namespace veyra {

// The error number (errno value) that stands for a Windows error code (GetLastError), so that a
// failure reads the same on both systems: a sharing or lock violation is EBUSY, a full disk
// ENOSPC, a missing file or folder ENOENT. Codes without a counterpart are EIO.
int ErrnoFromWindowsError(uint32_t windows_error);

// The same for the calling thread's last error.
int LastErrorAsErrno();

}  // namespace veyra
