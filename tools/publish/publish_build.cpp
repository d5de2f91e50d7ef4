#include "publish_build.h"

#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "key_files.h"
#include "manifest.h"
#include "platform/ascii_case.h"
#include "platform/error.h"
#include "platform/folder_swap.h"
#include "publish_files.h"
#include "set_patches.h"
#include "source_tree.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/records/archive.h"
#include "updater/records/lines.h"
#include "updater/signing/sha256.h"
#include "versions.h"

namespace veyra {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPageName = "index2.html";
constexpr std::string_view kPageArchiveRemote = "images.adf";
constexpr std::string_view kPageArchiveLocal = "images.unadf";
// Archives of a folder are named after it plus this prefix, which no release file may use.
constexpr std::string_view kArchivePrefix = "#pack";

// An entry before its version is known; its published file is already written.
struct PlannedEntry {
  ManifestEntry entry;
  uint64_t published_bytes = 0;
};

void CheckName(const std::string& relative, bool in_archive) {
  if (relative.find(' ') != std::string::npos) {
    throw Error("file name contains a space, which the update list cannot carry: " + relative);
  }
  for (unsigned char c : relative) {
    if (c < 0x20 || c == 0x7f || c == '\\') {
      throw Error("file name contains a control character or backslash: " + relative);
    }
  }
  if (relative.rfind(kArchivePrefix, 0) == 0 ||
      relative.find("/" + std::string(kArchivePrefix)) != std::string::npos) {
    throw Error("names starting with " + std::string(kArchivePrefix) +
                " are reserved for archives: " + relative);
  }
  if (in_archive && relative.size() > kArchiveMaxNameLength) {
    throw Error("file name longer than 80 bytes cannot go into an archive: " + relative);
  }
}

std::string FolderOf(const std::string& relative) {
  size_t slash = relative.rfind('/');
  return slash == std::string::npos ? "" : relative.substr(0, slash);
}

class SetWriter {
 public:
  SetWriter(fs::path folder, size_t total, std::ostream& progress)
      : folder_(std::move(folder)), total_(total), progress_(progress) {}

  // One file as "E" or "O", whichever gzip earns.
  void AddSingle(const SourceFile& file, const std::string& gzip_remote,
                 const std::string& raw_remote) {
    std::string content = ReadFileBytes(file.path);
    std::string packed = GzipCompress(content);
    bool worth_it = !content.empty() && packed.size() * 100 <= content.size() * 95;
    bool raw = !content.empty() && !worth_it;
    PlannedEntry planned;
    planned.entry.marker = raw ? "O" : "E";
    planned.entry.remote_name = raw ? raw_remote : gzip_remote;
    planned.entry.local_name = ToLocalName(file.relative);
    planned.entry.size = content.size();
    planned.entry.fingerprint = Sha256Hex(content);
    Publish(planned, raw ? content : packed);
    Advance(1);
  }

  // Several files as one "C" archive.
  void AddArchive(const std::vector<SourceFile>& files, const std::string& remote,
                  const std::string& local) {
    std::vector<ArchiveMember> members;
    PlannedEntry planned;
    planned.entry.marker = "C";
    planned.entry.remote_name = remote;
    planned.entry.local_name = local;
    for (const SourceFile& file : files) {
      ArchiveMember member{ToLocalName(file.relative), ReadFileBytes(file.path)};
      planned.entry.size += member.data.size();
      planned.entry.members.push_back({member.name, member.data.size(), Sha256Hex(member.data)});
      members.push_back(std::move(member));
    }
    planned.entry.fingerprint = ArchiveFingerprint(planned.entry.members);
    Publish(planned, GzipCompress(PackArchive(members)));
    Advance(files.size());
  }

  std::vector<PlannedEntry>& entries() { return entries_; }

 private:
  void Publish(PlannedEntry& planned, const std::string& bytes) {
    std::string path = DecodeRemoteName(planned.entry.remote_name);
    // Release names are folder entries and cannot climb; this guards the set whatever changes.
    if (!StaysBelowFolder(path)) throw Error("published name leaves the set: " + path);
    WriteFileBytes(folder_ / path, bytes);
    planned.published_bytes = bytes.size();
    entries_.push_back(std::move(planned));
  }

  void Advance(size_t files) {
    size_t before = done_ * 10 / std::max<size_t>(total_, 1);
    done_ += files;
    if (done_ * 10 / std::max<size_t>(total_, 1) != before || done_ == total_) {
      progress_ << "publishing: " << done_ << " of " << total_ << " files done\n" << std::flush;
    }
  }

