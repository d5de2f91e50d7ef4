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

}  // namespace veyra
