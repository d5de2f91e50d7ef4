#pragma once

namespace veyra {

// Makes the allocator keep freed large blocks for reuse instead of returning them to the system
// at once. The updater holds every file whole in memory, one after the other; fresh memory costs
// a page fault per 4 KiB on first touch, which on some machines costs more than expanding the
// data. Blocks above 32 MiB are still mapped and unmapped one by one. Idempotent.
void KeepLargeBlocksForReuse();

}  // namespace veyra
