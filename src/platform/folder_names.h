#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace veyra {

// Looking a new name up ignoring letter case means reading the whole folder, so installing
// thousands of new files into one folder would read it thousands of times. While a
// FolderNamesScope is alive, each folder read is kept and used again as long as the folder is
// unchanged (same identity and modification time), and the files and folders this program
// creates are added to it as they appear. The scope belongs around work that creates many files
// (an update pass); outside it every lookup reads the folder. Scopes may nest; the kept names
// are dropped when the outermost one ends. For the GUI thread only.
class FolderNamesScope {
 public:
  FolderNamesScope();
  ~FolderNamesScope();
  FolderNamesScope(const FolderNamesScope&) = delete;
  FolderNamesScope& operator=(const FolderNamesScope&) = delete;
};

// The name of the entry of `folder` that equals `name` ignoring ASCII letter case (the first one
// the folder lists), or empty when there is none or the folder cannot be read.
std::string FindEntryIgnoringCase(const std::filesystem::path& folder, std::string_view name);

// Tells the kept names that this program has just created `path` (a file or a folder), or
// written to it, so that its folder's names stay usable. Does nothing outside a scope.
void NoteCreatedEntry(const std::filesystem::path& path);

}  // namespace veyra
