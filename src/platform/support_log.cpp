#include "platform/support_log.h"

#include <cstdio>
#include <ctime>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include "platform/windows/wide_text.h"
#endif

namespace veyra {

std::filesystem::path SupportLogPath() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) folder = ".";
  return folder / "VeyraOnline-support.log";
}

void WriteSupportLog(std::string_view line) noexcept {
  try {
    char stamp[32] = "";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    const std::string text = std::string(stamp) + " " + std::string(line) + "\n";
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
#ifdef _WIN32
    OutputDebugStringW(WideFromUtf8(text).c_str());
    FILE* file = _wfopen(SupportLogPath().c_str(), L"ab");
#else
    FILE* file = std::fopen(SupportLogPath().c_str(), "ab");
#endif
    if (file == nullptr) return;
    std::fputs(text.c_str(), file);
    std::fclose(file);
  } catch (...) {
  }
}

}  // namespace veyra
