#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "gzip_test_images.h"
#include "platform/error.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/gzip/gzmem.h"

namespace veyra {
namespace {

using namespace veyra::testing;
using namespace std::string_literals;

constexpr const char* kDataError = "data error";
constexpr const char* kFormatError = "error zip format";

TEST(GzMemDecompressFailures, MalformedFirstHeaderIsAFormatError) {
  const std::string content = SampleText(500);
  const std::string images[] = {
      Member(BasicHeader(0, 7), content),
      Member(BasicHeader(0, 0), content),
      Member(BasicHeader(0x20), content),
      Member(BasicHeader(0x40), content),
      Member(BasicHeader(0x80), content),
      std::string("\x1F\x8B"),
      std::string("\x1F\x8B\x08\x00\x00", 5),
      BasicHeader(0x08) + "name-without-end",
      BasicHeader(0x04) + "\xFF\x00"s + "short extra field",
  };
  for (const std::string& image : images) {
    SCOPED_TRACE(image.size());
    EXPECT_EQ(ErrorOf(image), kFormatError);
  }
}

TEST(GzMemDecompressFailures, SourceTooLongForTheStreamIsRefusedWithoutReading) {
  const char one_byte = 'x';
  // Only the address of one byte is valid: any read past it would be a memory error.
  try {
    GzMemDecompress(&one_byte, size_t{INT32_MAX} + 1);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), kFormatError);
  }
}

TEST(GzMemDecompressFailures, TrailerThatDoesNotMatchIsADataError) {
  for (size_t size : {0u, 100u, 16384u, 32768u, 40000u}) {
    const std::string content = SampleText(size, 11);
    const std::string image = GzipCompress(content);
    const size_t crc_at = image.size() - 8;
    const size_t length_at = image.size() - 4;
    SCOPED_TRACE(size);
    for (int bit = 0; bit < 32; ++bit) {
      std::string bad = image;
      bad[crc_at + bit / 8] = static_cast<char>(bad[crc_at + bit / 8] ^ (1 << (bit % 8)));
      EXPECT_EQ(ErrorOf(bad), kDataError) << "bit " << bit;
    }
    for (int64_t delta : {-1, 1}) {
      std::string bad = image;
      StoreLittleEndian32(bad, length_at, static_cast<uint32_t>(size + delta));
      EXPECT_EQ(ErrorOf(bad), kDataError) << "delta " << delta;
    }
  }
}

TEST(GzMemDecompressFailures, EachMemberIsCheckedAgainstItsOwnContent) {
  const std::string a = SampleText(3000, 1);
  const std::string b = SampleText(2000, 2);
  std::string combined_crc = GzipCompress(b);
  const std::string whole = a + b;
  StoreLittleEndian32(combined_crc, combined_crc.size() - 8, LoadLittleEndian32(Trailer(whole), 0));
  std::string combined_length = GzipCompress(b);
  StoreLittleEndian32(combined_length, combined_length.size() - 4,
                      static_cast<uint32_t>(whole.size()));
  EXPECT_EQ(ErrorOf(GzipCompress(a) + combined_crc), kDataError);
  EXPECT_EQ(ErrorOf(GzipCompress(a) + combined_length), kDataError);
}

TEST(GzMemDecompressFailures, MalformedOrIncompleteFollowingMemberIsADataError) {
  const std::string first = GzipCompress(SampleText(5000));
  const std::string tails[] = {
      "\x1F",
      "\x1F\x8B",
      "\x1F\x8B\x07",
      BasicHeader(0, 7) + RawDeflate("x"),
      BasicHeader(0x20) + RawDeflate("x"),
      BasicHeader(),
      BasicHeader(0x10) + "comment-without-end",
      BasicHeader() + RawDeflate("second"),
  };
  for (const std::string& tail : tails) {
    SCOPED_TRACE(tail.size());
    EXPECT_EQ(ErrorOf(first + tail), kDataError);
  }
}

TEST(GzMemDecompressFailures, CorruptDeflateDataIsADataError) {
  const std::string content = SampleText(50000);
  std::string image = GzipCompress(content);
  image[10] = '\xFF';  // block type 3 does not exist
  EXPECT_EQ(ErrorOf(image), kDataError);
  EXPECT_EQ(ErrorOf(BasicHeader() + "\x07" + Trailer("")), kDataError);
}

