#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "updater/http/arriving_body.h"

namespace veyra {

// Binary patches between two versions of one file: a zstd frame of the new version compressed
// against the old one as its prefix (zstd's "patch from" mode, long-distance matching on), so
// that what both share costs almost nothing. The frame records the new version's length.

// The patch that turns `base` into `result`. Throws veyra::Error when zstd fails (for example a
// file too large for its window).
std::string MakeZstdPatch(std::string_view base, std::string_view result);

// The most bytes a base and a result may have together for MakeZstdPatch and ApplyZstdPatch:
// the window reaches back over both.
inline constexpr int64_t kPatchMostBytes = int64_t{1} << 30;

// Applies a patch to a base while the patch is still arriving: Advance decodes from the bytes
// that have arrived, Finish completes it over the whole patch. The result, and every refusal, is
// exactly that of ApplyZstdPatch on the whole patch. The result is decoded straight into one
// buffer of the expected length, which also serves as the window: nothing else of its size is
// held, and a patch announcing or yielding another length is refused before it grows.
class ZstdPatchApplication : public ArrivingBody {
 public:
  explicit ZstdPatchApplication(int64_t result_length);
  ~ZstdPatchApplication() override;
  ZstdPatchApplication(const ZstdPatchApplication&) = delete;
  ZstdPatchApplication& operator=(const ZstdPatchApplication&) = delete;

  // The version the patch applies to, which must stay unchanged until Finish. It may come after
  // the first bytes of the patch (read meanwhile): decoding starts once it is there.
  void SetBase(std::string_view base);
  bool has_base() const { return has_base_; }

  void Restart() override;
  void Advance(const void* source, size_t available) override;
  // Whether the whole patch of `length` bytes (the bytes Advance saw, and the rest) yields the
  // result, as ApplyZstdPatch.
  bool Finish(const void* source, size_t length);

  // The start of the result decoded so far, all of it after a Finish that succeeded. Its bytes
  // stay where they are, unchanged, until Restart.
  std::string_view decoded() const { return {result_.get(), produced_}; }
  // A copy of the result, after a Finish that succeeded.
  std::string TakeResult();

 private:
  struct Context;
  // Decodes on from the first `available` bytes; false once the patch is refused.
  bool Decode(const char* source, size_t available);
  bool Begin(const char* source, size_t available);

  int64_t result_length_;
  std::string_view base_;
  bool has_base_ = false;
  std::unique_ptr<Context> context_;
  // Not cleared first: only what was decoded is ever read.
  std::unique_ptr<char[]> result_;
  size_t result_size_ = 0;
  bool begun_ = false;
  bool refused_ = false;
  bool frame_ended_ = false;
  size_t consumed_ = 0;
  size_t produced_ = 0;
};

// Applies `patch` to `base` in memory. Returns the result only when the patch is one complete
// frame, says it yields exactly `result_length` bytes and does; nullopt for a corrupt or
// truncated patch, one made for another base that reaches outside it, or a result of another
// length. Never allocates more than `result_length` bytes for the result, so a patch cannot make
// it hold more than its caller allows. (A patch for another base that stays inside it yields
// wrong bytes: the caller checks the result's digest.)
std::optional<std::string> ApplyZstdPatch(std::string_view base, std::string_view patch,
                                          int64_t result_length);

}  // namespace veyra
