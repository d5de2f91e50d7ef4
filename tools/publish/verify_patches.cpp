#include "verify_patches.h"

#include <map>
#include <optional>
#include <utility>

#include "manifest.h"
#include "platform/error.h"
#include "publish_files.h"
#include "set_patches.h"
#include "set_statement.h"
#include "updater/patch/zstd_patch.h"
#include "updater/records/lines.h"

namespace veyra {

namespace fs = std::filesystem;

namespace {

// The markers of the list's remote files.
std::map<std::string, std::string> MarkersByRemote(const fs::path& set) {
  std::map<std::string, std::string> markers;
  const LineList lines = SplitLines(ReadFileBytes(set / kUpdateListName));
  for (size_t i = 1; i < lines.size(); ++i) {
    markers.emplace(GetField(lines[i], 2), GetField(lines[i], 1));
  }
  return markers;
}

// The installed contents of earlier sets by their digests, read only where a patch needs one.
class BaseFinder {
 public:
  explicit BaseFinder(const std::vector<fs::path>& sets) {
    for (const fs::path& set : sets) sets_.push_back({set, LoadPreviousSet(set)});
  }

  std::optional<std::string> Find(const SignedDigest& base) const {
    for (const auto& [set, manifest] : sets_) {
      for (const ManifestEntry& entry : manifest.entries) {
        if (entry.fingerprint != base.sha256) continue;
        try {
          std::string content = InstalledContent(set, entry.marker, entry.remote_name);
          if (DigestOf(content) == base) return content;
        } catch (const Error&) {
        }
      }
    }
    return std::nullopt;
  }

  // The sets searched, for a note.
  std::string Names() const {
    std::string names;
    for (const auto& [set, manifest] : sets_) names += (names.empty() ? "" : " or ") + set.string();
    return names;
  }

 private:
  std::vector<std::pair<fs::path, Manifest>> sets_;
};

}  // namespace

PatchReport VerifyPatches(const fs::path& set, const UpdateStatement& statement,
                          const std::vector<fs::path>& previous) {
  PatchReport report;
  if (statement.patches.empty()) return report;
  const std::map<std::string, std::string> markers = MarkersByRemote(set);
  const BaseFinder bases(previous);
  size_t applied = 0;
  for (const SignedPatch& p : statement.patches) {
    const std::string where = "patch " + p.remote + ": ";
    const auto marker = markers.find(p.file);
    if (marker == markers.end() || (marker->second != "E" && marker->second != "O")) {
      report.problems.push_back(where + "stands in for " + p.file + ", no E or O file of the list");
      continue;
    }
    std::string patch, result;
    try {
      patch = ReadRemoteFile(set, p.remote);
      result = InstalledContent(set, marker->second, p.file);
    } catch (const Error& e) {
      report.problems.push_back(where + e.what());
      continue;
    }
    if (DigestOf(patch) != p.patch) report.problems.push_back(where + "does not match its digest");
    if (DigestOf(result) != p.result) {
      report.problems.push_back(where + "its result is not the content of " + p.file);
    }
    if (previous.empty()) continue;
    const std::optional<std::string> base = bases.Find(p.base);
    if (!base) {
      report.notes.push_back(where + "its base is not in " + bases.Names());
      continue;
    }
    if (ApplyZstdPatch(*base, patch, p.result.length) != result) {
      report.problems.push_back(where + "applied to its base, it does not yield " + p.file);
    }
    ++applied;
  }
  report.notes.push_back(std::to_string(statement.patches.size()) + " patches, " +
                         std::to_string(applied) + " applied to their bases" +
                         (previous.empty() ? " (give --previous OLD_SET to apply them)" : ""));
  return report;
}

}  // namespace veyra
