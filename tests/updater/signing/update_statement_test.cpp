#include "updater/signing/update_statement.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <functional>

#include "platform/error.h"
#include "updater/signing/hex_text.h"
#include "updater/signing/sha256.h"

namespace veyra {
namespace {

const std::string kList =
    "VeyraOnline update list\r\nE gz/a.txt.gz a.txt v1\r\nO raw/b%20c b\\c v1\r\n";
constexpr int64_t kExpires = 1796083200;  // 2026-12-01 00:00:00 UTC
constexpr int64_t kNow = kExpires - 3600;
constexpr uint64_t kSerial = 7;

const KeyPair& KeyA() {
  static const KeyPair pair = GenerateKeyPair();
  return pair;
}
const KeyPair& KeyB() {
  static const KeyPair pair = GenerateKeyPair();
  return pair;
}

UpdateStatement GoodStatement() {
  UpdateStatement s;
  s.serial = kSerial;
  s.expires = kExpires;
  s.list = {static_cast<int64_t>(kList.size()), Sha256Hex(kList)};
  s.files["gz/a.txt.gz"] = {5, Sha256Hex("aaaaa")};
  s.files["raw/b%20c"] = {0, Sha256Hex("")};
  s.patches.push_back({"gz/a.txt.gz",
                       {3, Sha256Hex("old")},
                       {4, Sha256Hex("aaaa")},
                       "patch/gz/a.txt.gz.1.zst",
                       {2, Sha256Hex("pp")}});
  return s;
}

// The signed text of a statement file: everything before its signature line.
std::string BodyOf(const std::string& file) {
  return file.substr(0, file.rfind("signature "));
}

// `body` with a valid signature under `key` appended, whatever the body says.
// Signed straight with libcrypto, not through the code under test.
std::string SignedBody(const std::string& body, const SecretKey& key) {
  EVP_PKEY* pkey = EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, key.data(), 32);
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  unsigned char signature[64];
  size_t size = sizeof signature;
  const bool signed_ok =
      pkey && ctx && EVP_DigestSignInit(ctx, nullptr, nullptr, nullptr, pkey) == 1 &&
      EVP_DigestSign(ctx, signature, &size, reinterpret_cast<const unsigned char*>(body.data()),
                     body.size()) == 1;
  EVP_MD_CTX_free(ctx);
  EVP_PKEY_free(pkey);
  EXPECT_TRUE(signed_ok);
  return body + "signature " + HexText(signature, sizeof signature) + "\n";
}

// A good body with `from` replaced by `to`, signed again by the right key: only the format is
// at fault.
std::string Resigned(const std::string& from, const std::string& to) {
  std::string body = BodyOf(SignStatement(GoodStatement(), KeyA().secret_key));
  size_t at = body.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return SignedBody(body.replace(at, from.size(), to), KeyA().secret_key);
}

StatementCheck Check(const std::string& file, std::string_view list = kList, int64_t now = kNow,
                     uint64_t least_serial = kSerial) {
  return CheckStatement(file, {KeyA().public_key}, list, now, least_serial);
}

TEST(UpdateStatementTest, SignedStatementReadsBackAndPassesEveryCheck) {
  std::string file = SignStatement(GoodStatement(), KeyA().secret_key);
  EXPECT_EQ(file.rfind("veyra-update-statement 1\nserial 7\nexpires 1796083200\nlist ", 0), 0u);
  UpdateStatement read = ParseStatement(file);
  EXPECT_EQ(read.serial, kSerial);
  EXPECT_EQ(read.expires, kExpires);
  EXPECT_EQ(read.list, GoodStatement().list);
  EXPECT_EQ(read.files, GoodStatement().files);
  EXPECT_EQ(read.patches, GoodStatement().patches);

  StatementCheck check = Check(file);
  EXPECT_TRUE(check.ok) << check.failure;
  EXPECT_EQ(check.statement.files, GoodStatement().files);
}

TEST(UpdateStatementTest, EachForgeryIsRefusedForItsOwnReason) {
  const std::string good = SignStatement(GoodStatement(), KeyA().secret_key);
  const std::string file_line = "file 5 " + Sha256Hex("aaaaa") + " gz/a.txt.gz\n";
  const std::string patch_names = " patch/gz/a.txt.gz.1.zst gz/a.txt.gz\n";
  const std::string patch_line = BodyOf(good).substr(BodyOf(good).find("patch "));
  struct Attempt {
    std::string file;
    std::string list = kList;
    int64_t now = kNow;
    uint64_t least_serial = kSerial;
  };
  const struct {
    const char* what;
    std::function<void(Attempt&)> forge;
    std::string failure;  // the whole failure, or its start when it ends in ": "
  } cases[] = {
      {"a byte of a file digest changed after signing",
       [&](Attempt& a) { a.file[a.file.find(file_line) + 8] ^= 1; },
       "statement signature is not valid under any pinned key"},
      {"signed by another key",
       [](Attempt& a) { a.file = SignStatement(GoodStatement(), KeyB().secret_key); },
       "statement signature is not valid under any pinned key"},
      {"expired", [](Attempt& a) { a.now = kExpires; },
       "statement expired at 2026-12-01 00:00:00 UTC"},
      {"a lower serial replayed", [](Attempt& a) { a.least_serial = 8; },
       "statement serial 7 is lower than 8, the last one accepted here"},
      {"list bytes differ", [](Attempt& a) { a.list[30] ^= 1; },
       "update3.dat does not match the signed statement"},
      {"list longer than signed", [](Attempt& a) { a.list += "E x.gz x v1\r\n"; },
       "update3.dat does not match the signed statement"},
      {"truncated file", [](Attempt& a) { a.file.resize(a.file.size() - 10); },
       "statement malformed: line 8 is cut short (no line end)"},
      {"truncated at a line end", [&](Attempt& a) { a.file = BodyOf(a.file); },
       "statement malformed: no signature line"},
      {"empty file", [](Attempt& a) { a.file.clear(); }, "statement malformed: empty"},
      {"bytes after the signature", [](Attempt& a) { a.file += "x"; },
       "statement malformed: bytes after the signature line"},
      {"a second signature", [&](Attempt& a) { a.file += a.file.substr(BodyOf(a.file).size()); },
       "statement malformed: bytes after the signature line"},
      {"non-hex signature", [](Attempt& a) { a.file.replace(a.file.size() - 5, 1, "G"); },
       "statement malformed: line 8: the signature is not 128 lower-case hex digits"},
      {"not a statement", [](Attempt& a) { a.file = "<html>busy</html>\n"; },
       "statement malformed: not an update statement"},
      {"a later format",
       [](Attempt& a) {
         a.file = Resigned("veyra-update-statement 1", "veyra-update-statement 2");
       },
       "statement malformed: format 2 is not understood"},
      {"a duplicate serial",
       [](Attempt& a) { a.file = Resigned("serial 7\n", "serial 7\nserial 9\n"); },
       "statement malformed: line 3: a second serial line"},
      {"a duplicate file name",
       [&](Attempt& a) { a.file = Resigned(file_line, file_line + file_line); },
       "statement malformed: line 6: file gz/a.txt.gz is named twice"},
      {"no expiry", [](Attempt& a) { a.file = Resigned("expires 1796083200\n", ""); },
       "statement malformed: no expires line"},
      {"a signed serial", [](Attempt& a) { a.file = Resigned("serial 7", "serial +7"); },
       "statement malformed: line 2: the serial is not a decimal number"},
      {"a serial with a leading zero",
       [](Attempt& a) { a.file = Resigned("serial 7", "serial 07"); },
       "statement malformed: line 2: the serial is not a decimal number"},
      {"a serial beyond 64 bits",
       [](Attempt& a) { a.file = Resigned("serial 7", "serial 18446744073709551616"); },
       "statement malformed: line 2: the serial is not a decimal number"},
      {"an expiry beyond 63 bits",
       [](Attempt& a) { a.file = Resigned("expires 1796083200", "expires 9223372036854775808"); },
       "statement malformed: line 3: the expiry is not a decimal time"},
      {"a negative length", [&](Attempt& a) { a.file = Resigned("file 5 ", "file -5 "); },
       "statement malformed: line 5: the length is not a decimal byte count"},
      {"an upper-case digest",
       [&](Attempt& a) {
         a.file = Resigned(Sha256Hex("aaaaa"),
                           "ED968E840D10D2D313A870BC131A4E2C311D7AD09BDF32B3418147221F51A6E2");
       },
       "statement malformed: line 5: the SHA-256 is not 64 lower-case hex digits"},
      {"a short digest", [&](Attempt& a) { a.file = Resigned(Sha256Hex("aaaaa") + " ", "abc "); },
       "statement malformed: line 5: the SHA-256 is not 64 lower-case hex digits"},
      {"a file without a name", [&](Attempt& a) { a.file = Resigned(" gz/a.txt.gz\n", "\n"); },
       "statement malformed: line 5: no file name"},
      {"more after the list digest",
       [&](Attempt& a) { a.file = Resigned(Sha256Hex(kList), Sha256Hex(kList) + " x"); },
       "statement malformed: line 4: more after the SHA-256"},
      {"a CR in a name", [&](Attempt& a) { a.file = Resigned("gz/a.txt.gz\n", "gz/a.txt.gz\r\n"); },
       "statement malformed: line 5 holds a CR or NUL byte"},
      {"a NUL in a name",
       [&](Attempt& a) { a.file = Resigned("gz/a.txt.gz", std::string("gz/a\0txt.gz", 11)); },
       "statement malformed: line 5 holds a CR or NUL byte"},
      {"a patch name used twice",
       [&](Attempt& a) { a.file = Resigned(patch_line, patch_line + patch_line); },
       "statement malformed: line 8: patch patch/gz/a.txt.gz.1.zst is named twice"},
      {"a patch named like a file",
       [&](Attempt& a) { a.file = Resigned(patch_names, " raw/b%20c gz/a.txt.gz\n"); },
       "statement malformed: patch raw/b%20c is also named as a file"},
      {"a patch without the file it stands in for",
       [&](Attempt& a) { a.file = Resigned(patch_names, " patch/gz/a.txt.gz.1.zst\n"); },
       "statement malformed: line 7: no patch name and file name"},
      {"a patch without its result digest",
       [&](Attempt& a) { a.file = Resigned(" 4 " + Sha256Hex("aaaa"), ""); },
       "statement malformed: line 7: the length is not a decimal byte count"},
  };
  for (const auto& c : cases) {
    Attempt attempt{good};
    c.forge(attempt);
    StatementCheck check = Check(attempt.file, attempt.list, attempt.now, attempt.least_serial);
    EXPECT_FALSE(check.ok) << c.what;
    EXPECT_EQ(check.failure, c.failure) << c.what;
  }
}

TEST(UpdateStatementTest, MalformedStatementsThrowTheSameTextWhenParsed) {
  EXPECT_THROW(ParseStatement("veyra-update-statement 1\nserial 1\n"), Error);
  try {
    ParseStatement(Resigned("serial 7\n", "serial 7\nserial 7\n"));
    ADD_FAILURE() << "accepted a duplicate serial";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "statement malformed: line 3: a second serial line");
  }
}

