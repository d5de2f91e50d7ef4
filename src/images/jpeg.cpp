#include "images/jpeg.h"

#include <csetjmp>
#include <string>
#include <type_traits>

// jpeglib.h uses FILE and size_t without including their headers.
#include <cstdio>

#include <jpeglib.h>
// After jpeglib.h: the configuration it includes decides which message codes exist.
#include <jerror.h>

#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/paths.h"

namespace veyra {
namespace {

// Why a decode stopped. Kept as plain data so it can sit beside the libjpeg state that a
// longjmp leaves behind.
enum class Failure { kNone, kTruncated, kCorruptData, kTooManyScans, kOutOfMemory, kLibjpegError };

// libjpeg reports errors by calling error_exit, which must not return. We leave through
// longjmp back to the function that called setjmp. That is only sound while every frame it
// skips is C or holds nothing with a destructor, so everything libjpeg touches lives in this
// plain struct, and the functions that call setjmp hold no C++ objects.
struct ErrorState {
  jpeg_error_mgr manager;  // first, so that cinfo->err can be cast back to ErrorState
  std::jmp_buf jump;
  Failure failure;
  char message[JMSG_LENGTH_MAX];
};

struct Decoder {
  jpeg_decompress_struct cinfo;
  ErrorState error;
  jpeg_progress_mgr progress;
  const unsigned char* input;
  unsigned long input_size;
  uint8_t* pixels;  // output_height rows of row_bytes
  size_t row_bytes;
};

static_assert(std::is_standard_layout_v<ErrorState>);
static_assert(std::is_trivially_destructible_v<Decoder>);

ErrorState& StateOf(j_common_ptr cinfo) {
  return *reinterpret_cast<ErrorState*>(cinfo->err);
}

[[noreturn]] void Abort(j_common_ptr cinfo, Failure failure) {
  ErrorState& state = StateOf(cinfo);
  state.failure = failure;
  (*cinfo->err->format_message)(cinfo, state.message);
  std::longjmp(state.jump, 1);
}

void ExitOnError(j_common_ptr cinfo) {
  const int code = cinfo->err->msg_code;
  Abort(cinfo, code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE
                   ? Failure::kOutOfMemory
                   : Failure::kLibjpegError);
}

// libjpeg keeps going after a warning and fills what it could not read with grey. For damaged
// entropy data or a file that ends early that is a broken picture, so those warnings stop the
// decode; harmless ones (an unknown JFIF revision, stray bytes between markers) do not.
void StopOnDamage(j_common_ptr cinfo, int msg_level) {
  if (msg_level != -1) return;  // trace messages
  switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
      Abort(cinfo, Failure::kTruncated);
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
      Abort(cinfo, Failure::kCorruptData);
    default:
      ++cinfo->err->num_warnings;
  }
}

void PrintNothing(j_common_ptr) {}

// Called at least once per scan while a progressive file is read.
void LimitScans(j_common_ptr cinfo) {
  if (cinfo->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans) {
    Abort(cinfo, Failure::kTooManyScans);
  }
}

// Reads the markers up to the first scan and computes the output size.
void ReadHeader(Decoder* decoder) {
  j_decompress_ptr cinfo = &decoder->cinfo;
  jpeg_create_decompress(cinfo);
  cinfo->mem->max_memory_to_use = static_cast<long>(kMaxJpegBytes);
  decoder->progress.progress_monitor = LimitScans;
  cinfo->progress = &decoder->progress;
  jpeg_mem_src(cinfo, decoder->input, decoder->input_size);
  jpeg_read_header(cinfo, TRUE);
  // CMYK and YCCK cannot be turned into RGB by libjpeg; leave the colour space as read so
  // that the caller can refuse them.
  if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK) return;
  cinfo->out_color_space = JCS_RGB;
  jpeg_calc_output_dimensions(cinfo);
}

// Sets up decoding; a progressive file is read to its end here, scan by scan, so it is
// refused for its scans, its working memory or its truncation before the pixels are allocated.
void StartDecompress(Decoder* decoder) {
  jpeg_start_decompress(&decoder->cinfo);
}

void ReadRows(Decoder* decoder) {
  j_decompress_ptr cinfo = &decoder->cinfo;
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = decoder->pixels + size_t{cinfo->output_scanline} * decoder->row_bytes;
    // A memory source never suspends, so every call delivers a row or fails.
    if (jpeg_read_scanlines(cinfo, &row, 1) != 1) Abort(j_common_ptr(cinfo), Failure::kTruncated);
  }
  // Reads the rest of the data up to the end marker; data that ends before it is refused like
  // any other cut.
  jpeg_finish_decompress(cinfo);
}

