#pragma once

#include <zlib.h>

#include <cstdint>

#include "updater/gzip/gzmem.h"

namespace veyra {

// Bytes of the source handed to inflate at a time. Larger blocks than the classic 16 KiB let
// inflate take its fast path for longer; nothing else depends on the size.
inline constexpr unsigned kGzMemBlock = 65536;

struct GzMemStream {
  // next_in always points into the source, so next_in + avail_in == source + source_position.
  z_stream inflater{};
  // Last zlib status: what inflate returned, or what header and trailer checks set.
  int status = Z_OK;
  // Set when a refill found the source exhausted.
  bool end_of_input = false;
  const unsigned char* source = nullptr;
  int32_t source_size = 0;
  int32_t source_position = 0;
  // CRC-32 and length (mod 2^32) of the current member's expanded bytes.
  uint32_t crc = 0;
  uint32_t member_length = 0;
  // The data at the current position is not gzip and is copied unchanged.
  bool pass_through = false;
  char mode = '\0';
};

// Points an open stream at the same source bytes in another place, with `available` bytes now
// valid (the source of an image that is still arriving grows and may move). Bytes already handed
// to inflate must be among them.
void GzMemRebase(GzMemStream& stream, const void* source, int32_t available);

}  // namespace veyra