TEST(UpdateStatementTest, AStatementSignedByEitherPinnedKeyIsAccepted) {
  const std::vector<PublicKey> rotation = {KeyA().public_key, KeyB().public_key};
  for (const KeyPair* signer : {&KeyA(), &KeyB()}) {
    std::string file = SignStatement(GoodStatement(), signer->secret_key);
    StatementCheck check = CheckStatement(file, rotation, kList, kNow, kSerial);
    EXPECT_TRUE(check.ok) << check.failure;
  }
  EXPECT_FALSE(CheckStatement(SignStatement(GoodStatement(), KeyB().secret_key),
                              {KeyA().public_key}, kList, kNow, kSerial)
                   .ok);
  EXPECT_FALSE(
      CheckStatement(SignStatement(GoodStatement(), KeyA().secret_key), {}, kList, kNow, kSerial)
          .ok);
}

// The first key of RFC 8032's Ed25519 examples; the signature was computed apart from this code,
// over the signed text, with `openssl pkeyutl -sign -rawin`. Ed25519 signatures are deterministic, so any other variant (prehashed, with a
// context, halves of the key swapped) gives other bytes.
TEST(UpdateStatementTest, SignatureIsPlainEd25519OverTheSignedText) {
  SecretKey key;
  ASSERT_TRUE(
      ParseHexExact("9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60"
                    "d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a",
                    key.data(), key.size()));
  const std::string file = SignStatement(GoodStatement(), key);
  EXPECT_EQ(file.substr(file.rfind("signature ")),
            "signature 2a240a96d501ea303470c70472c56fbc2d7163a3c49c047b1233c77d71eb7b97"
            "8af20ba4479a584af89c6273cee2f15c35049cc23c13c98508ac01bb285f9a03\n");
  EXPECT_TRUE(CheckStatement(file, {PublicKeyOf(key)}, kList, kNow, kSerial).ok);

  key.back() ^= 1;  // a public half that is not the seed's
  EXPECT_THROW(SignStatement(GoodStatement(), key), Error);
}

