#include "updater/gzip/chunked_output.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace veyra {

ChunkedOutput::ChunkedOutput(size_t first_size, size_t ceiling) : ceiling_(ceiling) {
  Reallocate(first_size);
}

ChunkedOutput::~ChunkedOutput() {
  std::free(data_);
}

char* ChunkedOutput::Reserve(size_t max_piece) {
  if (allocated_ - size_ < max_piece) {
    Reallocate(std::max(size_ + max_piece, std::min(allocated_ + allocated_ / 2, ceiling_)));
  }
  return data_ + size_;
}

GzMemBuffer ChunkedOutput::Release() {
  if (allocated_ != size_) Reallocate(size_);
  GzMemBuffer result(data_, size_);
  data_ = nullptr;
  size_ = allocated_ = 0;
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
