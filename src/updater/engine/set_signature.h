#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_status.h"
#include "updater/signing/sha256.h"
#include "updater/signing/update_statement.h"

namespace veyra {

// The game folder's guard against forged update sets. A folder that pins publishers' keys
// (update3.pub) takes an update list only together with a statement signed by one of them, and
// every file only when it matches the digest the statement gives it. Without the key file
// nothing is checked.
class SetSignature {
 public:
  // Reads the pinned keys and the last serial accepted here, from the program folder. A key
  // file that exists but cannot be read or holds no valid key lets no list through: failing
  // closed keeps a damaged key file from turning the checks off.
  void Load();
  bool required() const { return required_; }

  // Checks a statement against the list it came with. On success keeps it for the files of
  // this run and records its serial in the folder (see RecordSerial).
  StatementCheck Accept(std::string_view statement_text, std::string_view list_bytes, int64_t now);
  bool accepted() const { return accepted_.has_value(); }
  // The digest a file or a patch must match, or nullptr when the accepted statement does not
  // name it.
  const SignedDigest* DigestOf(const std::string& remote_name) const;
  // The patches the accepted statement offers in place of the file `remote_name`.
  std::vector<const SignedPatch*> PatchesFor(const std::string& remote_name) const;
  // Writes the accepted serial, so that an older statement is never taken again here.
  FileStatus RecordSerial() const;

 private:
  bool required_ = false;
  std::vector<PublicKey> keys_;
  uint64_t least_serial_ = 0;
  std::string load_failure_;  // why the key file lets nothing through
  std::optional<UpdateStatement> accepted_;
};

// Hashes a body while it arrives (from a body observer) and judges it once it is complete.
class BodyDigest {
 public:
  void Restart();
  // `body_so_far` starts with every byte seen before; only the new ones are hashed.
  void Follow(std::string_view body_so_far);
  bool Matches(std::string_view body, const SignedDigest& digest);

 private:
  std::optional<Sha256> hash_;
  size_t hashed_ = 0;
};

}  // namespace veyra
