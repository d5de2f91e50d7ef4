#include "platform/memory_policy.h"

#include <malloc.h>

namespace veyra {

void KeepLargeBlocksForReuse() {
  static const bool applied = [] {
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    return true;
  }();
  (void)applied;
}

}  // namespace veyra
