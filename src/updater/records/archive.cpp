#include "updater/records/archive.h"

#include <limits>

#include "platform/error.h"
#include "platform/paths.h"
#include "updater/records/files.h"

namespace veyra {
namespace {

// Slot layout.
constexpr size_t kStartOffset = 0;
constexpr size_t kEndOffset = 4;
constexpr size_t kNameLengthOffset = 8;
constexpr size_t kNameOffset = 9;

static_assert(kArchiveSlotSize * (kArchiveMaxMembers + 1) == kArchiveDirectorySize);
static_assert(kNameOffset + kArchiveMaxNameLength == kArchiveSlotSize);

int32_t ReadInt32(std::string_view bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) {
    value |= uint32_t(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  }
  return static_cast<int32_t>(value);
}

void WriteInt32(std::string& bytes, size_t offset, int32_t value) {
  const uint32_t bits = static_cast<uint32_t>(value);
  for (size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

// The faults of slot k, in the order they are checked.
void CheckSlot(int k, std::string_view slot, int64_t data_size, ArchiveDirectory& directory) {
  const int32_t start = ReadInt32(slot, kStartOffset);
  const int32_t end = ReadInt32(slot, kEndOffset);
  const size_t length = static_cast<unsigned char>(slot[kNameLengthOffset]);
  std::string name(slot.substr(kNameOffset, std::min(length, kArchiveMaxNameLength)));
  // A name ends at its first NUL byte, whatever its length byte says (the game's tools wrote
  // names as C texts).
  name.resize(std::min(name.size(), name.find('\0')));
  const size_t problems_before = directory.problems.size();
  auto problem = [&](std::string reason) {
    directory.problems.push_back({k, name, std::move(reason)});
  };

  if (start < 0) problem("start offset " + std::to_string(start) + " is negative");
  if (end < start) {
    problem("end offset " + std::to_string(end) + " lies before start offset " +
            std::to_string(start));
  }
  if (end > data_size) {
    problem("end offset " + std::to_string(end) + " lies beyond the data area of " +
            std::to_string(data_size) + " bytes");
  }
  if (length > kArchiveMaxNameLength) {
    problem("name length " + std::to_string(length) + " is above " +
            std::to_string(kArchiveMaxNameLength));
  } else if (!IsConfinedName(name)) {
    problem("name does not stay inside the program folder");
  }
  if (directory.problems.size() == problems_before) directory.members.push_back({name, start, end});
}

}  // namespace

ArchiveDirectory ReadArchiveDirectory(std::string_view block) {
  ArchiveDirectory directory;
  if (block.size() < kArchiveDirectorySize) {
    directory.problems.push_back({0, "",
                                  "block of " + std::to_string(block.size()) +
                                      " bytes is shorter than the " +
                                      std::to_string(kArchiveDirectorySize) + "-byte directory"});
    return directory;
  }
  const int64_t data_size = static_cast<int64_t>(block.size() - kArchiveDirectorySize);
  const std::string_view slots = block.substr(block.size() - kArchiveDirectorySize);
  const int32_t count = ReadInt32(slots, 0);
  if (count > kArchiveMaxMembers) {
    directory.problems.push_back({0, "",
                                  "member count " + std::to_string(count) + " is above " +
                                      std::to_string(kArchiveMaxMembers)});
    return directory;
  }
  for (int k = 1; k <= count; ++k) {
    CheckSlot(k, slots.substr(kArchiveSlotSize * k, kArchiveSlotSize), data_size, directory);
  }
  if (!directory.valid()) directory.members.clear();
  return directory;
}

UnpackResult UnpackArchive(std::string_view block, const std::function<void()>& between_members) {
  ArchiveDirectory directory = ReadArchiveDirectory(block);
  UnpackResult result{std::move(directory.problems)};
  if (!result.ok()) return result;
  int k = 0;
  for (const ArchiveEntry& member : directory.members) {
    ++k;
    const std::filesystem::path target = MapPath(ProgramFolder() + member.name);
    const std::string_view data = block.substr(static_cast<size_t>(member.start),
                                               static_cast<size_t>(member.end - member.start));
    MakeFoldersOfMapped(target);
    if (const FileStatus written = WriteBufferToMappedFile(target, data); !written.ok()) {
      result.problems.push_back(
          {k, member.name, "the file could not be written: " + written.Describe()});
    }
    if (between_members && k < static_cast<int>(directory.members.size())) between_members();
  }
  return result;
}

std::string PackArchive(const std::vector<ArchiveMember>& members) {
  if (members.size() > static_cast<size_t>(kArchiveMaxMembers)) {
    throw Error("an archive holds at most " + std::to_string(kArchiveMaxMembers) +
                " members, not " + std::to_string(members.size()));
  }
  size_t data_size = 0;
  for (const ArchiveMember& member : members) {
    if (member.name.size() > kArchiveMaxNameLength) {
      throw Error("archive member name longer than " + std::to_string(kArchiveMaxNameLength) +
                  " bytes: " + member.name);
    }
    if (!IsConfinedName(member.name)) {
      throw Error("archive member name does not stay inside the program folder: " + member.name);
    }
    data_size += member.data.size();
    if (data_size > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
      throw Error("archive data larger than " +
                  std::to_string(std::numeric_limits<int32_t>::max()) + " bytes");
    }
  }

  std::string block;
  block.reserve(data_size + kArchiveDirectorySize);
  for (const ArchiveMember& member : members) block += member.data;
  std::string directory(kArchiveDirectorySize, '\0');
  WriteInt32(directory, 0, static_cast<int32_t>(members.size()));
  size_t offset = 0;
  for (size_t k = 1; k <= members.size(); ++k) {
    const ArchiveMember& member = members[k - 1];
    const size_t slot = kArchiveSlotSize * k;
    WriteInt32(directory, slot + kStartOffset, static_cast<int32_t>(offset));
    offset += member.data.size();
    WriteInt32(directory, slot + kEndOffset, static_cast<int32_t>(offset));
    directory[slot + kNameLengthOffset] = static_cast<char>(member.name.size());
    directory.replace(slot + kNameOffset, member.name.size(), member.name);
  }
  block += directory;
  return block;
}

std::string DescribeProblem(const ArchiveProblem& problem) {
  if (problem.member == 0) return "archive: " + problem.reason;
  return "archive member " + std::to_string(problem.member) + " (" + problem.name +
         "): " + problem.reason;
}

}  // namespace veyra
