#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_status.h"
#include "updater/records/lines.h"

namespace veyra {

// File primitives of the updater. Every path is a full local path such as
// ProgramFolder() + "Data\\x.dat"; it is resolved with MapPath, so backslashes become
// separators and existing files and folders are found whatever the letter case. Files are
// reached only through the confined resolver (platform/confined_files.h): no link below the
// program folder is followed, and a path outside it is refused.

// The most that is read of a small state file (web0.dat, isp1.dat) and of the installation
// record; a larger file counts as unreadable.
constexpr std::uint64_t kStateFileMaxBytes = 1024 * 1024;
constexpr std::uint64_t kRecordMaxBytes = 256 * 1024 * 1024;

// Creates the folders that the file path needs. Failures are ignored (a folder that cannot be
// made shows up as a failed write later); the result is always true.
bool MakeFolders(const std::string& path);

// MakeFolders and WriteBufferToFile on a path already resolved with MapPath, for callers that
// handle one file in several steps and resolve its name once.
void MakeFoldersOfMapped(const std::filesystem::path& mapped);
FileStatus WriteBufferToMappedFile(const std::filesystem::path& mapped, std::string_view bytes);

// Creates an empty file when none exists; an existing file is left as it is. Failures are
// ignored.
void EnsureFile(const std::string& path);

// Makes `bytes` the whole content of the file, creating it when needed. The file is replaced,
// not overwritten: the new content is written beside it and renamed over it, so a kill, a power
// cut or a full disk leaves either the old or the new file, never a mixture, and the old file's
// permission bits stay. A link, a folder, a read-only file or one that cannot be replaced fails
// (see ReplaceConfinedFile); the status names the step that failed.
FileStatus WriteBufferToFile(const std::string& path, std::string_view bytes);

// Makes the bytes the file's whole content as WriteBufferToFile does. Failures are ignored.
void CreateFileFromBuffer(const std::string& path, std::string_view bytes);

// One attempt to read the file and split it into `list` (SplitLines). True on success; on
// failure, also for a file above `max_bytes`, `list` is left unchanged.
bool LoadList(LineList& list, const std::string& path,
              std::uint64_t max_bytes = kStateFileMaxBytes);

// Up to 10 attempts of LoadList, letting pending messages run (PumpMessages) before each and
// waiting 100 ms (Sleep) after each failure. True at the first success, false after the tenth
// failure.
bool LoadListRetrying(LineList& list, const std::string& path,
                      std::uint64_t max_bytes = kStateFileMaxBytes);

// Writes the list as text (JoinLines) unless that text is empty, in which case the old file
// stays untouched. Like WriteBufferToFile, but everything written to the game folder's file
// system so far reaches the disk before the rename: the record is saved after the files it
// names, so after a power cut it never claims a file the disk does not hold. Pending messages run
// (PumpMessages) while the file system is flushed. The status tells why the list could not be
// saved; the old file is never lost by a failure.
FileStatus SaveListText(const LineList& list, const std::string& path);

}  // namespace veyra
