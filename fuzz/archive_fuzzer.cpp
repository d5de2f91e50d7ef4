// The archive reader and unpacker on a block from the server. Properties: the directory
// accepts only members inside the data area with names that stay in the program folder; a
// refused directory writes nothing; an accepted one writes nothing outside the game folder, and
// every member written holds exactly its bytes of the block.
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/paths.h"
#include "scratch_folder.h"
#include "updater/records/archive.h"

namespace {

using veyra::fuzz::FuzzInput;
using veyra::fuzz::ScratchFolder;

// The block, either as the input's bytes or in a shorter form that puts the directory within
// the fuzzer's reach: a data area of up to 255 bytes, then the start of the directory, which is
// padded with zeros to its full size.
std::string BlockOf(FuzzInput& input) {
  if (input.TakeByte() % 2 == 0) return std::string(input.Rest());
  const size_t data_size = input.TakeByte();
  std::string block(input.TakeBytes(data_size));
  std::string directory(input.TakeBytes(veyra::kArchiveDirectorySize));
  directory.resize(veyra::kArchiveDirectorySize, '\0');
  return block + directory;
}

void CheckDirectory(const veyra::ArchiveDirectory& directory, std::string_view block) {
  if (!directory.valid()) {
    FUZZ_CHECK(directory.members.empty(), "a refused directory lists no members");
    return;
  }
  FUZZ_CHECK(block.size() >= veyra::kArchiveDirectorySize, "a valid block holds the directory");
  const int64_t data_size = static_cast<int64_t>(block.size() - veyra::kArchiveDirectorySize);
  FUZZ_CHECK(directory.members.size() <= static_cast<size_t>(veyra::kArchiveMaxMembers),
             "at most 100 members");
  for (const veyra::ArchiveEntry& member : directory.members) {
    FUZZ_CHECK(0 <= member.start && member.start <= member.end && member.end <= data_size,
               "a member lies inside the data area");
    FUZZ_CHECK(member.name.size() <= veyra::kArchiveMaxNameLength, "a member's name fits");
    FUZZ_CHECK(veyra::IsConfinedName(member.name), "a member's name stays in the folder");
  }
}

// Every regular file below the game folder.
std::set<std::filesystem::path> FilesInGame() {
  std::set<std::filesystem::path> files;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(ScratchFolder::Get().game())) {
    if (entry.is_regular_file()) files.insert(entry.path());
  }
  return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScratchFolder& scratch = ScratchFolder::Get();
  FuzzInput input(data, size);
  const std::string block = BlockOf(input);

  const veyra::ArchiveDirectory directory = veyra::ReadArchiveDirectory(block);
  CheckDirectory(directory, block);

  const veyra::UnpackResult unpacked = veyra::UnpackArchive(block);
  if (!directory.valid()) {
    FUZZ_CHECK(!unpacked.ok(), "a refused directory is reported");
    FUZZ_CHECK(FilesInGame().empty(), "a refused directory writes nothing");
    scratch.Reset();
    return 0;
  }

  // What each file must hold: the bytes of the last member written to it. Names that differ
  // only in letter case meet in one file, as on the game's file system.
  std::set<int> failed;
  for (const veyra::ArchiveProblem& problem : unpacked.problems) failed.insert(problem.member);
  std::map<std::filesystem::path, std::string> expected;
  int k = 0;
  for (const veyra::ArchiveEntry& member : directory.members) {
    ++k;
    if (failed.count(k) != 0) continue;
    const std::filesystem::path target =
        veyra::MapPath(veyra::ProgramFolder() + member.name).lexically_normal();
    FUZZ_CHECK(scratch.StrictlyBelowGame(target), "a member lands inside the game folder");
    expected[target] = block.substr(static_cast<size_t>(member.start),
                                    static_cast<size_t>(member.end - member.start));
  }
  const std::set<std::filesystem::path> files = FilesInGame();
  FUZZ_CHECK(files.size() == expected.size(), "every file written belongs to one member");
  for (const auto& [path, bytes] : expected) {
    bool found = false;
    FUZZ_CHECK(veyra::fuzz::ReadWholeFile(path, found) == bytes && found,
               "a member's file holds exactly its bytes");
  }
  scratch.Reset();  // also fails when anything was written outside the game folder
  return 0;
}
