#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>

#include "platform/error.h"
#include "signed_game_fixture.h"
#include "support/nginx_server.h"
#include "tools/publish/publish_cli.h"
#include "tools/publish/web0_file.h"
#include "updater/engine/engine_fixture.h"
#include "updater/headless/headless_options.h"
#include "updater/headless/headless_run.h"
#include "updater/patch/zstd_patch.h"
#include "updater/signing/sha256.h"
#include "updater/signing/update_statement.h"

namespace veyra::testing {
namespace {

// Words that gzip shrinks, as game data mostly is, from a fixed seed.
std::string GameText(size_t size, uint32_t seed) {
  static const char* const kWords[] = {"map ", "npc ", "sword ", "quest ", "gold ", "\r\n"};
  std::string text;
  while (text.size() < size) {
    seed = seed * 1664525u + 1013904223u;
    text += kWords[(seed >> 24) % 6];
    text += std::to_string(seed % 1000);
  }
  return text;
}

// Release 1 installed in a game folder that pins the publisher's key (its set kept as "site1");
// release 2 changes two large files a little and is served, signed, with patches against
// release 1.
class PatchInstallTest : public SignedGameTest {
 protected:
  void SetUp() override {
    if (!NginxServer::Available()) GTEST_SKIP() << "nginx is not installed; skipping";
    Publish({"keygen", Path("key").string()});
    WriteTree(Path("rel"), release);
    Publish({"build", "--release", Path("rel").string(), "--out", Path("site").string(), "--sign",
             Path("key").string()});
    ServeSiteToANewGame();
    Pin({"key"});
    ASSERT_EQ(Update(), RunOutcome::kCompleted);
    release1 = ReadTree(game->path());
    release1.erase(kAcceptedSerialFile);
    std::filesystem::copy(Path("site"), Path("site1"), std::filesystem::copy_options::recursive);

    std::string& text = release["Data/maps.dat"];
    text.insert(1000, GameText(3000, 5));
    text.replace(150000, 2000, GameText(2000, 6));
    std::string& program = release["alogin.exe"];
    program.replace(60000, 3000, NoiseBytes(3000, 8));
    WriteTree(Path("rel"), release);
    Publish({"build", "--release", Path("rel").string(), "--out", Path("site").string(),
             "--previous", Path("site").string(), "--sign", Path("key").string()});
    statement = ParseStatement(ReadFileBytes(Path("site") / kStatementFile));
    ASSERT_EQ(statement.patches.size(), 2u);
    TakeRequests();
  }

  // The game folder as a release left it (the accepted serial stays: it only grows).
  void Restore(const Tree& left) {
    for (const auto& [name, bytes] : left) WriteFileBytes(game->path() / name, bytes);
  }
  void RestoreRelease1() { Restore(release1); }

  // The served statement signed again after `change`.
  void Resign(const std::function<void(UpdateStatement&)>& change) {
    change(statement);
    Serve(statement, "key");
  }

  // The request paths nginx served since the last call, patches and whole files apart.
  struct Requests {
    int patches = 0, changed_files = 0;
  };
  Requests TakeRequests() {
    Requests requests;
    const auto log = nginx->AccessLog();
    for (size_t i = log_seen; i < log.size(); ++i) {
      if (log[i].uri.find("/patch/") == 0) ++requests.patches;
      if (log[i].uri.find("maps.dat") != std::string::npos && log[i].uri.find("/gz/") == 0) {
        ++requests.changed_files;
      }
      if (log[i].uri.find("/raw/alogin.exe") == 0) ++requests.changed_files;
    }
    log_seen = log.size();
    return requests;
  }

  const SignedPatch& PatchOf(const std::string& fragment) const {
    for (const SignedPatch& patch : statement.patches) {
      if (patch.file.find(fragment) != std::string::npos) return patch;
    }
    throw Error("no patch for " + fragment);
  }

