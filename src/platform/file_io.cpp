#include "platform/file_io.h"

// What both systems' file access builds on the same way.
namespace veyra {

FileStatus ReadWholeFile(const std::filesystem::path& path, std::string& content) {
  FileHandle file(path, OpenMode::kRead);
  if (!file.ok()) return file.status();
  return file.ReadAll(content);
}

}  // namespace veyra
