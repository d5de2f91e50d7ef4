// The BMP reader on a file of any content: it refuses or fails with its own error, or gives a
// bitmap whose rows are the file's stored rows, top first, without padding.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "images/bmp.h"
#include "platform/error.h"
#include "scratch_folder.h"

namespace {

uint32_t U32At(std::string_view bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) {
    value |= uint32_t{static_cast<unsigned char>(bytes[offset + i])} << (8 * i);
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  veyra::fuzz::ScratchFolder& scratch = veyra::fuzz::ScratchFolder::Get();
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  veyra::fuzz::WriteWholeFile(scratch.game() / "picture.bmp", file);

  std::optional<veyra::Bitmap> bitmap;
  try {
    bitmap = veyra::LoadBmpFile(scratch.game().string() + "/picture.bmp");
  } catch (const veyra::Error& error) {
    FUZZ_CHECK(std::string_view(error.what()).starts_with("read error in "),
               "only a short file fails");
  }
  scratch.Reset();
  if (!bitmap) return 0;

  FUZZ_CHECK(bitmap->width > 0 && bitmap->height > 0, "a bitmap has pixels");
  FUZZ_CHECK(bitmap->bits == 8 || bitmap->bits == 24, "8 or 24 bits");
  const size_t row_bytes =
      static_cast<size_t>(bitmap->width) * static_cast<size_t>(bitmap->bits / 8);
  FUZZ_CHECK(bitmap->pixels.size() == row_bytes * static_cast<size_t>(bitmap->height),
             "rows without padding");
  FUZZ_CHECK(bitmap->bits == 24 || (!bitmap->palette.empty() && bitmap->palette.size() <= 256),
             "an 8-bit bitmap has its palette");

  // The top row is the last stored row of a bottom-up file and the first of a top-down one.
  const bool bottom_up = static_cast<int32_t>(U32At(file, 22)) > 0;
  const size_t stored_row_length = (row_bytes + 3) / 4 * 4;
  const size_t top_row =
      U32At(file, 10) +
      (bottom_up ? static_cast<size_t>(bitmap->height - 1) : 0) * stored_row_length;
  FUZZ_CHECK(file.substr(top_row, row_bytes) ==
                 std::string_view(reinterpret_cast<const char*>(bitmap->pixels.data()), row_bytes),
             "the top row is the file's");
  return 0;
}
