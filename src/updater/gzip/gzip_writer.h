#pragma once

#include <string>
#include <string_view>

namespace veyra {

// Compresses `data` into a standard single-member gzip image (deflate, no file name, CRC-32 and
// length trailer) at zlib `level` 0..9 (-1 for zlib's default).
// Throws veyra::Error("gzip compression failed") for an invalid level or when zlib fails.
std::string GzipCompress(std::string_view data, int level = 9);

}  // namespace veyra
