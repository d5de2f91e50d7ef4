#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "support/temp_folder.h"
#include "tools/publish/publish_build.h"
#include "tools/publish/publish_files.h"
#include "tools/publish/source_tree.h"
#include "updater/records/lines.h"

namespace veyra::testing {

// Files by relative '/' name with their content.
using Tree = std::map<std::string, std::string>;

// Writes every file of `tree` below `root`.
inline void WriteTree(const std::filesystem::path& root, const Tree& tree) {
  for (const auto& [name, bytes] : tree) WriteFileBytes(root / name, bytes);
}

// Every file below `root` with its content.
inline Tree ReadTree(const std::filesystem::path& root) {
  Tree tree;
  for (const SourceFile& file : ListSourceFiles(root, false)) {
    tree[file.relative] = ReadFileBytes(file.path);
  }
  return tree;
}

// Everything below `root`, no link followed: files with their content, links with their target,
// folders and special files by kind.
inline Tree Snapshot(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  Tree tree;
  for (fs::recursive_directory_iterator it(root), end; it != end; ++it) {
    std::string& item = tree[it->path().lexically_relative(root).generic_string()];
    fs::file_status status = it->symlink_status();
    if (fs::is_symlink(status)) {
      item = "link to " + fs::read_symlink(it->path()).string();
    } else if (fs::is_regular_file(status)) {
      item = "file " + ReadFileBytes(it->path());
    } else {
      item = fs::is_directory(status) ? "folder" : "special";
    }
  }
  return tree;
}

// Bytes that gzip cannot shrink, from a fixed seed.
inline std::string NoiseBytes(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return bytes;
}

// The entry lines of a published update list (header left out), by local name.
inline std::map<std::string, std::string> ListedEntries(const std::filesystem::path& set) {
  std::map<std::string, std::string> entries;
  LineList lines = SplitLines(ReadFileBytes(set / kUpdateListName));
  for (size_t i = 1; i < lines.size(); ++i) entries[GetField(lines[i], 3)] = lines[i];
  return entries;
}

inline std::string VersionOf(const std::filesystem::path& set, const std::string& local) {
  return GetField(ListedEntries(set)[local], 4);
}

// A work folder for release trees and sets; not the program folder once a game folder exists.
class PublishTest : public ::testing::Test {
 protected:
  std::filesystem::path Path(const std::string& name) const { return work.path() / name; }
  BuildSummary Build(const std::string& release, const std::string& out,
                     std::optional<std::string> previous = std::nullopt,
                     std::optional<std::string> page = std::nullopt) {
    BuildOptions options;
    options.release = Path(release);
    options.out = Path(out);
    if (previous) options.previous = Path(*previous);
    if (page) options.page = Path(*page);
    options.follow_links = follow_links;
    options.signing = signing;
    std::ostringstream progress;
    return BuildUpdateSet(options, progress);
  }

  TempFolder work;
  bool follow_links = false;
  std::optional<SigningOptions> signing;
};

}  // namespace veyra::testing
