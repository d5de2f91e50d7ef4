#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "updater/signing/signing_keys.h"

namespace veyra {

// What a signature proves of one file: its length and SHA-256 (lower-case hex).
struct SignedDigest {
  int64_t length = 0;
  std::string sha256;
  bool operator==(const SignedDigest&) const = default;
};

// A patch the publisher offers in place of one file: applied to the installed content `base`, it
// yields the installed content `result` (the file's own digest is of the bytes served, a gzip
// image, so the result needs its own).
struct SignedPatch {
  std::string file;     // remote name of the file it stands in for
  SignedDigest base;    // the content it applies to
  SignedDigest result;  // the content it yields
  std::string remote;   // remote name of the patch itself (no space)
  SignedDigest patch;   // the patch as served
  bool operator==(const SignedPatch&) const = default;
};

// The publisher's signed statement of one update set: which list and which files it meant to
// ship, how new the set is and until when it may be installed.
struct UpdateStatement {
  static constexpr int kFormat = 1;
  uint64_t serial = 0;  // grows with every publication (the publish time in seconds)
  int64_t expires = 0;  // seconds since 1970 (UTC); not to be installed from then on
  SignedDigest list;    // update3.dat
  std::map<std::string, SignedDigest> files;  // every remote file, by the name the list writes
  std::vector<SignedPatch> patches;           // patches offered for some of those files
};

// The statement file: the signed text
//   "veyra-update-statement 1" / "serial N" / "expires T" / "list LENGTH SHA256" /
//   one "file LENGTH SHA256 REMOTE-NAME" per file (the name runs to the line end) /
//   one "patch BASE RESULT PATCH PATCH-NAME FILE-NAME" per patch (each digest as LENGTH SHA256;
//   the file's name runs to the line end)
// each line ending with LF, then "signature HEX" (128 hex digits, LF), an Ed25519 signature over
// every byte before it. Lines of other kinds inside the signed text are skipped by readers, so
// that later publishers can add to it.
std::string SignStatement(const UpdateStatement& statement, const SecretKey& key);

// Reads a statement file without judging its signature: throws veyra::Error naming what is wrong
// for anything that is not a well-formed statement (also a duplicate file or patch name, or a
// patch named like a file).
UpdateStatement ParseStatement(std::string_view file_text);

// What the updater checks before it accepts an update list.
struct StatementCheck {
  bool ok = false;
  std::string failure;  // which check failed, in English, for logs and veyra-update
  UpdateStatement statement;
};

// Accepts `file_text` only when it is well-formed, its signature is valid under one of `keys`,
// it has not expired at `now` (seconds since 1970), its serial is not lower than `least_serial`
// and `list_bytes` (the update3.dat received) match its list digest. Checked in that order; the
// first failure is reported.
StatementCheck CheckStatement(std::string_view file_text, const std::vector<PublicKey>& keys,
                              std::string_view list_bytes, int64_t now, uint64_t least_serial);

// The most bytes a statement file may have (about 100 bytes per file of the set).
inline constexpr int64_t kStatementMaxBytes = int64_t{32} << 20;

}  // namespace veyra
