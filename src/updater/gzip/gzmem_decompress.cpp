#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/error.h"
#include "platform/pump.h"
#include "updater/gzip/chunked_output.h"
#include "updater/gzip/gzmem_stream.h"

namespace veyra {
namespace {

struct StreamCloser {
  void operator()(GzMemStream* stream) const { GzMemClose(stream); }
};

// A stream has delivered everything only when all members ended with a good trailer, or when it
// is copying non-gzip data (which ends with the source). Anything else means the source stopped
// inside a member, and a partial image must never pass for the whole file.
bool ReachedTheEnd(const GzMemStream& stream) {
  return stream.status == Z_STREAM_END || (stream.pass_through && stream.status == Z_OK);
}

// Each read asks for this much output. Larger pieces than the 16 KiB input blocks let zlib write
// straight into the result instead of copying every byte through its window once more.
constexpr unsigned kOutputPiece = 256 * 1024;

// Expanding a large file takes tens of milliseconds; the window keeps answering meanwhile. The
// caller must not touch the source from inside the pump (the updater's passes guard that).
constexpr int kPiecesBetweenPumps = 4;  // 1 MiB of output

// The length a gzip image announces in its last four bytes, as a first size for the output
// block. Only a hint: it may be wrong (several members, a damaged or hostile image), so it is
// bounded by what deflate can expand the image to and by a modest ceiling; the output still grows
// or shrinks to the exact length.
size_t ExpectedSize(const unsigned char* source, size_t length) {
  constexpr size_t kMaxDeflateRatio = 1032;
  constexpr size_t kCeiling = 256 * 1024 * 1024;
  if (length < 18 || source[0] != 0x1F || source[1] != 0x8B) return 0;
  const unsigned char* trailer = source + length - 4;
  const size_t announced = size_t{trailer[0]} | size_t{trailer[1]} << 8 | size_t{trailer[2]} << 16 |
                           size_t{trailer[3]} << 24;
  return std::min({announced, length * kMaxDeflateRatio, kCeiling});
}

}  // namespace

GzMemBuffer GzMemDecompress(const void* source, size_t length) {
  return GzMemDecompressAtMost(source, length, kGzMemMaxOutput);
}

GzMemBuffer GzMemDecompressAtMost(const void* source, size_t length, size_t max_output) {
  // The stream counts its source in 32 bits.
  if (length > static_cast<size_t>(INT32_MAX)) throw Error("error zip format");
  std::unique_ptr<GzMemStream, StreamCloser> stream(
      GzMemOpen(source, static_cast<int32_t>(length), "r"));
  if (!stream) return {};

  // Room for one more piece past the announced length, so that the read that finds the end
  // needs no larger block.
  const size_t expected = ExpectedSize(static_cast<const unsigned char*>(source), length);
  ChunkedOutput output(std::max(length, expected == 0 ? 0 : expected + kOutputPiece));
  for (int piece = 1;; ++piece) {
    if (piece % kPiecesBetweenPumps == 0) PumpMessages();
    const int n = GzMemRead(stream.get(), output.Reserve(kOutputPiece), kOutputPiece);
    // Only the first read can fail outright, when the first header is malformed.
    if (n < 0) throw Error("error zip format");
    if (n == 0) break;
    if (stream->status == Z_DATA_ERROR) throw Error("data error");
    // A small image can claim to expand without end; what no file of ours can be is damaged.
    if (static_cast<size_t>(n) > max_output - output.size()) throw Error("data error");
    output.Append(static_cast<size_t>(n));
  }
  if (!ReachedTheEnd(*stream)) throw Error("data error");
  return output.Release();
}

}  // namespace veyra
