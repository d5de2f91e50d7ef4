#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace veyra {

// A decimal integer written as an optional sign and digits, nothing else; nullopt for anything
// else (empty, letters, blanks, a value beyond 64 bits).
std::optional<int64_t> ParseDecimal(std::string_view text);

}  // namespace veyra
