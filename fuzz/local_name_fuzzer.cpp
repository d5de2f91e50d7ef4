// The check on names from the server (a list's local name, an archive member's name): a name it
// accepts must map strictly below the game folder, whatever its bytes and whichever code page
// the names are read in, and must be refused when it is empty or absolute. A remote name appended
// to a server's base address must not send the request to another host.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/paths.h"
#include "scratch_folder.h"
#include "updater/http/http_target.h"

namespace {

constexpr const char* kLanguages[] = {"", "t", "s", "n"};

void CheckLocalName(std::string_view name) {
  veyra::fuzz::ScratchFolder& scratch = veyra::fuzz::ScratchFolder::Get();
  const bool accepted = veyra::IsConfinedName(name);
  // One leading separator names a file below the folder; two start a network path.
  const auto separator = [](char c) { return c == '\\' || c == '/'; };
  if (name.empty() || (name.size() >= 2 && separator(name[0]) && separator(name[1]))) {
    FUZZ_CHECK(!accepted, "an empty or network name is refused");
  }
  if (!accepted) return;
  const std::filesystem::path mapped = veyra::MapPath(veyra::ProgramFolder() + std::string(name));
  FUZZ_CHECK(scratch.StrictlyBelowGame(mapped), "an accepted name maps below the game folder");
}

void CheckRemoteName(std::string_view name) {
  std::string error;
  const auto target =
      veyra::ParseHttpTarget("http://127.0.0.1:8080/update/" + std::string(name), error);
  if (!target) return;
  FUZZ_CHECK(target->host == "127.0.0.1" && target->port == 8080,
             "a remote name keeps the server's host and port");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Some names of the game folder for the mapping to match without regard to case. Nothing here
  // writes, so they are made once.
  static const bool made = [] {
    const std::filesystem::path& game = veyra::fuzz::ScratchFolder::Get().game();
    std::filesystem::create_directories(game / "Data" / "Sub");
    veyra::fuzz::WriteWholeFile(game / "File.txt", "x");
    return true;
  }();
  (void)made;
  veyra::fuzz::FuzzInput input(data, size);
  veyra::SetFileNameLanguage(kLanguages[input.TakeByte() % 4]);
  const std::string_view name = input.Rest();
  CheckLocalName(name);
  CheckRemoteName(name);
  veyra::SetFileNameLanguage("");
  return 0;
}
