#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_status.h"

namespace veyra {

// Files below the program folder, reached without ever following a link. The program runs with
// the rights to write the installation, so a link planted inside it (a folder, a file, dangling
// or not) must not carry a write or a read anywhere else. Every path here is a path already
// mapped with MapPath below ProgramFolder(); it is walked from an open handle of the program
// folder one component at a time, and a link at any level is refused (ELOOP). A path outside the
// program folder is refused (EXDEV).

// Reads the whole regular file into `content`. Refused: links, anything that is not a regular
// file (a FIFO is opened without waiting for a writer), and files above `max_bytes` (EFBIG). On
// failure `content` is left unchanged.
FileStatus ReadConfinedFile(const std::filesystem::path& path, std::uint64_t max_bytes,
                            std::string& content);

// What ReadConfinedFileIn does with a file larger than its bound.
enum class LargerFile {
  kRefuse,       // EFBIG
  kReadItsStart  // the first max_bytes bytes are the content
};

// ReadConfinedFile below `root` (absolute, ending with a separator) instead of the program
// folder, with a choice for larger files.
FileStatus ReadConfinedFileIn(const std::string& root, const std::filesystem::path& path,
                              std::uint64_t max_bytes, std::string& content, LargerFile larger);

enum class ReplaceFlush {
  kNone,              // the new file reaches the disk whenever the system writes it
  kFileBeforeRename,  // the new file reaches the disk before the rename, the rename right after
};

// Makes `bytes` the whole content of the file by writing a new file beside it under a unique
// temporary name and renaming it over the old one, so that the name always holds either the
// old or the new content, and a file with several hard links is replaced (the other links keep
// the old content) instead of rewritten. The new file keeps the old one's permission bits and,
// where allowed, its owner. Refused: an existing entry that is not a regular file, and a file
// without write permission (EACCES: the player made it read-only). The temporary file never
// outlives a failure.
FileStatus ReplaceConfinedFile(const std::filesystem::path& path, std::string_view bytes,
                               ReplaceFlush flush = ReplaceFlush::kNone);

// ReplaceConfinedFile below `root` (absolute, ending with a separator) instead of the program
// folder.
FileStatus ReplaceConfinedFileIn(const std::string& root, const std::filesystem::path& path,
                                 std::string_view bytes, ReplaceFlush flush = ReplaceFlush::kNone);

// A file's new content written in pieces (content produced over time, such as a patch applied
// while it arrives): the pieces go to a temporary file beside it, and Commit puts that in its
// place in one step, with the same checks and result as ReplaceConfinedFile with all the bytes
// at once. Until then the file keeps its old content; a replacement dropped before Commit, or
// failed, leaves nothing behind.
class ConfinedReplacement {
 public:
  // Checks that the file may be replaced and creates the temporary file; a refusal is in status.
  ConfinedReplacement(const std::string& root, const std::filesystem::path& path);
  ~ConfinedReplacement();
  ConfinedReplacement(const ConfinedReplacement&) = delete;
  ConfinedReplacement& operator=(const ConfinedReplacement&) = delete;

  // The first failure so far (the later calls do nothing after it).
  FileStatus status() const { return status_; }
  FileStatus Append(std::string_view bytes);
  FileStatus Commit(ReplaceFlush flush = ReplaceFlush::kNone);

 private:
  struct State;
  std::unique_ptr<State> state_;
  FileStatus status_;
};

// Appends `bytes` to the regular file, creating it when nothing stands under its name. Refused:
// a link, or anything that is not a regular file. For files that grow in steps (a download
// kept across runs), where replacing the whole file each time would cost too much.
FileStatus AppendConfinedFile(const std::filesystem::path& path, std::string_view bytes);

// Creates the file empty when nothing at all stands under its name; an existing entry, a link
// included, is left as it is (and is not an error).
FileStatus CreateConfinedFileIfMissing(const std::filesystem::path& path);

// Creates the missing folders that hold the file `path`, from the top down. Nothing is made
// through a link (ELOOP); a folder that exists already, wherever a link leads, is left alone.
FileStatus MakeConfinedFoldersFor(const std::filesystem::path& path);

// Removes the temporary files that replacements cut short by a kill or a power cut left in the
// program folder and the folders below it. Only safe while no other replacement runs there
// (under the game folder's lock).
void RemoveLeftoverTemporaryFiles();

// Makes the resolver open the folders of a path one at a time, as it does on kernels that cannot
// resolve a whole path confined to a folder in one call (Linux before openat2), instead of in
// one call where the kernel can. For tests, so that both ways are run on every kernel; no effect
// on Windows, which always checks one level at a time.
void SetConfinedResolverWalks(bool walk);

// The start of the names ReplaceConfinedFile gives its temporary files.
inline constexpr std::string_view kTemporaryFilePrefix = ".veyra-new-";

// True for a name ReplaceConfinedFile gives its temporary files.
inline bool IsTemporaryFileName(std::string_view name) {
  return name.starts_with(kTemporaryFilePrefix);
}

}  // namespace veyra
