#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace veyra {

// `size` bytes as 2 * `size` lower-case hex digits.
std::string HexText(const unsigned char* bytes, size_t size);

// Reads exactly 2 * `size` lower-case hex digits into `bytes`. False (and `bytes` unspecified)
// for any other length or character: signed texts have one spelling only.
bool ParseHexExact(std::string_view text, unsigned char* bytes, size_t size);

// True when `text` is a SHA-256 digest as written in signed texts: 64 lower-case hex digits.
bool IsSha256Text(std::string_view text);

}  // namespace veyra
