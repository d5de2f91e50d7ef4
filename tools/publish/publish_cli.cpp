#include "publish_cli.h"

#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>

#include "key_files.h"
#include "platform/error.h"
#include "publish_build.h"
#include "set_patches.h"
#include "set_statement.h"
#include "updater/signing/utc_time.h"
#include "verify_patches.h"
#include "verify_set.h"
#include "verify_statement.h"
#include "web0_file.h"

namespace veyra {
namespace {

constexpr const char* kUsage =
    "usage: veyra-publish build --release DIR --out DIR [--previous DIR ...] [--page DIR] "
    "[--archive-small N] [--follow-links] [--sign KEYFILE [--expires DAYS]]\n"
    "       veyra-publish verify --set DIR [--key PUBFILE] [--previous DIR ...]\n"
    "       veyra-publish web0 --line NAME URL [--line NAME URL ...]\n"
    "       veyra-publish keygen KEYFILE\n"
    "       veyra-publish sign --set DIR --key KEYFILE [--expires DAYS]\n"
    "A signed set holds update3.sig; KEYFILE.pub (from keygen) is the game folder's update3.pub.\n"
    "DAYS: how long a signed set may be installed (default 30).\n"
    "build: the first --previous is the set now served (versions, serial); with --sign, zstd\n"
    "patches of changed files are written against every --previous set (at most 4).\n"
    "verify --previous applies them to the bases those sets hold.\n";

static_assert(kMostEarlierSets == 4, "the usage text names the limit of --previous sets");

constexpr int kMaxExpiresDays = 3650;

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Options of the form --name VALUE from `allowed` and bare --name from `flags` (kept with an
// empty value), each at most once unless named in `repeatable` (values kept in order).
using Options = std::map<std::string, std::vector<std::string>>;

Options ParseOptions(const std::vector<std::string>& args, const std::vector<std::string>& allowed,
                     const std::vector<std::string>& flags = {},
                     const std::vector<std::string>& repeatable = {}) {
  Options options;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& name = args[i];
    std::string value;
    if (std::find(flags.begin(), flags.end(), name) == flags.end()) {
      if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
        throw UsageError("unknown option " + name);
      }
      if (++i >= args.size()) throw UsageError(name + " needs a value");
      value = args[i];
    }
    std::vector<std::string>& values = options[name];
    if (!values.empty() &&
        std::find(repeatable.begin(), repeatable.end(), name) == repeatable.end()) {
      throw UsageError(name + " given twice");
    }
    values.push_back(std::move(value));
  }
  return options;
}

std::string Required(const Options& options, const std::string& name) {
  auto it = options.find(name);
  if (it == options.end() || it->second.front().empty()) throw UsageError(name + " is required");
  return it->second.front();
}

std::optional<std::string> Optional(const Options& options, const std::string& name) {
  auto it = options.find(name);
  if (it == options.end()) return std::nullopt;
  return it->second.front();
}

// Every value of a repeatable option, none empty, in the order given.
std::vector<std::filesystem::path> Folders(const Options& options, const std::string& name) {
  std::vector<std::filesystem::path> folders;
  auto it = options.find(name);
  if (it == options.end()) return folders;
  for (const std::string& value : it->second) {
    if (value.empty()) throw UsageError(name + " needs a value");
    folders.emplace_back(value);
  }
  return folders;
}

// The earlier sets of --previous, the one now served first; more than a build takes are a wrong
// command line.
std::vector<std::filesystem::path> EarlierSets(const Options& options) {
  std::vector<std::filesystem::path> sets = Folders(options, "--previous");
  try {
    CheckEarlierSetCount(sets.size());
  } catch (const Error& e) {
    throw UsageError(e.what());
  }
  return sets;
}

uint64_t ParseSize(const std::string& text) {
  if (text.empty() || text.size() > 15 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    throw UsageError("--archive-small needs a byte count, not \"" + text + "\"");
  }
  return std::stoull(text);
}

int ParseDays(const std::string& text) {
  const bool digits = !text.empty() && text.size() <= 4 &&
                      text.find_first_not_of("0123456789") == std::string::npos;
  const int days = digits ? std::stoi(text) : 0;
  if (days < 1 || days > kMaxExpiresDays) {
    throw UsageError("--expires needs a number of days from 1 to " +
                     std::to_string(kMaxExpiresDays) + ", not \"" + text + "\"");
  }
  return days;
}

// The signing options --sign/--key and --expires, when the key is given.
std::optional<SigningOptions> ParseSigning(const Options& options, const std::string& key_option) {
  auto key = Optional(options, key_option);
  auto days = Optional(options, "--expires");
  if (!key) {
    if (days) throw UsageError("--expires needs " + key_option);
    return std::nullopt;
  }
  if (key->empty()) throw UsageError(key_option + " needs a value");
  SigningOptions signing;
  signing.key_file = *key;
  if (days) signing.expires_days = ParseDays(*days);
  return signing;
}

std::string DescribeStatement(const UpdateStatement& statement) {
  return std::string(kStatementFile) + " serial " + std::to_string(statement.serial) +
         ", expires " + UtcTimeText(statement.expires);
}

int Build(const std::vector<std::string>& args, std::ostream& err) {
  auto options = ParseOptions(
      args,
      {"--release", "--out", "--previous", "--page", "--archive-small", "--sign", "--expires"},
      {"--follow-links"}, {"--previous"});
  BuildOptions build;
  build.release = Required(options, "--release");
  build.out = Required(options, "--out");
  std::vector<std::filesystem::path> earlier = EarlierSets(options);
  if (!earlier.empty()) {
    build.previous = earlier.front();
    build.older.assign(earlier.begin() + 1, earlier.end());
  }
  if (auto page = Optional(options, "--page")) build.page = *page;
  if (auto small = Optional(options, "--archive-small")) build.archive_small = ParseSize(*small);
  build.follow_links = options.count("--follow-links") > 0;
  build.signing = ParseSigning(options, "--sign");
  BuildSummary s = BuildUpdateSet(build, err);
  err << "published " << build.out.string() << ": " << s.e_entries << " E, " << s.o_entries
      << " O, " << s.c_entries << " C entries (" << s.changed_entries << " new or changed); "
      << s.bytes_before << " bytes before, " << s.bytes_after << " bytes after compression\n";
  if (s.statement) {
    err << "signed " << DescribeStatement(*s.statement) << "\n";
    if (!s.statement->patches.empty()) {
      err << s.statement->patches.size() << " patches: " << s.patch_bytes << " bytes in place of "
          << s.patched_file_bytes << "\n";
    }
  } else if (build.previous) {
    err << "no patches: a client applies them only from a signed set (--sign)\n";
  }
  return kPublishOk;
}

int Keygen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 2 || args[1].empty() || args[1].front() == '-') {
    throw UsageError("keygen needs one KEYFILE");
  }
  PublicKey key = WriteNewKeyPair(args[1]);
  out << PublicKeyText(key) << "\n";
  err << "wrote the secret key " << args[1] << " (mode 0600; keep it off the servers) and the "
      << "public key " << args[1] << ".pub (ship it as the game folder's " << kPinnedKeysFile
      << ")\n";
  return kPublishOk;
}

