#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace veyra {

// Looking a new name up ignoring letter case means reading the whole folder, so installing
// thousands of new files into one folder would read it thousands of times. While a
// FolderNamesScope is alive, each folder read is kept and used again as long as the folder's
// identity and modification time are unchanged, and the files and folders this program creates
// (see EntryCreation) are added to it as they appear. A change by another program shows as a new
// modification time, except one made within the same tick of the file system's clock as our
// reading or creating (coarse on some kernels and file systems); such a change is missed until
// the folder changes again. The scope belongs around work that creates many files (an update
// pass); outside it every lookup reads the folder. Scopes may nest; the kept names are dropped
// when the outermost one ends. For the GUI thread only.
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

// Brackets this program's creating of (or writing to) `path`, a file or a folder: made just
// before, Confirm() once the entry exists. The kept names of its folder take the name, and stay
// usable, only when nothing else had changed the folder since its names were read; otherwise the
// folder is read again at its next lookup. Does nothing outside a scope.
class EntryCreation {
 public:
  explicit EntryCreation(std::filesystem::path path);
  void Confirm() const;

 private:
  std::filesystem::path path_;
  bool folder_was_current_ = false;  // the kept names matched the folder just before
};

}  // namespace veyra