// Runs one step of the decode. This is where libjpeg's longjmp lands, so this frame holds
// nothing but plain values.
// Result: false when libjpeg failed; the reason is in decoder->error.
bool Run(Decoder* decoder, void (*step)(Decoder*)) {
  if (setjmp(decoder->error.jump)) return false;
  step(decoder);
  return true;
}

std::string Reason(const ErrorState& error) {
  switch (error.failure) {
    case Failure::kTruncated:
      return "truncated JPEG data";
    case Failure::kCorruptData:
      return std::string("corrupt JPEG data: ") + error.message;
    case Failure::kTooManyScans:
      return "progressive JPEG with more than " + std::to_string(kMaxJpegScans) + " scans";
    case Failure::kOutOfMemory:
      return "JPEG needs more than " + std::to_string(kMaxJpegBytes >> 20) +
             " MiB of working memory";
    case Failure::kLibjpegError:
    case Failure::kNone:
      break;
  }
  return std::string("invalid JPEG: ") + error.message;
}

// Owns the libjpeg state of one decode and releases it however the decode ends.
class DecoderHolder {
 public:
  DecoderHolder() {
    decoder_.cinfo.err = jpeg_std_error(&decoder_.error.manager);
    decoder_.error.manager.error_exit = ExitOnError;
    decoder_.error.manager.emit_message = StopOnDamage;
    decoder_.error.manager.output_message = PrintNothing;
  }
  // Also right when jpeg_create_decompress never ran or failed: libjpeg then finds no memory
  // manager to release.
  ~DecoderHolder() { jpeg_destroy_decompress(&decoder_.cinfo); }
  DecoderHolder(const DecoderHolder&) = delete;
  DecoderHolder& operator=(const DecoderHolder&) = delete;

  Decoder* get() { return &decoder_; }

 private:
  Decoder decoder_{};
};

std::optional<RgbImage> Refuse(std::string* why, std::string reason) {
  if (why) *why = std::move(reason);
  return std::nullopt;
}

}  // namespace

std::optional<RgbImage> DecodeJpeg(std::string_view bytes, std::string* why) {
  if (bytes.empty()) return Refuse(why, "empty JPEG data");
  if (bytes.size() < 2 || uint8_t(bytes[0]) != 0xFF || uint8_t(bytes[1]) != 0xD8) {
    return Refuse(why, "not a JPEG file");
  }
  if (bytes.size() > kMaxJpegBytes) return Refuse(why, "JPEG data too large");

  DecoderHolder holder;
  Decoder* decoder = holder.get();
  decoder->input = reinterpret_cast<const unsigned char*>(bytes.data());
  decoder->input_size = static_cast<unsigned long>(bytes.size());
  if (!Run(decoder, ReadHeader)) return Refuse(why, Reason(decoder->error));

  const jpeg_decompress_struct& cinfo = decoder->cinfo;
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    return Refuse(why, "CMYK JPEG images are not supported");
  }
  // Checked before anything is allocated for the picture: the header alone may claim any size.
  const uint64_t width = cinfo.output_width;
  const uint64_t height = cinfo.output_height;
  const uint64_t row_bytes = width * 3;
  if (width > uint64_t(kMaxJpegSide) || height > uint64_t(kMaxJpegSide) ||
      row_bytes * height > kMaxJpegBytes) {
    return Refuse(why, "JPEG of " + std::to_string(width) + " x " + std::to_string(height) +
                           " pixels is too large");
  }
  if (cinfo.output_components != 3) return Refuse(why, "unexpected JPEG output format");

  if (!Run(decoder, StartDecompress)) return Refuse(why, Reason(decoder->error));

  RgbImage image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.pixels.resize(row_bytes * height);
  decoder->pixels = image.pixels.data();
  decoder->row_bytes = row_bytes;
  if (!Run(decoder, ReadRows)) return Refuse(why, Reason(decoder->error));
  return image;
}

std::optional<RgbImage> LoadJpegFile(const std::string& path, std::string* why) {
  FileHandle file(MapPath(path), OpenMode::kRead);
  if (!file.ok()) throw Error("cannot open " + path);
  uint64_t size = 0;
  if (!file.Size(size).ok()) throw Error("read error in " + path);
  if (size > kMaxJpegBytes) return Refuse(why, "JPEG data too large");
  std::string bytes(static_cast<size_t>(size), '\0');
  size_t done = 0;
  if (!file.ReadAt(0, bytes.data(), bytes.size(), done).ok() || done != bytes.size()) {
    throw Error("read error in " + path);
  }
  return DecodeJpeg(bytes, why);
}

}  // namespace veyra
