#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace veyra::testing {

// Deflate data without any header or trailer.
std::string RawDeflate(std::string_view data, int level = 9);
// The 8-byte member trailer: CRC-32 and length, little-endian.
std::string Trailer(std::string_view data);
// A 10-byte member header with the given flags and method.
std::string BasicHeader(uint8_t flags = 0, uint8_t method = 8);
// header + deflate data + trailer.
std::string Member(std::string_view header, std::string_view data);

// A member of `mebibytes` MiB of zeros (one compressed MiB repeated, cheap to make) whose trailer
// holds the right CRC-32 and `announced` as its length.
std::string ZeroMember(size_t mebibytes, uint32_t announced);

// Reproducible content: words and numbers like a text file, or bytes without redundancy.
std::string SampleText(size_t size, uint32_t seed = 1);
std::string RandomBytes(size_t size, uint32_t seed = 1);

// The expansion of `image` as a string; fails the test on an exception.
std::string Expand(std::string_view image);
// The message of the veyra::Error that expanding `image` raises, or "<no error>".
std::string ErrorOf(std::string_view image);

// Little-endian 32-bit value at `offset`.
uint32_t LoadLittleEndian32(std::string_view bytes, size_t offset);
void StoreLittleEndian32(std::string& bytes, size_t offset, uint32_t value);

}  // namespace veyra::testing
