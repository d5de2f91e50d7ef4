#include "verify_set.h"

#include <map>
#include <system_error>

#include "platform/ascii_case.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "publish_files.h"
#include "updater/gzip/gzmem.h"
#include "updater/records/archive.h"
#include "updater/records/lines.h"

namespace veyra {

namespace fs = std::filesystem;

namespace {

class SetChecker {
 public:
  explicit SetChecker(fs::path set) : set_(std::move(set)) {}

  std::vector<std::string> Run() {
    std::string text;
    try {
      text = ReadFileBytes(set_ / kUpdateListName);
    } catch (const Error&) {
      return {"missing update list " + (set_ / kUpdateListName).string()};
    }
    std::error_code ec;
    real_set_ = fs::weakly_canonical(set_, ec);
    LineList lines = SplitLines(text);
    if (lines.size() < 2) problems_.push_back("update list holds no entries");
    for (size_t i = 1; i < lines.size(); ++i) CheckLine(i + 1, lines[i]);
    return problems_;
  }

 private:
  void CheckLine(size_t number, const std::string& line) {
    std::string where = "line " + std::to_string(number) + ": ";
    std::string marker = GetField(line, 1), remote = GetField(line, 2);
    std::string local = GetField(line, 3), version = GetField(line, 4);
    if (marker != "E" && marker != "O" && marker != "C") {
      problems_.push_back(where + "marker \"" + marker + "\" is not E, O or C");
    }
    if (version.empty()) problems_.push_back(where + "version is empty");
    if (!IsConfinedName(local)) {
      problems_.push_back(where + "local name \"" + local + "\" leaves the game folder");
    } else {
      ClaimLocalName(where, local);
    }
    if (remote.empty()) {
      problems_.push_back(where + "remote name is empty");
      return;
    }
    // The server hands out whatever the path reaches, so a link out of the set would publish
    // files the operator never meant to.
    std::string path = DecodeRemoteName(remote);
    std::error_code ec;
    if (!StaysBelowFolder(path) ||
        !IsInsideFolder(fs::weakly_canonical(set_ / path, ec), real_set_)) {
      problems_.push_back(where + "remote file " + remote + " lies outside the set's folder");
      return;
    }
    std::string bytes;
    try {
      bytes = ReadFileBytes(set_ / path);
    } catch (const Error&) {
      problems_.push_back(where + "remote file " + remote + " is missing or not a regular file");
      return;
    }
    if (marker == "E" || marker == "C") CheckExpanded(where, marker, remote, bytes);
  }

  void CheckExpanded(const std::string& where, const std::string& marker, const std::string& remote,
                     const std::string& bytes) {
    if (bytes.size() < 2 || bytes[0] != '\x1f' || bytes[1] != '\x8b') {
      // The updater would pass such bytes through unexpanded: never what a publisher meant.
      problems_.push_back(where + remote + " is not a gzip image");
      return;
    }
    std::string expanded;
    try {
      expanded = std::string(GzMemDecompress(bytes.data(), bytes.size()).view());
    } catch (const Error& e) {
      problems_.push_back(where + remote + " does not expand: " + e.what());
      return;
    }
    if (marker != "C") return;
    ArchiveDirectory directory = ReadArchiveDirectory(expanded);
    for (const ArchiveProblem& problem : directory.problems) {
      problems_.push_back(where + remote + ": " + DescribeProblem(problem));
    }
    for (const ArchiveEntry& member : directory.members) {
      ClaimLocalName(where + remote + " member ", member.name);
    }
  }

  void ClaimLocalName(const std::string& where, const std::string& name) {
    auto [it, fresh] = seen_.emplace(AsciiLowered(name), name);
    if (!fresh) {
      problems_.push_back(where + "\"" + name + "\" is listed twice (also as \"" + it->second +
                          "\")");
    }
  }

  fs::path set_;
  fs::path real_set_;  // links resolved, to tell where a listed file really lies
  std::vector<std::string> problems_;
  std::map<std::string, std::string> seen_;
};

}  // namespace

std::vector<std::string> VerifyUpdateSet(const fs::path& set) {
  // Names are checked as a Traditional Chinese system reads them: a Big5 character whose second
  // byte is a backslash is no separator.
  SetFileNameLanguage("t");
  return SetChecker(set).Run();
}

}  // namespace veyra
