#include "updater/http/allocation_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> recording{false};
std::atomic<size_t> largest_request{0};

void* Allocate(size_t size) {
  if (recording.load(std::memory_order_relaxed)) {
    size_t seen = largest_request.load(std::memory_order_relaxed);
    while (size > seen && !largest_request.compare_exchange_weak(seen, size)) {
    }
  }
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t size) {
  return Allocate(size);
}
void* operator new[](size_t size) {
  return Allocate(size);
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, size_t) noexcept {
  std::free(block);
}

namespace veyra::testing {

AllocationProbe::AllocationProbe() {
  largest_request = 0;
  recording = true;
}

AllocationProbe::~AllocationProbe() {
  recording = false;
}

size_t AllocationProbe::largest() const {
  return largest_request.load();
}

}  // namespace veyra::testing