  fs::path folder_;
  size_t total_;
  size_t done_ = 0;
  std::ostream& progress_;
  std::vector<PlannedEntry> entries_;
};

std::vector<SourceFile> ReleaseFiles(const fs::path& root, bool follow_links) {
  std::vector<SourceFile> files = ListSourceFiles(root, follow_links);
  for (const SourceFile& file : files) CheckName(file.relative, false);
  return files;
}

// Adds the release's files: small files of a folder with at least two of them as archives of
// up to 100 members, every other file alone.
void PlanRelease(const std::vector<SourceFile>& files, uint64_t small, SetWriter& writer) {
  std::map<std::string, std::vector<SourceFile>> small_by_folder;
  for (const SourceFile& file : files) {
    if (fs::file_size(file.path) <= small) small_by_folder[FolderOf(file.relative)].push_back(file);
  }
  for (auto it = small_by_folder.begin(); it != small_by_folder.end();) {
    it = it->second.size() < 2 ? small_by_folder.erase(it) : std::next(it);
  }
  for (const SourceFile& file : files) {
    auto group = small_by_folder.find(FolderOf(file.relative));
    bool archived = group != small_by_folder.end() &&
                    std::any_of(group->second.begin(), group->second.end(),
                                [&](const SourceFile& f) { return f.relative == file.relative; });
    if (!archived) {
      writer.AddSingle(file, "gz/" + EncodeRemoteName(file.relative) + ".gz",
                       "raw/" + EncodeRemoteName(file.relative));
    }
  }
  for (const auto& [folder, members] : small_by_folder) {
    for (const SourceFile& member : members) CheckName(member.relative, true);
    std::string prefix = folder.empty() ? "" : folder + "/";
    for (size_t first = 0, part = 1; first < members.size(); first += kArchiveMaxMembers, ++part) {
      size_t last = std::min(members.size(), first + kArchiveMaxMembers);
      std::vector<SourceFile> chunk(members.begin() + first, members.begin() + last);
      std::string name = std::string(kArchivePrefix) + std::to_string(part);
      writer.AddArchive(chunk, "pack/" + EncodeRemoteName(prefix + name) + ".adf",
                        ToLocalName(prefix + name + ".unadf"));
    }
  }
}

std::vector<SourceFile> PageFiles(const fs::path& root, bool follow_links) {
  std::vector<SourceFile> files = ListSourceFiles(root, follow_links);
  bool has_page = false;
  for (const SourceFile& file : files) {
    CheckName(file.relative, file.relative != kPageName);
    if (file.relative == kPageName) has_page = true;
  }
  if (!has_page)
    throw Error("page folder holds no " + std::string(kPageName) + ": " + root.string());
  if (files.size() - 1 > static_cast<size_t>(kArchiveMaxMembers)) {
    throw Error("page folder holds more than 100 pictures: " + root.string());
  }
  return files;
}

void PlanPage(const std::vector<SourceFile>& files, SetWriter& writer) {
  std::vector<SourceFile> pictures;
  for (const SourceFile& file : files) {
    if (file.relative == kPageName) {
      writer.AddSingle(file, std::string(kPageName), std::string(kPageName));
    } else {
      pictures.push_back(file);
    }
  }
  if (!pictures.empty()) {
    writer.AddArchive(pictures, std::string(kPageArchiveRemote), std::string(kPageArchiveLocal));
  }
}

// Every name that lands in the game folder or the record must be unique, letter case ignored.
void CheckUnique(const std::vector<PlannedEntry>& entries) {
  std::map<std::string, std::string> seen;
  auto claim = [&](const std::string& name) {
    auto [it, fresh] = seen.emplace(AsciiLowered(name), name);
    if (!fresh)
      throw Error("two files would be installed as the same name: " + it->second + " and " + name);
  };
  for (const PlannedEntry& planned : entries) {
    claim(planned.entry.local_name);
    for (const ManifestMember& member : planned.entry.members) claim(member.local_name);
  }
}

// Gives every entry its version: unchanged content keeps the earlier one.
int AssignVersions(std::vector<PlannedEntry>& entries, const Manifest& previous,
                   uint64_t generation) {
  auto index = IndexByLocalName(previous);
  int changed = 0;
  for (PlannedEntry& planned : entries) {
    auto it = index.find(AsciiLowered(planned.entry.local_name));
    std::optional<std::string> earlier;
    if (it != index.end()) {
      if (!it->second->fingerprint.empty() &&
          it->second->fingerprint == planned.entry.fingerprint && !it->second->version.empty()) {
        planned.entry.version = it->second->version;
        continue;
      }
      earlier = it->second->version;
    }
    planned.entry.version = NextVersion(earlier, generation);
    ++changed;
  }
  return changed;
}

uint64_t NextGeneration(const Manifest& previous) {
  uint64_t generation = previous.generation;
  for (const ManifestEntry& entry : previous.entries) {
    if (auto g = ParseGenerationVersion(entry.version)) generation = std::max(generation, *g);
  }
  return generation + 1;
}

bool Overlaps(const fs::path& a, const fs::path& b) {
  auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return ia == a.end() || ib == b.end();
}

// The set must not be written over, into or around a folder it is read from.
void CheckOutsideSources(const fs::path& out, const BuildOptions& options) {
  for (const auto& source : {std::optional<fs::path>(options.release), options.page}) {
    if (source && Overlaps(out, fs::weakly_canonical(*source))) {
      throw Error("the output folder " + out.string() + " overlaps the source folder " +
                  source->string());
    }
  }
}

// Puts the finished folder in place of `out` in one step; the old content ends in `built`.
void SwapIntoPlace(const fs::path& built, const fs::path& out) {
  const FolderSwap swap = SwapFolderIntoPlace(built, out);
  if (!swap.status.ok()) {
    throw Error((swap.target_existed ? "cannot replace " : "cannot create ") + out.string() + ": " +
                swap.status.Describe());
  }
  if (swap.target_existed) {
    std::error_code ec;
    fs::remove_all(built, ec);
  }
}

// A temporary folder beside `out`, removed unless released.
class StagingFolder {
 public:
  explicit StagingFolder(const fs::path& out)
      : path_(out.parent_path() /
              ("." + out.filename().string() + ".publishing-" + std::to_string(::getpid()))) {
    std::error_code ec;
    fs::remove_all(path_, ec);
    if (!fs::create_directories(path_, ec)) {
      throw Error("cannot create " + path_.string() + ": " + ec.message());
    }
  }
  ~StagingFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

}  // namespace

BuildSummary BuildUpdateSet(const BuildOptions& options, std::ostream& progress) {
  fs::path out = fs::weakly_canonical(fs::absolute(options.out));
  if (!out.has_filename()) out = out.parent_path();
  CheckOutsideSources(out, options);
  std::error_code ec;
  if (fs::exists(out, ec) && !fs::is_directory(out, ec)) {
    throw Error("output exists and is not a folder: " + out.string());
  }
  if (!options.older.empty() && !options.previous) {
    throw Error("earlier sets to patch from need the set now served first");
  }
  CheckEarlierSetCount(options.older.size() + (options.previous ? 1 : 0));
  std::vector<EarlierSet> earlier;
  if (options.previous) earlier.push_back({*options.previous, LoadPreviousSet(*options.previous)});
  // Read before any work, so that a wrong key file or earlier set costs nothing.
  std::optional<SecretKey> key;
  if (options.signing) key = LoadSecretKey(options.signing->key_file);
  // The older sets serve only as bases of patches, which only a signed set offers.
  if (key) {
    for (const fs::path& older : options.older) earlier.push_back({older, LoadPreviousSet(older)});
  }
  static const Manifest kNoSet;
  const Manifest& previous = earlier.empty() ? kNoSet : earlier.front().manifest;
  const uint64_t previous_serial = options.previous ? StatementSerialOf(*options.previous) : 0;

  std::vector<SourceFile> release = ReleaseFiles(options.release, options.follow_links);
  std::vector<SourceFile> page;
  if (options.page) page = PageFiles(*options.page, options.follow_links);

  fs::create_directories(out.parent_path(), ec);
  StagingFolder staging(out);
  SetWriter writer(staging.path(), release.size() + page.size(), progress);
  PlanPage(page, writer);
  PlanRelease(release, options.archive_small, writer);
  std::vector<PlannedEntry>& entries = writer.entries();
  std::stable_sort(entries.begin() + (page.empty() ? 0 : (page.size() > 1 ? 2 : 1)), entries.end(),
                   [](const PlannedEntry& a, const PlannedEntry& b) {
                     return a.entry.local_name < b.entry.local_name;
                   });
  CheckUnique(entries);

  Manifest manifest;
  manifest.generation = options.previous ? NextGeneration(previous) : 1;
  BuildSummary summary;
  summary.changed_entries = AssignVersions(entries, previous, manifest.generation);

  LineList list{std::string(kUpdateListHeader)};
  for (PlannedEntry& planned : entries) {
    const ManifestEntry& e = planned.entry;
    list.push_back(e.marker + " " + e.remote_name + " " + e.local_name + " " + e.version);
    (e.marker == "E"   ? summary.e_entries
     : e.marker == "O" ? summary.o_entries
                       : summary.c_entries)++;
    summary.bytes_before += e.size;
    summary.bytes_after += planned.published_bytes;
    manifest.entries.push_back(std::move(planned.entry));
  }
  WriteFileBytes(staging.path() / kUpdateListName, JoinLines(list));
  WriteFileBytes(staging.path() / kManifestName, FormatManifest(manifest));
  if (key) {
    std::vector<SignedPatch> patches;
    if (!earlier.empty())
      patches = WritePatches(staging.path(), manifest.entries, earlier, progress);
    for (const SignedPatch& patch : patches) {
      summary.patch_bytes += static_cast<uint64_t>(patch.patch.length);
      summary.patched_file_bytes +=
          static_cast<uint64_t>(fs::file_size(staging.path() / DecodeRemoteName(patch.file)));
    }
    // Signed in the staging folder, so that the statement arrives in the same swap as the set.
    SignedSet signed_set = MakeSignedStatement(staging.path(), *key, options.signing->expires_days,
                                               previous_serial, CurrentTime(), std::move(patches));
    WriteFileBytes(staging.path() / kStatementFile, signed_set.file_text);
    summary.statement = std::move(signed_set.statement);
  }
  SwapIntoPlace(staging.path(), out);
  return summary;
}

}  // namespace veyra
