#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "updater/signing/update_statement.h"

namespace veyra {

// How a set is signed: with which secret key file and for how long.
struct SigningOptions {
  std::filesystem::path key_file;
  int expires_days = 30;
};

// A statement of a set and its signed file text.
struct SignedSet {
  UpdateStatement statement;
  std::string file_text;
};

// The remote names the update list `list` gives, in list order (header line left out).
std::vector<std::string> ListedRemoteNames(std::string_view list);

// The bytes the server hands out for `remote` in `set`. Throws veyra::Error naming the file when
// it is missing, no regular file, or its name leads out of the set.
std::string ReadRemoteFile(const std::filesystem::path& set, const std::string& remote);

SignedDigest DigestOf(std::string_view bytes);

// The statement `set` holds, if any. Throws veyra::Error when it cannot be read.
std::optional<UpdateStatement> StatementOf(const std::filesystem::path& set);

// The serial of the statement `set` holds, 0 when it holds none. Throws veyra::Error when the
// statement there cannot be read.
uint64_t StatementSerialOf(const std::filesystem::path& set);

// Signs the set in `set` as its files are on disk now: update3.dat and every remote file the
// list names, and offers `patches` (already written into the set). The serial is the time `now`
// (seconds since 1970) unless that is not above `serial_above`; the statement expires
// `expires_days` after `now`. Writes nothing. Throws veyra::Error naming a missing or unreadable
// file.
SignedSet MakeSignedStatement(const std::filesystem::path& set, const SecretKey& key,
                              int expires_days, uint64_t serial_above, int64_t now,
                              std::vector<SignedPatch> patches = {});

// Signs an existing set again (the command "sign"), above the serial of its current statement.
// The patches it offered stay offered while their files are unchanged and still belong to a
// listed file. update3.sig is replaced in one step; on any failure nothing in the set changes.
SignedSet SignUpdateSet(const std::filesystem::path& set, const SigningOptions& options);

// Seconds since 1970 now.
int64_t CurrentTime();

}  // namespace veyra