TEST(UpdateStatementTest, LinesOfUnknownKindsInTheSignedTextAreSkipped) {
  std::string body = BodyOf(SignStatement(GoodStatement(), KeyA().secret_key));
  body.insert(body.find("serial"), "mirror http://127.0.0.1:1/ 10\n");
  body += "\ndelta 12 abc gz/a.txt.gz\nfile-extra 1\n";
  std::string file = SignedBody(body, KeyA().secret_key);
  StatementCheck check = Check(file);
  EXPECT_TRUE(check.ok) << check.failure;
  EXPECT_EQ(check.statement.files, GoodStatement().files);
}

TEST(UpdateStatementTest, SignerRefusesWhatReadersCouldNotReadBack) {
  const std::function<void(UpdateStatement&)> faults[] = {
      [](UpdateStatement& s) {
        s.files["a\nserial 99"] = {1, Sha256Hex("x")};
      },
      [](UpdateStatement& s) {
        s.files[""] = {1, Sha256Hex("x")};
      },
      [](UpdateStatement& s) {
        s.files["b"] = {-1, Sha256Hex("x")};
      },
      [](UpdateStatement& s) { s.list.sha256 = "ABC"; },
      [](UpdateStatement& s) { s.expires = -1; },
      [](UpdateStatement& s) { s.patches[0].remote = "patch/a b.zst"; },
      [](UpdateStatement& s) { s.patches[0].remote = "raw/b%20c"; },
  };
  for (const auto& fault : faults) {
    UpdateStatement s = GoodStatement();
    fault(s);
    EXPECT_THROW(SignStatement(s, KeyA().secret_key), Error);
  }
}

}  // namespace
}  // namespace veyra
