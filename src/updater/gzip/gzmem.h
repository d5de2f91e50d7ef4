#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace veyra {

// Owner of expanded bytes, allocated with malloc. Move-only; an empty buffer holds no memory
// (data() is null, size() is 0).
class GzMemBuffer {
 public:
  GzMemBuffer() = default;
  // Takes ownership of `data`, a block from malloc/realloc holding exactly `size` bytes.
  GzMemBuffer(char* data, size_t size) noexcept : data_(data), size_(size) {}
  GzMemBuffer(GzMemBuffer&& other) noexcept;
  GzMemBuffer& operator=(GzMemBuffer&& other) noexcept;
  GzMemBuffer(const GzMemBuffer&) = delete;
  GzMemBuffer& operator=(const GzMemBuffer&) = delete;
  ~GzMemBuffer();

  const char* data() const { return data_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::string_view view() const { return {data_, size_}; }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
};

// Expands a gzip image held in memory: every member in turn, each checked against its stored
// CRC-32 and length; bytes that do not start a gzip member are copied through unchanged.
// An empty source gives an empty buffer. The source is only read.
// Throws veyra::Error("error zip format") when the first member's header is malformed or the
// source is longer than INT32_MAX bytes, and veyra::Error("data error") for corrupt deflate data,
// a mismatching trailer, a malformed later header, or a source that ends before its last member
// is complete. Throws std::bad_alloc when memory runs out.
GzMemBuffer GzMemDecompress(const void* source, size_t length);

// The largest expansion GzMemDecompress accepts, far above any game file. A larger one is
// "data error", found by counting without holding the excess (a hostile image must not exhaust
// memory). Below 4 GiB, so that a member's trailer states its length exactly.
inline constexpr size_t kGzMemMaxOutput = size_t{1} << 30;

// GzMemDecompress with another ceiling on the expanded size.
GzMemBuffer GzMemDecompressAtMost(const void* source, size_t length, size_t max_output);

// The stream underneath GzMemDecompress, one open gzip source.
struct GzMemStream;

// Opens `length` bytes at `source` for reading. `mode` is scanned left to right: 'r' and 'w'
// select reading or writing (the last one wins); digits, 'f' and 'h' are accepted and have no
// effect. Parses the first member header; its outcome is reported by the first GzMemRead.
// Returns nullptr for a null or empty mode, a mode with neither 'r' nor 'w', a negative length,
// a null source with a positive length, or when zlib cannot be initialised.
// Throws veyra::Error("no write mode") when the mode selects writing.
GzMemStream* GzMemOpen(const void* source, int32_t length, const char* mode);

// Places up to `length` (at most INT_MAX) expanded bytes at `destination`. Returns their number,
// 0 at the end, -1 once a data error was found, -2 for a null stream. A read may return bytes
// and find a data error in the same call; the next read then returns -1.
int GzMemRead(GzMemStream* stream, void* destination, unsigned length);

// Frees the stream. Returns -2 for a null stream, otherwise zlib's result of ending inflate,
// replaced by the stream's last status when that is negative.
int GzMemClose(GzMemStream* stream);

}  // namespace veyra
