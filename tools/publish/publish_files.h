#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace veyra {

// Names of the files of a published update set.
inline constexpr std::string_view kUpdateListName = "update3.dat";
inline constexpr std::string_view kManifestName = "publish-manifest.txt";
inline constexpr std::string_view kUpdateListHeader = "VeyraOnline update list";

// Whole content of a regular file (a link to one is followed). Throws veyra::Error naming the
// file when it cannot be read or is no regular file (a FIFO is refused, never waited on).
std::string ReadFileBytes(const std::filesystem::path& path);

// Writes `bytes` as the whole file, creating its folders. Throws veyra::Error on failure.
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// A relative '/' name of this system (UTF-8) as the game writes it: in Big5, every '/' a '\'.
// Throws veyra::Error naming the file when a character has no Big5 counterpart.
std::string ToLocalName(std::string_view relative);

// A relative '/' name as a remote name: bytes outside letters, digits and "._~-/" are
// percent-encoded, so the name is a valid URL path and never holds a space.
std::string EncodeRemoteName(std::string_view relative);

// The file path on the server's disk that a remote name refers to (percent-escapes decoded).
std::string DecodeRemoteName(std::string_view remote);

// True when a '/' path joined to a folder names something below it: not empty, not absolute,
// no "." or ".." component and no NUL byte (which would cut the path short).
bool StaysBelowFolder(std::string_view path);

// True when `path` is `folder` or lies below it, compared component by component; both paths
// must already be canonical.
bool IsInsideFolder(const std::filesystem::path& path, const std::filesystem::path& folder);

}  // namespace veyra
