#include "publish_files.h"

#include <algorithm>
#include <system_error>

#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/text_codec.h"

namespace veyra {

namespace fs = std::filesystem;

std::string ReadFileBytes(const fs::path& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes).ok()) throw Error("cannot read " + path.string());
  return bytes;
}

void WriteFileBytes(const fs::path& path, std::string_view bytes) {
  std::error_code ec;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
  FileHandle file(path, OpenMode::kWriteEmpty);
  if (!file.ok() || !file.WriteAllAt(0, bytes).ok() || !file.Close().ok()) {
    throw Error("cannot write " + path.string());
  }
}

std::vector<std::string> ListTree(const fs::path& root) {
  std::error_code ec;
  if (!fs::is_directory(root, ec)) throw Error("not a folder: " + root.string());
  std::vector<std::string> names;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (it->is_regular_file()) names.push_back(fs::relative(it->path(), root).generic_string());
  }
  if (ec) throw Error("cannot list " + root.string() + ": " + ec.message());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ToLocalName(std::string_view relative) {
  // The game's lists and archives carry names in Big5, as players' systems read them.
  std::optional<std::string> local = EncodeFromDisplayExactly("t", relative);
  if (!local) {
    throw Error("file name cannot be written in Big5, which the update list uses: " +
                std::string(relative));
  }
  std::replace(local->begin(), local->end(), '/', '\\');
  return *local;
}

}  // namespace veyra
