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

// Expanding a large file takes tens of milliseconds; the window keeps answering meanwhile. The
// caller must not touch the source from inside the pump (the updater's passes guard that).
constexpr int kBlocksBetweenPumps = 64;  // 1 MiB of output

}  // namespace

GzMemBuffer GzMemDecompress(const void* source, size_t length) {
  // The stream counts its source in 32 bits.
  if (length > static_cast<size_t>(INT32_MAX)) throw Error("error zip format");
  std::unique_ptr<GzMemStream, StreamCloser> stream(
      GzMemOpen(source, static_cast<int32_t>(length), "r"));
  if (!stream) return {};

  ChunkedOutput output(length);
  for (int block = 1;; ++block) {
    if (block % kBlocksBetweenPumps == 0) PumpMessages();
    const int n = GzMemRead(stream.get(), output.Reserve(kGzMemBlock), kGzMemBlock);
    // Only the first read can fail outright, when the first header is malformed.
    if (n < 0) throw Error("error zip format");
    if (n == 0) break;
    if (stream->status == Z_DATA_ERROR) throw Error("data error");
    output.Append(static_cast<size_t>(n));
  }
  if (!ReachedTheEnd(*stream)) throw Error("data error");
  return output.Release();
}

}  // namespace veyra
