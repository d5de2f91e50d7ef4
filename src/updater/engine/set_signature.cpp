#include "updater/engine/set_signature.h"

#include <cerrno>
#include <charconv>

#include "platform/confined_files.h"
#include "platform/error.h"
#include "platform/paths.h"

namespace veyra {
namespace {

constexpr uint64_t kKeyFileMaxBytes = 64 * 1024;
constexpr uint64_t kSerialFileMaxBytes = 64;

std::filesystem::path FolderFile(const char* name) {
  return MapPath(ProgramFolder() + name);
}

// A serial file that is missing or unreadable counts as nothing accepted yet: whoever can damage
// it can as well remove the key file.
uint64_t ReadAcceptedSerial() {
  std::string text;
  if (!ReadConfinedFile(FolderFile(kAcceptedSerialFile), kSerialFileMaxBytes, text).ok()) return 0;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  uint64_t serial = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), serial);
  if (error != std::errc() || end != text.data() + text.size()) return 0;
  return serial;
}

}  // namespace

void SetSignature::Load() {
  required_ = false;
  keys_.clear();
  accepted_.reset();
  load_failure_.clear();
  std::string text;
  const FileStatus read = ReadConfinedFile(FolderFile(kPinnedKeysFile), kKeyFileMaxBytes, text);
  if (read.error == ENOENT) return;
  required_ = true;
  if (!read.ok()) {
    load_failure_ =
        std::string("cannot read the pinned keys ") + kPinnedKeysFile + ": " + read.Describe();
    return;
  }
  try {
    keys_ = ParsePinnedKeys(text);
  } catch (const Error& error) {
    load_failure_ =
        std::string("the pinned keys ") + kPinnedKeysFile + " are not valid: " + error.what();
    return;
  }
  least_serial_ = ReadAcceptedSerial();
}

StatementCheck SetSignature::Accept(std::string_view statement_text, std::string_view list_bytes,
                                    int64_t now) {
  if (keys_.empty()) {
    StatementCheck refused;
    refused.failure = load_failure_;
    return refused;
  }
  StatementCheck check = CheckStatement(statement_text, keys_, list_bytes, now, least_serial_);
  if (!check.ok) return check;
  accepted_ = check.statement;
  return check;
}

const SignedDigest* SetSignature::DigestOf(const std::string& remote_name) const {
  if (!accepted_) return nullptr;
  const auto found = accepted_->files.find(remote_name);
  if (found != accepted_->files.end()) return &found->second;
  for (const SignedPatch& patch : accepted_->patches) {
    if (patch.remote == remote_name) return &patch.patch;
  }
  return nullptr;
}

std::vector<const SignedPatch*> SetSignature::PatchesFor(const std::string& remote_name) const {
  std::vector<const SignedPatch*> patches;
  if (!accepted_) return patches;
  for (const SignedPatch& patch : accepted_->patches) {
    if (patch.file == remote_name) patches.push_back(&patch);
  }
  return patches;
}

FileStatus SetSignature::RecordSerial() const {
  if (!accepted_) return {};
  return ReplaceConfinedFile(FolderFile(kAcceptedSerialFile),
                             std::to_string(accepted_->serial) + "\r\n",
                             ReplaceFlush::kFileBeforeRename);
}

void BodyDigest::Restart() {
  hash_.emplace();
  hashed_ = 0;
}

void BodyDigest::Follow(std::string_view body_so_far) {
  if (!hash_) Restart();
  if (body_so_far.size() <= hashed_) return;
  hash_->Add(body_so_far.substr(hashed_));
  hashed_ = body_so_far.size();
}

bool BodyDigest::Matches(std::string_view body, const SignedDigest& digest) {
  if (static_cast<int64_t>(body.size()) != digest.length) return false;
  Follow(body);
  const bool matches = hash_->FinishHex() == digest.sha256;
  hash_.reset();
  return matches;
}

}  // namespace veyra
