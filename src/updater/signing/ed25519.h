#pragma once

#include <array>
#include <string_view>

#include "updater/signing/signing_keys.h"

namespace veyra {

using Ed25519Signature = std::array<unsigned char, 64>;

KeyPair GenerateEd25519KeyPair();

// The public key a 32-byte seed (the first half of a SecretKey) stands for.
PublicKey Ed25519PublicKeyOfSeed(const unsigned char* seed);

// Throws veyra::Error for a key whose public half is not its seed's: the signature would be
// valid under a key nobody pinned.
Ed25519Signature SignEd25519(std::string_view message, const SecretKey& key);

// False for a wrong signature and for a public key that is no curve point.
bool VerifyEd25519(const Ed25519Signature& signature, std::string_view message,
                   const PublicKey& key);

}  // namespace veyra
