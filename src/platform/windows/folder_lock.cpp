#include "platform/folder_lock.h"

#include <windows.h>

#include <string>

#include "platform/pump.h"

namespace veyra {
namespace {

constexpr int kRetryDelayMs = 100;

// A name that every process gives the same folder, whatever path it was reached by: its volume
// and its file index. Empty when the folder cannot be opened.
std::wstring MutexNameOf(const std::filesystem::path& folder) {
  const HANDLE handle = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  BY_HANDLE_FILE_INFORMATION info{};
  const BOOL known = GetFileInformationByHandle(handle, &info);
  CloseHandle(handle);
  if (!known) return {};
  return L"Global\\VeyraOnline-game-folder-" + std::to_wstring(info.dwVolumeSerialNumber) + L"-" +
         std::to_wstring(info.nFileIndexHigh) + L"-" + std::to_wstring(info.nFileIndexLow);
}

}  // namespace

FolderLock::FolderLock(const std::filesystem::path& folder, int wait_seconds) {
  const std::wstring name = MutexNameOf(folder);
  if (name.empty()) return;
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) return;
  const int retries = wait_seconds > 0 ? wait_seconds * (1000 / kRetryDelayMs) : 0;
  for (int attempt = 0;; ++attempt) {
    // An abandoned mutex (its holder died) is ours now, as a lock ends with its process.
    const DWORD result = WaitForSingleObject(mutex, 0);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
      handle_ = reinterpret_cast<std::intptr_t>(mutex);
      busy_ = false;
      return;
    }
    busy_ = result == WAIT_TIMEOUT;
    if (!busy_ || attempt >= retries) break;
    Sleep(kRetryDelayMs);
  }
  CloseHandle(mutex);
}

FolderLock::~FolderLock() {
  if (!held()) return;
  const auto mutex = reinterpret_cast<HANDLE>(handle_);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

}  // namespace veyra
