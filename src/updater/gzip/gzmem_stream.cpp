#include "updater/gzip/gzmem_stream.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "platform/error.h"

namespace veyra {
namespace {

constexpr int kEndOfInput = -1;
constexpr int kMagic[2] = {0x1F, 0x8B};
constexpr int kDeflateMethod = 8;
constexpr int kFlagHeaderCrc = 0x02;
constexpr int kFlagExtra = 0x04;
constexpr int kFlagName = 0x08;
constexpr int kFlagComment = 0x10;
constexpr int kFlagsReserved = 0xE0;

// Hands the next block of the source to inflate. The source is used in place instead of being
// copied into a buffer of our own; zlib never writes through next_in.
bool Refill(GzMemStream& s) {
  const auto n =
      static_cast<uInt>(std::min<int64_t>(kGzMemBlock, int64_t{s.source_size} - s.source_position));
  s.inflater.next_in = const_cast<Bytef*>(s.source + s.source_position);
  s.inflater.avail_in = n;
  s.source_position += static_cast<int32_t>(n);
  return n != 0;
}

int NextByte(GzMemStream& s) {
  if (s.end_of_input) return kEndOfInput;
  if (s.inflater.avail_in == 0 && !Refill(s)) {
    s.end_of_input = true;
    return kEndOfInput;
  }
  s.inflater.avail_in--;
  return *s.inflater.next_in++;
}

// Safe across block boundaries because the blocks are contiguous in the source.
void UnreadByte(GzMemStream& s) {
  s.inflater.avail_in++;
  s.inflater.next_in--;
}

// A trailer value cut short by the end of the source is a data error.
uint32_t ReadLittleEndian32(GzMemStream& s) {
  uint32_t value = 0;
  int byte = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    byte = NextByte(s);
    value |= static_cast<uint32_t>(byte & 0xFF) << shift;
  }
  if (byte == kEndOfInput) s.status = Z_DATA_ERROR;
  return value;
}

void SkipUntilZeroByte(GzMemStream& s) {
  for (int c = NextByte(s); c != 0 && c != kEndOfInput; c = NextByte(s)) {
  }
}

// Reads one member header, or finds that the data here is not gzip. Sets the status to Z_OK
// (a member follows, or data to pass through), Z_STREAM_END (nothing left) or Z_DATA_ERROR
// (malformed or cut-off header).
void ParseMemberHeader(GzMemStream& s) {
  for (int i = 0; i < 2; ++i) {
    const int c = NextByte(s);
    if (c != kMagic[i]) {
      // Not a member: put back what was examined so the copy starts at its first byte.
      if (i != 0) UnreadByte(s);
      if (c != kEndOfInput) {
        UnreadByte(s);
        s.pass_through = true;
      }
      s.status = s.inflater.avail_in != 0 ? Z_OK : Z_STREAM_END;
      return;
    }
  }
  const int method = NextByte(s);
  const int flags = NextByte(s);
  if (method != kDeflateMethod || (flags & kFlagsReserved) != 0) {
    s.status = Z_DATA_ERROR;
    return;
  }
  for (int i = 0; i < 6; ++i) NextByte(s);  // time, extra flags, operating system
  if (flags & kFlagExtra) {
    unsigned length = static_cast<unsigned>(NextByte(s));
    length += static_cast<unsigned>(NextByte(s)) << 8;
    while (length-- != 0 && NextByte(s) != kEndOfInput) {
    }
  }
  if (flags & kFlagName) SkipUntilZeroByte(s);
  if (flags & kFlagComment) SkipUntilZeroByte(s);
  if (flags & kFlagHeaderCrc) {
    NextByte(s);
    NextByte(s);
  }
  s.status = s.end_of_input ? Z_DATA_ERROR : Z_OK;
}

void ChecksumProduced(GzMemStream& s, const Bytef* begin, const Bytef* end) {
  const auto n = static_cast<uInt>(end - begin);
  s.crc = static_cast<uint32_t>(crc32(s.crc, begin, n));
  s.member_length += n;
}

// At the end of a member: compares the trailer with what was produced, then moves on to
// whatever follows.
void FinishMember(GzMemStream& s) {
  const uint32_t stored_crc = ReadLittleEndian32(s);
  const uint32_t stored_length = ReadLittleEndian32(s);
  // A cut trailer is an error even if the values read happen to match.
  if (s.status == Z_DATA_ERROR || stored_crc != s.crc || stored_length != s.member_length) {
    s.status = Z_DATA_ERROR;
    return;
  }
  ParseMemberHeader(s);
  if (s.status == Z_OK) {
    inflateReset(&s.inflater);
    s.crc = 0;
    s.member_length = 0;
  }
}

int CopyPassThrough(GzMemStream& s, unsigned requested) {
  z_stream& z = s.inflater;
  // next_in + avail_in is the source position, so the rest of the source follows next_in.
  const int64_t left = int64_t{z.avail_in} + s.source_size - s.source_position;
  const auto n = static_cast<uInt>(std::min<int64_t>(left, z.avail_out));
  std::memcpy(z.next_out, z.next_in, n);
  const uInt from_block = std::min(n, z.avail_in);
  z.next_in += from_block;
  z.avail_in -= from_block;
  if (n > from_block) {
    s.source_position += static_cast<int32_t>(n - from_block);
    z.next_in = const_cast<Bytef*>(s.source + s.source_position);
  }
  z.next_out += n;
  z.avail_out -= n;
  return static_cast<int>(requested - z.avail_out);
}

}  // namespace

