#include <gtest/gtest.h>

#include "publish_fixture.h"
#include "tools/publish/versions.h"
#include "updater/records/update_rule.h"
#include "updater/signing/sha256.h"

namespace veyra::testing {
namespace {

TEST(NextVersionTest, AlwaysComparesNewerThanAnyEarlierForm) {
  const char* earlier_forms[] = {
      "",   "9", "12",           "111",          "zzz",      "v00000003", "v00000007",  "v99999999",
      "v1", "w", "zzz.00000001", "zzz.99999999", "\xff\xff", "V00000009", "v00000002x", "20240101"};
  for (const char* earlier : earlier_forms) {
    for (uint64_t generation : {1u, 5u, 100000000u}) {
      std::string next = NextVersion(std::string(earlier), generation);
      EXPECT_TRUE(VersionIsNewer(next, earlier))
          << "earlier \"" << earlier << "\" gen " << generation << " gave \"" << next << "\"";
    }
  }
}

TEST(NextVersionTest, UsesTheFixedWidthGenerationWhenItIsNewer) {
  EXPECT_EQ(NextVersion(std::nullopt, 1), "v00000001");
  EXPECT_EQ(NextVersion(std::string("9"), 4), "v00000004");
  EXPECT_EQ(NextVersion(std::string("v00000003"), 4), "v00000004");
  // An earlier version ahead of the generation is counted on from its own counter.
  EXPECT_EQ(NextVersion(std::string("v00000009"), 4), "v00000010");
  EXPECT_EQ(NextVersion(std::string("zzz"), 4), "zzz.00000001");
  EXPECT_EQ(NextVersion(std::string("zzz.00000001"), 5), "zzz.00000002");
  EXPECT_EQ(ParseGenerationVersion("v00000042"), 42u);
  EXPECT_EQ(ParseGenerationVersion("v0000042"), std::nullopt);
  EXPECT_EQ(ParseGenerationVersion("12"), std::nullopt);
}

TEST(NextVersionTest, ChainsOfManyGenerationsKeepIncreasing) {
  for (std::string start : {"9", "12", "zzz", "v99999998"}) {
    std::string version = start;
    for (uint64_t generation = 1; generation <= 300; ++generation) {
      std::string next = NextVersion(version, generation);
      ASSERT_TRUE(VersionIsNewer(next, version)) << start << " at " << generation;
      version = next;
    }
  }
}

TEST(Sha256Test, KnownDigests) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // 56 bytes: the padding needs a second block.
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

}  // namespace
}  // namespace veyra::testing
