#include <cstdlib>
#include <utility>

#include "updater/gzip/gzmem.h"

namespace veyra {

GzMemBuffer::GzMemBuffer(GzMemBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

GzMemBuffer& GzMemBuffer::operator=(GzMemBuffer&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

GzMemBuffer::~GzMemBuffer() {
  std::free(data_);
}

}  // namespace veyra
