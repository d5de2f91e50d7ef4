#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "engine_fixture.h"
#include "support/scoped_hooks.h"

namespace veyra::testing {
namespace {

// The main pass with several connections, against the same run with one: what is written,
// recorded and shown must not depend on how many downloads travel at once.
class DownloadsAheadTest : public EngineTest {
 protected:
  // Entries f0..f{count-1}: gzip images e0.gz.. installed as f<i>.txt with body "body <i>".
  void PublishFiles(int count, size_t padding = 0) {
    std::vector<std::string> entries;
    for (int i = 0; i < count; ++i) {
      const std::string n = std::to_string(i);
      server.Put("e" + n + ".gz", GzipCompress("body " + n + std::string(padding, 'x')));
      entries.push_back("E e" + n + ".gz f" + n + ".txt v" + n);
    }
    PublishList(entries);
  }
  // Entries whose images are about `size` bytes on the wire: incompressible bodies.
  void PublishNoise(int count, int size) {
    std::vector<std::string> entries;
    for (int i = 0; i < count; ++i) {
      std::string body;
      uint32_t seed = 12345 + static_cast<uint32_t>(i);
      for (int b = 0; b < size; ++b) {
        seed = seed * 1103515245 + 12345;
        body.push_back(static_cast<char>(seed >> 24));
      }
      server.Put("e" + std::to_string(i) + ".gz", GzipCompress(body));
      entries.push_back("E e" + std::to_string(i) + ".gz f" + std::to_string(i) + ".txt v");
    }
    PublishList(entries);
  }
  void ClearFolder() {
    for (const auto& item : std::filesystem::directory_iterator(dir.path())) {
      std::filesystem::remove_all(item.path());
    }
  }
  void RunPass(int connections) {
    RunDriver();
    engine->SetConnections(connections);
    engine->StartPictureClicked();
  }
  std::vector<int> InstalledFiles(int count) const {
    std::vector<int> installed;
    for (int i = 0; i < count; ++i) {
      const auto file = dir.path() / ("f" + std::to_string(i) + ".txt");
      if (std::filesystem::is_regular_file(file)) installed.push_back(i);
    }
    return installed;
  }
  static LineList RecordLines(int count) {
    LineList lines{"AVWSEN", ""};
    for (int i = 0; i < count; ++i) {
      lines.push_back("f" + std::to_string(i) + ".txt v" + std::to_string(i));
    }
    return lines;
  }
};

TEST_F(DownloadsAheadTest, LaterAnswersArrivingFirstAreAppliedInQueueOrder) {
  PublishFiles(6);
  server.Delay("e0.gz", 300);
  server.Delay("e1.gz", 150);
  RunDriver();
  engine->SetConnections(4);
  engine->StartPictureClicked();

  EXPECT_EQ(engine->outcome(), RunOutcome::kCompleted);
  EXPECT_EQ(Record(), RecordLines(6));
  EXPECT_EQ(engine->window().ListBox2,
            (LineList{"f0.txt", "f1.txt", "f2.txt", "f3.txt", "f4.txt", "f5.txt"}));
  EXPECT_EQ(dir.Read("f5.txt"), "body 5");
  // The later files were really on their way while the first one was held back.
  EXPECT_GE(server.server().peak_open_connections(), 3);
}

TEST_F(DownloadsAheadTest, AFailedDownloadStopsThePassWhereOneConnectionWould) {
  for (int connections : {1, 4, 12}) {
    SCOPED_TRACE(connections);
    ClearFolder();
    PublishFiles(6);
    server.Remove("e2.gz");  // every attempt gets 404
    server.Delay("e0.gz", 100);
    RunPass(connections);

    EXPECT_EQ(engine->outcome(), RunOutcome::kDownloadFailed);
    EXPECT_EQ(InstalledFiles(6), (std::vector<int>{0, 1}));
    EXPECT_EQ(Record(), RecordLines(0));  // the failed pass does not save the record
    EXPECT_EQ(view.messages.back(), "Web is busy, try later, please");
    engine.reset();
  }
}

TEST_F(DownloadsAheadTest, AWriteFailureStopsThePassWhereOneConnectionWould) {
  for (int connections : {1, 4}) {
    SCOPED_TRACE(connections);
    ClearFolder();
    PublishFiles(6);
    std::filesystem::create_directories(dir.path() / "f3.txt" / "in the way");
    RunPass(connections);

    EXPECT_EQ(engine->outcome(), RunOutcome::kWriteFailed);
    EXPECT_EQ(InstalledFiles(6), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Record(), RecordLines(3));
    EXPECT_TRUE(engine->window().Button1Enabled);
    engine.reset();
  }
}

TEST_F(DownloadsAheadTest, BodiesWaitingForTheirTurnStayWithinTheBudget) {
  constexpr int64_t kBudget = 600 * 1024;
  PublishNoise(11, 200 * 1024);
  server.Delay("e0.gz", 400);  // the other ten would all arrive ahead of the first
  RunDriver();
  engine->SetConnections(12);
  engine->SetAheadBudget(kBudget);
  engine->StartPictureClicked();

  EXPECT_EQ(engine->outcome(), RunOutcome::kCompleted);
  EXPECT_EQ(InstalledFiles(11).size(), 11u);
  EXPECT_GT(engine->peak_bytes_ahead(), 0);
  EXPECT_LE(engine->peak_bytes_ahead(), kBudget);
}

TEST_F(DownloadsAheadTest, ABudgetFilledAheadOfASlowEntryCostsNoFileTwice) {
  PublishNoise(12, 100 * 1024);
  server.Delay("e0.gz", 300);
  RunDriver();
  engine->SetConnections(3);
  engine->SetAheadBudget(800 * 1024);
  engine->StartPictureClicked();

  EXPECT_EQ(engine->outcome(), RunOutcome::kCompleted);
  // A download refused for the budget would be asked for again in its turn.
  EXPECT_EQ(server.paths().size(), 13u);
  EXPECT_LE(engine->peak_bytes_ahead(), 800 * 1024);
}

TEST_F(DownloadsAheadTest, TheOtherConnectionGoesOnPastAFileStillArriving) {
  PublishFiles(10);
  server.Delay("e0.gz", 400);
  RunDriver();
  engine->SetConnections(2);
  size_t asked_when_first_applied = 0;
  ScopedPumpHook watch([&] {
    if (asked_when_first_applied == 0 && engine->window().ListBox2.size() == 1) {
      asked_when_first_applied = server.paths().size();
    }
  });
  engine->StartPictureClicked();

  EXPECT_EQ(engine->outcome(), RunOutcome::kCompleted);
  EXPECT_EQ(asked_when_first_applied, 11u);  // the list and all ten files
}

TEST_F(DownloadsAheadTest, OneConnectionAsksForOneFileAtATimeOnOneConnection) {
  PublishFiles(4);
  RunPass(1);

  EXPECT_EQ(engine->outcome(), RunOutcome::kCompleted);
  EXPECT_EQ(server.paths(),
            (std::vector<std::string>{"update3.dat", "e0.gz", "e1.gz", "e2.gz", "e3.gz"}));
  EXPECT_EQ(server.server().connections(), 1);
  EXPECT_EQ(engine->peak_bytes_ahead(), 0);
}

TEST_F(DownloadsAheadTest, ThePlayerAndTheServerSeeTheSameRunWithOneConnectionOrSeveral) {
  std::map<int, std::vector<std::string>> frames;
  std::map<int, std::vector<std::string>> requests;
  for (int connections : {1, 4}) {
    SCOPED_TRACE(connections);
    ClearFolder();
    PublishFiles(6);
    server.Delay("e0.gz", 200);  // the later answers arrive first with several connections
    server.Delay("e1.gz", 100);
    const size_t before = server.server().requests().size();
    view.pass_frames.clear();
    RunPass(connections);
    ASSERT_EQ(engine->outcome(), RunOutcome::kCompleted);
    frames[connections] = view.pass_frames;
    std::vector<std::string> raw = server.server().requests();
    raw.erase(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(before));
    std::sort(raw.begin(), raw.end());  // only their order may differ
    requests[connections] = raw;
    engine.reset();
  }
  EXPECT_GE(frames[1].size(), 18u);  // begin, work and end of each entry
  EXPECT_EQ(frames[4], frames[1]);
  EXPECT_EQ(requests[1].size(), 7u);
  EXPECT_EQ(requests[4], requests[1]);
}

TEST_F(DownloadsAheadTest, NeverMoreConnectionsThanAllowed) {
  PublishFiles(12);
  for (int i = 0; i < 12; ++i) server.Delay("e" + std::to_string(i) + ".gz", 40);
  RunDriver();
  engine->SetConnections(3);
  // The list's connection counts among them until the server has seen it closed.
  server.server().SetCloseNoticeDelay(100);
  engine->StartPictureClicked();

  EXPECT_EQ(engine->outcome(), RunOutcome::kCompleted);
  EXPECT_EQ(Record(), RecordLines(12));
  EXPECT_LE(server.server().peak_open_connections(), 3);
  EXPECT_GE(server.server().peak_open_connections(), 2);  // they did travel side by side
  EXPECT_TRUE(engine->Connected);  // kept after the pass, as one connection is
  engine.reset();
  EXPECT_LE(server.server().peak_open_connections(), 3);
}

TEST_F(DownloadsAheadTest, EntriesNotDownloadedAmongTheDownloadsLeaveEveryFileItsOwnContent) {
  // Page entries (applied by the page pass) sit between the files: a download must still be
  // matched to its own entry, not to a position among the downloads.
  server.Put("index2.html", "page");
  std::vector<std::string> entries;
  for (int i = 0; i < 6; ++i) {
    const std::string n = std::to_string(i);
    server.Put("e" + n + ".gz", GzipCompress("body " + n));
    if (i % 2 == 0) entries.push_back("O index2.html page" + n + ".html p");
    entries.push_back("E e" + n + ".gz f" + n + ".txt v");
  }
  PublishList(entries);
  RunPass(4);
  EXPECT_EQ(engine->outcome(), RunOutcome::kCompleted);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(dir.Read("f" + std::to_string(i) + ".txt"), "body " + std::to_string(i));
  }
}

TEST_F(DownloadsAheadTest, TheLabelFollowsTheEntryBeingApplied) {
  PublishFiles(5);
  server.Delay("e0.gz", 200);
  RunDriver();
  engine->SetConnections(5);
  // The label's file name, seen between entries (and, for the last, while the record is saved):
  // it must move through the queue in order, even though the later files arrived first.
  std::vector<std::string> shown;
  ScopedPumpHook watch([&] {
    const std::string& text = engine->window().Label4.text;
    const std::string name = text.substr(0, text.find(' '));
    if (!name.empty() && name != "0%" && (shown.empty() || shown.back() != name)) {
      shown.push_back(name);
    }
  });
  engine->StartPictureClicked();

  EXPECT_EQ(shown, (std::vector<std::string>{"f0.txt", "f1.txt", "f2.txt", "f3.txt", "f4.txt"}));
  EXPECT_EQ(engine->window().Label4.text, "f4.txt 26 of 26 ");
  EXPECT_EQ(engine->window().Gauge1.Progress(), engine->window().Gauge1.MaxValue());
}

TEST_F(DownloadsAheadTest, ClosingTheWindowWithDownloadsInFlightEndsCleanly) {
  PublishFiles(8);
  for (int i = 2; i < 8; ++i) server.Delay("e" + std::to_string(i) + ".gz", 300);
  RunDriver();
  engine->SetConnections(6);
  bool closed = false;
  ScopedPumpHook close_after_two([&] {
    if (!closed && engine->window().ListBox2.size() == 2) {
      closed = true;
      view.CloseWindow();
    }
  });
  engine->StartPictureClicked();

  EXPECT_TRUE(closed);
  EXPECT_EQ(view.process_ends, 1);  // closed while connections were open
  EXPECT_FALSE(engine->ListsExist);
  // The downloads in flight were dropped: nothing after the closing point is written, and no
  // further file is asked for once the pass has returned.
  EXPECT_LE(InstalledFiles(8).size(), 3u);
  const size_t asked = server.paths().size();
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_EQ(server.paths().size(), asked);
}

}  // namespace
}  // namespace veyra::testing
