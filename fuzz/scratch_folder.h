#pragma once

#include <filesystem>
#include <string>

namespace veyra::fuzz {

// The program folder of a fuzz target that writes files: a game folder three levels below a
// temporary folder of this process, so that a name climbing out of the game folder lands in a
// folder the target owns and can see. Created on first use and made the program folder;
// removed when the process ends normally (a crash leaves it for inspection).
class ScratchFolder {
 public:
  static ScratchFolder& Get();

  const std::filesystem::path& root() const { return root_; }
  const std::filesystem::path& game() const { return game_; }

  // Removes everything the last input wrote and makes the game folder the program folder again.
  // Fails the property when anything was written outside the game folder.
  void Reset();

  // True when `path`, taken by its text (no links followed), lies strictly below the game folder.
  bool StrictlyBelowGame(const std::filesystem::path& path) const;

  ~ScratchFolder();

 private:
  ScratchFolder();

  std::filesystem::path root_;
  std::filesystem::path game_;
};

// The whole content of a file; `found` tells whether it could be read.
std::string ReadWholeFile(const std::filesystem::path& path, bool& found);

// Makes `bytes` the content of the file, creating it.
void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace veyra::fuzz
