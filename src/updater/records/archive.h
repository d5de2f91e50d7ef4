#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace veyra {

// An archive carries several files as one block: the members' data, then a directory of 101
// slots of 89 bytes at the very end. Slot 0 holds the member count N (signed 32-bit
// little-endian); slot k (1..N) holds member k's start offset and exclusive end offset (same
// form, counted from the first byte of the block), its name length (one byte, 0..80) and its
// name (a relative name with backslashes).
inline constexpr size_t kArchiveDirectorySize = 8989;
inline constexpr size_t kArchiveSlotSize = 89;
inline constexpr int kArchiveMaxMembers = 100;
inline constexpr size_t kArchiveMaxNameLength = 80;

struct ArchiveMember {
  std::string name;
  std::string data;
};

struct ArchiveEntry {
  std::string name;
  int32_t start;
  int32_t end;
};

// What is wrong with an archive, or with one of its members.
struct ArchiveProblem {
  int member;  // 1-based slot of the member, 0 for the block as a whole
  std::string name;
  std::string reason;
};

struct ArchiveDirectory {
  std::vector<ArchiveEntry> members;
  std::vector<ArchiveProblem> problems;
  bool valid() const { return problems.empty(); }
};

// Reads and checks the directory of an archive block. Every slot is checked and every fault is
// listed: a block shorter than the directory, a count above 100, a start below 0, an end below
// the start or beyond the data area, a name longer than 80 bytes, and a name that would leave
// the program folder (IsConfinedName). A count of 0 or less gives no members and no problem.
// Nothing outside the block is read. `members` holds the entries only when the directory is
// valid.
ArchiveDirectory ReadArchiveDirectory(std::string_view block);

struct UnpackResult {
  std::vector<ArchiveProblem> problems;
  bool ok() const { return problems.empty(); }
};

// Extracts every member of an archive block into the program folder (ProgramFolder() + name),
// making the folders each needs and overwriting existing files in place. When the directory is
// not valid nothing at all is written and its problems are returned; otherwise every member
// whose write fails is listed as a problem, its reason ending with the system's text for the
// failure, and the following members are still extracted. `between_members`, when given, runs
// after every member but the last (the updater lets window messages run there).
UnpackResult UnpackArchive(std::string_view block,
                           const std::function<void()>& between_members = {});

// Builds an archive block from members, in order, their data packed one after another.
// Throws veyra::Error for more than 100 members, a name longer than 80 bytes, a name that would
// leave the program folder, or data larger in total than a signed 32-bit offset can address.
std::string PackArchive(const std::vector<ArchiveMember>& members);

// An English one-line description of a problem, e.g.
// "archive member 2 (a\b.txt): end offset 90 lies beyond the data area of 40 bytes".
std::string DescribeProblem(const ArchiveProblem& problem);

}  // namespace veyra
