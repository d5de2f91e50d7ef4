#include "updater/gzip/gzmem_expansion.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "gzip_test_images.h"
#include "platform/error.h"
#include "updater/gzip/gzip_writer.h"

namespace veyra::testing {
namespace {

// What expanding the whole image gives: the bytes, or the error message.
std::string Outcome(const std::function<GzMemBuffer()>& expand) {
  try {
    return "ok:" + std::string(expand().view());
  } catch (const Error& error) {
    return std::string("error:") + error.what();
  }
}

// Feeds the image as it would arrive: growing prefixes of random sizes, each in a freshly
// allocated buffer (a growing download buffer moves), then finishes on the whole image.
std::string ExpandWhileArriving(const std::string& image, size_t margin, uint32_t seed) {
  std::mt19937 random(seed);
  GzMemExpansion expansion(kGzMemMaxOutput, margin);
  std::vector<std::string> arrived;  // earlier buffers stay valid until the end
  size_t size = 0;
  while (size < image.size()) {
    size = std::min(image.size(), size + 1 + random() % 70000);
    arrived.push_back(image.substr(0, size));
    if (size < image.size()) expansion.Advance(arrived.back().data(), size);
  }
  const std::string whole = image;  // the complete body, in yet another place
  return Outcome([&] { return expansion.Finish(whole.data(), whole.size()); });
}

TEST(GzMemExpansion, ExpandingWhileArrivingGivesWhatTheWholeImageGives) {
  const std::string text = SampleText(400000, 3);
  const std::string noise = RandomBytes(300000, 4);
  std::string bad_crc = GzipCompress(text);
  bad_crc[bad_crc.size() - 7] ^= 0x10;
  std::string long_name = BasicHeader(0x08) + std::string(200000, 'n') + '\0';
  long_name = long_name + RawDeflate(text) + Trailer(text);
  const std::vector<std::string> images = {
      GzipCompress(text),
      GzipCompress(noise, 1),
      GzipCompress(text) + GzipCompress(noise) + GzipCompress(""),
      GzipCompress(text) + "not gzip after the member" + noise,
      noise,  // passed through
      bad_crc,
      GzipCompress(text).substr(0, 150000),  // cut short
      long_name,
      GzipCompress(std::string(3000000, 'z')),  // far larger than its image
  };
  for (size_t i = 0; i < images.size(); ++i) {
    const std::string& image = images[i];
    const std::string expected =
        Outcome([&] { return GzMemDecompress(image.data(), image.size()); });
    for (size_t margin :
         {size_t{1}, size_t{70000}, size_t{300000}, GzMemExpansion::kDefaultMargin}) {
      for (uint32_t seed : {1u, 2u}) {
        EXPECT_EQ(ExpandWhileArriving(image, margin, seed), expected)
            << "image " << i << " margin " << margin << " seed " << seed;
      }
    }
  }
}

TEST(GzMemExpansion, StartsAfreshAfterARestart) {
  const std::string first = GzipCompress(SampleText(500000, 5));
  const std::string second = GzipCompress(SampleText(500000, 6));
  GzMemExpansion expansion(kGzMemMaxOutput, 1000);
  expansion.Advance(first.data(), first.size() / 2);  // an attempt that failed half way
  expansion.Restart();
  expansion.Advance(second.data(), second.size() / 2);
  EXPECT_EQ(expansion.Finish(second.data(), second.size()).view(), SampleText(500000, 6));
}

}  // namespace
}  // namespace veyra::testing
