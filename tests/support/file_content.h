#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace veyra::testing {

// Bytes that differ per file index and do not compress to nothing (xorshift), for files that
// must travel whole and be told apart.
inline std::string FileContent(int index, size_t size) {
  std::string content(size, '\0');
  uint32_t state = 2463534242u + static_cast<uint32_t>(index);
  for (char& c : content) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    c = static_cast<char>(state);
  }
  return content;
}

}  // namespace veyra::testing
