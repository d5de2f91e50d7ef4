#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <memory>
#include <sstream>

#include "signed_game_fixture.h"
#include "support/nginx_server.h"
#include "support/test_certificates.h"
#include "tools/publish/publish_cli.h"
#include "tools/publish/web0_file.h"
#include "updater/engine/engine_fixture.h"
#include "updater/headless/headless_options.h"
#include "updater/headless/headless_run.h"
#include "updater/signing/update_statement.h"

namespace veyra::testing {
namespace {

// A signed set published by the operator's tool and served by nginx, and a game folder that pins
// the publisher's keys: what reaches the folder, and what a forger on the server gets in.
class SignedInstallTest : public SignedGameTest {
 protected:
  void SetUp() override {
    if (!NginxServer::Available()) GTEST_SKIP() << "nginx is not installed; skipping";
    for (const char* key : {"key1", "key2"}) Publish({"keygen", Path(key).string()});
    WriteTree(Path("rel"), release);
    WriteTree(Path("page"), page);
    Publish({"build", "--release", Path("rel").string(), "--out", Path("site").string(), "--page",
             Path("page").string(), "--sign", Path("key1").string()});
    ServeSiteToANewGame();
    Pin({"key1"});
  }

  // Signs the served statement again with `key` after `change`.
  void Resign(const std::string& key, const std::function<void(UpdateStatement&)>& change) {
    UpdateStatement statement = ServedStatement();
    change(statement);
    Serve(statement, key);
  }

  Tree Released() const {
    Tree expected = release;
    expected.insert(page.begin(), page.end());
    return expected;
  }

  uint64_t ServedSerial() const { return ServedStatement().serial; }

