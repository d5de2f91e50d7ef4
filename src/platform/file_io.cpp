#include "platform/file_io.h"

// What both systems' file access builds on the same way.
namespace veyra {

FileStatus ReadWholeFile(const std::filesystem::path& path, std::string& content) {
  FileHandle file(path, OpenMode::kRead);
  if (!file.ok()) return file.status();
  return file.ReadAll(content);
}

FileStatus FileHandle::ReadStart(std::size_t count, std::string& content) {
  std::string start(count, '\0');
  std::size_t done = 0;
  if (FileStatus read = ReadAt(0, start.data(), count, done); !read.ok()) return read;
  start.resize(done);
  content = std::move(start);
  return {};
}

}  // namespace veyra
