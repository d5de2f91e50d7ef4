#include <gtest/gtest.h>

#include <functional>

#include "publish_fixture.h"
#include "tools/publish/key_files.h"
#include "tools/publish/publish_cli.h"
#include "tools/publish/set_statement.h"
#include "updater/patch/zstd_patch.h"
#include "updater/signing/sha256.h"

namespace veyra::testing {
namespace {

namespace fs = std::filesystem;

std::string Lines(size_t count, const std::string& word) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += word + std::to_string(i * 7919 % 100003) + "\n";
  return text;
}

// Release 1 ("old", kept apart) and release 2 built against it, signed, with --previous.
class PatchSetTest : public PublishTest {
 protected:
  void SetUp() override {
    WriteNewKeyPair(Path("key"));
    signing = SigningOptions{Path("key")};
    WriteTree(Path("rel"), {{"maps.dat", Lines(20000, "map ")},
                            {"noise.bin", NoiseBytes(30000, 1)},
                            {"same.txt", Lines(2000, "same ")},
                            {"Data/s1.txt", "one"},
                            {"Data/s2.txt", "two"}});
    Build("rel", "old");
    std::string maps = Lines(20000, "map ");
    maps.insert(5000, Lines(200, "new "));
    WriteTree(Path("rel"), {{"maps.dat", maps},
                            {"noise.bin", NoiseBytes(30000, 2)},  // all new: a patch cannot pay
                            {"added.txt", Lines(3000, "add ")},
                            {"Data/s1.txt", "ONE"}});
    Build("rel", "site", "old");
  }

  UpdateStatement Statement() const {
    return ParseStatement(ReadFileBytes(Path("site") / kStatementFile));
  }

  int Verify(std::string& out) {
    std::ostringstream text, err;
    const int status =
        RunPublishTool({"verify", "--set", Path("site").string(), "--key", Path("key.pub").string(),
                        "--previous", Path("old").string()},
                       text, err);
    out = text.str();
    return status;
  }
};

TEST_F(PatchSetTest, OnlyChangedFilesWhosePatchPaysGetOneAndVerifyAppliesIt) {
  const UpdateStatement statement = Statement();
  ASSERT_EQ(statement.patches.size(), 1u);
  const SignedPatch& patch = statement.patches[0];
  EXPECT_EQ(patch.file, "gz/maps.dat.gz");
  EXPECT_EQ(patch.remote.rfind("patch/gz/maps.dat.gz.from-", 0), 0u);
  EXPECT_EQ(patch.result, DigestOf(ReadFileBytes(Path("rel/maps.dat"))));
  EXPECT_LE(patch.patch.length * 2, statement.files.at(patch.file).length);
  std::string out;
  EXPECT_EQ(Verify(out), kPublishOk) << out;
  EXPECT_NE(out.find("1 patches, 1 applied to their bases"), std::string::npos) << out;
}

TEST_F(PatchSetTest, AnUnsignedSetGetsNoPatches) {
  signing.reset();
  Build("rel", "unsigned", "old");
  EXPECT_FALSE(fs::exists(Path("unsigned") / "patch"));
}

// A bad patch is a fault of the set: players would fetch it for nothing.
TEST_F(PatchSetTest, VerifyFindsEveryPatchThatWouldNotYieldItsFile) {
  const SignedPatch patch = Statement().patches[0];
  const fs::path served = Path("site") / patch.remote;
  const std::string genuine = ReadFileBytes(served);
  const SecretKey key = LoadSecretKey(Path("key"));
  auto resign = [&](const std::function<void(SignedPatch&)>& change) {
    UpdateStatement statement = Statement();
    change(statement.patches[0]);
    WriteFileBytes(Path("site") / kStatementFile, SignStatement(statement, key));
  };
  // Made from a base that is the new file itself: every byte is a reference into the base.
  const std::string result = ReadFileBytes(Path("rel/maps.dat"));
  const std::string other_base = MakeZstdPatch(std::string(result), result);
  const struct {
    const char* what;
    std::function<void()> spoil;
    const char* problem;
  } cases[] = {
      {"patch file changed", [&] { WriteFileBytes(served, genuine + "x"); },
       "does not match its digest"},
      {"result digest of another file",
       [&] { resign([](SignedPatch& p) { p.result = DigestOf("other"); }); },
       "its result is not the content of gz/maps.dat.gz"},
      {"made from another base",
       [&] {
         WriteFileBytes(served, other_base);
         resign([&](SignedPatch& p) { p.patch = DigestOf(other_base); });
       },
       "applied to its base, it does not yield gz/maps.dat.gz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string statement_text = ReadFileBytes(Path("site") / kStatementFile);
    c.spoil();
    std::string out;
    EXPECT_EQ(Verify(out), kPublishFailed);
    EXPECT_NE(out.find(c.problem), std::string::npos) << out;
    WriteFileBytes(served, genuine);
    WriteFileBytes(Path("site") / kStatementFile, statement_text);
  }
}

TEST_F(PatchSetTest, SigningAgainKeepsPatchesOnlyWhileTheirFileStands) {
  const SigningOptions options{Path("key")};
  EXPECT_EQ(SignUpdateSet(Path("site"), options).statement.patches, Statement().patches);
  const std::string served = "gz/maps.dat.gz";
  WriteFileBytes(Path("site") / served, ReadFileBytes(Path("old") / served));
  EXPECT_TRUE(SignUpdateSet(Path("site"), options).statement.patches.empty());
}

}  // namespace
}  // namespace veyra::testing
