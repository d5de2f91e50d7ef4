#include "manifest.h"

#include <algorithm>
#include <string_view>

#include "platform/ascii_case.h"
#include "platform/error.h"
#include "publish_files.h"
#include "updater/gzip/gzmem.h"
#include "updater/records/archive.h"
#include "updater/records/lines.h"
#include "updater/signing/sha256.h"
#include "versions.h"

namespace veyra {
namespace {

constexpr std::string_view kManifestHeader = "veyra-publish manifest 1";

uint64_t ParseCount(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
    throw Error("manifest: not a number: " + text);
  }
  return std::stoull(text);
}

std::string Expand(std::string_view bytes) {
  GzMemBuffer expanded = GzMemDecompress(bytes.data(), bytes.size());
  return std::string(expanded.view());
}

// Rebuilds one entry's fingerprint from the published file; empty when that fails.
void FingerprintFromFile(const std::filesystem::path& set, ManifestEntry& entry) {
  // A name leading out of the old set counts as changed: nothing outside it is read.
  std::string path = DecodeRemoteName(entry.remote_name);
  if (!StaysBelowFolder(path)) return;
  try {
    std::string bytes = ReadFileBytes(set / path);
    if (entry.marker == "O") {
      entry.fingerprint = Sha256Hex(bytes);
    } else if (entry.marker == "E") {
      entry.fingerprint = Sha256Hex(Expand(bytes));
    } else if (entry.marker == "C") {
      std::string block = Expand(bytes);
      ArchiveDirectory directory = ReadArchiveDirectory(block);
      if (!directory.valid()) return;
      for (const ArchiveEntry& member : directory.members) {
        std::string_view data(block.data() + member.start,
                              static_cast<size_t>(member.end - member.start));
        entry.members.push_back({member.name, data.size(), Sha256Hex(data)});
      }
      entry.fingerprint = ArchiveFingerprint(entry.members);
    }
  } catch (const Error&) {
    entry.fingerprint.clear();
    entry.members.clear();
  }
}

Manifest ManifestFromUpdateList(const std::filesystem::path& set) {
  LineList lines = SplitLines(ReadFileBytes(set / kUpdateListName));
  Manifest manifest;
  for (size_t i = 1; i < lines.size(); ++i) {
    ManifestEntry entry;
    entry.marker = GetField(lines[i], 1);
    entry.remote_name = GetField(lines[i], 2);
    entry.local_name = GetField(lines[i], 3);
    entry.version = GetField(lines[i], 4);
    if (entry.local_name.empty()) continue;
    FingerprintFromFile(set, entry);
    if (auto generation = ParseGenerationVersion(entry.version)) {
      manifest.generation = std::max(manifest.generation, *generation);
    }
    manifest.entries.push_back(std::move(entry));
  }
  return manifest;
}

}  // namespace

std::string ArchiveFingerprint(const std::vector<ManifestMember>& members) {
  std::string text;
  for (const ManifestMember& member : members) {
    text += member.local_name + "\n" + std::to_string(member.size) + " " + member.hash + "\n";
  }
  return Sha256Hex(text);
}

std::string FormatManifest(const Manifest& manifest) {
  LineList lines{std::string(kManifestHeader), "generation " + std::to_string(manifest.generation)};
  for (const ManifestEntry& entry : manifest.entries) {
    lines.push_back("entry " + entry.marker + " " + entry.remote_name + " " + entry.local_name +
                    " " + entry.version + " " + std::to_string(entry.size) + " " +
                    entry.fingerprint);
    for (const ManifestMember& member : entry.members) {
      lines.push_back("member " + member.local_name + " " + std::to_string(member.size) + " " +
                      member.hash);
    }
  }
  return JoinLines(lines);
}

Manifest ParseManifest(const std::string& text) {
  LineList lines = SplitLines(text);
  if (lines.empty() || lines[0] != kManifestHeader) throw Error("not a publish manifest");
  Manifest manifest;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string kind = GetField(lines[i], 1);
    if (kind == "generation") {
      manifest.generation = ParseCount(GetField(lines[i], 2));
    } else if (kind == "entry") {
      manifest.entries.push_back({GetField(lines[i], 2),
                                  GetField(lines[i], 3),
                                  GetField(lines[i], 4),
                                  GetField(lines[i], 5),
                                  ParseCount(GetField(lines[i], 6)),
                                  GetField(lines[i], 7),
                                  {}});
    } else if (kind == "member" && !manifest.entries.empty()) {
      manifest.entries.back().members.push_back(
          {GetField(lines[i], 2), ParseCount(GetField(lines[i], 3)), GetField(lines[i], 4)});
    } else if (!lines[i].empty()) {
      throw Error("manifest: unexpected line " + std::to_string(i + 1));
    }
  }
  return manifest;
}

Manifest LoadPreviousSet(const std::filesystem::path& set) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(set / kUpdateListName, ec)) {
    throw Error("previous set has no " + std::string(kUpdateListName) + ": " + set.string());
  }
  if (std::filesystem::is_regular_file(set / kManifestName, ec)) {
    try {
      return ParseManifest(ReadFileBytes(set / kManifestName));
    } catch (const Error&) {
      // A damaged manifest is no reason to refuse: the published files still tell the truth.
    }
  }
  return ManifestFromUpdateList(set);
}

std::map<std::string, const ManifestEntry*> IndexByLocalName(const Manifest& manifest) {
  std::map<std::string, const ManifestEntry*> index;
  for (const ManifestEntry& entry : manifest.entries) {
    index.emplace(AsciiLowered(entry.local_name), &entry);
  }
  return index;
}

}  // namespace veyra
