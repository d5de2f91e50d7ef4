#pragma once

#include <cstdint>
#include <string_view>

namespace veyra {

// The Windows locale identifier (LCID) that stands for a POSIX locale name such as
// "zh_TW.UTF-8" or "en_US". C, POSIX, an empty name or an unknown language give 0.
uint32_t LcidFromLocaleName(std::string_view name);

// The LCID of this process, read once: on Windows the user's default locale; elsewhere from
// LC_ALL, else LC_MESSAGES, else LANG (the first that is set and not empty), 0 when none of them
// names a known locale.
uint32_t SystemLcid();

}  // namespace veyra
