#include "publish_files.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <system_error>

#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/text_codec.h"

namespace veyra {

namespace fs = std::filesystem;

std::string ReadFileBytes(const fs::path& path) {
  // Opened without blocking, so that a FIFO under the name is refused instead of waited on.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw Error("cannot read " + path.string());
  FileHandle file(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    throw Error("not a regular file: " + path.string());
  }
  std::string bytes;
  if (!file.ReadAll(bytes).ok()) throw Error("cannot read " + path.string());
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

std::string EncodeRemoteName(std::string_view relative) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string remote;
  for (unsigned char c : relative) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '.' || c == '_' || c == '~' || c == '-' || c == '/';
    if (plain) {
      remote += static_cast<char>(c);
    } else {
      remote += '%';
      remote += kHex[c >> 4];
      remote += kHex[c & 0xf];
    }
  }
  return remote;
}

std::string DecodeRemoteName(std::string_view remote) {
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string path;
  for (size_t i = 0; i < remote.size(); ++i) {
    if (remote[i] == '%' && i + 2 < remote.size() && hex(remote[i + 1]) >= 0 &&
        hex(remote[i + 2]) >= 0) {
      path += static_cast<char>(hex(remote[i + 1]) * 16 + hex(remote[i + 2]));
      i += 2;
    } else {
      path += remote[i];
    }
  }
  return path;
}

bool StaysBelowFolder(std::string_view path) {
  if (path.empty() || path.front() == '/' || path.find('\0') != std::string_view::npos)
    return false;
  for (size_t start = 0; start <= path.size();) {
    size_t end = std::min(path.find('/', start), path.size());
    std::string_view component = path.substr(start, end - start);
    if (component == "." || component == "..") return false;
    start = end + 1;
  }
  return true;
}

bool IsInsideFolder(const fs::path& path, const fs::path& folder) {
  return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first ==
         folder.end();
}

}  // namespace veyra
