#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veyra {

// An Ed25519 public key and its text form: 64 lower-case hex digits on one line.
using PublicKey = std::array<unsigned char, 32>;
// An Ed25519 secret key in 64 bytes: the 32-byte seed followed by the public key.
using SecretKey = std::array<unsigned char, 64>;

struct KeyPair {
  PublicKey public_key{};
  SecretKey secret_key{};
};

// A new random key pair.
KeyPair GenerateKeyPair();

std::string PublicKeyText(const PublicKey& key);  // 64 hex digits, no line end

// The key file a game folder ships to pin its publishers' keys: one public key per line (hex),
// blank lines and lines starting with '#' ignored, CR LF or LF. Throws veyra::Error naming the
// line for anything else, and for a file that pins no key at all.
std::vector<PublicKey> ParsePinnedKeys(std::string_view text);

// The publisher's secret key file: a first line "veyra-ed25519-secret-key" and the 64 bytes as
// hex on the second. Parse throws veyra::Error for anything else.
std::string FormatSecretKeyFile(const SecretKey& key);
SecretKey ParseSecretKeyFile(std::string_view text);
PublicKey PublicKeyOf(const SecretKey& key);

// The game folder's files for signed updates, beside web0.dat and update2.dat.
inline constexpr char kPinnedKeysFile[] = "update3.pub";  // shipped with the game
inline constexpr char kStatementFile[] = "update3.sig";   // on the server, beside update3.dat
inline constexpr char kAcceptedSerialFile[] = "update2.serial";  // the last serial accepted here
inline constexpr char kCaBundleFile[] = "update-ca.pem";  // when present: the only trusted CAs

}  // namespace veyra
