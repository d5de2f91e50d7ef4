#include "set_statement.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <system_error>

#include "key_files.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "publish_files.h"
#include "updater/records/lines.h"
#include "updater/signing/sha256.h"

namespace veyra {

namespace fs = std::filesystem;

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Writes `bytes` as `target` in one step through a temporary file beside it.
void ReplaceFile(const fs::path& target, std::string_view bytes) {
  // Appended rather than "." + ...: g++ 12 at -O3 warns falsely (-Wrestrict) on that form.
  std::string name = ".";
  name += target.filename().string();
  name += ".signing-" + std::to_string(::getpid());
  const fs::path temporary = target.parent_path() / name;
  try {
    WriteFileBytes(temporary, bytes);
    if (!RenameReplacing(temporary, target).ok()) throw Error("cannot replace " + target.string());
  } catch (const Error&) {
    std::error_code ec;
    fs::remove(temporary, ec);
    throw;
  }
}

// The patches of `statement` that still hold: the patch file and the file it stands in for both
// unchanged (a file replaced since would otherwise be patched back to what it was) and listed.
std::vector<SignedPatch> KeptPatches(const fs::path& set, const UpdateStatement& statement) {
  const std::vector<std::string> listed = ListedRemoteNames(ReadFileBytes(set / kUpdateListName));
  std::vector<SignedPatch> kept;
  for (const SignedPatch& patch : statement.patches) {
    const auto file = statement.files.find(patch.file);
    if (file == statement.files.end() ||
        std::find(listed.begin(), listed.end(), patch.file) == listed.end()) {
      continue;
    }
    try {
      if (DigestOf(ReadRemoteFile(set, patch.remote)) == patch.patch &&
          DigestOf(ReadRemoteFile(set, patch.file)) == file->second) {
        kept.push_back(patch);
      }
    } catch (const Error&) {
      // A file that is gone simply ends the offer.
    }
  }
  return kept;
}

}  // namespace

std::vector<std::string> ListedRemoteNames(std::string_view list) {
  std::vector<std::string> names;
  LineList lines = SplitLines(list);
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string remote = GetField(lines[i], 2);
    if (!remote.empty()) names.push_back(std::move(remote));
  }
  return names;
}

std::string ReadRemoteFile(const fs::path& set, const std::string& remote) {
  const std::string path = DecodeRemoteName(remote);
  if (!StaysBelowFolder(path)) throw Error("remote file " + remote + " lies outside the set");
  try {
    return ReadFileBytes(set / path);
  } catch (const Error&) {
    throw Error("remote file " + remote + " is missing or not a regular file");
  }
}

SignedDigest DigestOf(std::string_view bytes) {
  return {static_cast<int64_t>(bytes.size()), Sha256Hex(bytes)};
}

std::optional<UpdateStatement> StatementOf(const fs::path& set) {
  const fs::path file = set / kStatementFile;
  std::error_code ec;
  if (fs::symlink_status(file, ec).type() == fs::file_type::not_found) return std::nullopt;
  try {
    return ParseStatement(ReadFileBytes(file));
  } catch (const Error& e) {
    throw Error(file.string() + ": " + e.what());
  }
}

uint64_t StatementSerialOf(const fs::path& set) {
  const std::optional<UpdateStatement> statement = StatementOf(set);
  return statement ? statement->serial : 0;
}

SignedSet MakeSignedStatement(const fs::path& set, const SecretKey& key, int expires_days,
                              uint64_t serial_above, int64_t now,
                              std::vector<SignedPatch> patches) {
  if (serial_above == UINT64_MAX)
    throw Error("the serial of the earlier statement is the last one");
  SignedSet signed_set;
  UpdateStatement& statement = signed_set.statement;
  const std::string list = ReadFileBytes(set / kUpdateListName);
  statement.list = DigestOf(list);
  for (const std::string& remote : ListedRemoteNames(list)) {
    if (!statement.files.count(remote)) {
      statement.files[remote] = DigestOf(ReadRemoteFile(set, remote));
    }
  }
  statement.patches = std::move(patches);
  statement.serial = std::max(static_cast<uint64_t>(std::max<int64_t>(now, 0)), serial_above + 1);
  statement.expires = now + expires_days * kSecondsPerDay;
  signed_set.file_text = SignStatement(statement, key);
  return signed_set;
}

SignedSet SignUpdateSet(const fs::path& set, const SigningOptions& options) {
  const SecretKey key = LoadSecretKey(options.key_file);
  const std::optional<UpdateStatement> current = StatementOf(set);
  SignedSet signed_set = MakeSignedStatement(
      set, key, options.expires_days, current ? current->serial : 0, CurrentTime(),
      current ? KeptPatches(set, *current) : std::vector<SignedPatch>{});
  ReplaceFile(set / kStatementFile, signed_set.file_text);
  return signed_set;
}

int64_t CurrentTime() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace veyra
