#include "platform/memory_policy.h"

namespace veyra {

// The Windows heap keeps freed blocks for reuse by itself; there is nothing to set.
void KeepLargeBlocksForReuse() {}

}  // namespace veyra
