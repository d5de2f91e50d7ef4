#include "scratch_folder.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>

#include "fuzz_check.h"
#include "platform/paths.h"

namespace veyra::fuzz {
namespace {

std::filesystem::path MakeRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "veyra-fuzz-XXXXXX").string();
  FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr, "cannot create a temporary folder");
  return pattern;
}

}  // namespace

ScratchFolder& ScratchFolder::Get() {
  static ScratchFolder folder;
  return folder;
}

ScratchFolder::ScratchFolder() : root_(MakeRoot()), game_(root_ / "outer" / "inner" / "game") {
  std::filesystem::create_directories(game_);
  SetProgramFolder(game_.string());
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

void ScratchFolder::Reset() {
  // Anything beside the path down to the game folder was written by a name that escaped it.
  for (std::filesystem::path level = root_; level != game_;) {
    const std::filesystem::path next = game_.lexically_relative(level).begin()->string();
    for (const auto& entry : std::filesystem::directory_iterator(level)) {
      FUZZ_CHECK(entry.path().filename() == next, "a file was written outside the game folder");
    }
    level /= next;
  }
  for (const auto& entry : std::filesystem::directory_iterator(game_)) {
    std::filesystem::remove_all(entry.path());
  }
  SetProgramFolder(game_.string());
}

bool ScratchFolder::StrictlyBelowGame(const std::filesystem::path& path) const {
  const std::filesystem::path relative = path.lexically_normal().lexically_relative(game_);
  return !relative.empty() && *relative.begin() != ".." && relative != ".";
}

std::string ReadWholeFile(const std::filesystem::path& path, bool& found) {
  std::ifstream in(path, std::ios::binary);
  found = static_cast<bool>(in);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  FUZZ_CHECK(static_cast<bool>(out), "cannot write a scratch file");
}

}  // namespace veyra::fuzz
