#include "gzip_test_images.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "platform/error.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/gzip/gzmem.h"

namespace veyra::testing {

std::string RawDeflate(std::string_view data, int level) {
  const std::string image = GzipCompress(data, level);
  return image.substr(10, image.size() - 18);  // without the plain header and the trailer
}

void StoreLittleEndian32(std::string& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t LoadLittleEndian32(std::string_view bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  }
  return value;
}

std::string Trailer(std::string_view data) {
  std::string trailer(8, '\0');
  const auto crc =
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
  StoreLittleEndian32(trailer, 0, static_cast<uint32_t>(crc));
  StoreLittleEndian32(trailer, 4, static_cast<uint32_t>(data.size()));
  return trailer;
}

std::string ZeroMember(size_t mebibytes, uint32_t announced) {
  const std::string zeros(size_t{1} << 20, '\0');
  // A full flush starts every MiB afresh and on a byte boundary, so its deflate data repeats.
  z_stream deflater{};
  EXPECT_EQ(deflateInit2(&deflater, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY), Z_OK);
  std::string piece(64 * 1024, '\0');
  deflater.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
  deflater.avail_in = static_cast<uInt>(zeros.size());
  deflater.next_out = reinterpret_cast<Bytef*>(piece.data());
  deflater.avail_out = static_cast<uInt>(piece.size());
  EXPECT_EQ(deflate(&deflater, Z_FULL_FLUSH), Z_OK);
  piece.resize(piece.size() - deflater.avail_out);
  deflateEnd(&deflater);

  std::string image = BasicHeader();
  uLong crc = 0;
  for (size_t i = 0; i < mebibytes; ++i) {
    image += piece;
    crc = crc32(crc, reinterpret_cast<const Bytef*>(zeros.data()), static_cast<uInt>(zeros.size()));
  }
  image += std::string("\x03\x00", 2);  // an empty final block
  std::string trailer(8, '\0');
  StoreLittleEndian32(trailer, 0, static_cast<uint32_t>(crc));
  StoreLittleEndian32(trailer, 4, announced);
  return image + trailer;
}

std::string BasicHeader(uint8_t flags, uint8_t method) {
  return std::string{'\x1F',
                     '\x8B',
                     static_cast<char>(method),
                     static_cast<char>(flags),
                     '\x12',
                     '\x34',
                     '\x56',
                     '\x78',
                     '\x02',
                     '\x03'};
}

std::string Member(std::string_view header, std::string_view data) {
  return std::string(header) + RawDeflate(data) + Trailer(data);
}

std::string SampleText(size_t size, uint32_t seed) {
  static const char* const kWords[] = {"更新", "patch", "file", "Upimg\\", "list", "版本",
                                       "0x1F", "\r\n",  " ",    "data",    "=",    "\t"};
  std::mt19937 random(seed);
  std::string text;
  text.reserve(size + 16);
  while (text.size() < size) {
    if (random() % 5 == 0) {
      text += std::to_string(random() % 100000);
    } else {
      text += kWords[random() % std::size(kWords)];
    }
  }
  text.resize(size);
  return text;
}

std::string RandomBytes(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string Expand(std::string_view image) {
  try {
    const GzMemBuffer buffer = GzMemDecompress(image.data(), image.size());
    EXPECT_EQ(buffer.data() == nullptr, buffer.size() == 0);
    return std::string(buffer.view());
  } catch (const Error& error) {
    ADD_FAILURE() << "unexpected error: " << error.what();
    return "<error>";
  }
}

std::string ErrorOf(std::string_view image) {
  try {
    GzMemDecompress(image.data(), image.size());
    return "<no error>";
  } catch (const Error& error) {
    return error.what();
  }
}

}  // namespace veyra::testing
