#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <set>

#include "publish_fixture.h"
#include "tools/publish/key_files.h"
#include "tools/publish/publish_cli.h"
#include "updater/signing/sha256.h"

namespace veyra::testing {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kDay = 86400;

struct CliRun {
  int status;
  std::string out, err;
};

CliRun RunCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  int status = RunPublishTool(args, out, err);
  return {status, out.str(), err.str()};
}

// A release with entries of every kind (E, O, C) and a page with a picture, signed by a key
// made for the test.
class SignedSetTest : public PublishTest {
 protected:
  void SetUp() override {
    WriteTree(Path("release"), {{"big.bin", NoiseBytes(20000, 3)},
                                {"text.txt", std::string(9000, 't')},
                                {"Data/s1.txt", "one"},
                                {"Data/s2.txt", "two"}});
    WriteTree(Path("page"), {{"index2.html", "<html>news</html>"}, {"p.jpg", NoiseBytes(300, 4)}});
    WriteNewKeyPair(Path("key"));
    WriteNewKeyPair(Path("other"));
    signing = SigningOptions{Path("key")};
  }

  void BuildSigned(const std::string& out, std::optional<std::string> previous = std::nullopt) {
    Build("release", out, previous, "page");
  }

  std::string StatementText(const std::string& set) {
    return ReadFileBytes(Path(set) / kStatementFile);
  }
  UpdateStatement StatementOf(const std::string& set) { return ParseStatement(StatementText(set)); }

  StatementCheck CheckAsClient(const std::string& set) {
    return CheckStatement(StatementText(set), LoadPublicKeys(Path("key.pub")),
                          ReadFileBytes(Path(set) / kUpdateListName), CurrentTime(), 0);
  }

  // Signs the set's statement again after `change`, as a publisher with the key could.
  void RewriteStatement(const std::string& set,
                        const std::function<void(UpdateStatement&)>& change) {
    UpdateStatement statement = StatementOf(set);
    change(statement);
    WriteFileBytes(Path(set) / kStatementFile,
                   SignStatement(statement, LoadSecretKey(Path("key"))));
  }
};

