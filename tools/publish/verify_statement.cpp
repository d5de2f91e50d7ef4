#include "verify_statement.h"

#include <set>
#include <system_error>

#include "platform/error.h"
#include "publish_files.h"
#include "set_statement.h"
#include "updater/signing/update_statement.h"
#include "updater/signing/utc_time.h"

namespace veyra {

namespace fs = std::filesystem;

namespace {

constexpr int64_t kWarnAheadSeconds = 7 * 86400;
const std::string kName = kStatementFile;

// The remote files' digests against the statement, both ways.
void CheckFiles(const fs::path& set, const std::string& list, const UpdateStatement& statement,
                std::vector<std::string>& problems) {
  std::set<std::string> listed;
  for (const std::string& remote : ListedRemoteNames(list)) {
    if (!listed.insert(remote).second) continue;
    auto signed_digest = statement.files.find(remote);
    if (signed_digest == statement.files.end()) {
      problems.push_back("remote file " + remote + " is not named in " + kName);
      continue;
    }
    std::string bytes;
    try {
      bytes = ReadRemoteFile(set, remote);
    } catch (const Error&) {
      continue;
    }
    if (DigestOf(bytes) != signed_digest->second) {
      problems.push_back("remote file " + remote + " does not match " + kName);
    }
  }
  for (const auto& [name, digest] : statement.files) {
    if (!listed.count(name)) {
      problems.push_back(kName + " names " + name + ", which the update list does not");
    }
  }
}

}  // namespace

StatementReport VerifySetStatement(const fs::path& set,
                                   const std::optional<std::vector<PublicKey>>& keys, int64_t now) {
  StatementReport report;
  std::error_code ec;
  if (fs::symlink_status(set / kName, ec).type() == fs::file_type::not_found) {
    if (keys) report.problems.push_back("no " + kName + " to check under the key");
    return report;
  }
  std::string text, list;
  UpdateStatement statement;
  try {
    text = ReadFileBytes(set / kName);
    statement = ParseStatement(text);
    list = ReadFileBytes(set / kUpdateListName);
  } catch (const Error& e) {
    report.problems.push_back(kName + ": " + e.what());
    return report;
  }
  if (keys) {
    // The library's own check, as a client makes it (no serial judged here).
    StatementCheck check = CheckStatement(text, *keys, list, now, 0);
    if (!check.ok) report.problems.push_back(kName + ": " + check.failure);
  } else {
    report.notes.push_back(kName + ": signature not checked (no --key given)");
    if (DigestOf(list) != statement.list) {
      report.problems.push_back(std::string(kUpdateListName) + " does not match " + kName);
    }
    if (now >= statement.expires) {
      report.problems.push_back(kName + " expired at " + UtcTimeText(statement.expires));
    }
  }
  if (now < statement.expires && statement.expires - now <= kWarnAheadSeconds) {
    report.notes.push_back("warning: " + kName + " expires at " + UtcTimeText(statement.expires) +
                           "; sign the set again soon");
  }
  CheckFiles(set, list, statement, report.problems);
  if (report.problems.empty()) {
    report.notes.push_back(kName + ": serial " + std::to_string(statement.serial) + ", " +
                           std::to_string(statement.files.size()) + " files, expires " +
                           UtcTimeText(statement.expires));
  }
  return report;
}

}  // namespace veyra
