#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veyra {

// A decoded picture: rows top first, 3 bytes per pixel (red, green, blue), no row padding, so
// pixels.size() == width * height * 3.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
};

// The largest picture the JPEG reader accepts: each side at most this many pixels...
inline constexpr int kMaxJpegSide = 16384;
// ...and at most this many bytes of decoded pixels (also the bound on libjpeg's own working
// memory and on the size of a JPEG file that is read).
inline constexpr uint64_t kMaxJpegBytes = uint64_t{256} << 20;
// A progressive JPEG with more scans than this is refused: each scan is a pass over the whole
// picture, so a file of many tiny scans could otherwise keep the decoder busy for very long.
inline constexpr int kMaxJpegScans = 1000;

// Decodes the JPEG file in `bytes`: baseline or progressive, greyscale or colour (YCbCr or RGB);
// greyscale comes out with red = green = blue.
// Result: the picture; std::nullopt when the bytes are not such a JPEG: empty, not a JPEG,
// truncated (also when only the end marker is missing), corrupt compressed data, CMYK/YCCK
// colour, a side above kMaxJpegSide, more than kMaxJpegBytes of pixels or of libjpeg working
// memory, more than kMaxJpegScans scans. Then `why`, when given, receives an English reason.
// Never throws for any content, never prints anything.
std::optional<RgbImage> DecodeJpeg(std::string_view bytes, std::string* why = nullptr);

// Reads and decodes the JPEG file `path` (a name as the game writes it, resolved through
// MapPath) as DecodeJpeg does; a file above kMaxJpegBytes is refused without being read.
// Result: the picture, or std::nullopt with the reason in `why` for content it cannot decode.
// Errors: veyra::Error "cannot open <path>" when the file cannot be opened, and
// "read error in <path>" when reading it fails.
std::optional<RgbImage> LoadJpegFile(const std::string& path, std::string* why = nullptr);

}  // namespace veyra
