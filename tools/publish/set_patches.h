#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "manifest.h"
#include "updater/signing/update_statement.h"

namespace veyra {

// The content a player has installed from `remote` of `set` for an entry with `marker`: the
// expanded gzip image ("E") or the file itself ("O"). Throws veyra::Error when it cannot be read
// or expanded, or for another marker.
std::string InstalledContent(const std::filesystem::path& set, const std::string& marker,
                             const std::string& remote);

// Where patches lie in a set: a folder no remote name of the update list starts with. The name
// holds the start of the base's digest, so that patches from several bases never collide.
std::string PatchRemoteName(const std::string& file_remote, const std::string& base_sha256);

// Writes into `set` (the new set, its files already published) a patch for every "E" or "O"
// entry of `entries` whose content changed since `previous` (the manifest of `previous_set`,
// where its older version is read). A patch is kept only when it is at most half as long as the
// file it stands in for, and only after it has been applied to its base and yielded the new
// content. Entries whose older version cannot be read get none. Progress lines go to `progress`.
std::vector<SignedPatch> WritePatches(const std::filesystem::path& set,
                                      const std::vector<ManifestEntry>& entries,
                                      const std::filesystem::path& previous_set,
                                      const Manifest& previous, std::ostream& progress);

}  // namespace veyra
