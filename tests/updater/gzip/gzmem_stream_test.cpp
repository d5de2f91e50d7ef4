#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "gzip_test_images.h"
#include "platform/error.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/gzip/gzmem.h"

namespace veyra {
namespace {

using namespace veyra::testing;

class OpenStream {
 public:
  OpenStream(std::string_view source, const char* mode = "r")
      : stream_(GzMemOpen(source.data(), static_cast<int32_t>(source.size()), mode)) {}
  ~OpenStream() {
    if (stream_ != nullptr) GzMemClose(stream_);
  }
  GzMemStream* get() const { return stream_; }
  int Close() { return GzMemClose(std::exchange(stream_, nullptr)); }

 private:
  GzMemStream* stream_;
};

TEST(GzMemOpen, ModeSelectsReadingOrWriting) {
  const std::string image = GzipCompress("content");
  for (const char* mode : {"r", "rb", "r9", "rf", "rh", "wr", "xr?"}) {
    SCOPED_TRACE(mode);
    OpenStream stream(image, mode);
    EXPECT_NE(stream.get(), nullptr);
  }
  for (const char* mode : {"", "b", "9", "a+"}) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(OpenStream(image, mode).get(), nullptr);
  }
  EXPECT_EQ(OpenStream(image, nullptr).get(), nullptr);
  for (const char* mode : {"w", "rw", "wb9", "rbw"}) {
    SCOPED_TRACE(mode);
    try {
      OpenStream stream(image, mode);
      ADD_FAILURE() << "opened";
    } catch (const Error& error) {
      EXPECT_STREQ(error.what(), "no write mode");
    }
  }
}

TEST(GzMemOpen, RefusesALengthThatCannotBeRead) {
  const char byte = 'x';
  EXPECT_EQ(GzMemOpen(&byte, -1, "r"), nullptr);
  EXPECT_EQ(GzMemOpen(nullptr, 1, "r"), nullptr);
}

TEST(GzMemRead, WithoutAStreamReturnsMinusTwo) {
  char buffer[8];
  EXPECT_EQ(GzMemRead(nullptr, buffer, sizeof buffer), -2);
  EXPECT_EQ(GzMemClose(nullptr), -2);
}

std::string ReadAll(GzMemStream* stream, unsigned piece, int* last) {
  std::string out;
  std::vector<char> buffer(piece);
  for (int reads = 0; reads < 100000; ++reads) {
    *last = GzMemRead(stream, buffer.data(), piece);
    if (*last <= 0) break;
    EXPECT_LE(static_cast<unsigned>(*last), piece);
    out.append(buffer.data(), static_cast<size_t>(*last));
  }
  return out;
}

TEST(GzMemRead, DeliversTheSameBytesWhateverTheReadSize) {
  const std::string a = SampleText(50000, 1);
  const std::string b = RandomBytes(17000, 2);
  const std::string tail = "not gzip";
  const std::string image = GzipCompress(a) + GzipCompress(b) + tail;
  for (unsigned piece : {1u, 7u, 1000u, 16384u, 16385u, 200000u}) {
    SCOPED_TRACE(piece);
    OpenStream stream(image);
    int last = 0;
    EXPECT_EQ(ReadAll(stream.get(), piece, &last), a + b + tail);
    EXPECT_EQ(last, 0);
    char byte;
    EXPECT_EQ(GzMemRead(stream.get(), &byte, 1), 0);
    EXPECT_EQ(stream.Close(), Z_OK);
  }
}

TEST(GzMemRead, ReadOfNothingPlacesNothing) {
  const std::string image = GzipCompress("abc");
  OpenStream stream(image);
  char buffer[4] = {};
  EXPECT_EQ(GzMemRead(stream.get(), buffer, 0), 0);
  EXPECT_EQ(GzMemRead(stream.get(), buffer, 4), 3);
  EXPECT_EQ(std::string(buffer, 3), "abc");
}

TEST(GzMemRead, DataErrorIsReportedAfterTheBytesOfTheSameRead) {
  const std::string content = SampleText(1000);
  std::string image = GzipCompress(content);
  image[image.size() - 1] ^= 1;  // stored length
  OpenStream stream(image);
  std::vector<char> buffer(4096);
  EXPECT_EQ(GzMemRead(stream.get(), buffer.data(), 4096), 1000);
  EXPECT_EQ(std::string(buffer.data(), 1000), content);
  EXPECT_EQ(GzMemRead(stream.get(), buffer.data(), 4096), -1);
  EXPECT_EQ(GzMemRead(stream.get(), buffer.data(), 4096), -1);
  EXPECT_EQ(stream.Close(), Z_DATA_ERROR);
}

TEST(GzMemRead, MalformedFirstHeaderFailsTheFirstRead) {
  const std::string image = Member(BasicHeader(0x40), "x");
  OpenStream stream(image);
  ASSERT_NE(stream.get(), nullptr);
  char byte;
  EXPECT_EQ(GzMemRead(stream.get(), &byte, 1), -1);
  EXPECT_EQ(stream.Close(), Z_DATA_ERROR);
}

}  // namespace
}  // namespace veyra
