#include "updater/signing/openssl_handles.h"

#include <openssl/err.h>

#include "platform/error.h"

namespace veyra {

void ThrowCryptoError(const std::string& what) {
  char reason[256] = "no reason given";
  if (unsigned long code = ERR_peek_last_error()) ERR_error_string_n(code, reason, sizeof reason);
  ERR_clear_error();
  throw Error(what + " (" + reason + ")");
}

}  // namespace veyra
