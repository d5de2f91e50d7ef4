#include "images/bmp.h"

#include <array>
#include <cstdint>

#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/paths.h"

namespace veyra {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;  // palette starts here
constexpr uint32_t kMaxColours = 256;
constexpr size_t kPaletteEntrySize = 4;

uint32_t ReadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t ReadU16(const uint8_t* p) {
  return uint16_t(p[0] | p[1] << 8);
}

int32_t ReadI32(const uint8_t* p) {
  return static_cast<int32_t>(ReadU32(p));
}

// The fields of the two headers that the reader uses.
struct BmpHeader {
  bool is_bm = false;
  uint32_t pixel_offset = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t bit_count = 0;
  uint32_t colours_used = 0;
};

BmpHeader ParseHeader(const std::array<uint8_t, kHeadersSize>& bytes) {
  const uint8_t* info = bytes.data() + kFileHeaderSize;
  BmpHeader header;
  header.is_bm = bytes[0] == 'B' && bytes[1] == 'M';
  header.pixel_offset = ReadU32(bytes.data() + 10);
  header.width = ReadI32(info + 4);
  header.height = ReadI32(info + 8);
  header.bit_count = ReadU16(info + 14);
  header.colours_used = ReadU32(info + 32);
  return header;
}

// An open file that turns every failed read into the reader's error.
class BmpFile {
 public:
  explicit BmpFile(const std::string& path) : path_(path), file_(MapPath(path), OpenMode::kRead) {
    if (!file_.ok()) throw Error("cannot open " + path_);
  }

  uint64_t Size() {
    uint64_t size = 0;
    if (!file_.Size(size).ok()) Fail();
    return size;
  }

  void ReadAt(uint64_t offset, void* target, size_t count) {
    size_t done = 0;
    if (!file_.ReadAt(offset, target, count, done).ok() || done != count) Fail();
  }

  [[noreturn]] void Fail() const { throw Error("read error in " + path_); }

 private:
  std::string path_;
  FileHandle file_;
};

std::vector<uint32_t> ReadPalette(BmpFile& file, uint32_t count) {
  std::vector<uint8_t> raw(count * kPaletteEntrySize);
  file.ReadAt(kHeadersSize, raw.data(), raw.size());
  std::vector<uint32_t> palette(count);
  for (uint32_t i = 0; i < count; ++i) palette[i] = ReadU32(raw.data() + i * kPaletteEntrySize);
  return palette;
}

}  // namespace

std::optional<Bitmap> LoadBmpFile(const std::string& path) {
  BmpFile file(path);
  const uint64_t file_size = file.Size();
  std::array<uint8_t, kHeadersSize> header_bytes;
  file.ReadAt(0, header_bytes.data(), header_bytes.size());
  const BmpHeader header = ParseHeader(header_bytes);
  if (!header.is_bm) return std::nullopt;

  uint64_t bytes_per_pixel = 0;
  if (header.bit_count == 8) {
    // Only 256 colour entries fit an 8-bit bitmap; a larger (or negative) count is corrupt.
    if (header.colours_used > kMaxColours) return std::nullopt;
    bytes_per_pixel = 1;
  } else if (header.bit_count == 24) {
    bytes_per_pixel = 3;
  } else {
    return std::nullopt;
  }

  const bool bottom_up = header.height > 0;
  const int64_t rows = bottom_up ? int64_t{header.height} : -int64_t{header.height};
  // An empty image, or one with more rows than a bitmap can hold, is not a usable picture.
  if (header.width <= 0 || rows <= 0 || rows > INT32_MAX) return std::nullopt;

  const uint64_t width = static_cast<uint64_t>(header.width);
  const uint64_t row_bytes = width * bytes_per_pixel;
  const uint64_t stored_row_length = (row_bytes + 3) / 4 * 4;
  // Every row read lies inside the file, so the pixel buffer is never larger than the file.
  const uint64_t last_row_end =
      header.pixel_offset + (static_cast<uint64_t>(rows) - 1) * stored_row_length + row_bytes;
  if (last_row_end > file_size) file.Fail();

  Bitmap bitmap;
  bitmap.width = header.width;
  bitmap.height = static_cast<int>(rows);
  bitmap.bits = header.bit_count;
  if (header.bit_count == 8) {
    bitmap.palette =
        ReadPalette(file, header.colours_used == 0 ? kMaxColours : header.colours_used);
  }
  bitmap.pixels.resize(static_cast<size_t>(rows) * row_bytes);
  for (int64_t r = 0; r < rows; ++r) {
    const uint64_t stored_row = bottom_up ? static_cast<uint64_t>(rows - 1 - r) : uint64_t(r);
    file.ReadAt(header.pixel_offset + stored_row * stored_row_length,
                bitmap.pixels.data() + static_cast<size_t>(r) * row_bytes, row_bytes);
  }
  return bitmap;
}

}  // namespace veyra
