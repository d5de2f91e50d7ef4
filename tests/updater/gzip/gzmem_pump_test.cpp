#include <gtest/gtest.h>

#include "support/scoped_hooks.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/gzip/gzmem.h"

namespace veyra {
namespace {

TEST(GzMemDecompress, LetsMessagesRunWhileExpandingALargeFile) {
  const std::string content(4 * 1024 * 1024 + 5, 'q');
  const std::string image = GzipCompress(content, 1);
  int pumps = 0;
  testing::ScopedPumpHook pump([&] { ++pumps; });
  const GzMemBuffer expanded = GzMemDecompress(image.data(), image.size());
  EXPECT_EQ(expanded.view(), content);
  EXPECT_GE(pumps, 4);  // one per MiB of output

  pumps = 0;
  const std::string small = GzipCompress("small");
  GzMemDecompress(small.data(), small.size());
  EXPECT_EQ(pumps, 0);
}

}  // namespace
}  // namespace veyra
