#include <gtest/gtest.h>

#include <functional>

#include "publish_fixture.h"
#include "tools/publish/key_files.h"
#include "tools/publish/publish_cli.h"
#include "tools/publish/set_patches.h"
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

// Three releases: maps.dat changes each time, lore.txt only in the last (so v1 and v2 hold the
// same base), settled.txt only in the second, noise.bin so much that no patch pays. Sets v1 and
// v2 are built; "rel" then holds release 3.
class EarlierSetsTest : public PublishTest {
 protected:
  void SetUp() override {
    WriteNewKeyPair(Path("key"));
    signing = SigningOptions{Path("key")};
    maps[1] = maps[0];
    maps[1].insert(5000, Lines(200, "two "));
    maps[2] = maps[1];
    maps[2].insert(90000, Lines(200, "three "));
    WriteTree(Path("rel"), Release(0));
    Build("rel", "v1");
    WriteTree(Path("rel"), Release(1));
    Build("rel", "v2", "v1");
    WriteTree(Path("rel"), Release(2));
  }

  Tree Release(int v) const {
    return {{"maps.dat", maps[v]},
            {"lore.txt", v < 2 ? lore : lore + "epilogue\n"},
            {"settled.txt", v < 1 ? settled : settled + "fixed\n"},
            {"noise.bin", NoiseBytes(30000, v + 1)}};
  }

  int Publish(const std::vector<std::string>& args, std::string& text) {
    std::ostringstream out, err;
    const int status = RunPublishTool(args, out, err);
    text = out.str() + err.str();
    return status;
  }

  // `args` with --previous for each of `earlier`.
  std::vector<std::string> WithEarlier(std::vector<std::string> args,
                                       const std::vector<std::string>& earlier) const {
    for (const std::string& set : earlier) {
      args.insert(args.end(), {"--previous", Path(set).string()});
    }
    return args;
  }

  std::vector<std::string> BuildV3Args(const std::string& out,
                                       const std::vector<std::string>& earlier) const {
    return WithEarlier({"build", "--release", Path("rel").string(), "--out", Path(out).string(),
                        "--sign", Path("key").string()},
                       earlier);
  }

  void BuildV3(const std::string& out, const std::vector<std::string>& earlier) {
    std::string text;
    ASSERT_EQ(Publish(BuildV3Args(out, earlier), text), kPublishOk) << text;
  }

  UpdateStatement StatementOf(const std::string& set) const {
    return ParseStatement(ReadFileBytes(Path(set) / kStatementFile));
  }

  std::string maps[3] = {Lines(20000, "map ")};
  const std::string lore = Lines(8000, "lore "), settled = Lines(8000, "old ");
};

TEST_F(EarlierSetsTest, EachDistinctEarlierContentOfAFileGetsOnePatch) {
  BuildV3("v3", {"v2", "v1"});
  std::map<std::string, std::vector<SignedDigest>> bases;
  for (const SignedPatch& patch : StatementOf("v3").patches) {
    bases[patch.file].push_back(patch.base);
    EXPECT_EQ(patch.remote, PatchRemoteName(patch.file, patch.base.sha256));
  }
  const std::map<std::string, std::vector<SignedDigest>> expected = {
      {"gz/maps.dat.gz", {DigestOf(maps[1]), DigestOf(maps[0])}},  // the served set's first
      {"gz/lore.txt.gz", {DigestOf(lore)}},                        // the same in v1 and v2
      {"gz/settled.txt.gz", {DigestOf(settled)}},  // unchanged since v2, changed since v1
  };
  EXPECT_EQ(bases, expected);
}

// The first --previous is the set now served: versions, serial and its patches are what a build
// against it alone gives, whatever the older sets say.
TEST_F(EarlierSetsTest, TheFirstSetAloneDecidesVersionsAndSerial) {
  UpdateStatement v1 = StatementOf("v1");
  v1.serial += 1000000;
  WriteFileBytes(Path("v1") / kStatementFile, SignStatement(v1, LoadSecretKey(Path("key"))));
  BuildV3("v3", {"v2", "v1"});
  BuildV3("v3-alone", {"v2"});
  for (const auto name : {kUpdateListName, kManifestName}) {
    EXPECT_EQ(ReadFileBytes(Path("v3") / name), ReadFileBytes(Path("v3-alone") / name)) << name;
  }
  EXPECT_LT(StatementOf("v3").serial, v1.serial);
  const std::string from_v2 = PatchRemoteName("gz/maps.dat.gz", DigestOf(maps[1]).sha256);
  EXPECT_EQ(ReadFileBytes(Path("v3") / from_v2), ReadFileBytes(Path("v3-alone") / from_v2));
}

TEST_F(EarlierSetsTest, VerifyAppliesEachPatchWhoseBaseAGivenSetHolds) {
  BuildV3("v3", {"v2", "v1"});
  const struct {
    std::vector<std::string> earlier;
    const char* summary;
    size_t not_held;
  } cases[] = {
      {{"v2", "v1"}, "4 patches, 4 applied to their bases", 0},
      {{"v1", "v2"}, "4 patches, 4 applied to their bases", 0},
      {{"v2"}, "4 patches, 2 applied to their bases", 2},  // v1's maps and settled
      {{}, "4 patches, 0 applied to their bases (give --previous", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.summary);
    std::string out;
    EXPECT_EQ(Publish(WithEarlier({"verify", "--set", Path("v3").string(), "--key",
                                   Path("key.pub").string()},
                                  c.earlier),
                      out),
              kPublishOk)
        << out;
    EXPECT_NE(out.find(c.summary), std::string::npos) << out;
    size_t not_held = 0;
    for (size_t at = 0; (at = out.find("its base is not in", at)) != std::string::npos; ++at) {
      ++not_held;
    }
    EXPECT_EQ(not_held, c.not_held) << out;
  }
}

TEST_F(EarlierSetsTest, MoreEarlierSetsThanTheLimitAreRefusedBeforeAnythingIsWritten) {
  const Tree before = Snapshot(work.path());
  std::string text;
  EXPECT_EQ(Publish(BuildV3Args("v3", {"v2", "v1", "v1", "v1", "v1"}), text), kPublishUsage);
  EXPECT_NE(text.find("at most 4 earlier sets (--previous) per build, not 5"), std::string::npos)
      << text;
  EXPECT_TRUE(Snapshot(work.path()) == before);
}

}  // namespace
}  // namespace veyra::testing
