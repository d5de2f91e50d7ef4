#include <gtest/gtest.h>

#include "platform/error.h"
#include "publish_fixture.h"
#include "tools/publish/verify_set.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/records/update_rule.h"

namespace veyra::testing {
namespace {

using BuildSetTest = PublishTest;

Tree SampleRelease() {
  return {{"game.exe", NoiseBytes(9000, 1)},
          {"readme.txt", std::string(6000, 'r')},
          {"Data/a.txt", "alpha"},
          {"Data/b.txt", "beta"},
          {"Data/pic.jpg", NoiseBytes(7000, 2)},
          {"Data/Sub/only.txt", std::string(5000, 'o') + "small alone"},
          {"Data/Sub/tiny.ini", "x=1"}};
}

TEST_F(BuildSetTest, ChoosesMarkersByCompressionAndFolderSize) {
  WriteTree(Path("rel"), SampleRelease());
  BuildSummary summary = Build("rel", "site");
  auto entries = ListedEntries(Path("site"));

  EXPECT_EQ(GetField(entries["game.exe"], 1), "O");  // noise does not shrink
  EXPECT_EQ(GetField(entries["Data\\pic.jpg"], 1), "O");
  EXPECT_EQ(GetField(entries["readme.txt"], 1), "E");
  EXPECT_EQ(GetField(entries["Data\\Sub\\only.txt"], 1), "E");
  // Data holds two small files: one archive; Data\Sub holds one: it travels alone.
  EXPECT_EQ(GetField(entries["Data\\#pack1.unadf"], 1), "C");
  EXPECT_EQ(entries.count("Data\\a.txt"), 0u);
  EXPECT_EQ(entries.count("Data\\Sub\\tiny.ini"), 1u);
  EXPECT_EQ(summary.c_entries, 1);
  EXPECT_EQ(summary.o_entries + summary.e_entries, 5);
  for (const auto& [local, line] : entries) {
    EXPECT_EQ(GetField(line, 4), "v00000001") << line;
    EXPECT_EQ(GetField(line, 5), "") << "a name carried a space: " << line;
  }
  EXPECT_TRUE(VerifyUpdateSet(Path("site")).empty());
}

TEST_F(BuildSetTest, FoldersWithManySmallFilesGetSeveralArchives) {
  Tree release;
  for (int i = 0; i < 230; ++i) release["Many/f" + std::to_string(1000 + i) + ".txt"] = "n";
  WriteTree(Path("rel"), release);
  BuildSummary summary = Build("rel", "site");
  EXPECT_EQ(summary.c_entries, 3);
  auto entries = ListedEntries(Path("site"));
  EXPECT_EQ(entries.count("Many\\#pack3.unadf"), 1u);
  EXPECT_TRUE(VerifyUpdateSet(Path("site")).empty());
}

TEST_F(BuildSetTest, RefusesNamesTheListOrArchivesCannotCarry) {
  const std::string long_name = "Data/" + std::string(81, 'n');
  struct Case {
    Tree tree;
    std::string named;
  } cases[] = {
      {{{"Data/with space.txt", "x"}}, "Data/with space.txt"},
      {{{long_name, "x"}, {"Data/other.txt", "y"}}, long_name},
      {{{"Data/#pack1.unadf", "x"}}, "Data/#pack1.unadf"},
      {{{"Data/smile\xf0\x9f\x98\x80.txt", "x"}}, "Data/smile\xf0\x9f\x98\x80.txt"},  // no Big5
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(Path("rel"));
    WriteTree(Path("rel"), c.tree);
    try {
      Build("rel", "site");
      ADD_FAILURE() << "accepted " << c.named;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
    }
  }
  // A long name is fine when the file travels alone.
  std::filesystem::remove_all(Path("rel"));
  WriteTree(Path("rel"), {{long_name, std::string(9000, 'z')}});
  EXPECT_NO_THROW(Build("rel", "site"));
}

TEST_F(BuildSetTest, ChineseNamesAreListedInBig5) {
  WriteTree(Path("rel"), {{"Data/功能.txt", std::string(6000, 'f')}, {"功/a.txt", "small"}});
  Build("rel", "site");
  auto entries = ListedEntries(Path("site"));
  EXPECT_EQ(entries.count("Data\\\xa5\x5c\xaf\xe0.txt"), 1u);  // Data\功能.txt
  EXPECT_TRUE(VerifyUpdateSet(Path("site")).empty());
}

TEST_F(BuildSetTest, RefusesAnOutputThatOverlapsTheRelease) {
  WriteTree(Path("rel"), SampleRelease());
  Tree before = ReadTree(Path("rel"));
  for (const char* out : {"rel", "rel/site", "."}) {
    EXPECT_THROW(Build("rel", out), Error) << out;
  }
  EXPECT_EQ(ReadTree(Path("rel")), before);
}

TEST_F(BuildSetTest, FailedBuildLeavesTheExistingSetExactlyAsItWas) {
  WriteTree(Path("rel"), SampleRelease());
  Build("rel", "site");
  Tree before = ReadTree(Path("site"));
  WriteTree(Path("rel"), {{"New Folder/x.txt", "new"}, {"readme.txt", "changed"}});
  EXPECT_THROW(Build("rel", "site", "site"), Error);
  EXPECT_EQ(ReadTree(Path("site")), before);
  // No staging folder is left behind beside the set.
  size_t siblings = 0;
  for (const auto& item : std::filesystem::directory_iterator(work.path())) {
    (void)item;
    ++siblings;
  }
  EXPECT_EQ(siblings, 2u);  // rel and site
}

TEST_F(BuildSetTest, PreviousSetKeepsUnchangedVersionsAndRaisesChangedOnes) {
  Tree release = SampleRelease();
  WriteTree(Path("rel"), release);
  Build("rel", "site");
  WriteTree(Path("rel"), {{"readme.txt", "changed readme"},
                          {"Data/b.txt", "BETA"},
                          {"Data/new.bin", NoiseBytes(5000, 3)}});
  BuildSummary summary = Build("rel", "site", "site");
  EXPECT_EQ(summary.changed_entries, 3);
  EXPECT_EQ(VersionOf(Path("site"), "readme.txt"), "v00000002");
  EXPECT_EQ(VersionOf(Path("site"), "Data\\#pack1.unadf"), "v00000002");
  EXPECT_EQ(VersionOf(Path("site"), "Data\\new.bin"), "v00000002");
  EXPECT_EQ(VersionOf(Path("site"), "game.exe"), "v00000001");
  EXPECT_EQ(VersionOf(Path("site"), "Data\\Sub\\tiny.ini"), "v00000001");
}

// A hand-written set: no manifest, short decimal versions, odd versions.
TEST_F(BuildSetTest, HandWrittenPreviousSetIsComparedByContent) {
  WriteFileBytes(Path("old/a.gz"), GzipCompress(std::string(5000, 'a')));
  WriteFileBytes(Path("old/b.gz"), GzipCompress(std::string(5000, 'b')));
  WriteFileBytes(Path("old/c.raw"), std::string(5000, 'c'));
  WriteFileBytes(
      Path("old/update3.dat"),
      JoinLines({"header", "E a.gz Data\\a.txt 9", "E b.gz Data\\b.txt 12", "O c.raw c.txt zzz"}));
  WriteTree(Path("rel"), {{"Data/a.txt", std::string(5000, 'a')},
                          {"Data/b.txt", std::string(5000, 'B')},
                          {"c.txt", std::string(5000, 'C')}});
  Build("rel", "site", "old");
  EXPECT_EQ(VersionOf(Path("site"), "Data\\a.txt"), "9");
  std::string b = VersionOf(Path("site"), "Data\\b.txt");
  std::string c = VersionOf(Path("site"), "c.txt");
  EXPECT_TRUE(VersionIsNewer(b, "12")) << b;
  EXPECT_TRUE(VersionIsNewer(c, "zzz")) << c;

  // Many later generations, each changing both files: every version beats its predecessor,
  // and the untouched file keeps "9" throughout.
  for (int generation = 0; generation < 25; ++generation) {
    std::string text = "gen " + std::to_string(generation) + std::string(5000, 'g');
    WriteTree(Path("rel"), {{"Data/b.txt", text}, {"c.txt", text + "c"}});
    Build("rel", "site", "site");
    std::string next_b = VersionOf(Path("site"), "Data\\b.txt");
    std::string next_c = VersionOf(Path("site"), "c.txt");
    ASSERT_TRUE(VersionIsNewer(next_b, b)) << next_b << " after " << b;
    ASSERT_TRUE(VersionIsNewer(next_c, c)) << next_c << " after " << c;
    b = next_b;
    c = next_c;
  }
  EXPECT_EQ(VersionOf(Path("site"), "Data\\a.txt"), "9");
}

// A file dropped from one release and brought back later must beat the version that players
// still have recorded from before.
TEST_F(BuildSetTest, FileRemovedAndReaddedGetsANewerVersion) {
  WriteTree(Path("rel"), {{"keep.txt", std::string(5000, 'k')}, {"gone.txt", "first"}});
  Build("rel", "site");
  Build("rel", "site", "site");
  WriteTree(Path("rel"), {{"gone.txt", "second"}});
  Build("rel", "site", "site");
  std::string recorded = VersionOf(Path("site"), "gone.txt");
  std::filesystem::remove(Path("rel/gone.txt"));
  Build("rel", "site", "site");
  EXPECT_EQ(ListedEntries(Path("site")).count("gone.txt"), 0u);
  WriteTree(Path("rel"), {{"gone.txt", "third"}});
  Build("rel", "site", "site");
  EXPECT_TRUE(VersionIsNewer(VersionOf(Path("site"), "gone.txt"), recorded));
}

}  // namespace
}  // namespace veyra::testing
