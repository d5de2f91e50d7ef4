#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/paths.h"

namespace veyra::testing {

// A fresh folder one level below a folder of its own under the system's temporary folder; both
// are removed with everything in them when the object goes away, so a name that wrongly climbs
// out of the game folder lands in a folder the test owns, never in the system's. It is also made
// the program folder while it lives, because the updater resolves every local name against the
// program folder.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder as the updater writes it: absolute, ending with '/'.
  std::string folder() const { return Utf8FromPath(path_) + kFolderSeparator; }

  // Writes `bytes` to the relative name (forward slashes), creating folders.
  void Write(std::string_view relative, std::string_view bytes) const;
  // Whole content of a file, or the text "<missing>" when there is none.
  std::string Read(std::string_view relative) const;
  bool Exists(std::string_view relative) const;

 private:
  std::filesystem::path owner_;
  std::filesystem::path path_;
  std::string previous_program_folder_;
};

}  // namespace veyra::testing
