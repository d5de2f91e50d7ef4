#include "updater/signing/ed25519.h"

#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>

#include <algorithm>

#include "platform/error.h"
#include "updater/signing/openssl_handles.h"

namespace veyra {
namespace {

constexpr size_t kSeedSize = 32;

EvpPkey PrivateKeyOfSeed(const unsigned char* seed) {
  EvpPkey pkey(EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, seed, kSeedSize));
  if (!pkey) ThrowCryptoError("Ed25519 secret key cannot be loaded");
  return pkey;
}

PublicKey PublicKeyOfPkey(const EVP_PKEY* pkey) {
  PublicKey key;
  size_t size = key.size();
  if (EVP_PKEY_get_raw_public_key(pkey, key.data(), &size) != 1 || size != key.size()) {
    ThrowCryptoError("Ed25519 public key cannot be read");
  }
  return key;
}

}  // namespace

KeyPair GenerateEd25519KeyPair() {
  EvpPkey pkey(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"));
  if (!pkey) ThrowCryptoError("Ed25519 key pair cannot be made");
  KeyPair pair;
  size_t size = kSeedSize;
  if (EVP_PKEY_get_raw_private_key(pkey.get(), pair.secret_key.data(), &size) != 1 ||
      size != kSeedSize) {
    OPENSSL_cleanse(pair.secret_key.data(), pair.secret_key.size());
    ThrowCryptoError("Ed25519 secret key cannot be read");
  }
  pair.public_key = PublicKeyOfPkey(pkey.get());
  std::copy(pair.public_key.begin(), pair.public_key.end(), pair.secret_key.begin() + kSeedSize);
  return pair;
}

PublicKey Ed25519PublicKeyOfSeed(const unsigned char* seed) {
  return PublicKeyOfPkey(PrivateKeyOfSeed(seed).get());
}

Ed25519Signature SignEd25519(std::string_view message, const SecretKey& key) {
  EvpPkey pkey = PrivateKeyOfSeed(key.data());
  const PublicKey derived = PublicKeyOfPkey(pkey.get());
  if (CRYPTO_memcmp(derived.data(), key.data() + kSeedSize, derived.size()) != 0) {
    throw Error("Ed25519 secret key is damaged: its public half does not match");
  }
  EvpMdCtx ctx(EVP_MD_CTX_new());
  Ed25519Signature signature;
  size_t size = signature.size();
  // Ed25519 hashes the message itself: no digest is named.
  if (!ctx || EVP_DigestSignInit(ctx.get(), nullptr, nullptr, nullptr, pkey.get()) != 1 ||
      EVP_DigestSign(ctx.get(), signature.data(), &size,
                     reinterpret_cast<const unsigned char*>(message.data()), message.size()) != 1 ||
      size != signature.size()) {
    ThrowCryptoError("Ed25519 signing failed");
  }
  return signature;
}

bool VerifyEd25519(const Ed25519Signature& signature, std::string_view message,
                   const PublicKey& key) {
  EvpPkey pkey(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key.data(), key.size()));
  EvpMdCtx ctx(EVP_MD_CTX_new());
  const bool valid =
      pkey && ctx && EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, pkey.get()) == 1 &&
      EVP_DigestVerify(ctx.get(), signature.data(), signature.size(),
                       reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
  // A refused signature may leave reasons queued; they are this answer, not a later caller's.
  if (!valid) ERR_clear_error();
  return valid;
}

}  // namespace veyra
