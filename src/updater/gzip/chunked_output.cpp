#include "updater/gzip/chunked_output.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace veyra {

ChunkedOutput::ChunkedOutput(size_t initial_capacity, size_t expected_size)
    : capacity_(initial_capacity) {
  Reallocate(std::max(initial_capacity, expected_size));
}

ChunkedOutput::~ChunkedOutput() {
  std::free(data_);
}

char* ChunkedOutput::Reserve(size_t max_chunk) {
  // The memory behind the buffer grows by half at a time: following the capacity rule to the
  // byte would move the block once per 16 KiB chunk, a system call each, which costs more than
  // the expansion itself on large files. The block is cut to the exact length at the end.
  if (allocated_ - size_ < max_chunk) {
    Reallocate(std::max(size_ + max_chunk + kGrowthSlack, allocated_ + allocated_ / 2));
  }
  return data_ + size_;
}

void ChunkedOutput::Append(size_t n) {
  if (capacity_ < size_ + n) capacity_ = size_ + n + kGrowthSlack;
  size_ += n;
}

GzMemBuffer ChunkedOutput::Release() {
  if (allocated_ != size_) Reallocate(size_);
  GzMemBuffer result(data_, size_);
  data_ = nullptr;
  size_ = capacity_ = allocated_ = 0;
  return result;
}

void ChunkedOutput::Reallocate(size_t bytes) {
  if (bytes == 0) {
    std::free(data_);
    data_ = nullptr;
  } else {
    void* moved = std::realloc(data_, bytes);
    if (moved == nullptr) throw std::bad_alloc();
    data_ = static_cast<char*>(moved);
  }
  allocated_ = bytes;
}

}  // namespace veyra
