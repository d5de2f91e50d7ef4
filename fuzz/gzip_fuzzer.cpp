// The in-memory gzip reader, three ways over one image: the whole-buffer expansion, the
// expansion that reads ahead while the image arrives (in pieces, each in a fresh buffer, so a
// stale pointer into an earlier one is a use after free), and the stream read in small pieces.
// All must give the same bytes, or the first two the same error.
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/error.h"
#include "updater/gzip/gzmem.h"
#include "updater/gzip/gzmem_expansion.h"

namespace {

using veyra::fuzz::FuzzInput;

// Small enough that an image claiming a huge expansion stays quick.
constexpr size_t kMaxOutput = 1 << 20;

// The expanded bytes, or the error's message.
struct Outcome {
  std::optional<std::string> bytes;
  std::string error;
  bool operator==(const Outcome&) const = default;
};

template <typename Expand>
Outcome Capture(Expand expand) {
  try {
    const veyra::GzMemBuffer buffer = expand();
    FUZZ_CHECK((buffer.data() == nullptr) == buffer.empty(), "an empty result holds no memory");
    return {std::string(buffer.view()), {}};
  } catch (const veyra::Error& error) {
    return {std::nullopt, error.what()};
  }
}

std::unique_ptr<char[]> FreshCopy(std::string_view image, size_t length) {
  auto copy = std::make_unique<char[]>(length == 0 ? 1 : length);
  std::memcpy(copy.get(), image.data(), length);
  return copy;
}

Outcome ExpandWhileArriving(std::string_view image, size_t margin, size_t step) {
  veyra::GzMemExpansion expansion(kMaxOutput, margin);
  std::unique_ptr<char[]> arrived;
  for (size_t available = step; available < image.size(); available += step) {
    arrived = FreshCopy(image, available);  // the previous buffer is freed here
    expansion.Advance(arrived.get(), available);
  }
  arrived = FreshCopy(image, image.size());
  return Capture([&] { return expansion.Finish(arrived.get(), image.size()); });
}

// Everything a stream delivers in reads of `piece` bytes, and whether it ended without error.
std::string ReadStream(std::string_view image, unsigned piece, bool& clean_end) {
  std::string out;
  clean_end = false;
  veyra::GzMemStream* stream =
      veyra::GzMemOpen(image.data(), static_cast<int32_t>(image.size()), "rb");
  if (stream == nullptr) return out;
  std::string chunk(piece, '\0');
  // Each read either delivers bytes or ends the stream.
  for (size_t reads = 0; reads <= kMaxOutput + 1; ++reads) {
    const int n = veyra::GzMemRead(stream, chunk.data(), piece);
    FUZZ_CHECK(n >= -1 && n <= static_cast<int>(piece), "a read returns a count or -1");
    if (n <= 0) {
      clean_end = n == 0;
      break;
    }
    out.append(chunk, 0, static_cast<size_t>(n));
    if (out.size() > kMaxOutput) break;
  }
  veyra::GzMemClose(stream);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const size_t margin = 1 + input.TakeByte();
  const size_t step = 1 + input.TakeByte() % 64;
  // Mostly tiny reads, which meet every boundary; some large ones.
  const uint8_t piece_choice = input.TakeByte();
  const unsigned piece = piece_choice < 128 ? 1 + piece_choice % 32 : 512u * (piece_choice - 127);
  const std::string_view image = input.Rest();
  // A copy of exactly the image, so that a read past its end is seen.
  const std::unique_ptr<char[]> exact = FreshCopy(image, image.size());
  const std::string_view source(exact.get(), image.size());

  const Outcome whole = Capture(
      [&] { return veyra::GzMemDecompressAtMost(source.data(), source.size(), kMaxOutput); });
  FUZZ_CHECK(whole.bytes || whole.error == "data error" || whole.error == "error zip format",
             "only the two specified messages");
  FUZZ_CHECK(!whole.bytes || whole.bytes->size() <= kMaxOutput, "the ceiling holds");

  const Outcome arriving = ExpandWhileArriving(source, margin, step);
  FUZZ_CHECK(arriving == whole, "expanding while arriving gives what the whole image gives");

  if (whole.bytes) {
    bool clean_end = false;
    const std::string streamed = ReadStream(source, piece, clean_end);
    FUZZ_CHECK(streamed == *whole.bytes, "the stream read in small pieces gives the same bytes");
    FUZZ_CHECK(clean_end, "the stream ends without error");
  }
  return 0;
}