TEST_F(SignedSetTest, KeygenWritesAPrivateSecretAndAMatchingPublicFile) {
  CliRun run = RunCli({"keygen", Path("new").string()});
  ASSERT_EQ(run.status, kPublishOk) << run.err;
  struct stat info {};
  ASSERT_EQ(::stat(Path("new").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(ReadFileBytes(Path("new.pub")), run.out);
  EXPECT_EQ(run.out, PublicKeyText(PublicKeyOf(LoadSecretKey(Path("new")))) + "\n");
}

TEST_F(SignedSetTest, KeygenNeverOverwritesAnything) {
  const std::function<void()> occupied[] = {
      [&] { WriteFileBytes(Path("new"), "old secret"); },
      [&] { WriteFileBytes(Path("new.pub"), "old public"); },
      [&] { fs::create_symlink(Path("nowhere"), Path("new")); },
      [&] { fs::create_symlink(Path("release/big.bin"), Path("new")); },
  };
  for (const auto& occupy : occupied) {
    fs::remove(Path("new"));
    fs::remove(Path("new.pub"));
    occupy();
    Tree before = Snapshot(work.path());
    CliRun run = RunCli({"keygen", Path("new").string()});
    EXPECT_EQ(run.status, kPublishFailed);
    EXPECT_NE(run.err.find("refusing to overwrite"), std::string::npos) << run.err;
    EXPECT_EQ(Snapshot(work.path()), before);
  }
}

TEST_F(SignedSetTest, SignedBuildStatesTheListAndEveryRemoteFileAsServed) {
  const int64_t before = CurrentTime();
  BuildSigned("set");
  StatementCheck check = CheckAsClient("set");
  ASSERT_TRUE(check.ok) << check.failure;
  EXPECT_GE(check.statement.expires, before + 30 * kDay);
  EXPECT_LE(check.statement.expires, CurrentTime() + 30 * kDay);

  std::set<std::string> markers, remotes, stated;
  for (const auto& [local, line] : ListedEntries(Path("set"))) {
    markers.insert(GetField(line, 1));
    remotes.insert(GetField(line, 2));
  }
  EXPECT_EQ(markers, (std::set<std::string>{"C", "E", "O"}));
  for (const auto& [name, digest] : check.statement.files) {
    stated.insert(name);
    std::string bytes = ReadFileBytes(Path("set") / DecodeRemoteName(name));
    EXPECT_EQ(digest, (SignedDigest{static_cast<int64_t>(bytes.size()), Sha256Hex(bytes)})) << name;
  }
  EXPECT_EQ(stated, remotes);
}

TEST_F(SignedSetTest, SerialGrowsOverThePreviousSetsStatement) {
  BuildSigned("set1");
  BuildSigned("set2", "set1");
  EXPECT_GT(StatementOf("set2").serial, StatementOf("set1").serial);

  // A previous serial ahead of the clock is still outgrown.
  const uint64_t ahead = static_cast<uint64_t>(CurrentTime()) + 100000;
  RewriteStatement("set2", [&](UpdateStatement& s) { s.serial = ahead; });
  BuildSigned("set3", "set2");
  EXPECT_EQ(StatementOf("set3").serial, ahead + 1);
}

TEST_F(SignedSetTest, SignGivesTheSameSetALaterExpiryAndSerial) {
  signing->expires_days = 1;
  BuildSigned("set");
  const UpdateStatement old = StatementOf("set");
  Tree files = ReadTree(Path("set"));

  CliRun run = RunCli(
      {"sign", "--set", Path("set").string(), "--key", Path("key").string(), "--expires", "60"});
  ASSERT_EQ(run.status, kPublishOk) << run.err;
  StatementCheck check = CheckAsClient("set");
  ASSERT_TRUE(check.ok) << check.failure;
  EXPECT_GT(check.statement.serial, old.serial);
  EXPECT_GE(check.statement.expires, old.expires + 59 * kDay);
  EXPECT_EQ(check.statement.files, old.files);
  files.erase(kStatementFile);
  Tree after = ReadTree(Path("set"));
  after.erase(kStatementFile);
  EXPECT_EQ(after, files) << "signing touched the set's other files";
}

TEST_F(SignedSetTest, SignRefusesASetWithAMissingFileAndWritesNothing) {
  BuildSigned("set");
  fs::remove(Path("set/index2.html"));
  Tree before = Snapshot(Path("set"));
  CliRun run = RunCli({"sign", "--set", Path("set").string(), "--key", Path("key").string()});
  EXPECT_EQ(run.status, kPublishFailed);
  EXPECT_NE(run.err.find("index2.html is missing"), std::string::npos) << run.err;
  EXPECT_EQ(Snapshot(Path("set")), before);
}

TEST_F(SignedSetTest, VerifyReportsEachFaultOfASignedSet) {
  const struct {
    const char* what;
    std::function<void()> change;
    std::string key;  // the --key file, or none
    int status;
    std::string text;
  } cases[] = {
      {"sound, checked", [] {}, "key.pub", kPublishOk, "set: no problems"},
      {"sound, unchecked", [] {}, "", kPublishOk, "update3.sig: signature not checked"},
      {"file swapped", [&] { WriteFileBytes(Path("set/raw/big.bin"), NoiseBytes(20000, 9)); },
       "key.pub", kPublishFailed, "remote file raw/big.bin does not match update3.sig"},
      {"list changed",
       [&] {
         WriteFileBytes(Path("set/update3.dat"),
                        ReadFileBytes(Path("set/update3.dat")) + "O raw/big.bin copy.bin v1\r\n");
       },
       "key.pub", kPublishFailed, "update3.sig: update3.dat does not match the signed statement"},
      {"list changed, unchecked",
       [&] {
         WriteFileBytes(Path("set/update3.dat"),
                        ReadFileBytes(Path("set/update3.dat")) + "O raw/big.bin copy.bin v1\r\n");
       },
       "", kPublishFailed, "update3.dat does not match update3.sig"},
      {"wrong key", [] {}, "other.pub", kPublishFailed,
       "update3.sig: statement signature is not valid under any pinned key"},
      {"a file the list lacks",
       [&] {
         RewriteStatement("set", [](UpdateStatement& s) {
           s.files["ghost.bin"] = {1, Sha256Hex("g")};
         });
       },
       "key.pub", kPublishFailed, "update3.sig names ghost.bin, which the update list does not"},
      {"a listed file left out",
       [&] { RewriteStatement("set", [](UpdateStatement& s) { s.files.erase("index2.html"); }); },
       "key.pub", kPublishFailed, "remote file index2.html is not named in update3.sig"},
      {"expired",
       [&] { RewriteStatement("set", [](UpdateStatement& s) { s.expires = CurrentTime() - 1; }); },
       "", kPublishFailed, "update3.sig expired at "},
      {"expires soon",
       [&] {
         RewriteStatement("set", [](UpdateStatement& s) { s.expires = CurrentTime() + kDay; });
       },
       "key.pub", kPublishOk, "warning: update3.sig expires at "},
      {"malformed", [&] { WriteFileBytes(Path("set/update3.sig"), StatementText("set") + "x"); },
       "", kPublishFailed, "update3.sig: statement malformed: bytes after the signature line"},
      {"unsigned set, unchecked", [&] { fs::remove(Path("set/update3.sig")); }, "", kPublishOk,
       "set: no problems"},
      {"unsigned set, checked", [&] { fs::remove(Path("set/update3.sig")); }, "key.pub",
       kPublishFailed, "no update3.sig to check under the key"},
  };
  for (const auto& c : cases) {
    fs::remove_all(Path("set"));
    BuildSigned("set");
    c.change();
    std::vector<std::string> args = {"verify", "--set", Path("set").string()};
    if (!c.key.empty()) args.insert(args.end(), {"--key", Path(c.key).string()});
    CliRun run = RunCli(args);
    EXPECT_EQ(run.status, c.status) << c.what << "\n" << run.out << run.err;
    EXPECT_NE(run.out.find(c.text), std::string::npos) << c.what << "\n" << run.out;
  }
}

}  // namespace
}  // namespace veyra::testing
