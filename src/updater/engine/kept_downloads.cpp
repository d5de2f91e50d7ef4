#include "updater/engine/kept_downloads.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/confined_files.h"
#include "platform/decimal.h"
#include "platform/paths.h"
#include "updater/records/lines.h"
#include "updater/signing/sha256.h"

namespace veyra {
namespace {

constexpr uint64_t kNoteMaxBytes = 4096;
constexpr std::string_view kNoteSuffix = ".note";
constexpr size_t kIdDigits = 16;

// One name per remote name, whatever characters it holds.
std::string KeptName(const std::string& remote_name) {
  return std::string(kKeptDownloadPrefix) + Sha256Hex(remote_name).substr(0, kIdDigits);
}

// Whether `name` is one KeptName gives (with or without the note's suffix): nothing else in
// the game folder is ever removed as a kept download.
bool IsKeptName(std::string_view name) {
  if (name.ends_with(kNoteSuffix)) name.remove_suffix(kNoteSuffix.size());
  if (!name.starts_with(kKeptDownloadPrefix)) return false;
  name.remove_prefix(kKeptDownloadPrefix.size());
  return name.size() == kIdDigits &&
         name.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::filesystem::path InGameFolder(const std::string& name) {
  return MapPath(ProgramFolder() + name);
}

std::filesystem::path DataPath(const std::string& remote_name) {
  return InGameFolder(KeptName(remote_name));
}

std::filesystem::path NotePath(const std::string& remote_name) {
  return InGameFolder(KeptName(remote_name) + std::string(kNoteSuffix));
}

void RemoveQuietly(const std::filesystem::path& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);  // a link is removed itself, never what it leads to
}

// The note's lines: remote name, validator, length.
struct Note {
  std::string remote_name;
  std::string validator;
  int64_t total = 0;
};

std::optional<Note> ReadNote(const std::filesystem::path& path) {
  std::string text;
  if (!ReadConfinedFile(path, kNoteMaxBytes, text).ok()) return std::nullopt;
  const LineList lines = SplitLines(text);
  if (lines.size() < 3) return std::nullopt;
  const std::optional<int64_t> total = ParseDecimal(lines[2]);
  if (!total || *total <= 0) return std::nullopt;
  return Note{lines[0], lines[1], *total};
}

}  // namespace

BodyResume KeptDownloads::Load(const std::string& remote_name) {
  saving_.reset();
  if (!Holds(remote_name)) return {};
  const std::optional<Note> note = ReadNote(NotePath(remote_name));
  std::string bytes;
  if (!note || note->remote_name != remote_name || note->validator.empty() ||
      !ReadConfinedFile(DataPath(remote_name), static_cast<uint64_t>(note->total - 1), bytes)
           .ok() ||
      bytes.empty()) {
    Forget(remote_name);
    return {};
  }
  saving_ = Saving{remote_name, note->validator, note->total, static_cast<int64_t>(bytes.size())};
  BodyResume resume;
  resume.kept = std::move(bytes);
  resume.validator = note->validator;
  resume.total = note->total;
  resume.continued_from = static_cast<int64_t>(resume.kept.size());
  return resume;
}

bool KeptDownloads::Holds(const std::string& remote_name) const {
  std::error_code ignored;
  return std::filesystem::exists(NotePath(remote_name), ignored);
}

bool KeptDownloads::StartAfresh(const std::string& remote_name, const BodyResume& resume) {
  saving_.reset();
  // The old bytes go before the new note names them, so that a kill in between leaves a note
  // without bytes, never bytes under a note they do not belong to.
  RemoveQuietly(DataPath(remote_name));
  const std::string note =
      remote_name + "\r\n" + resume.validator + "\r\n" + std::to_string(resume.total) + "\r\n";
  if (!ReplaceConfinedFile(NotePath(remote_name), note).ok()) {
    Forget(remote_name);
    return false;
  }
  saving_ = Saving{remote_name, resume.validator, resume.total, 0};
  return true;
}

void KeptDownloads::Save(const std::string& remote_name, std::string_view body_so_far,
                         const BodyResume& resume) {
  if (resume.validator.empty() || resume.total < kLeastFileBytes) return;
  const bool same = saving_ && saving_->remote_name == remote_name &&
                    saving_->validator == resume.validator && saving_->total == resume.total;
  if (!attempt_checked_) {
    attempt_checked_ = true;
    // The kept file goes on only when this reply's body starts with all of it.
    if ((!same || resume.continued_from < saving_->saved) && !StartAfresh(remote_name, resume)) {
      return;
    }
  } else if (!same) {
    return;  // keeping failed earlier in this attempt
  }
  const auto size = static_cast<int64_t>(body_so_far.size());
  if (size <= saving_->saved || size >= saving_->total) return;
  const std::string_view more = body_so_far.substr(static_cast<size_t>(saving_->saved));
  if (!AppendConfinedFile(DataPath(remote_name), more).ok()) {
    Forget(remote_name);  // a full disk: the download goes on, only without a kept copy
    return;
  }
  saving_->saved = size;
}

void KeptDownloads::Forget(const std::string& remote_name) {
  if (saving_ && saving_->remote_name == remote_name) saving_.reset();
  RemoveQuietly(NotePath(remote_name));
  RemoveQuietly(DataPath(remote_name));
}

void KeptDownloads::RemoveAllBut(const std::set<std::string>& wanted) {
  const std::filesystem::path::string_type prefix =
      std::filesystem::path(std::string(kKeptDownloadPrefix)).native();
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(MapPath(ProgramFolder()), error), end;
       !error && it != end; it.increment(error)) {
    // Compared as the system spells names: other names of the folder need no conversion.
    const std::filesystem::path name = it->path().filename();
    if (name.native().starts_with(prefix)) names.push_back(Utf8FromPath(name));
  }
  std::set<std::string> wanted_names;
  for (const std::string& remote_name : wanted) wanted_names.insert(KeptName(remote_name));
  for (const std::string& name : names) {
    if (!IsKeptName(name)) continue;
    const std::string data_name =
        name.ends_with(kNoteSuffix) ? name.substr(0, name.size() - kNoteSuffix.size()) : name;
    if (wanted_names.count(data_name) != 0) continue;
    if (saving_ && KeptName(saving_->remote_name) == data_name) saving_.reset();
    RemoveQuietly(InGameFolder(name));
  }
}

}  // namespace veyra
