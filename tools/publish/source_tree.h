#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace veyra {

// A file of a release or page folder: where its bytes are read and the relative name ('/'
// separated) it is installed under.
struct SourceFile {
  std::filesystem::path path;
  std::string relative;
};

// The regular files below `root`, sorted byte-wise by relative name. Every path read lies below
// `root` and every relative name is made of the folder's own entry names, so nothing derived
// from them can climb out. Without `follow_links` a symbolic link anywhere below `root` is an
// error naming the link and its target; with it, a link to a file or folder inside `root` is
// walked under the link's own name, and a link that leads outside, nowhere or into a folder
// holding it is still an error. A FIFO, socket or device is an error naming it.
// Throws veyra::Error, "not a folder: ROOT" when `root` is no folder.
std::vector<SourceFile> ListSourceFiles(const std::filesystem::path& root, bool follow_links);

}  // namespace veyra