  Tree release = {{"alogin.exe", NoiseBytes(120000, 7)},
                  {"Data/maps.dat", GameText(300000, 1)},
                  {"Data/other.txt", GameText(20000, 2)}};
  Tree release1;  // the game folder after release 1, record included
  UpdateStatement statement;
  size_t log_seen = 0;
};

TEST_F(PatchInstallTest, ChangedFilesInstallByteForByteFromTheirPatches) {
  const SignedPatch& maps = PatchOf("maps.dat");
  int64_t saved = 0;
  for (const SignedPatch& patch : statement.patches) {
    saved += statement.files.at(patch.file).length - patch.patch.length;
  }
  for (int connections : {1, 6}) {
    SCOPED_TRACE(connections);
    RestoreRelease1();
    ASSERT_EQ(Update(connections), RunOutcome::kCompleted);
    EXPECT_TRUE(InstalledFiles() == release);
    const Requests requests = TakeRequests();
    EXPECT_EQ(requests.patches, 2);
    EXPECT_EQ(requests.changed_files, 0);
    EXPECT_EQ(engine->patch_bytes_saved(), saved);
    // The gauge follows the patch's bytes as the download's.
    const std::string patch_done = "/" + std::to_string(maps.patch.length);
    EXPECT_TRUE(std::any_of(view.pass_frames.begin(), view.pass_frames.end(),
                            [&](const std::string& frame) { return frame.ends_with(patch_done); }));
  }
}

// Whatever goes wrong with a patch, the file comes whole and the folder ends as the release.
TEST_F(PatchInstallTest, EachFailedPatchFallsBackToTheWholeFile) {
  const SignedPatch maps = PatchOf("maps.dat");
  const std::filesystem::path served_patch = Path("site") / maps.remote;
  const std::string genuine_patch = ReadFileBytes(served_patch);
  const UpdateStatement genuine_statement = statement;
  auto resign_maps = [&](const std::function<void(SignedPatch&)>& change) {
    Resign([&](UpdateStatement& s) {
      for (SignedPatch& patch : s.patches) {
        if (patch.remote == maps.remote) change(patch);
      }
    });
  };
  const struct {
    const char* what;
    std::function<void()> spoil;
  } cases[] = {
      {"the player edited the file",
       [&] { WriteFileBytes(game->path() / "Data/maps.dat", GameText(300000, 9)); }},
      {"the served patch is corrupt",
       [&] {
         std::string bytes = genuine_patch;
         bytes[bytes.size() / 2] ^= 0x55;
         WriteFileBytes(served_patch, bytes);
       }},
      {"the patch was made for another base",
       [&] {
         const std::string other = MakeZstdPatch(GameText(300000, 9), release["Data/maps.dat"]);
         WriteFileBytes(served_patch, other);
         resign_maps([&](SignedPatch& p) { p.patch = {int64_t(other.size()), Sha256Hex(other)}; });
       }},
      {"the result does not match its digest",
       [&] { resign_maps([](SignedPatch& p) { p.result.sha256 = Sha256Hex("another result"); }); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RestoreRelease1();
    c.spoil();
    EXPECT_EQ(Update(), RunOutcome::kCompleted);
    EXPECT_TRUE(InstalledFiles() == release);
    EXPECT_EQ(TakeRequests().changed_files, 1);
    WriteFileBytes(served_patch, genuine_patch);
    statement = genuine_statement;
    Resign([](UpdateStatement&) {});
  }
}

// A file the player made read-only is not written from its patch either: the pass stops as for a
// whole file, the file keeps release 1 and nothing is left beside it.
TEST_F(PatchInstallTest, AReadOnlyFileIsReportedNotWrittenAndKeepsItsContent) {
  RestoreRelease1();
  const std::filesystem::path maps = game->path() / "Data/maps.dat";
  std::filesystem::permissions(maps, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::group_read |
                                         std::filesystem::perms::others_read);
  EXPECT_EQ(Update(), RunOutcome::kWriteFailed);
  EXPECT_EQ(ReadFileBytes(maps), release1.at("Data/maps.dat"));
  EXPECT_EQ(TakeRequests().changed_files, 0);
  for (const auto& entry : std::filesystem::directory_iterator(game->path() / "Data")) {
    EXPECT_TRUE(entry.path().filename() == "maps.dat" || entry.path().filename() == "other.txt")
        << entry.path();
  }
  std::filesystem::permissions(maps, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
}

// veyra-update says what the patches saved; with --no-patches or a set without patches every
// changed file travels whole, as before.
TEST_F(PatchInstallTest, TheHeadlessUpdaterPatchesUnlessToldOrOfferedNone) {
  const struct {
    const char* what;
    bool allow_patches, offer_patches, pin_key;
    int patches, changed_files;
    bool says_saved;
  } cases[] = {
      {"patches offered and allowed", true, true, true, 2, 0, true},
      {"--no-patches", false, true, true, 0, 2, false},
      {"a folder that pins no key (nothing proves a patch)", true, true, false, 0, 2, false},
      {"a set without patches", true, false, true, 0, 2, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RestoreRelease1();
    if (!c.offer_patches) Resign([](UpdateStatement& s) { s.patches.clear(); });  // the last case
    if (!c.pin_key) std::filesystem::remove(game->path() / kPinnedKeysFile);
    engine.reset();  // it holds the game folder's lock
    HeadlessOptions options;
    options.folder = game->path().string() + "/";
    options.language = "n";
    options.patches = c.allow_patches;
    std::ostringstream out;
    EXPECT_EQ(RunHeadlessUpdate(options, out, false), kExitUpToDate) << out.str();
    EXPECT_TRUE(InstalledFiles() == release);
    const Requests requests = TakeRequests();
    EXPECT_EQ(requests.patches, c.patches);
    EXPECT_EQ(requests.changed_files, c.changed_files);
    EXPECT_EQ(out.str().find("patches: 2 files updated from patches, ") != std::string::npos,
              c.says_saved)
        << out.str();
  }
}

// Release 3 offers patches against releases 2 and 1: a player at either takes the one for the
// content they have; alogin.exe, unchanged since release 2, has a patch only from release 1.
TEST_F(PatchInstallTest, PlayersOneAndTwoReleasesBehindEachInstallFromTheirPatch) {
  ASSERT_EQ(Update(), RunOutcome::kCompleted);
  Tree release2 = ReadTree(game->path());
  release2.erase(kAcceptedSerialFile);
  release["Data/maps.dat"].insert(200000, GameText(3000, 10));
  WriteTree(Path("rel"), release);
  Publish({"build", "--release", Path("rel").string(), "--out", Path("site").string(), "--previous",
           Path("site").string(), "--previous", Path("site1").string(), "--sign",
           Path("key").string()});
  std::map<std::string, int> offers;
  for (const SignedPatch& patch : ServedStatement().patches) ++offers[patch.file];
  EXPECT_EQ(offers,
            (std::map<std::string, int>{{"gz/Data/maps.dat.gz", 2}, {"raw/alogin.exe", 1}}));
  TakeRequests();
  const struct {
    const char* player;
    const Tree* folder;
    int patches;
  } cases[] = {
      {"one release behind", &release2, 1},
      {"two releases behind", &release1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.player);
    Restore(*c.folder);
    ASSERT_EQ(Update(), RunOutcome::kCompleted);
    EXPECT_TRUE(InstalledFiles() == release);
    const Requests requests = TakeRequests();
    EXPECT_EQ(requests.patches, c.patches);
    EXPECT_EQ(requests.changed_files, 0);
  }
}

// alogin.exe keeps its length from release to release, so the player's length cannot tell which
// of its two patches applies: the one fetched while the file is hashed may be for the other
// base, and then the patch for the content the player has follows. Never the whole file.
TEST_F(PatchInstallTest, BasesOfOneLengthAreToldApartByTheirContent) {
  ASSERT_EQ(Update(), RunOutcome::kCompleted);
  Tree release2 = ReadTree(game->path());
  release2.erase(kAcceptedSerialFile);
  release["alogin.exe"].replace(90000, 3000, NoiseBytes(3000, 11));
  WriteTree(Path("rel"), release);
  Publish({"build", "--release", Path("rel").string(), "--out", Path("site").string(), "--previous",
           Path("site").string(), "--previous", Path("site1").string(), "--sign",
           Path("key").string()});
  TakeRequests();
  const struct {
    const char* player;
    const Tree* folder;
    int patched_files;
  } cases[] = {{"one release behind", &release2, 1}, {"two releases behind", &release1, 2}};
  int patch_requests = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.player);
    Restore(*c.folder);
    ASSERT_EQ(Update(), RunOutcome::kCompleted);
    EXPECT_TRUE(InstalledFiles() == release);
    EXPECT_EQ(engine->patched_entries(), c.patched_files);
    const Requests requests = TakeRequests();
    EXPECT_EQ(requests.changed_files, 0);
    patch_requests += requests.patches;
  }
  // One of the two players was offered the other base's patch first.
  EXPECT_EQ(patch_requests, 1 + 2 + 1);
}

}  // namespace
}  // namespace veyra::testing
