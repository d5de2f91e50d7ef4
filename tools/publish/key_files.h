#pragma once

#include <filesystem>
#include <vector>

#include "updater/signing/signing_keys.h"

namespace veyra {

// Makes a new Ed25519 key pair: the secret key file at `secret_file` (mode 0600) and the public
// key as `secret_file` + ".pub" (one hex line, the form of a game folder's update3.pub). Neither
// file may exist yet, not even as a link: nothing is ever overwritten. Throws veyra::Error naming
// the file on failure, leaving no half-made pair behind. Returns the public key.
PublicKey WriteNewKeyPair(const std::filesystem::path& secret_file);

// The secret key of a file WriteNewKeyPair made. Throws veyra::Error naming the file.
SecretKey LoadSecretKey(const std::filesystem::path& secret_file);

// The public keys of a .pub or update3.pub file. Throws veyra::Error naming the file.
std::vector<PublicKey> LoadPublicKeys(const std::filesystem::path& public_file);

}  // namespace veyra
