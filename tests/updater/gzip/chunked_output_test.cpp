#include "updater/gzip/chunked_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace veyra {
namespace {

TEST(ChunkedOutput, KeepsEveryPieceInOrderWhileTheBlockGrows) {
  const std::vector<std::pair<size_t, std::vector<size_t>>> cases = {
      {0, {16384, 16384, 100}},
      {100, {50}},
      {100, {100, 1}},
      {40000, {16384, 16384, 16384, 16384, 3}},
      {1, {0, 70000, 5, 262144, 262144}},
  };
  for (const auto& [first_size, pieces] : cases) {
    SCOPED_TRACE(first_size);
    ChunkedOutput output(first_size);
    std::string expected;
    for (size_t i = 0; i < pieces.size(); ++i) {
      const size_t room = std::max<size_t>(pieces[i], 1);
      char* at = output.Reserve(room);
      const std::string piece(pieces[i], static_cast<char>('a' + i));
      std::memcpy(at, piece.data(), piece.size());
      output.Append(piece.size());
      expected += piece;
      EXPECT_EQ(output.size(), expected.size());
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
