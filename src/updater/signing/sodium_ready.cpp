#include "updater/signing/sodium_ready.h"

#include <sodium.h>

#include "platform/error.h"

namespace veyra {

void EnsureSodiumReady() {
  // sodium_init is safe to call again, but a function-local static runs it only once.
  static const int started = sodium_init();
  if (started < 0) throw Error("libsodium cannot start");
}

}  // namespace veyra
