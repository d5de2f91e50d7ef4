#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace veyra {

// A device-independent bitmap in memory: 8-bit palette pixels or 24-bit pixels (blue, green, red).
struct Bitmap {
  int width = 0;
  int height = 0;  // number of rows, always positive
  int bits = 0;    // 8 or 24
  // 8-bit only: the colour entries as stored (blue, green, red, reserved), read as little-endian
  // 32-bit values, so blue is the low byte.
  std::vector<uint32_t> palette;
  // Rows top first, each `width` (8-bit) or 3 * `width` (24-bit) bytes, without padding.
  std::vector<uint8_t> pixels;
};

// Reads the BMP file `path` (a name as the game writes it, resolved through MapPath).
// Accepted are uncompressed "BM" files of 8 bits per pixel (with at most 256 colours) or 24 bits
// per pixel, stored bottom-up (positive height) or top-down (negative height).
// Result: the bitmap; std::nullopt when the file is not in that subset (not "BM", another bit
// count, a colours-used field above 256, a width or row count of 0 or below).
// Errors: veyra::Error "cannot open <path>" when the file cannot be opened, and
// "read error in <path>" when it is shorter than its headers, its palette or its pixel rows.
std::optional<Bitmap> LoadBmpFile(const std::string& path);

}  // namespace veyra
