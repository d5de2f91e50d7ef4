#include "support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

#include "platform/paths.h"

namespace veyra::testing {

TempFolder::TempFolder() : previous_program_folder_(ProgramFolder()) {
  static std::atomic<int> counter{0};
  // The start time tells apart test programs that run at once (no process id needed).
  static const auto started = std::chrono::steady_clock::now().time_since_epoch().count();
  owner_ = std::filesystem::temp_directory_path() /
           ("veyra-test-" + std::to_string(started) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(owner_);
  path_ = owner_ / "game";
  std::filesystem::create_directories(path_);
  SetProgramFolder(folder());
}

TempFolder::~TempFolder() {
  SetProgramFolder(previous_program_folder_);
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(owner_, ec);
}

void TempFolder::Write(std::string_view relative, std::string_view bytes) const {
  std::filesystem::path target = path_ / PathFromUtf8(relative);
  std::filesystem::create_directories(target.parent_path());
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::Read(std::string_view relative) const {
  std::ifstream in(path_ / PathFromUtf8(relative), std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool TempFolder::Exists(std::string_view relative) const {
  return std::filesystem::exists(path_ / PathFromUtf8(relative));
}

}  // namespace veyra::testing
