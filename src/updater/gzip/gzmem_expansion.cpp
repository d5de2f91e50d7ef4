#include "updater/gzip/gzmem_expansion.h"

#include <algorithm>
#include <cstdint>

#include "platform/error.h"
#include "updater/gzip/gzmem_stream.h"

namespace veyra {
namespace {

// A stream has delivered everything only when all members ended with a good trailer, or when it
// is copying non-gzip data (which ends with the source). Anything else means the source stopped
// inside a member, and a partial image must never pass for the whole file.
bool ReachedTheEnd(const GzMemStream& stream) {
  return stream.status == Z_STREAM_END || (stream.pass_through && stream.status == Z_OK);
}

// Each read asks for this much output. Larger pieces than the input blocks let zlib write
// straight into the result instead of copying every byte through its window once more.
constexpr unsigned kOutputPiece = 256 * 1024;

// Expanding a large file takes tens of milliseconds; the window keeps answering meanwhile.
constexpr int kPiecesBetweenPumps = 4;  // 1 MiB of output

// The length a gzip image announces in its last four bytes: exact for a single member below
// 4 GiB, short with several members or bytes after the last. 0 when it is no gzip image.
size_t AnnouncedSize(const void* image, size_t length) {
  const auto* source = static_cast<const unsigned char*>(image);
  if (length < 18 || source[0] != 0x1F || source[1] != 0x8B) return 0;
  const unsigned char* trailer = source + length - 4;
  return size_t{trailer[0]} | size_t{trailer[1]} << 8 | size_t{trailer[2]} << 16 |
         size_t{trailer[3]} << 24;
}

// A first size for the output block: the announced length is only a hint (it may be wrong,
// damaged or hostile), so it is bounded by what deflate can expand the image to and by a modest
// ceiling; the output still grows or shrinks to the exact length.
size_t ExpectedSize(size_t announced, size_t length) {
  constexpr size_t kMaxDeflateRatio = 1032;
  constexpr size_t kCeiling = 256 * 1024 * 1024;
  return std::min({announced, length * kMaxDeflateRatio, kCeiling});
}

}  // namespace

void GzMemExpansion::StreamCloser::operator()(GzMemStream* stream) const {
  GzMemClose(stream);
}

GzMemExpansion::GzMemExpansion(size_t max_output, size_t margin)
    : max_output_(max_output), margin_(margin) {}

GzMemExpansion::~GzMemExpansion() = default;

void GzMemExpansion::Restart() {
  stream_.reset();
  output_.reset();
  dropped_ = false;
  pieces_ = 0;
}

bool GzMemExpansion::Open(const void* source, size_t length) {
  // The stream counts its source in 32 bits.
  if (length > static_cast<size_t>(INT32_MAX)) throw Error("error zip format");
  stream_.reset(GzMemOpen(source, static_cast<int32_t>(length), "r"));
  return stream_ != nullptr;
}

void GzMemExpansion::Advance(const void* source, size_t available) {
  if (dropped_ || available > static_cast<size_t>(INT32_MAX) || available < margin_) return;
  const size_t held_at_most = std::min(max_output_, kHeldUnannounced);
  if (!stream_) {
    if (!Open(source, available) || stream_->end_of_input) {
      dropped_ = true;
      return;
    }
    output_.emplace(available, held_at_most);
  } else {
    GzMemRebase(*stream_, source, static_cast<int32_t>(available));
  }
  // Each read stays clear of the end of what has arrived; one that still reaches it (a header
  // that goes on and on) has seen a different end than the whole image will have. Past what may
  // be held before the image's announced length is known, Finish goes on.
  while (available - static_cast<size_t>(stream_->source_position) >= margin_ &&
         output_->size() < held_at_most) {
    const auto piece =
        static_cast<unsigned>(std::min<size_t>(kOutputPiece, held_at_most - output_->size()));
    const int n = GzMemRead(stream_.get(), output_->Reserve(piece), piece);
    if (n < 0 || stream_->status == Z_DATA_ERROR || stream_->end_of_input) {
      dropped_ = true;  // Finish starts afresh and reports what the whole image gives
      return;
    }
    if (n == 0) return;
    output_->Append(static_cast<size_t>(n));
    ++pieces_;
  }
}

size_t GzMemExpansion::ReadPiece(char* destination, unsigned size) {
  if (++pieces_ % kPiecesBetweenPumps == 0 && let_messages_run_) let_messages_run_();
  const int n = GzMemRead(stream_.get(), destination, size);
  // Only the first read can fail outright, when the first header is malformed.
  if (n < 0) throw Error("error zip format");
  if (n > 0 && stream_->status == Z_DATA_ERROR) throw Error("data error");
  return static_cast<size_t>(n);
}

bool GzMemExpansion::ExpandUpTo(size_t limit) {
  while (output_->size() < limit) {
    const auto piece =
        static_cast<unsigned>(std::min<size_t>(kOutputPiece, limit - output_->size()));
    const size_t n = ReadPiece(output_->Reserve(piece), piece);
    if (n == 0) return true;
    output_->Append(n);
  }
  return false;
}

size_t GzMemExpansion::CountTheRest(size_t held) {
  const auto scratch = std::make_unique<char[]>(kOutputPiece);
  size_t total = held;
  for (;;) {
    const size_t n = ReadPiece(scratch.get(), kOutputPiece);
    if (n == 0) return total - held;
    // A small image can claim to expand without end; what no file of ours can be is damaged.
    if (n > max_output_ - total) throw Error("data error");
    total += n;
  }
}

GzMemBuffer GzMemExpansion::Finish(const void* source, size_t length) {
  const size_t announced = AnnouncedSize(source, length);
  // Held: what a single member announces, else an ordinary amount (or the image's own length,
  // for bytes copied through); never more than the ceiling.
  size_t hold = std::min(
      max_output_, std::max({announced <= max_output_ ? announced : 0, kHeldUnannounced, length}));
  if (dropped_ || !stream_) {
    Restart();
    if (!Open(source, length)) return {};
    output_.emplace(std::min(std::max(length, ExpectedSize(announced, length)), hold), hold);
  } else {
    GzMemRebase(*stream_, source, static_cast<int32_t>(length));
    output_->set_ceiling(hold);
  }
  // Twice at most: an image that expands further than it announced (several members, or bytes
  // after the last) is expanded once more when its counted length has proved it whole.
  while (!ExpandUpTo(hold)) {
    const size_t rest = CountTheRest(output_->size());
    if (rest == 0) break;
    if (!ReachedTheEnd(*stream_)) throw Error("data error");
    hold = output_->size() + rest;
    Restart();
    Open(source, length);
    output_.emplace(hold, hold);
  }
  if (!ReachedTheEnd(*stream_)) throw Error("data error");
  GzMemBuffer result = output_->Release();
  Restart();
  return result;
}

GzMemBuffer GzMemDecompress(const void* source, size_t length) {
  return GzMemExpansion().Finish(source, length);
}

GzMemBuffer GzMemDecompressAtMost(const void* source, size_t length, size_t max_output) {
  return GzMemExpansion(max_output).Finish(source, length);
}

}  // namespace veyra
