#pragma once

#include <cstdint>
#include <string>

namespace veyra::win32::testing {

// The bytes of a bottom-up 24-bit BMP of `width` x `height` in one colour.
inline std::string SolidBmp(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
  const int row = (width * 3 + 3) / 4 * 4;
  const uint32_t pixels = uint32_t(row) * height;
  std::string bytes;
  auto put = [&bytes](uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(char(value >> (8 * i)));
  };
  bytes += "BM";
  put(54 + pixels, 4);
  put(0, 4);
  put(54, 4);
  put(40, 4);
  put(uint32_t(width), 4);
  put(uint32_t(height), 4);
  put(1, 2);
  put(24, 2);
  put(0, 4);
  put(pixels, 4);
  put(0, 16);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) bytes += {char(blue), char(green), char(red)};
    bytes.append(row - width * 3, '\0');
  }
  return bytes;
}

}  // namespace veyra::win32::testing
