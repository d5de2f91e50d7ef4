#include <gtest/gtest.h>

#include "platform/error.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/gzip/gzmem.h"
#include "updater/gzip/gzmem_expansion.h"

namespace veyra {
namespace {

TEST(GzMemExpansion, LetsMessagesRunWhileExpandingALargeFile) {
  const std::string content(4 * 1024 * 1024 + 5, 'q');
  const std::string image = GzipCompress(content, 1);
  int pumps = 0;
  GzMemExpansion expansion;
  expansion.SetMessagePump([&] { ++pumps; });
  const GzMemBuffer expanded = expansion.Finish(image.data(), image.size());
  EXPECT_EQ(expanded.view(), content);
  EXPECT_GE(pumps, 4);  // one per MiB of output

  pumps = 0;
  const std::string small = GzipCompress("small");
  expansion.Finish(small.data(), small.size());
  EXPECT_EQ(pumps, 0);
}

}  // namespace
}  // namespace veyra

namespace veyra {
namespace {

TEST(GzMemDecompress, AnAnnouncedLengthIsOnlyAHint) {
  // The last four bytes announce the length; a wrong announcement changes nothing of the result.
  std::string image = GzipCompress(std::string(100000, 'h'));
  const std::string announcements[] = {std::string("\xff\xff\xff\xff", 4),
                                       std::string("\x01\x00\x00\x00", 4)};
  for (const std::string& announced : announcements) {
    std::string lying = image;
    lying.replace(lying.size() - 4, 4, announced);
    EXPECT_THROW(GzMemDecompress(lying.data(), lying.size()), Error);  // the check still fails
  }
  // Two members: the announced length is the second one's only.
  const std::string two = GzipCompress(std::string(70000, 'a')) + GzipCompress("b");
  const GzMemBuffer expanded = GzMemDecompress(two.data(), two.size());
  EXPECT_EQ(expanded.size(), 70001u);
  EXPECT_EQ(expanded.view().back(), 'b');
}

}  // namespace
}  // namespace veyra

namespace veyra {
namespace {

TEST(GzMemDecompress, RefusesAnExpansionBeyondTheCeiling) {
  const std::string content(300000, 'z');  // expands ~1000 times
  const std::string image = GzipCompress(content);
  EXPECT_EQ(GzMemDecompressAtMost(image.data(), image.size(), content.size()).size(),
            content.size());
  try {
    GzMemDecompressAtMost(image.data(), image.size(), content.size() - 1);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "data error");
  }
}

}  // namespace
}  // namespace veyra
