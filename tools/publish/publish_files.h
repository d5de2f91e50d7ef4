#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace veyra {

// Names of the files of a published update set.
inline constexpr std::string_view kUpdateListName = "update3.dat";
inline constexpr std::string_view kManifestName = "publish-manifest.txt";
inline constexpr std::string_view kUpdateListHeader = "VeyraOnline update list";

// Whole content of a file. Throws veyra::Error naming the file when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);

// Writes `bytes` as the whole file, creating its folders. Throws veyra::Error on failure.
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// The regular files below `root` as relative names with '/', sorted byte-wise. Throws
// veyra::Error when `root` is not a folder.
std::vector<std::string> ListTree(const std::filesystem::path& root);

// A relative '/' name of this system (UTF-8) as the game writes it: in Big5, every '/' a '\'.
// Throws veyra::Error naming the file when a character has no Big5 counterpart.
std::string ToLocalName(std::string_view relative);

// A relative '/' name as a remote name: bytes outside letters, digits and "._~-/" are
// percent-encoded, so the name is a valid URL path and never holds a space.
std::string EncodeRemoteName(std::string_view relative);

// The file path on the server's disk that a remote name refers to (percent-escapes decoded).
std::string DecodeRemoteName(std::string_view remote);

}  // namespace veyra
