#pragma once

#include <cstddef>
#include <cstdint>

#include "updater/gzip/gzmem.h"

namespace veyra {

// The growing output of an expansion, written in place so that each byte is copied once. The
// block starts at a first size (the compressed size, or the length the image announces) and
// grows by half whenever a piece does not fit; growing it piece by piece would move it once per
// piece, a system call each for large blocks. The result is cut to the exact length.
class ChunkedOutput {
 public:
  // Allocates `first_size` bytes (nothing for 0); growing never goes past `ceiling` unless a piece
  // needs it. Throws std::bad_alloc.
  explicit ChunkedOutput(size_t first_size, size_t ceiling = SIZE_MAX);
  ~ChunkedOutput();
  ChunkedOutput(const ChunkedOutput&) = delete;
  ChunkedOutput& operator=(const ChunkedOutput&) = delete;

  // Where the next piece of up to `max_piece` bytes is to be written. Throws std::bad_alloc.
  char* Reserve(size_t max_piece);
  // Takes the `n` bytes written at Reserve's pointer (n <= max_piece).
  void Append(size_t n) { size_ += n; }
  // Hands over the bytes in a block of exactly their length (none when empty). Throws
  // std::bad_alloc.
  GzMemBuffer Release();

  size_t size() const { return size_; }
  void set_ceiling(size_t ceiling) { ceiling_ = ceiling; }

 private:
  void Reallocate(size_t bytes);

  char* data_ = nullptr;
  size_t size_ = 0;
  size_t allocated_ = 0;
  size_t ceiling_;
};

}  // namespace veyra
