#include "updater/signing/sha256.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace veyra {
namespace {

struct Vector {
  std::string input;
  std::string digest;
};

// The FIPS 180-2 examples plus the empty input; the 56-byte one needs a second padding block.
const Vector kVectors[] = {
    {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

TEST(Sha256Test, KnownDigestsInOnePiece) {
  for (const Vector& v : kVectors) EXPECT_EQ(Sha256Hex(v.input), v.digest) << v.input.size();
}

TEST(Sha256Test, KnownDigestsFedInUnevenPieces) {
  // Piece sizes that straddle the 64-byte block in every way, cycled through the input.
  const size_t pieces[] = {1, 63, 64, 65, 0, 127, 7, 1000, 3};
  for (const Vector& v : kVectors) {
    Sha256 hash;
    size_t at = 0;
    for (size_t i = 0; at < v.input.size(); ++i) {
      size_t size = std::min(pieces[i % std::size(pieces)], v.input.size() - at);
      hash.Add(std::string_view(v.input).substr(at, size));
      at += size;
    }
    EXPECT_EQ(hash.FinishHex(), v.digest) << v.input.size();
  }
}

TEST(Sha256Test, AFinishedHashRefusesMoreInput) {
  Sha256 hash;
  hash.Add("abc");
  hash.FinishHex();
  EXPECT_THROW(hash.Add("d"), Error);
  EXPECT_THROW(hash.FinishHex(), Error);
}

}  // namespace
}  // namespace veyra
