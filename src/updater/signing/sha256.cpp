#include "updater/signing/sha256.h"

#include <sodium.h>

#include "platform/error.h"
#include "updater/signing/hex_text.h"
#include "updater/signing/sodium_ready.h"

namespace veyra {

struct Sha256::State {
  crypto_hash_sha256_state hash;
  bool finished = false;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  EnsureSodiumReady();
  crypto_hash_sha256_init(&state_->hash);
}

Sha256::~Sha256() = default;

void Sha256::Add(std::string_view bytes) {
  if (state_->finished) throw Error("SHA-256 fed after it was finished");
  crypto_hash_sha256_update(&state_->hash, reinterpret_cast<const unsigned char*>(bytes.data()),
                            bytes.size());
}

std::string Sha256::FinishHex() {
  if (state_->finished) throw Error("SHA-256 finished twice");
  state_->finished = true;
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256_final(&state_->hash, digest);
  return HexText(digest, sizeof digest);
}

std::string Sha256Hex(std::string_view bytes) {
  Sha256 hash;
  hash.Add(bytes);
  return hash.FinishHex();
}

}  // namespace veyra
