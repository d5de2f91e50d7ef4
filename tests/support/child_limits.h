#pragma once

#include <cstddef>

namespace veyra::testing {

// Whether a test's child process can be held to a memory limit (not on Windows, nor where a
// sanitizer reserves address space of its own).
#if defined(_WIN32) || defined(__SANITIZE_ADDRESS__)
inline constexpr bool kCanLimitChild = false;
#else
inline constexpr bool kCanLimitChild = true;
#endif

// For the child of a death test (EXPECT_EXIT): leaves it `headroom` bytes of address space beyond
// what it uses now, so that holding more fails with std::bad_alloc, and ends it with SIGALRM after
// `seconds`, so that a call that waits forever fails the test instead of hanging it. Does nothing
// where kCanLimitChild is false.
void LimitChild(std::size_t headroom, unsigned seconds);

}  // namespace veyra::testing
