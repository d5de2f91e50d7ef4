#include "updater/signing/signing_keys.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace veyra {
namespace {

const std::string kKeyA(64, 'a');
const std::string kKeyB = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

std::string ErrorOf(std::string_view text) {
  try {
    ParsePinnedKeys(text);
  } catch (const Error& e) {
    return e.what();
  }
  return "<accepted>";
}

TEST(PinnedKeysTest, ReadsKeysBetweenCommentsAndBlankLinesInEitherLineEnd) {
  for (const std::string& text :
       {"# publishers of the game\n" + kKeyA + "\n\n" + kKeyB + "\n",
        "# publishers of the game\r\n" + kKeyA + "\r\n\r\n" + kKeyB,  // no final line end
        "\n#\n" + kKeyA + "\n" + kKeyB + "\r\n"}) {
    std::vector<PublicKey> keys = ParsePinnedKeys(text);
    ASSERT_EQ(keys.size(), 2u) << text;
    EXPECT_EQ(PublicKeyText(keys[0]), kKeyA);
    EXPECT_EQ(PublicKeyText(keys[1]), kKeyB);
  }
}

TEST(PinnedKeysTest, NamesTheLineThatIsNoKey) {
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"# k\n" + kKeyA + "\n" + std::string(64, 'g') + "\n", "line 3 is not a public key"},
      {kKeyA + "\n" + std::string(63, 'a') + "\n", "line 2 is not a public key"},
      {std::string(65, 'a'), "line 1 is not a public key"},
      {"AAAA" + kKeyA.substr(4), "line 1 is not a public key"},  // upper-case hex
      {" " + kKeyA, "line 1 is not a public key"},
      {kKeyA + " # trailing comment", "line 1 is not a public key"},
      {kKeyA + "\r\r\n", "line 1 is not a public key"},
      {std::string(kKeyA).replace(10, 1, 1, '\0'), "line 1 is not a public key"},
      {"", "holds no key"},
      {"# only a comment\r\n\r\n", "holds no key"},
  };
  for (const auto& c : cases) {
    EXPECT_NE(ErrorOf(c.text).find(c.error), std::string::npos)
        << c.text << ": " << ErrorOf(c.text);
  }
}

TEST(SecretKeyFileTest, RoundTripsAndGivesThePublicHalf) {
  KeyPair pair = GenerateKeyPair();
  std::string file = FormatSecretKeyFile(pair.secret_key);
  EXPECT_EQ(file.rfind("veyra-ed25519-secret-key\n", 0), 0u);
  EXPECT_EQ(ParseSecretKeyFile(file), pair.secret_key);
  EXPECT_EQ(PublicKeyOf(pair.secret_key), pair.public_key);
  EXPECT_NE(GenerateKeyPair().public_key, pair.public_key);
}

TEST(SecretKeyFileTest, RefusesAnythingElse) {
  std::string good = FormatSecretKeyFile(GenerateKeyPair().secret_key);
  std::string damaged_public_half = good;
  damaged_public_half[good.size() - 2] = damaged_public_half[good.size() - 2] == '0' ? '1' : '0';
  for (const std::string& text : {
           std::string(),
           good.substr(0, good.size() - 3),
           "veyra-ed25519-secret-key\n" + good.substr(good.find('\n') + 1, 64) + "\n",
           good + "\n",  // a third line
           good.substr(good.find('\n') + 1),
           damaged_public_half,
       }) {
    EXPECT_THROW(ParseSecretKeyFile(text), Error) << text;
  }
}

}  // namespace
}  // namespace veyra
