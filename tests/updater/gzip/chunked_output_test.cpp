#include "updater/gzip/chunked_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace veyra {
namespace {

struct GrowthCase {
  size_t initial;
  std::vector<size_t> chunks;
  std::vector<size_t> capacities;  // after each chunk
};

TEST(ChunkedOutput, CapacityGrowsToTheNeedPlusSlackOnlyWhenAChunkDoesNotFit) {
  const GrowthCase cases[] = {
      {0, {16384, 16384, 100}, {16896, 33280, 33280}},
      {100, {50}, {100}},
      {100, {100, 1}, {100, 613}},
      {40000, {16384, 16384, 16384, 16384, 3}, {40000, 40000, 49664, 66048, 66048}},
      {20000, {16384, 16384, 500, 16384}, {20000, 33280, 33280, 50164}},
  };
  for (const GrowthCase& c : cases) {
    SCOPED_TRACE(c.initial);
    ChunkedOutput output(c.initial);
    EXPECT_EQ(output.capacity(), c.initial);
    std::string expected;
    for (size_t i = 0; i < c.chunks.size(); ++i) {
      char* at = output.Reserve(16384);
      const std::string chunk(c.chunks[i], static_cast<char>('a' + i));
      std::memcpy(at, chunk.data(), chunk.size());
      output.Append(chunk.size());
      expected += chunk;
      EXPECT_EQ(output.capacity(), c.capacities[i]) << "chunk " << i;
    }
    const GzMemBuffer buffer = output.Release();
    EXPECT_EQ(buffer.view(), expected);
    EXPECT_EQ(output.size(), 0u);
  }
}

TEST(ChunkedOutput, ReleaseOfNothingGivesNoBuffer) {
  ChunkedOutput output(1000);
  output.Reserve(16384);
  output.Append(0);
  const GzMemBuffer buffer = output.Release();
  EXPECT_EQ(buffer.data(), nullptr);
  EXPECT_EQ(buffer.size(), 0u);
}

}  // namespace
}  // namespace veyra
