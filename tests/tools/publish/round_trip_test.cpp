#include <gtest/gtest.h>

#include <memory>

#include "publish_fixture.h"
#include "support/nginx_server.h"
#include "tools/publish/web0_file.h"
#include "updater/engine/engine_fixture.h"

namespace veyra::testing {
namespace {

// Publishes releases from a work folder and updates a separate game folder (the program
// folder) from them through a real nginx.
class RoundTripTest : public PublishTest {
 protected:
  void SetUp() override {
    if (!NginxServer::Available()) GTEST_SKIP() << "nginx is not installed; skipping";
    std::filesystem::create_directories(Path("site"));
    nginx = std::make_unique<NginxServer>(Path("site"));
    game = std::make_unique<TempFolder>();
    WriteFileBytes(game->path() / "web0.dat", MakeWeb0({{"Local", nginx->base_url()}}));
  }

  // The driver and page pass; the engine then waits for the player's start.
  void RunDriver() {
    engine = std::make_unique<UpdaterEngine>(view, "n");
    view.engine = engine.get();
    engine->SetHttpTimeouts({5000, 5000});
    engine->SetRandomPick([](int low, int) { return low; });
    engine->FormCreate();
    engine->FormResize();
  }

  void RunMainPassAndClose() {
    engine->StartPictureClicked();
    EXPECT_EQ(engine->outcome(), RunOutcome::kCompleted) << engine->expand_error();
    engine->FormClose();
  }

  // The game folder without the updater's own files.
  Tree InstalledFiles() const {
    Tree tree = ReadTree(game->path());
    for (const char* own : {"web0.dat", "isp1.dat", "update2.dat"}) tree.erase(own);
    return tree;
  }

  std::unique_ptr<NginxServer> nginx;
  std::unique_ptr<TempFolder> game;
  ScriptedView view;
  std::unique_ptr<UpdaterEngine> engine;
};

Tree ReleaseTree() {
  Tree tree;
  tree["alogin.exe"] = NoiseBytes(20000, 7);
  tree["Data/map.txt"] = std::string(30000, 'm') + "end of map";
  tree["Data/cover.jpg"] = "\xff\xd8\xff\xe0" + NoiseBytes(12000, 8);
  tree["Data/empty.dat"] = "";
  for (int i = 0; i < 12; ++i) {
    tree["Data/Small/s" + std::to_string(i) + ".txt"] = "small file " + std::to_string(i);
  }
  tree["Data/Small/bin.dat"] = NoiseBytes(300, 9);
  tree["Sound/deep/er/one.wav"] = NoiseBytes(100, 10);
  return tree;
}

TEST_F(RoundTripTest, FreshGameFolderEqualsTheReleaseAndLaterOnlyChangesTravel) {
  Tree release = ReleaseTree();
  WriteTree(Path("rel"), release);
  Tree page = {{"index2.html", "<html><img src=\"news/pic.jpg\"></html>"},
               {"news/pic.jpg", NoiseBytes(2000, 11)}};
  WriteTree(Path("page"), page);
  Build("rel", "site", std::nullopt, "page");

  RunDriver();
  ASSERT_EQ(engine->outcome(), RunOutcome::kWaitingForStart) << view.messages.size();
  EXPECT_EQ(engine->window().ListBox1.size(), ListedEntries(Path("site")).size() - 2);
  RunMainPassAndClose();

  Tree expected = release;
  expected.insert(page.begin(), page.end());
  EXPECT_EQ(InstalledFiles(), expected);
  LineList record = SplitLines(ReadFileBytes(game->path() / "update2.dat"));
  std::map<std::string, std::string> recorded;
  for (size_t i = 1; i < record.size(); ++i) {
    if (!record[i].empty()) recorded[GetField(record[i], 1)] = GetField(record[i], 2);
  }
  std::map<std::string, std::string> listed;
  for (const auto& [local, line] : ListedEntries(Path("site"))) listed[local] = GetField(line, 4);
  EXPECT_EQ(recorded, listed);

  // Second release: one big file and one small file change, one file is added.
  WriteTree(Path("rel"), {{"Data/map.txt", std::string(30000, 'M')},
                          {"Data/Small/s3.txt", "changed small"},
                          {"Data/new.txt", std::string(8000, 'n')}});
  Build("rel", "site", "site", "page");
  for (const auto& [name, bytes] : ReadTree(Path("rel"))) expected[name] = bytes;

  RunDriver();
  ASSERT_EQ(engine->outcome(), RunOutcome::kWaitingForStart);
  EXPECT_EQ(engine->UpdateQueue.size(), 3u);
  EXPECT_EQ(engine->window().ListBox1,
            (LineList{"Data\\Small\\#pack1.unadf", "Data\\map.txt", "Data\\new.txt"}));
  RunMainPassAndClose();
  EXPECT_EQ(InstalledFiles(), expected);

  // A third run finds nothing to do.
  RunDriver();
  EXPECT_EQ(engine->outcome(), RunOutcome::kNothingToUpdate);
  engine->FormClose();
}

}  // namespace
}  // namespace veyra::testing
