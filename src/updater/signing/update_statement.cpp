#include "updater/signing/update_statement.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <set>

#include "platform/error.h"
#include "updater/signing/ed25519.h"
#include "updater/signing/hex_text.h"
#include "updater/signing/sha256.h"
#include "updater/signing/utc_time.h"

namespace veyra {
namespace {

constexpr std::string_view kHeader = "veyra-update-statement";

// A statement file taken apart: what it says, the bytes the signature covers and the signature.
struct SignedFile {
  UpdateStatement statement;
  std::string_view signed_text;
  Ed25519Signature signature{};
};

[[noreturn]] void Malformed(const std::string& what) {
  throw Error("statement malformed: " + what);
}

// Decimal digits only (no sign, no leading zero, no blank) up to `max`.
std::optional<uint64_t> ParseCount(std::string_view text, uint64_t max) {
  if (text.empty() || text.size() > 20 || (text.size() > 1 && text.front() == '0')) {
    return std::nullopt;
  }
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (max - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

// A remote name as a line can carry it.
bool IsFileName(std::string_view name) {
  return !name.empty() && name.find_first_of(std::string_view("\0\r\n", 3)) == name.npos;
}

bool IsDigest(const SignedDigest& digest) {
  return digest.length >= 0 && IsSha256Text(digest.sha256);
}

// Reads "LENGTH SHA256" from the front of `rest`.
SignedDigest TakeDigest(std::string_view& rest, const std::string& where) {
  const size_t space = rest.find(' ');
  const auto length =
      ParseCount(rest.substr(0, space), static_cast<uint64_t>(std::numeric_limits<int64_t>::max()));
  if (!length) Malformed(where + ": the length is not a decimal byte count");
  if (space == rest.npos || !IsSha256Text(rest.substr(space + 1, 64))) {
    Malformed(where + ": the SHA-256 is not 64 lower-case hex digits");
  }
  SignedDigest digest{static_cast<int64_t>(*length), std::string(rest.substr(space + 1, 64))};
  rest.remove_prefix(space + 1 + 64);
  return digest;
}

// Reads the known kinds of line into a statement; lines of other kinds are left for later formats.
class LineReader {
 public:
  explicit LineReader(UpdateStatement& statement) : statement_(statement) {}

  void Read(std::string_view kind, std::string_view rest, const std::string& where) {
    if (kind == "serial") {
      Once(seen_serial_, where, kind);
      auto serial = ParseCount(rest, std::numeric_limits<uint64_t>::max());
      if (!serial) Malformed(where + ": the serial is not a decimal number");
      statement_.serial = *serial;
    } else if (kind == "expires") {
      Once(seen_expires_, where, kind);
      auto expires = ParseCount(rest, static_cast<uint64_t>(std::numeric_limits<int64_t>::max()));
      if (!expires) Malformed(where + ": the expiry is not a decimal time");
      statement_.expires = static_cast<int64_t>(*expires);
    } else if (kind == "list") {
      Once(seen_list_, where, kind);
      statement_.list = TakeDigest(rest, where);
      if (!rest.empty()) Malformed(where + ": more after the SHA-256");
    } else if (kind == "file") {
      SignedDigest digest = TakeDigest(rest, where);
      if (rest.size() < 2 || rest.front() != ' ') Malformed(where + ": no file name");
      std::string name(rest.substr(1));
      if (!statement_.files.emplace(name, digest).second) {
        Malformed(where + ": file " + name + " is named twice");
      }
    } else if (kind == "patch") {
      ReadPatch(rest, where);
    }
  }

  void CheckComplete() const {
    if (!seen_serial_) Malformed("no serial line");
    if (!seen_expires_) Malformed("no expires line");
    if (!seen_list_) Malformed("no list line");
    // A patch's name must say one thing: a client looks names up among files and patches alike.
    for (const SignedPatch& patch : statement_.patches) {
      if (statement_.files.count(patch.remote)) {
        Malformed("patch " + patch.remote + " is also named as a file");
      }
    }
  }

 private:
  void ReadPatch(std::string_view rest, const std::string& where) {
    SignedPatch patch;
    patch.base = TakeDigest(rest, where);
    patch.result = TakeDigest(TakeSpace(rest, where), where);
    patch.patch = TakeDigest(TakeSpace(rest, where), where);
    TakeSpace(rest, where);
    const size_t space = rest.find(' ');
    if (space == 0 || space == rest.npos || space + 1 == rest.size()) {
      Malformed(where + ": no patch name and file name");
    }
    patch.remote = std::string(rest.substr(0, space));
    patch.file = std::string(rest.substr(space + 1));
    if (!patch_names_.insert(patch.remote).second) {
      Malformed(where + ": patch " + patch.remote + " is named twice");
    }
    statement_.patches.push_back(std::move(patch));
  }

  static std::string_view& TakeSpace(std::string_view& rest, const std::string& where) {
    if (rest.empty() || rest.front() != ' ') Malformed(where + ": fields not separated by a space");
    rest.remove_prefix(1);
    return rest;
  }

  static void Once(bool& seen, const std::string& where, std::string_view kind) {
    if (seen) Malformed(where + ": a second " + std::string(kind) + " line");
    seen = true;
  }

  UpdateStatement& statement_;
  std::set<std::string> patch_names_;
  bool seen_serial_ = false, seen_expires_ = false, seen_list_ = false;
};

SignedFile ReadSignedFile(std::string_view text) {
  if (static_cast<int64_t>(text.size()) > kStatementMaxBytes) {
    Malformed("larger than " + std::to_string(kStatementMaxBytes) + " bytes");
  }
  SignedFile file;
  LineReader reader(file.statement);
  size_t start = 0;
  for (size_t number = 1; start < text.size(); ++number) {
    const std::string where = "line " + std::to_string(number);
    const size_t end = text.find('\n', start);
    if (end == text.npos) Malformed(where + " is cut short (no line end)");
    const std::string_view line = text.substr(start, end - start);
    if (line.find_first_of(std::string_view("\0\r", 2)) != line.npos) {
      Malformed(where + " holds a CR or NUL byte");
    }
    const size_t space = line.find(' ');
    const std::string_view kind = line.substr(0, space);
    const std::string_view rest = space == line.npos ? "" : line.substr(space + 1);
    if (number == 1) {
      if (kind != kHeader) Malformed("not an update statement");
      if (rest != std::to_string(UpdateStatement::kFormat)) {
        Malformed("format " + std::string(rest) + " is not understood");
      }
    } else if (kind == "signature") {
      if (!ParseHexExact(rest, file.signature.data(), file.signature.size())) {
        Malformed(where + ": the signature is not 128 lower-case hex digits");
      }
      if (end + 1 != text.size()) Malformed("bytes after the signature line");
      file.signed_text = text.substr(0, start);
      reader.CheckComplete();
      return file;
    } else {
      reader.Read(kind, rest, where);
    }
    start = end + 1;
  }
  Malformed(text.empty() ? "empty" : "no signature line");
}

std::string SignedText(const UpdateStatement& statement) {
  auto digest_text = [](const SignedDigest& d) {
    return std::to_string(d.length) + " " + d.sha256;
  };
  std::string text = std::string(kHeader) + " " + std::to_string(UpdateStatement::kFormat) + "\n";
  text += "serial " + std::to_string(statement.serial) + "\n";
  text += "expires " + std::to_string(statement.expires) + "\n";
  text += "list " + digest_text(statement.list) + "\n";
  for (const auto& [name, digest] : statement.files) {
    text += "file " + digest_text(digest) + " " + name + "\n";
  }
  for (const SignedPatch& p : statement.patches) {
    text += "patch " + digest_text(p.base) + " " + digest_text(p.result) + " " +
            digest_text(p.patch) + " " + p.remote + " " + p.file + "\n";
  }
  return text;
}

// What a signer refuses: anything its own readers would not read back.
void CheckSignable(const UpdateStatement& statement) {
  if (statement.expires < 0) throw Error("cannot sign a statement that expires before 1970");
  if (!IsDigest(statement.list)) throw Error("cannot sign a malformed digest of the update list");
  for (const auto& [name, digest] : statement.files) {
    if (!IsFileName(name))
      throw Error("cannot sign a file name that is empty or holds CR, LF or NUL");
    if (!IsDigest(digest)) throw Error("cannot sign a malformed digest of " + name);
  }
  for (const SignedPatch& p : statement.patches) {
    if (!IsFileName(p.file) || !IsFileName(p.remote) || p.remote.find(' ') != p.remote.npos) {
      throw Error("cannot sign a patch name that is empty or holds a space, CR, LF or NUL");
    }
    if (!IsDigest(p.base) || !IsDigest(p.result) || !IsDigest(p.patch)) {
      throw Error("cannot sign a malformed digest of the patch " + p.remote);
    }
    if (statement.files.count(p.remote)) throw Error("cannot sign a patch named like a file");
  }
}

bool SignedByAny(const SignedFile& file, const std::vector<PublicKey>& keys) {
  return std::any_of(keys.begin(), keys.end(), [&](const PublicKey& key) {
    return VerifyEd25519(file.signature, file.signed_text, key);
  });
}

}  // namespace

std::string SignStatement(const UpdateStatement& statement, const SecretKey& key) {
  CheckSignable(statement);
  std::string text = SignedText(statement);
  const Ed25519Signature signature = SignEd25519(text, key);
  return text + "signature " + HexText(signature.data(), signature.size()) + "\n";
}

UpdateStatement ParseStatement(std::string_view file_text) {
  return ReadSignedFile(file_text).statement;
}

StatementCheck CheckStatement(std::string_view file_text, const std::vector<PublicKey>& keys,
                              std::string_view list_bytes, int64_t now, uint64_t least_serial) {
  StatementCheck check;
  SignedFile file;
  try {
    file = ReadSignedFile(file_text);
  } catch (const Error& e) {
    check.failure = e.what();
    return check;
  }
  const UpdateStatement& statement = file.statement;
  if (!SignedByAny(file, keys)) {
    check.failure = "statement signature is not valid under any pinned key";
  } else if (now >= statement.expires) {
    check.failure = "statement expired at " + UtcTimeText(statement.expires);
  } else if (statement.serial < least_serial) {
    check.failure = "statement serial " + std::to_string(statement.serial) + " is lower than " +
                    std::to_string(least_serial) + ", the last one accepted here";
  } else if (static_cast<int64_t>(list_bytes.size()) != statement.list.length ||
             Sha256Hex(list_bytes) != statement.list.sha256) {
    check.failure = "update3.dat does not match the signed statement";
  } else {
    check.ok = true;
    check.statement = statement;
  }
  return check;
}

}  // namespace veyra
