#pragma once

#include <cstddef>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "manifest.h"
#include "updater/signing/update_statement.h"

namespace veyra {

// How many earlier sets one build may patch from: each costs a patch per changed file, and
// players further behind than that are better served by whole files.
inline constexpr size_t kMostEarlierSets = 4;

// Throws veyra::Error naming the limit when `count` earlier sets are more than a build takes.
void CheckEarlierSetCount(size_t count);

// A set players may still have installed, with what it holds.
struct EarlierSet {
  std::filesystem::path folder;
  Manifest manifest;
};

// The content a player has installed from `remote` of `set` for an entry with `marker`: the
// expanded gzip image ("E") or the file itself ("O"). Throws veyra::Error when it cannot be read
// or expanded, or for another marker.
std::string InstalledContent(const std::filesystem::path& set, const std::string& marker,
                             const std::string& remote);

// Where patches lie in a set: a folder no remote name of the update list starts with. The name
// holds the start of the base's digest, so that patches from several bases never collide.
std::string PatchRemoteName(const std::string& file_remote, const std::string& base_sha256);

// Writes into `set` (the new set, its files already published) patches for every "E" or "O"
// entry of `entries`: one from each distinct older content of it that the sets of `earlier` hold
// (the same content in several sets gives one patch), in entry order and, per entry, in the
// order of `earlier`. A patch is kept only when it is at most half as long as the file it stands
// in for, and only after it has been applied to its base and yielded the new content. Older
// versions that cannot be read get none. Progress lines go to `progress`.
std::vector<SignedPatch> WritePatches(const std::filesystem::path& set,
                                      const std::vector<ManifestEntry>& entries,
                                      const std::vector<EarlierSet>& earlier,
                                      std::ostream& progress);

}  // namespace veyra
