#pragma once

#include <cstddef>

#include "updater/gzip/gzmem.h"

namespace veyra {

// The growing output of an expansion. Its capacity starts at a given size (the compressed size,
// a fair first guess) and, whenever an appended chunk does not fit, becomes exactly the new
// length plus 512 bytes; the memory allocated behind it may run ahead of that by up to half.
// Chunks are written in place, so each byte is copied once, and the result is exact.
class ChunkedOutput {
 public:
  static constexpr size_t kGrowthSlack = 512;

  // Allocates `initial_capacity` bytes, or `expected_size` when that is larger (a hint of the
  // final length, which saves moving the block while it grows; nothing for 0). Throws
  // std::bad_alloc.
  explicit ChunkedOutput(size_t initial_capacity, size_t expected_size = 0);
  ~ChunkedOutput();
  ChunkedOutput(const ChunkedOutput&) = delete;
  ChunkedOutput& operator=(const ChunkedOutput&) = delete;

  // Where the next chunk of up to `max_chunk` bytes is to be written. The room may be more than
  // the capacity until Append settles it. Throws std::bad_alloc.
  char* Reserve(size_t max_chunk);
  // Takes the `n` bytes written at Reserve's pointer (n <= max_chunk) and applies the growth
  // rule. Throws std::bad_alloc.
  void Append(size_t n);
  // Hands over the bytes in a block of exactly their length (none when empty). Throws
  // std::bad_alloc.
  GzMemBuffer Release();

  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }

 private:
  void Reallocate(size_t bytes);

  char* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
  size_t allocated_ = 0;
};

}  // namespace veyra
