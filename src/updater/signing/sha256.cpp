#include "updater/signing/sha256.h"

#include <openssl/evp.h>

#include "platform/error.h"
#include "updater/signing/hex_text.h"
#include "updater/signing/openssl_handles.h"

namespace veyra {

// One context for the whole hash: Add runs on every piece of every download, so it allocates
// nothing.
struct Sha256::State {
  EvpMdCtx ctx{EVP_MD_CTX_new()};
  bool finished = false;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  if (!state_->ctx || EVP_DigestInit_ex(state_->ctx.get(), EVP_sha256(), nullptr) != 1) {
    ThrowCryptoError("SHA-256 cannot start");
  }
}

Sha256::~Sha256() = default;

void Sha256::Add(std::string_view bytes) {
  if (state_->finished) throw Error("SHA-256 fed after it was finished");
  if (EVP_DigestUpdate(state_->ctx.get(), bytes.data(), bytes.size()) != 1) {
    ThrowCryptoError("SHA-256 cannot take more bytes");
  }
}

std::string Sha256::FinishHex() {
  if (state_->finished) throw Error("SHA-256 finished twice");
  state_->finished = true;
  unsigned char digest[32];
  unsigned int size = 0;
  if (EVP_DigestFinal_ex(state_->ctx.get(), digest, &size) != 1 || size != sizeof digest) {
    ThrowCryptoError("SHA-256 cannot finish");
  }
  return HexText(digest, sizeof digest);
}

std::string Sha256Hex(std::string_view bytes) {
  Sha256 hash;
  hash.Add(bytes);
  return hash.FinishHex();
}

}  // namespace veyra