// A download cut short must never pass for the whole file, wherever the cut falls.
TEST(GzMemDecompressFailures, EveryCutOfAnImageIsAnError) {
  const std::string content = SampleText(3000, 4);
  const std::string image = GzipCompress(content);
  ASSERT_GT(image.size(), 100u);
  // A cut after the first byte leaves a lone 0x1F: the start of a member, not data to copy.
  EXPECT_EQ(ErrorOf(image.substr(0, 1)), kDataError);
  for (size_t cut = 2; cut < 10; ++cut) {
    EXPECT_EQ(ErrorOf(image.substr(0, cut)), kFormatError) << "cut " << cut;
  }
  for (size_t cut = 10; cut < image.size(); ++cut) {
    EXPECT_EQ(ErrorOf(image.substr(0, cut)), kDataError) << "cut " << cut;
  }
  EXPECT_EQ(ErrorOf(BasicHeader(0x08) + "file.txt" + '\0'), kDataError);  // a header alone
}

TEST(GzMemDecompressFailures, CutsOfLargeAndMultiMemberImagesAreDataErrors) {
  const std::string first = GzipCompress(SampleText(100000, 5) + RandomBytes(60000, 6), 6);
  const std::string image = first + GzipCompress(SampleText(40000, 7));
  std::vector<size_t> cuts;
  for (size_t cut = 10; cut < image.size(); cut += 4999) cuts.push_back(cut);
  for (size_t near : {size_t{16384}, size_t{32768}, first.size(), image.size()}) {
    for (size_t cut = near - 9; cut < near + 9 && cut < image.size(); ++cut) cuts.push_back(cut);
  }
  for (size_t cut : cuts) {
    if (cut == first.size()) continue;  // the first member alone is a whole image
    EXPECT_EQ(ErrorOf(image.substr(0, cut)), kDataError) << "cut " << cut;
  }
  EXPECT_EQ(ErrorOf(image.substr(0, first.size())), "<no error>");
}

// Damaged images of every kind: nothing may crash, and each outcome is either a buffer or one
// of the two messages.
TEST(GzMemDecompressFailures, RandomlyDamagedImagesFailCleanly) {
  const std::string bases[] = {
      GzipCompress(SampleText(20000, 1)),
      GzipCompress(RandomBytes(3000, 2), 1) + GzipCompress(SampleText(5000, 3), 9),
      Member(BasicHeader(0x1E) + "\x03\x00xyzname\0comment\0\x01\x02"s, SampleText(4000, 4)),
  };
  std::mt19937 random(20240611);
  int successes = 0;
  int failures = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string image = bases[round % std::size(bases)];
    switch (random() % 4) {
      case 0:  // a few bytes changed
        for (unsigned n = 1 + random() % 4; n > 0; --n) {
          image[random() % image.size()] = static_cast<char>(random());
        }
        break;
      case 1:  // a bit flipped in the header or trailer
        image[random() % 2 ? random() % 24 : image.size() - 1 - random() % 8] ^=
            static_cast<char>(1 << (random() % 8));
        break;
      case 2:  // cut and continued with noise
        image.resize(random() % image.size());
        image += RandomBytes(random() % 64, static_cast<uint32_t>(round));
        break;
      default:  // a valid header followed by noise
        image = BasicHeader(static_cast<uint8_t>(random() & 0x1F)) +
                RandomBytes(random() % 2000, static_cast<uint32_t>(round));
        break;
    }
    try {
      const GzMemBuffer buffer = GzMemDecompress(image.data(), image.size());
      EXPECT_EQ(buffer.data() == nullptr, buffer.size() == 0);
      ++successes;
    } catch (const Error& error) {
      const std::string message = error.what();
      EXPECT_TRUE(message == kDataError || message == kFormatError) << message;
      ++failures;
    }
  }
  EXPECT_GT(failures, 1500);
  EXPECT_EQ(successes + failures, 3000);
}

}  // namespace
}  // namespace veyra
