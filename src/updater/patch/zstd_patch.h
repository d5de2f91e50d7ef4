#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veyra {

// Binary patches between two versions of one file: a zstd frame of the new version compressed
// against the old one as its prefix (zstd's "patch from" mode, long-distance matching on), so
// that what both share costs almost nothing. The frame records the new version's length.

// The patch that turns `base` into `result`. Throws veyra::Error when zstd fails (for example a
// file too large for its window).
std::string MakeZstdPatch(std::string_view base, std::string_view result);

// The most bytes a base and a result may have together for MakeZstdPatch and ApplyZstdPatch:
// the window reaches back over both.
inline constexpr int64_t kPatchMostBytes = int64_t{1} << 30;

// Applies `patch` to `base` in memory. Returns the result only when the patch is one complete
// frame, says it yields exactly `result_length` bytes and does; nullopt for a corrupt or
// truncated patch, one made for another base that reaches outside it, or a result of another
// length. Never allocates more than `result_length` bytes for the result, so a patch cannot make
// it hold more than its caller allows. (A patch for another base that stays inside it yields
// wrong bytes: the caller checks the result's digest.)
std::optional<std::string> ApplyZstdPatch(std::string_view base, std::string_view patch,
                                          int64_t result_length);

}  // namespace veyra
