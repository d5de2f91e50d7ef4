#include "platform/system_paths.h"

#include <windows.h>

#include <string_view>

#include "platform/paths.h"

namespace veyra {

std::filesystem::path ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 8; ++attempt) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);  // cut short: a longer path
  }
  return {};
}

size_t PathRootLength(std::string_view text) {
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (text.size() >= 3 && letter(text[0]) && text[1] == ':' && text[2] == '/') return 3;
  if (text.starts_with("//")) {
    // "//server/share/": both names belong to the root.
    const size_t server_end = text.find('/', 2);
    if (server_end == std::string_view::npos) return text.size();
    const size_t share_end = text.find('/', server_end + 1);
    return share_end == std::string_view::npos ? text.size() : share_end + 1;
  }
  return !text.empty() && text[0] == '/' ? 1 : 0;
}

}  // namespace veyra
