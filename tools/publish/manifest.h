#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace veyra {

// One member of an archive entry, as the manifest lists it.
struct ManifestMember {
  std::string local_name;
  uint64_t size = 0;
  std::string hash;  // Sha256Hex of the content
};

// One entry of a published set. `fingerprint` identifies the installed content: the content's
// hash for "E" and "O", ArchiveFingerprint of the members for "C".
struct ManifestEntry {
  std::string marker, remote_name, local_name, version;
  uint64_t size = 0;  // uncompressed bytes (all members together for "C")
  std::string fingerprint;
  std::vector<ManifestMember> members;
};

struct Manifest {
  uint64_t generation = 0;  // the set's generation; 0 when unknown
  std::vector<ManifestEntry> entries;
};

// The fingerprint of an archive: the hash over member names, sizes and hashes, in order.
std::string ArchiveFingerprint(const std::vector<ManifestMember>& members);

// The manifest as text lines (CR LF): a header, "generation G", then per entry
// "entry marker remote local version size fingerprint" and one "member local size hash" line
// per archive member.
std::string FormatManifest(const Manifest& manifest);

// Parses FormatManifest's text. Throws veyra::Error for a text that is not a manifest.
Manifest ParseManifest(const std::string& text);

// What an earlier set holds: its manifest when it has one, otherwise one rebuilt from its
// update list by expanding every listed file (a file that cannot be read or expanded gets an
// empty fingerprint, so it counts as changed). Throws veyra::Error when the folder holds no
// update list.
Manifest LoadPreviousSet(const std::filesystem::path& set);

// Entries of a manifest by case-folded local name (the first of duplicates wins).
std::map<std::string, const ManifestEntry*> IndexByLocalName(const Manifest& manifest);

}  // namespace veyra
