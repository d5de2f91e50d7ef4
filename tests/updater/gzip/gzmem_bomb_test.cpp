// Images that expand far beyond what they announce or what any file can be: refused as damaged
// without ever holding the excess, so that a hostile server cannot exhaust the player's memory.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "gzip_test_images.h"
#include "platform/error.h"
#include "support/child_limits.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/gzip/gzmem.h"
#include "updater/gzip/gzmem_expansion.h"

namespace veyra {
namespace {

using namespace veyra::testing;

constexpr size_t kMiB = size_t{1} << 20;
constexpr size_t kCeiling = 256 * kMiB;

// Exit status of expanding `image` under a tight memory limit: 0 for "data error", 1 when memory
// ran out, 2 for a result, 3 for another error.
template <typename Expand>
[[noreturn]] void ExitWithOutcome(Expand expand) {
  LimitChild(96 * kMiB, 60);
  try {
    expand();
    std::_Exit(2);
  } catch (const Error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    std::_Exit(std::string_view(error.what()) == "data error" ? 0 : 3);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "out of memory\n");
    std::_Exit(1);
  }
}

TEST(GzMemBomb, IsADataErrorFoundWithoutHoldingTheExcess) {
  if (!kCanLimitChild) GTEST_SKIP() << "needs an address-space limit (not on Windows or ASan)";
  const struct {
    const char* name;
    std::string image;
  } bombs[] = {
      // Beyond the ceiling, announcing its size modulo 4 GiB (as gzip writes it).
      {"beyond the ceiling", ZeroMember(384, 384 * kMiB)},
      // Within the ceiling, but far beyond the length it announces.
      {"beyond its announcement", ZeroMember(200, 1000)},
  };
  for (const auto& bomb : bombs) {
    SCOPED_TRACE(bomb.name);
    const std::string& image = bomb.image;
    EXPECT_EXIT(
        ExitWithOutcome([&] { GzMemDecompressAtMost(image.data(), image.size(), kCeiling); }),
        ::testing::ExitedWithCode(0), "data error");
    // As the engine expands a download: ahead while it arrives, then over the whole body.
    EXPECT_EXIT(ExitWithOutcome([&] {
                  GzMemExpansion expansion(kCeiling, 4096);
                  for (size_t arrived = 4096; arrived < image.size(); arrived += 4096) {
                    expansion.Advance(image.data(), arrived);
                  }
                  expansion.Finish(image.data(), image.size());
                }),
                ::testing::ExitedWithCode(0), "data error");
  }
}

TEST(GzMemBomb, ALargeImageOfSeveralMembersIsStillExpandedWhole) {
  // The last member announces only its own length; the whole is counted, then expanded.
  const size_t first = GzMemExpansion::kHeldUnannounced / kMiB + 8;
  const std::string image =
      ZeroMember(first, static_cast<uint32_t>(first * kMiB)) + GzipCompress("tail");
  const GzMemBuffer expanded = GzMemDecompress(image.data(), image.size());
  ASSERT_EQ(expanded.size(), first * kMiB + 4);
  EXPECT_EQ(expanded.view().substr(first * kMiB), "tail");
  EXPECT_EQ(expanded.view().find_first_not_of('\0'), first * kMiB);
  // ... and a ceiling just below the whole still refuses it.
  EXPECT_THROW(GzMemDecompressAtMost(image.data(), image.size(), first * kMiB + 3), Error);
}

}  // namespace
}  // namespace veyra