  Tree release = {{"alogin.exe", NoiseBytes(20000, 7)},
                  {"Data/map.txt", std::string(30000, 'm') + "end"},
                  {"Data/Small/a.txt", "small a"},
                  {"Data/Small/b.txt", "small b"},
                  {"Sound/one.wav", NoiseBytes(5000, 10)}};
  Tree page = {{"index2.html", "<html>news</html>"}};
};

TEST_F(SignedInstallTest, InstallsByteForByteAndRemembersTheSerial) {
  EXPECT_EQ(Update(), RunOutcome::kCompleted);
  EXPECT_EQ(InstalledFiles(), Released());
  EXPECT_EQ(ReadFileBytes(game->path() / kAcceptedSerialFile),
            std::to_string(ServedSerial()) + "\r\n");
}

TEST_F(SignedInstallTest, ASetSignedByEitherPinnedKeyInstalls) {
  Pin({"key1", "key2"});
  for (const char* signer : {"key2", "key1"}) {
    SCOPED_TRACE(signer);
    Resign(signer, [](UpdateStatement& statement) { ++statement.serial; });
    std::filesystem::remove(game->path() / "update2.dat");
    EXPECT_EQ(Update(), RunOutcome::kCompleted) << engine->signature_failure();
    EXPECT_EQ(InstalledFiles(), Released());
  }
}

// What a forger who controls the server changes; the list is refused and nothing is installed.
TEST_F(SignedInstallTest, AForgedListOrStatementInstallsNothing) {
  const std::filesystem::path site = Path("site");
  const std::string served_statement = ReadFileBytes(site / kStatementFile);
  const std::string served_list = ReadFileBytes(site / "update3.dat");
  struct Forgery {
    const char* name;
    std::function<void()> forge;
    const char* failure;
  };
  const std::vector<Forgery> forgeries = {
      {"list changed",
       [&] { WriteFileBytes(site / "update3.dat", served_list + "O evil.exe evil.exe 1\r\n"); },
       "update3.dat does not match"},
      {"statement of another key", [&] { Resign("key2", [](UpdateStatement&) {}); },
       "not valid under any pinned key"},
      {"statement tampered",
       [&] {
         std::string text = served_statement;
         text[text.find("\nexpires ") - 1] ^= 1;  // the last digit of the serial
         WriteFileBytes(site / kStatementFile, text);
       },
       "not valid under any pinned key"},
      {"statement expired",
       [&] { Resign("key1", [](UpdateStatement& s) { s.expires = std::time(nullptr) - 60; }); },
       "expired"},
      {"statement of another set",
       [&] {
         WriteTree(Path("rel2"), {{"other.txt", "another release"}});
         Publish({"build", "--release", Path("rel2").string(), "--out", Path("site2").string(),
                  "--sign", Path("key1").string()});
         WriteFileBytes(site / kStatementFile, ReadFileBytes(Path("site2") / kStatementFile));
       },
       "update3.dat does not match"},
      {"statement removed", [&] { std::filesystem::remove(site / kStatementFile); },
       "not delivered"},
  };
  for (const Forgery& forgery : forgeries) {
    SCOPED_TRACE(forgery.name);
    forgery.forge();
    EXPECT_EQ(Update(), RunOutcome::kNoServer);
    EXPECT_EQ(view.messages, LineList{"Web is busy, try later, please"});
    EXPECT_NE(engine->signature_failure().find(forgery.failure), std::string::npos)
        << engine->signature_failure();
    EXPECT_EQ(InstalledFiles(), Tree{});
    WriteFileBytes(site / kStatementFile, served_statement);
    WriteFileBytes(site / "update3.dat", served_list);
  }
}

// A damaged key file must not turn the checks off.
TEST_F(SignedInstallTest, AKeyFileWithoutAValidKeyLetsNoListThrough) {
  WriteFileBytes(game->path() / kPinnedKeysFile, "not a key\n");
  EXPECT_EQ(Update(), RunOutcome::kNoServer);
  EXPECT_NE(engine->signature_failure().find(kPinnedKeysFile), std::string::npos)
      << engine->signature_failure();
  EXPECT_EQ(InstalledFiles(), Tree{});
}

TEST_F(SignedInstallTest, AnOlderStatementIsRefusedOnceANewerWasAccepted) {
  const std::string older = ReadFileBytes(Path("site") / kStatementFile);
  Resign("key1", [](UpdateStatement& statement) { statement.serial += 10; });
  ASSERT_EQ(Update(), RunOutcome::kCompleted);
  WriteFileBytes(Path("site") / kStatementFile, older);
  std::filesystem::remove(game->path() / "update2.dat");
  EXPECT_EQ(Update(), RunOutcome::kNoServer);
  EXPECT_NE(engine->signature_failure().find("lower"), std::string::npos)
      << engine->signature_failure();
}

// A file changed on the server after signing never reaches the disk: each attempt fails.
TEST_F(SignedInstallTest, AFileThatDiffersFromItsSignedDigestIsNeverWritten) {
  const std::map<std::string, std::string> listed = ListedEntries(Path("site"));
  const std::string remote = GetField(listed.at("alogin.exe"), 2);
  const std::filesystem::path served = Path("site") / remote;
  const std::string genuine = ReadFileBytes(served);
  std::string swapped = genuine;
  swapped[swapped.size() / 2] ^= 0x55;
  for (const std::string& forged : {swapped, genuine + std::string(100000, 'x')}) {
    SCOPED_TRACE(forged.size());
    WriteFileBytes(served, forged);
    EXPECT_EQ(Update(), RunOutcome::kDownloadFailed);
    EXPECT_FALSE(std::filesystem::exists(game->path() / "alogin.exe"));
    std::filesystem::remove(game->path() / "update2.dat");
  }
}

// The same signed set over an https line: the folder's CA bundle decides whom it trusts, and the
// main pass's downloads travel as HTTP/2 streams of one connection.
TEST_F(SignedInstallTest, AnHttpsLineInstallsTheSetOverOneHttp2Connection) {
  if (!TestCertificates::Available()) GTEST_SKIP() << "openssl is not installed; skipping";
  const TestCertificates certificates;
  nginx = std::make_unique<NginxServer>(Path("site"), certificates.local());
  WriteFileBytes(game->path() / "web0.dat", MakeWeb0({{"Secure", nginx->base_url()}}));
  const std::string ca_bundle = ReadFileBytes(certificates.ca_bundle());
  WriteFileBytes(game->path() / kCaBundleFile, ca_bundle);
  ASSERT_EQ(Update(), RunOutcome::kCompleted);
  EXPECT_EQ(InstalledFiles(), Released());
  std::map<long, int> requests_per_connection;
  for (const AccessLogLine& line : nginx->AccessLog()) {
    EXPECT_EQ(line.protocol, "HTTP/2.0") << line.uri;
    ++requests_per_connection[line.connection];
  }
  // The list and the statement on one connection, the page and the main pass on the other.
  EXPECT_EQ(requests_per_connection.size(), 2u);

  // A folder that pins another CA trusts nothing this server can show.
  std::filesystem::remove(game->path() / "update2.dat");
  WriteFileBytes(game->path() / kCaBundleFile, ReadFileBytes(certificates.other_ca_bundle()));
  EXPECT_EQ(Update(), RunOutcome::kNoServer);
}

// A download cut short goes on from its kept bytes; the signed digest must hold for the whole
// file, its first bytes from the cut attempt included.
TEST_F(SignedInstallTest, AFileResumedAfterACutIsProvenWhole) {
  release["Data/big.bin"] = NoiseBytes(2 << 20, 11);
  WriteTree(Path("rel"), release);
  Publish({"build", "--release", Path("rel").string(), "--out", Path("site").string(), "--page",
           Path("page").string(), "--sign", Path("key1").string()});
  // Past 1200 KiB of a reply nginx sends a byte a second: the stall limit cuts the first
  // attempt there, and the rest comes at once.
  nginx = std::make_unique<NginxServer>(Path("site"), std::nullopt,
                                        "limit_rate_after 1200k; limit_rate 1;");
  WriteFileBytes(game->path() / "web0.dat", MakeWeb0({{"Local", nginx->base_url()}}));
  timeouts = {5000, 1000};

  EXPECT_EQ(Update(), RunOutcome::kCompleted) << engine->signature_failure();
  EXPECT_EQ(InstalledFiles(), Released());
  EXPECT_GT(engine->resume_saved_bytes(), 1000 * 1024);
}

TEST_F(SignedInstallTest, TheHeadlessUpdaterSaysWhichCheckFailed) {
  Resign("key2", [](UpdateStatement&) {});
  HeadlessOptions options;
  options.folder = game->path().string() + "/";
  options.language = "n";
  std::ostringstream out;
  EXPECT_EQ(RunHeadlessUpdate(options, out, false), kExitNoServer);
  EXPECT_NE(out.str().find("refused: statement signature is not valid under any pinned key"),
            std::string::npos)
      << out.str();
}

}  // namespace
}  // namespace veyra::testing