int Sign(const std::vector<std::string>& args, std::ostream& err) {
  auto options = ParseOptions(args, {"--set", "--key", "--expires"});
  std::string set = Required(options, "--set");
  Required(options, "--key");
  SignedSet signed_set = SignUpdateSet(set, *ParseSigning(options, "--key"));
  err << "signed " << set << ": " << DescribeStatement(signed_set.statement) << ", "
      << signed_set.statement.files.size() << " files\n";
  return kPublishOk;
}

int Verify(const std::vector<std::string>& args, std::ostream& out) {
  auto options = ParseOptions(args, {"--set", "--key", "--previous"}, {}, {"--previous"});
  std::string set = Required(options, "--set");
  std::optional<std::vector<PublicKey>> keys;
  if (options.count("--key")) keys = LoadPublicKeys(Required(options, "--key"));
  const std::vector<std::filesystem::path> previous = Folders(options, "--previous");
  std::vector<std::string> problems = VerifyUpdateSet(set);
  StatementReport report = VerifySetStatement(set, keys, CurrentTime());
  problems.insert(problems.end(), report.problems.begin(), report.problems.end());
  if (report.problems.empty()) {
    if (const std::optional<UpdateStatement> statement = StatementOf(set)) {
      PatchReport patches = VerifyPatches(set, *statement, previous);
      problems.insert(problems.end(), patches.problems.begin(), patches.problems.end());
      report.notes.insert(report.notes.end(), patches.notes.begin(), patches.notes.end());
    }
  }
  for (const std::string& note : report.notes) out << note << "\n";
  for (const std::string& problem : problems) out << problem << "\n";
  if (!problems.empty()) {
    out << problems.size() << " problem(s) in " << set << "\n";
    return kPublishFailed;
  }
  out << set << ": no problems\n";
  return kPublishOk;
}

int Web0(const std::vector<std::string>& args, std::ostream& out) {
  std::vector<NetworkLine> lines;
  for (size_t i = 1; i < args.size(); i += 3) {
    if (args[i] != "--line") throw UsageError("unknown option " + args[i]);
    if (i + 2 >= args.size()) throw UsageError("--line needs a NAME and a URL");
    lines.push_back({args[i + 1], args[i + 2]});
  }
  if (lines.empty()) throw UsageError("web0 needs at least one --line NAME URL");
  try {
    out << MakeWeb0(lines);
  } catch (const Error& e) {
    throw UsageError(e.what());
  }
  return kPublishOk;
}

}  // namespace

int RunPublishTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    if (args.empty()) throw UsageError("no command given");
    if (args[0] == "build") return Build(args, err);
    if (args[0] == "verify") return Verify(args, out);
    if (args[0] == "web0") return Web0(args, out);
    if (args[0] == "keygen") return Keygen(args, out, err);
    if (args[0] == "sign") return Sign(args, err);
    if (args[0] == "--help" || args[0] == "-h") {
      out << kUsage;
      return kPublishOk;
    }
    throw UsageError("unknown command " + args[0]);
  } catch (const UsageError& e) {
    err << "veyra-publish: " << e.what() << "\n" << kUsage;
    return kPublishUsage;
  } catch (const std::exception& e) {
    err << "veyra-publish: " << e.what() << "\n";
    return kPublishFailed;
  }
}

}  // namespace veyra
