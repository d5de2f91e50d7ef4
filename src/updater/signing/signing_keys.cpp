#include "updater/signing/signing_keys.h"

#include <openssl/crypto.h>

#include <algorithm>

#include "platform/error.h"
#include "updater/signing/ed25519.h"
#include "updater/signing/hex_text.h"

namespace veyra {
namespace {

constexpr std::string_view kSecretKeyHeader = "veyra-ed25519-secret-key";

// The lines of a key file, LF or CR LF; a last line without its line end counts too.
std::vector<std::string_view> KeyFileLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

}  // namespace

KeyPair GenerateKeyPair() {
  return GenerateEd25519KeyPair();
}

std::string PublicKeyText(const PublicKey& key) {
  return HexText(key.data(), key.size());
}

std::vector<PublicKey> ParsePinnedKeys(std::string_view text) {
  std::vector<PublicKey> keys;
  std::vector<std::string_view> lines = KeyFileLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty() || lines[i].front() == '#') continue;
    PublicKey key;
    if (!ParseHexExact(lines[i], key.data(), key.size())) {
      throw Error("pinned key file line " + std::to_string(i + 1) +
                  " is not a public key (64 lower-case hex digits)");
    }
    keys.push_back(key);
  }
  if (keys.empty()) throw Error("pinned key file holds no key");
  return keys;
}

std::string FormatSecretKeyFile(const SecretKey& key) {
  return std::string(kSecretKeyHeader) + "\n" + HexText(key.data(), key.size()) + "\n";
}

SecretKey ParseSecretKeyFile(std::string_view text) {
  std::vector<std::string_view> lines = KeyFileLines(text);
  SecretKey key;
  if (lines.size() != 2 || lines[0] != kSecretKeyHeader ||
      !ParseHexExact(lines[1], key.data(), key.size())) {
    throw Error("not a secret key file: expected a line \"" + std::string(kSecretKeyHeader) +
                "\" and a line of 128 lower-case hex digits");
  }
  // The second half repeats the public key; a file damaged there would sign statements that no
  // pinned key accepts, so it is refused here instead.
  const PublicKey derived = Ed25519PublicKeyOfSeed(key.data());
  if (CRYPTO_memcmp(derived.data(), key.data() + derived.size(), derived.size()) != 0) {
    OPENSSL_cleanse(key.data(), key.size());
    throw Error("secret key file is damaged: its public half does not match");
  }
  return key;
}

PublicKey PublicKeyOf(const SecretKey& key) {
  // The second half of the secret key is the public key.
  PublicKey public_key;
  std::copy(key.end() - public_key.size(), key.end(), public_key.begin());
  return public_key;
}

}  // namespace veyra