GzMemStream* GzMemOpen(const void* source, int32_t length, const char* mode) {
  if (mode == nullptr || *mode == '\0') return nullptr;
  if (length < 0 || (source == nullptr && length > 0)) return nullptr;
  char selected = '\0';
  for (const char* c = mode; *c != '\0'; ++c) {
    if (*c == 'r' || *c == 'w') selected = *c;
  }
  if (selected == '\0') return nullptr;
  if (selected == 'w') throw Error("no write mode");

  auto stream = std::make_unique<GzMemStream>();
  stream->source = static_cast<const unsigned char*>(source);
  stream->source_size = length;
  stream->mode = selected;
  if (inflateInit2(&stream->inflater, -MAX_WBITS) != Z_OK) return nullptr;
  ParseMemberHeader(*stream);
  return stream.release();
}

int GzMemRead(GzMemStream* stream, void* destination, unsigned length) {
  if (stream == nullptr || stream->mode != 'r') return Z_STREAM_ERROR;
  GzMemStream& s = *stream;
  if (s.status == Z_DATA_ERROR || s.status == Z_ERRNO) return -1;
  if (s.status == Z_STREAM_END) return 0;

  length = std::min<unsigned>(length, INT_MAX);
  z_stream& z = s.inflater;
  z.next_out = static_cast<Bytef*>(destination);
  z.avail_out = length;
  const Bytef* unchecked = z.next_out;
  while (z.avail_out != 0) {
    if (s.pass_through) return CopyPassThrough(s, length);
    if (z.avail_in == 0 && !s.end_of_input && !Refill(s)) s.end_of_input = true;
    s.status = inflate(&z, Z_NO_FLUSH);
    if (s.status == Z_STREAM_END) {
      ChecksumProduced(s, unchecked, z.next_out);
      unchecked = z.next_out;
      FinishMember(s);
    }
    if (s.status != Z_OK || s.end_of_input) break;
  }
  ChecksumProduced(s, unchecked, z.next_out);
  return static_cast<int>(length - z.avail_out);
}

void GzMemRebase(GzMemStream& s, const void* source, int32_t available) {
  const auto* moved = static_cast<const unsigned char*>(source);
  if (s.inflater.next_in != nullptr) {
    s.inflater.next_in = const_cast<Bytef*>(moved + (s.inflater.next_in - s.source));
  }
  s.source = moved;
  s.source_size = available;
}

int GzMemClose(GzMemStream* stream) {
  if (stream == nullptr) return Z_STREAM_ERROR;
  int result = inflateEnd(&stream->inflater);
  if (stream->status < 0) result = stream->status;
  delete stream;
  return result;
}

}  // namespace veyra
