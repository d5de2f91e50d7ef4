#pragma once

namespace veyra {

// Starts libsodium once per process (it picks its fastest code paths and seeds its random
// source); every function of this folder calls it before its first use of the library.
// Throws veyra::Error when the library cannot start.
void EnsureSodiumReady();

}  // namespace veyra
