#include "platform/system_paths.h"

#include <string_view>
#include <system_error>

#include "platform/paths.h"

namespace veyra {

std::filesystem::path ExecutablePath() {
  std::error_code ec;
  std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : executable;
}

size_t PathRootLength(std::string_view text) {
  return !text.empty() && text[0] == '/' ? 1 : 0;
}

}  // namespace veyra
