#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/error.h"
#include "publish_fixture.h"
#include "tools/publish/verify_set.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/gzip/gzmem.h"

namespace veyra::testing {
namespace {

namespace fs = std::filesystem;

// A release in A/B/rel already published to A/B/site, with a secret beside it in A/secret.
class ReleaseLinksTest : public PublishTest {
 protected:
  void SetUp() override {
    WriteTree(Path("A/B/rel"), {{"Data/real.txt", std::string(5000, 'r')}, {"top.txt", "t"}});
    WriteFileBytes(Path("A/secret/key.txt"), "secret");
    Build("A/B/rel", "A/B/site");
  }
};

struct Planted {
  std::string name;    // below the release
  std::string target;  // a link's target; empty for a FIFO
  bool refused_when_followed;
};

TEST_F(ReleaseLinksTest, LinksAndSpecialFilesAreRefusedNamedAndChangeNothing) {
  const Planted cases[] = {
      {"Data/leak.txt", "/etc/passwd", true},
      {"Data/climb.txt", "../../../secret/key.txt", true},
      {"Outside", Path("A/secret").string(), true},
      {"Data/nowhere.txt", "missing.txt", true},
      {"Data/loop", "..", true},
      {"Data/alias.txt", "real.txt", false},
      {"Data/pipe", "", true},
  };
  for (const Planted& c : cases) {
    fs::path planted = Path("A/B/rel") / c.name;
    if (c.target.empty()) {
      ASSERT_EQ(::mkfifo(planted.c_str(), 0600), 0);
    } else {
      fs::create_symlink(c.target, planted);
    }
    for (bool follow : {false, true}) {
      if (follow && !c.refused_when_followed) continue;
      follow_links = follow;
      Tree before = Snapshot(work.path());
      try {
        Build("A/B/rel", "A/B/site", "A/B/site");
        ADD_FAILURE() << "published " << c.name << (follow ? " following links" : "");
      } catch (const Error& e) {
        std::string named = c.target.empty() ? c.name : c.name + " -> " + c.target;
        EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << e.what();
      }
      EXPECT_EQ(Snapshot(work.path()), before) << c.name;
    }
    fs::remove(planted);
  }
}

TEST_F(ReleaseLinksTest, FollowedLinksInsideArePublishedUnderTheirOwnNames) {
  fs::create_symlink("real.txt", Path("A/B/rel/Data/alias.txt"));
  fs::create_symlink("Data", Path("A/B/rel/Linked"));
  Tree before = Snapshot(work.path());
  follow_links = true;
  Build("A/B/rel", "A/B/site", "A/B/site");

  auto entries = ListedEntries(Path("A/B/site"));
  for (const char* local : {"Data\\real.txt", "Data\\alias.txt", "Linked\\real.txt"}) {
    ASSERT_EQ(entries.count(local), 1u) << local;
    std::string gz = ReadFileBytes(Path("A/B/site") / GetField(entries[local], 2));
    EXPECT_EQ(GzMemDecompress(gz.data(), gz.size()).view(), std::string(5000, 'r')) << local;
  }
  EXPECT_EQ(entries.count("Linked\\alias.txt"), 1u);
  EXPECT_TRUE(VerifyUpdateSet(Path("A/B/site")).empty());
  // Only the served set changed.
  Tree after = Snapshot(work.path());
  std::erase_if(before, [](const auto& item) { return item.first.starts_with("A/B/site"); });
  std::erase_if(after, [](const auto& item) { return item.first.starts_with("A/B/site"); });
  EXPECT_EQ(after, before);
}

TEST_F(PublishTest, VerifyRefusesListedFilesOutsideTheSet) {
  WriteFileBytes(Path("outside.bin"), "outside");
  WriteFileBytes(Path("elsewhere/x.bin"), "elsewhere");
  WriteFileBytes(Path("set/ok.bin"), "ok");
  fs::create_symlink(Path("elsewhere"), Path("set/linked"));
  fs::create_symlink("ok.bin", Path("set/alias.bin"));  // a link inside the set is harmless
  ASSERT_EQ(::mkfifo(Path("set/pipe").c_str(), 0600), 0);
  WriteFileBytes(Path("set/update3.dat"), JoinLines({
                                              "header",
                                              "O ok.bin ok.txt 1",
                                              "O alias.bin alias.txt 1",
                                              "O ../outside.bin a.txt 1",
                                              "O %2E%2E/outside.bin b.txt 1",
                                              "O " + Path("outside.bin").string() + " c.txt 1",
                                              "O linked/x.bin d.txt 1",
                                              "O pipe e.txt 1",
                                          }));
  std::vector<std::string> problems = VerifyUpdateSet(Path("set"));
  ASSERT_EQ(problems.size(), 5u);
  for (int line = 4; line <= 7; ++line) {
    std::string expected = "line " + std::to_string(line) + ": ";
    EXPECT_EQ(problems[line - 4].rfind(expected, 0), 0u) << problems[line - 4];
    EXPECT_NE(problems[line - 4].find("lies outside the set's folder"), std::string::npos);
  }
  EXPECT_NE(problems[4].find("line 8: remote file pipe is missing or not a regular file"),
            std::string::npos)
      << problems[4];
}

// Only for versions, but still: an old list naming a file outside its set must not be read.
TEST_F(PublishTest, PreviousSetIsNotReadOutsideItsFolder) {
  WriteFileBytes(Path("outside.gz"), GzipCompress(std::string(5000, 'a')));
  WriteFileBytes(Path("old/update3.dat"), JoinLines({"h", "E ../outside.gz a.txt 9"}));
  WriteTree(Path("rel"), {{"a.txt", std::string(5000, 'a')}});
  Build("rel", "site", "old");
  EXPECT_NE(VersionOf(Path("site"), "a.txt"), "9");
}

}  // namespace
}  // namespace veyra::testing
