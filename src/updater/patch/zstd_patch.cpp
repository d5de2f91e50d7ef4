#include "updater/patch/zstd_patch.h"

#define ZSTD_STATIC_LINKING_ONLY  // the result buffer as the window, and frame headers
#include <zstd.h>

#include <algorithm>
#include <memory>

#include "platform/error.h"

namespace veyra {
namespace {

// Long-distance matching finds what the versions share at any level; on a 200 MiB file level 9
// took seconds and made a smaller patch than level 19 did in minutes.
constexpr int kPatchLevel = 9;

struct CompressContextFree {
  void operator()(ZSTD_CCtx* context) const { ZSTD_freeCCtx(context); }
};
struct DecompressContextFree {
  void operator()(ZSTD_DCtx* context) const { ZSTD_freeDCtx(context); }
};

// zstd's smallest window, and the one that covers kPatchMostBytes.
constexpr int kLeastWindowLog = 10;
constexpr int kMostWindowLog = 30;
static_assert(int64_t{1} << kMostWindowLog == kPatchMostBytes);

// The smallest window that reaches from the end of the result back to the start of the base.
int WindowLogFor(uint64_t bytes) {
  int log = kLeastWindowLog;
  while (log < kMostWindowLog && (uint64_t{1} << log) < bytes) ++log;
  return log;
}

void Check(size_t code) {
  if (ZSTD_isError(code)) throw Error(std::string("zstd: ") + ZSTD_getErrorName(code));
}

}  // namespace

std::string MakeZstdPatch(std::string_view base, std::string_view result) {
  if (static_cast<int64_t>(base.size() + result.size()) > kPatchMostBytes) {
    throw Error("zstd: base and result together exceed the patch window");
  }
  std::unique_ptr<ZSTD_CCtx, CompressContextFree> context(ZSTD_createCCtx());
  if (!context) throw Error("zstd: out of memory");
  ZSTD_CCtx* c = context.get();
  Check(ZSTD_CCtx_setParameter(c, ZSTD_c_compressionLevel, kPatchLevel));
  Check(ZSTD_CCtx_setParameter(c, ZSTD_c_enableLongDistanceMatching, 1));
  Check(ZSTD_CCtx_setParameter(c, ZSTD_c_windowLog, WindowLogFor(base.size() + result.size())));
  Check(ZSTD_CCtx_setParameter(c, ZSTD_c_contentSizeFlag, 1));
  Check(ZSTD_CCtx_setParameter(c, ZSTD_c_checksumFlag, 1));
  Check(ZSTD_CCtx_refPrefix(c, base.data(), base.size()));
  std::string patch(ZSTD_compressBound(result.size()), '\0');
  const size_t size = ZSTD_compress2(c, patch.data(), patch.size(), result.data(), result.size());
  Check(size);
  patch.resize(size);
  return patch;
}

struct ZstdPatchApplication::Context {
  std::unique_ptr<ZSTD_DCtx, DecompressContextFree> decoder{ZSTD_createDCtx()};
};

ZstdPatchApplication::ZstdPatchApplication(int64_t result_length)
    : result_length_(result_length), context_(std::make_unique<Context>()) {}

ZstdPatchApplication::~ZstdPatchApplication() = default;

void ZstdPatchApplication::SetBase(std::string_view base) {
  base_ = base;
  has_base_ = true;
}

void ZstdPatchApplication::Restart() {
  begun_ = false;
  refused_ = false;
  frame_ended_ = false;
  consumed_ = 0;
  produced_ = 0;
}

void ZstdPatchApplication::Advance(const void* source, size_t available) {
  if (has_base_) Decode(static_cast<const char*>(source), available);
}

bool ZstdPatchApplication::Finish(const void* source, size_t length) {
  if (!has_base_ || !Decode(static_cast<const char*>(source), length)) return false;
  // One frame exactly, all of it, yielding all that was announced.
  return frame_ended_ && consumed_ == length && produced_ == result_size_;
}

std::string ZstdPatchApplication::TakeResult() {
  std::string result(decoded());
  begun_ = false;
  produced_ = 0;
  return result;
}

bool ZstdPatchApplication::Begin(const char* source, size_t available) {
  if (result_length_ < 0 || static_cast<int64_t>(base_.size()) + result_length_ > kPatchMostBytes) {
    return false;
  }
  ZSTD_frameHeader header{};
  const size_t needed = ZSTD_getFrameHeader(&header, source, available);
  if (ZSTD_isError(needed)) return false;
  if (needed > 0) return true;  // the header has not arrived whole yet
  if (header.frameType != ZSTD_frame ||
      header.frameContentSize != static_cast<unsigned long long>(result_length_)) {
    return false;
  }
  ZSTD_DCtx* d = context_->decoder.get();
  // The result buffer is the window: the decoder holds none beside it.
  if (d == nullptr || ZSTD_isError(ZSTD_DCtx_reset(d, ZSTD_reset_session_and_parameters)) ||
      ZSTD_isError(ZSTD_DCtx_setParameter(d, ZSTD_d_windowLogMax, kMostWindowLog)) ||
      ZSTD_isError(ZSTD_DCtx_setParameter(d, ZSTD_d_stableOutBuffer, 1)) ||
      ZSTD_isError(ZSTD_DCtx_refPrefix(d, base_.data(), base_.size()))) {
    return false;
  }
  if (result_size_ != static_cast<size_t>(result_length_)) {
    result_size_ = static_cast<size_t>(result_length_);
    result_.reset(new char[result_size_ > 0 ? result_size_ : 1]);
  }
  begun_ = true;
  return true;
}

bool ZstdPatchApplication::Decode(const char* source, size_t available) {
  if (refused_) return false;
  if (!begun_ && !Begin(source, available)) {
    refused_ = true;
    return false;
  }
  if (!begun_ || available <= consumed_) return true;
  if (frame_ended_) {
    refused_ = true;  // bytes after the frame
    return false;
  }
  ZSTD_inBuffer in{source, available, consumed_};
  ZSTD_outBuffer out{result_.get(), result_size_, produced_};
  while (in.pos < in.size) {
    const size_t before_in = in.pos;
    const size_t before_out = out.pos;
    const size_t code = ZSTD_decompressStream(context_->decoder.get(), &out, &in);
    if (ZSTD_isError(code)) {
      refused_ = true;
      return false;
    }
    if (code == 0) {
      frame_ended_ = true;
      break;
    }
    if (in.pos == before_in && out.pos == before_out) {
      refused_ = true;  // no way forward: the result would be longer than announced
      return false;
    }
  }
  consumed_ = in.pos;
  produced_ = out.pos;
  if (frame_ended_ && consumed_ < available) {
    refused_ = true;
    return false;
  }
  return true;
}

std::optional<std::string> ApplyZstdPatch(std::string_view base, std::string_view patch,
                                          int64_t result_length) {
  ZstdPatchApplication application(result_length);
  application.SetBase(base);
  if (!application.Finish(patch.data(), patch.size())) return std::nullopt;
  return application.TakeResult();
}

}  // namespace veyra
