#include "updater/gzip/chunked_output.h"

#include <cstdlib>
#include <new>

namespace veyra {

ChunkedOutput::ChunkedOutput(size_t initial_capacity) : capacity_(initial_capacity) {
  Reallocate(initial_capacity);
}

ChunkedOutput::~ChunkedOutput() {
  std::free(data_);
}

char* ChunkedOutput::Reserve(size_t max_chunk) {
  // A full chunk is the usual case, so room for one is made with the capacity the growth rule
  // would give it; Append corrects the size for a shorter one.
  if (allocated_ - size_ < max_chunk) Reallocate(size_ + max_chunk + kGrowthSlack);
  return data_ + size_;
}

void ChunkedOutput::Append(size_t n) {
  if (capacity_ < size_ + n) capacity_ = size_ + n + kGrowthSlack;
  size_ += n;
  if (allocated_ != capacity_) Reallocate(capacity_);
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
    // Large blocks are moved by remapping pages, so growing one chunk at a time stays cheap.
    void* moved = std::realloc(data_, bytes);
    if (moved == nullptr) throw std::bad_alloc();
    data_ = static_cast<char*>(moved);
  }
  allocated_ = bytes;
}

}  // namespace veyra
