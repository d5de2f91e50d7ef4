// The JPEG reader on bytes of any content: a picture of the announced size, or a refusal with a
// reason; never a crash, an endless decode or a message on the terminal.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "images/jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string why;
  const std::optional<veyra::RgbImage> image = veyra::DecodeJpeg(bytes, &why);
  if (!image) {
    FUZZ_CHECK(!why.empty(), "a refusal gives its reason");
    return 0;
  }
  FUZZ_CHECK(image->width > 0 && image->width <= veyra::kMaxJpegSide, "the width is in range");
  FUZZ_CHECK(image->height > 0 && image->height <= veyra::kMaxJpegSide, "the height is in range");
  FUZZ_CHECK(image->pixels.size() ==
                 static_cast<size_t>(image->width) * static_cast<size_t>(image->height) * 3,
             "three bytes per pixel, no padding");
  return 0;
}
