#pragma once

#include <openssl/evp.h>

#include <memory>
#include <string>

namespace veyra {

// libcrypto objects that free themselves on every path out of a scope.
struct EvpMdCtxFree {
  void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};
struct EvpPkeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using EvpMdCtx = std::unique_ptr<EVP_MD_CTX, EvpMdCtxFree>;
using EvpPkey = std::unique_ptr<EVP_PKEY, EvpPkeyFree>;

// Throws veyra::Error with `what` and libcrypto's reason, and empties this thread's error queue
// so that the next caller of libcrypto (libcurl too) does not read a stale error.
[[noreturn]] void ThrowCryptoError(const std::string& what);

}  // namespace veyra
