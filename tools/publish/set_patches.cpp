#include "set_patches.h"

#include <optional>
#include <set>

#include "platform/ascii_case.h"
#include "platform/error.h"
#include "publish_files.h"
#include "set_statement.h"
#include "updater/gzip/gzmem.h"
#include "updater/patch/zstd_patch.h"

namespace veyra {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPatchFolder = "patch/";

using LocalIndex = std::map<std::string, const ManifestEntry*>;

// The version of `entry` that an earlier set holds, when it differs and a patch from it may pay.
const ManifestEntry* OlderVersion(const ManifestEntry& entry, const LocalIndex& old) {
  auto it = old.find(AsciiLowered(entry.local_name));
  if (it == old.end() || it->second->fingerprint == entry.fingerprint) return nullptr;
  const ManifestEntry& older = *it->second;
  if (older.marker != "E" && older.marker != "O") return nullptr;
  // The window of a patch covers both versions; larger files travel whole.
  if (static_cast<int64_t>(older.size + entry.size) > kPatchMostBytes) return nullptr;
  return &older;
}

// The new version of one entry, read only once some older version can be read.
struct NewVersion {
  std::string result;   // as installed
  std::string served;   // as the set serves it
  SignedDigest digest;  // of `result`
};

NewVersion ReadNewVersion(const fs::path& set, const ManifestEntry& entry) {
  NewVersion version{InstalledContent(set, entry.marker, entry.remote_name),
                     ReadRemoteFile(set, entry.remote_name),
                     {}};
  version.digest = DigestOf(version.result);
  return version;
}

// The patch from `base` to `target.result`, written into `set`, when it pays.
std::optional<SignedPatch> WritePatch(const fs::path& set, const ManifestEntry& entry,
                                      const std::string& base, const SignedDigest& base_digest,
                                      const NewVersion& target, std::ostream& progress) {
  const std::string patch = MakeZstdPatch(base, target.result);
  if (patch.size() * 2 > target.served.size()) return std::nullopt;
  // A patch that does not give back the new content exactly would fail every player.
  if (ApplyZstdPatch(base, patch, static_cast<int64_t>(target.result.size())) != target.result) {
    throw Error("a patch of " + entry.remote_name + " does not yield its new content");
  }
  SignedPatch signed_patch;
  signed_patch.file = entry.remote_name;
  signed_patch.base = base_digest;
  signed_patch.result = target.digest;
  signed_patch.remote = PatchRemoteName(entry.remote_name, base_digest.sha256);
  signed_patch.patch = DigestOf(patch);
  WriteFileBytes(set / DecodeRemoteName(signed_patch.remote), patch);
  progress << "patch for " << entry.remote_name << ": " << patch.size() << " bytes instead of "
           << target.served.size() << "\n"
           << std::flush;
  return signed_patch;
}

}  // namespace

void CheckEarlierSetCount(size_t count) {
  if (count > kMostEarlierSets) {
    throw Error("at most " + std::to_string(kMostEarlierSets) + " earlier sets (--previous) per " +
                "build, not " + std::to_string(count));
  }
}

std::string InstalledContent(const fs::path& set, const std::string& marker,
                             const std::string& remote) {
  std::string served = ReadRemoteFile(set, remote);
  if (marker == "O") return served;
  if (marker != "E") throw Error("no single installed file for marker " + marker);
  return std::string(GzMemDecompress(served.data(), served.size()).view());
}

std::string PatchRemoteName(const std::string& file_remote, const std::string& base_sha256) {
  return std::string(kPatchFolder) + file_remote + ".from-" + base_sha256.substr(0, 16) + ".zst";
}

std::vector<SignedPatch> WritePatches(const fs::path& set,
                                      const std::vector<ManifestEntry>& entries,
                                      const std::vector<EarlierSet>& earlier,
                                      std::ostream& progress) {
  std::vector<LocalIndex> indexes;
  for (const EarlierSet& older_set : earlier) {
    indexes.push_back(IndexByLocalName(older_set.manifest));
  }
  // The names of the patches tried, which hold the file and its base: a base found in several
  // sets is patched from (and its patch weighed) once.
  std::set<std::string> tried;
  std::vector<SignedPatch> patches;
  for (const ManifestEntry& entry : entries) {
    if (entry.marker != "E" && entry.marker != "O") continue;
    std::optional<NewVersion> target;
    for (size_t i = 0; i < earlier.size(); ++i) {
      const ManifestEntry* older = OlderVersion(entry, indexes[i]);
      if (older == nullptr || tried.count(PatchRemoteName(entry.remote_name, older->fingerprint))) {
        continue;
      }
      std::string base;
      try {
        base = InstalledContent(earlier[i].folder, older->marker, older->remote_name);
      } catch (const Error&) {
        continue;  // that set lost the file: nothing to patch from
      }
      // The manifest's fingerprint is what the set claims; the name follows what it holds.
      const SignedDigest base_digest = DigestOf(base);
      if (!tried.insert(PatchRemoteName(entry.remote_name, base_digest.sha256)).second) continue;
      if (!target) {
        target = ReadNewVersion(set, entry);
      }
      if (auto patch = WritePatch(set, entry, base, base_digest, *target, progress)) {
        patches.push_back(std::move(*patch));
      }
    }
  }
  return patches;
}

}  // namespace veyra
