#include "set_patches.h"

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

// Both versions of one file, when the older one can be read and a patch may pay.
struct PatchCandidate {
  std::string base, result;
  std::string served;  // the new file as the set serves it
};

std::optional<PatchCandidate> CandidateFor(const fs::path& set, const ManifestEntry& entry,
                                           const fs::path& previous_set,
                                           const std::map<std::string, const ManifestEntry*>& old) {
  if (entry.marker != "E" && entry.marker != "O") return std::nullopt;
  auto it = old.find(AsciiLowered(entry.local_name));
  if (it == old.end() || it->second->fingerprint == entry.fingerprint) return std::nullopt;
  const ManifestEntry& older = *it->second;
  if (older.marker != "E" && older.marker != "O") return std::nullopt;
  // The window of a patch covers both versions; larger files travel whole.
  if (static_cast<int64_t>(older.size + entry.size) > kPatchMostBytes) return std::nullopt;
  PatchCandidate candidate;
  try {
    candidate.base = InstalledContent(previous_set, older.marker, older.remote_name);
  } catch (const Error&) {
    return std::nullopt;  // the older set lost the file: nothing to patch from
  }
  candidate.served = ReadRemoteFile(set, entry.remote_name);
  candidate.result = InstalledContent(set, entry.marker, entry.remote_name);
  return candidate;
}

}  // namespace

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
                                      const fs::path& previous_set, const Manifest& previous,
                                      std::ostream& progress) {
  const auto old = IndexByLocalName(previous);
  std::vector<SignedPatch> patches;
  for (const ManifestEntry& entry : entries) {
    std::optional<PatchCandidate> candidate = CandidateFor(set, entry, previous_set, old);
    if (!candidate) continue;
    const std::string patch = MakeZstdPatch(candidate->base, candidate->result);
    if (patch.size() * 2 > candidate->served.size()) continue;
    // A patch that does not give back the new content exactly would fail every player.
    if (ApplyZstdPatch(candidate->base, patch, static_cast<int64_t>(candidate->result.size())) !=
        candidate->result) {
      throw Error("a patch of " + entry.remote_name + " does not yield its new content");
    }
    SignedPatch signed_patch;
    signed_patch.file = entry.remote_name;
    signed_patch.base = DigestOf(candidate->base);
    signed_patch.result = DigestOf(candidate->result);
    signed_patch.remote = PatchRemoteName(entry.remote_name, signed_patch.base.sha256);
    signed_patch.patch = DigestOf(patch);
    WriteFileBytes(set / DecodeRemoteName(signed_patch.remote), patch);
    progress << "patch for " << entry.remote_name << ": " << patch.size() << " bytes instead of "
             << candidate->served.size() << "\n"
             << std::flush;
    patches.push_back(std::move(signed_patch));
  }
  return patches;
}

}  // namespace veyra
