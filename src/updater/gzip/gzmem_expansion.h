#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

#include "updater/gzip/chunked_output.h"
#include "updater/gzip/gzmem.h"
#include "updater/http/arriving_body.h"

namespace veyra {

// One expansion of a gzip image, which may start while the image is still arriving: Advance
// expands ahead from the bytes that have arrived, and Finish completes it over the whole image.
// The result, and every error, is exactly that of GzMemDecompress on the whole image: reading
// ahead stays a fixed margin clear of the arrived bytes, and whenever it could not (an unusual
// header, damaged data, or too little ahead), it is dropped and Finish starts afresh.
class GzMemExpansion : public ArrivingBody {
 public:
  static constexpr size_t kDefaultMargin = 512 * 1024;
  // Output held while the image is still arriving, or when its last four bytes announce no
  // believable length (above max_output). Past what is held, the rest is counted, not kept: an
  // image that expands too far is refused without ever holding the excess.
  static constexpr size_t kHeldUnannounced = 32 * 1024 * 1024;

  explicit GzMemExpansion(size_t max_output = kGzMemMaxOutput, size_t margin = kDefaultMargin);
  ~GzMemExpansion();
  GzMemExpansion(const GzMemExpansion&) = delete;
  GzMemExpansion& operator=(const GzMemExpansion&) = delete;

  // Called about once per MiB of output while Finish expands, so that a caller on a window's
  // thread can let messages run. The caller must not touch the source from inside it.
  void SetMessagePump(std::function<void()> let_messages_run) {
    let_messages_run_ = std::move(let_messages_run);
  }

  // Forgets everything, for an image that starts arriving anew.
  void Restart() override;
  // Expands ahead from the first `available` bytes of an image that is still arriving. The bytes
  // may move between calls (a growing buffer) but must not change. Never throws for the data;
  // throws std::bad_alloc when memory runs out.
  void Advance(const void* source, size_t available) override;
  // The whole expansion of the complete image of `length` bytes (the same bytes Advance saw,
  // and the rest). Throws veyra::Error("data error" / "error zip format") as GzMemDecompress.
  GzMemBuffer Finish(const void* source, size_t length);

 private:
  struct StreamCloser {
    void operator()(GzMemStream* stream) const;
  };
  // Opens the stream on `length` bytes of the source; false for an empty source.
  bool Open(const void* source, size_t length);
  // Expands into the output until it holds `limit` bytes. True when the stream delivered
  // everything before that. Throws as Finish.
  bool ExpandUpTo(size_t limit);
  // Reads on without keeping anything; the number of bytes that were left. Throws as Finish, and
  // "data error" when `held` and the rest pass max_output.
  size_t CountTheRest(size_t held);
  // One read of up to `size` bytes, letting messages run now and then. Throws for a failed read.
  size_t ReadPiece(char* destination, unsigned size);

  size_t max_output_;
  size_t margin_;
  std::unique_ptr<GzMemStream, StreamCloser> stream_;
  std::optional<ChunkedOutput> output_;
  bool dropped_ = false;
  int pieces_ = 0;
  std::function<void()> let_messages_run_;
};

}  // namespace veyra
