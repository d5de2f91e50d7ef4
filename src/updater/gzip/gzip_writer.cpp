#include "updater/gzip/gzip_writer.h"

#include <zlib.h>

#include <algorithm>

#include "platform/error.h"

namespace veyra {
namespace {

constexpr int kGzipWindowBits = MAX_WBITS + 16;  // zlib writes a gzip header and trailer
constexpr int kMemoryLevel = 8;
constexpr size_t kMaxFeed = size_t{1} << 30;  // avail_in is 32 bits

}  // namespace

std::string GzipCompress(std::string_view data, int level) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, kGzipWindowBits, kMemoryLevel, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    throw Error("gzip compression failed");
  }
  std::string image(deflateBound(&z, data.size()), '\0');
  z.next_out = reinterpret_cast<Bytef*>(image.data());
  size_t fed = 0;
  int status = Z_OK;
  while (status == Z_OK) {
    if (z.avail_in == 0) {
      const size_t n = std::min(kMaxFeed, data.size() - fed);
      z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + fed));
      z.avail_in = static_cast<uInt>(n);
      fed += n;
    }
    const size_t written = static_cast<size_t>(z.next_out - reinterpret_cast<Bytef*>(image.data()));
    z.avail_out = static_cast<uInt>(std::min(kMaxFeed, image.size() - written));
    status = deflate(&z, fed == data.size() ? Z_FINISH : Z_NO_FLUSH);
  }
  const size_t written = static_cast<size_t>(z.total_out);
  deflateEnd(&z);
  if (status != Z_STREAM_END) throw Error("gzip compression failed");
  image.resize(written);
  return image;
}

}  // namespace veyra
