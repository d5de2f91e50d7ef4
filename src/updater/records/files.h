#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_status.h"
#include "updater/records/lines.h"

namespace veyra {

// File primitives of the updater. Every path is a full local path such as
// ProgramFolder() + "Data\\x.dat"; it is resolved with MapPath, so backslashes become
// separators and existing files and folders are found whatever the letter case.

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

// Makes `bytes` the whole content of the file, creating it when needed. An existing file is
// overwritten in place (never deleted first) and cut to the new length. The status names the
// step that failed: opening, writing, sizing or closing the file (a failed close is a failed
// write).
FileStatus WriteBufferToFile(const std::string& path, std::string_view bytes);

// Creates the file or truncates an existing one, then writes the bytes and closes it. Failures are
// ignored.
void CreateFileFromBuffer(const std::string& path, std::string_view bytes);

// One attempt to read the file and split it into `list` (SplitLines). True on success; on
// failure `list` is left unchanged.
bool LoadList(LineList& list, const std::string& path);

// Up to 10 attempts of LoadList, letting pending messages run (PumpMessages) before each and
// waiting 100 ms (Sleep) after each failure. True at the first success, false after the tenth
// failure.
bool LoadListRetrying(LineList& list, const std::string& path);

// Writes the list as text (JoinLines) unless that text is empty, in which case the old file
// stays untouched. The new content goes to a temporary file beside the target, is flushed to
// disk and then renamed over the target, so the old file stays whole until the new one is
// complete. The status tells why the list could not be saved; the old file is never lost by a
// failure.
FileStatus SaveListText(const LineList& list, const std::string& path);

// The temporary file that SaveListText writes before renaming it over `target` (an already
// mapped path): the same folder, the target's name followed by ".saving".
std::filesystem::path SavingPathFor(const std::filesystem::path& target);

}  // namespace veyra
