#include <gtest/gtest.h>

#include <mutex>

#include "engine_fixture.h"
#include "platform/error.h"
#include "platform/folder_lock.h"
#include "platform/text_codec.h"
#include "support/scoped_hooks.h"
#include "updater/records/files.h"

namespace veyra::testing {
namespace {

using UpdateRunTest = EngineTest;

TEST_F(UpdateRunTest, FirstRunCreatesTheRecordAndInstallsEverything) {
  server.Put("a.gz", GzipCompress("A"));
  server.Put("b.gz", GzipCompress("B"));
  PublishList({"E a.gz a.txt 01", "E b.gz Sub\\b.txt 02"});
  RunDriver();

  EXPECT_EQ(engine->outcome(), RunOutcome::kWaitingForStart);
  EXPECT_EQ(engine->UpdateState, UpdateStage::kListReceived);
  EXPECT_TRUE(engine->window().Button1Enabled);
  EXPECT_EQ(engine->window().ListBox1, (LineList{"a.txt", "Sub\\b.txt"}));
  EXPECT_EQ(engine->window().Label3.text, "2files remain to be updated");
  EXPECT_EQ(engine->window().Label4.text, "0%");
  EXPECT_EQ(Record(), (LineList{"AVWSEN", ""}));  // saved by the page pass
  EXPECT_EQ(dir.Read("isp1.dat"), "0\r\n");

  engine->StartPictureClicked();
  EXPECT_EQ(engine->outcome(), RunOutcome::kCompleted);
  EXPECT_EQ(engine->UpdateState, UpdateStage::kMainPassEnded);
  EXPECT_TRUE(engine->window().Image3Visible);
  EXPECT_FALSE(engine->window().Button1Enabled);
  EXPECT_TRUE(engine->window().ListBox1.empty());
  EXPECT_EQ(engine->window().ListBox2, (LineList{"a.txt", "Sub\\b.txt"}));
  EXPECT_EQ(engine->window().Label3.text, "0files remain to be updated");
  EXPECT_EQ(Record(), (LineList{"AVWSEN", "", "a.txt 01", "Sub\\b.txt 02"}));
  EXPECT_EQ(dir.Read("Sub/b.txt"), "B");

  // A second run finds nothing to do.
  engine->FormClose();
  RunDriver();
  EXPECT_EQ(engine->outcome(), RunOutcome::kNothingToUpdate);
  EXPECT_EQ(engine->window().Label3.text, "No files updateing needed");
}

TEST_F(UpdateRunTest, OnlyPageEntriesAreAppliedAtOnce) {
  server.Put("index2.html", "<html>news</html>");
  server.Put("images.adf", GzipCompress(PackArchive({{"news\\p.jpg", "JPEG"}})));
  PublishList({"O index2.html index2.html 5", "C images.adf images.unadf 5"});
  RunDriver();

  EXPECT_EQ(engine->outcome(), RunOutcome::kNothingToUpdate);
  EXPECT_TRUE(engine->window().ListBox1.empty());
  EXPECT_EQ(engine->window().Label3.text, "No files updateing needed");
  EXPECT_TRUE(engine->window().Image3Visible);
  EXPECT_FALSE(engine->window().Button1Enabled);
  EXPECT_EQ(engine->UpdateState, UpdateStage::kNothingToUpdate);
  EXPECT_TRUE(engine->StateSaved);
  EXPECT_EQ(view.reloads, 1);
  EXPECT_EQ(dir.Read("index2.html"), "<html>news</html>");
  EXPECT_EQ(dir.Read("news/p.jpg"), "JPEG");
  EXPECT_EQ(Record(), (LineList{"AVWSEN", "", "index2.html 5", "images.unadf 5"}));
}

TEST_F(UpdateRunTest, APageNameInTheVersionFieldIsNoPageEntry) {
  server.Put("a.gz", GzipCompress("A"));
  PublishList({"E a.gz a.txt index2.html"});
  RunDriver();
  engine->StartPictureClicked();
  EXPECT_EQ(dir.Read("a.txt"), "A");
  EXPECT_EQ(Record(), (LineList{"AVWSEN", "", "a.txt index2.html"}));
}

TEST_F(UpdateRunTest, AWriteFailureStopsThePassAndAllowsAnotherStart) {
  for (const char* name : {"1", "2", "3"})
    server.Put(std::string(name) + ".gz", GzipCompress(name));
  PublishList({"E 1.gz one.txt 1", "E 2.gz two.txt 1", "E 3.gz three.txt 1"});
  dir.Write("two.txt/held", "");  // stands for a file another program holds
  RunDriver();
  engine->StartPictureClicked();

  EXPECT_EQ(engine->outcome(), RunOutcome::kWriteFailed);
  EXPECT_EQ(view.messages, (std::vector<std::string>{
                               "two.txt:update failed, please close all programs and try again."}));
  EXPECT_EQ(engine->window().ListBox1, (LineList{"two.txt", "three.txt"}));
  EXPECT_EQ(engine->window().ListBox2, (LineList{"one.txt"}));
  EXPECT_TRUE(engine->window().Button1Enabled);
  EXPECT_FALSE(engine->window().Gauge1.visible);
  EXPECT_FALSE(engine->window().Image3Visible);
  EXPECT_EQ(Record(), (LineList{"AVWSEN", "", "one.txt 1"}));
  ASSERT_EQ(view.log.size(), 1u);  // the support log says why; the player's text stays fixed
  EXPECT_EQ(view.log[0], "cannot write two.txt: " + engine->write_error());
  EXPECT_FALSE(engine->write_error().empty());

  // The player frees the file and starts again: the pass begins with the first line again, and
  // both lists still tell which names are done, also while it runs: applying one.txt again moves
  // no name.
  std::filesystem::remove_all(dir.path() / "two.txt");
  // Moving the first pending name for one.txt would show {"three.txt"} before two.txt exists.
  std::vector<LineList> pending_until_two_is_written;
  ScopedPumpHook pump([&] {
    if (!dir.Exists("two.txt")) pending_until_two_is_written.push_back(engine->window().ListBox1);
  });
  engine->StartPictureClicked();
  ASSERT_FALSE(pending_until_two_is_written.empty());
  for (const LineList& pending : pending_until_two_is_written) {
    EXPECT_EQ(pending, (LineList{"two.txt", "three.txt"}));
  }
  EXPECT_EQ(engine->outcome(), RunOutcome::kCompleted);
  EXPECT_TRUE(engine->window().ListBox1.empty());
  EXPECT_EQ(engine->window().ListBox2, (LineList{"one.txt", "two.txt", "three.txt"}));
  EXPECT_EQ(Record(),
            (LineList{"AVWSEN", "", "one.txt 1", "one.txt 1", "two.txt 1", "three.txt 1"}));
}

// A record that cannot be saved is reported like any file that cannot be written, wherever the
// run saves it, and the run does not end as a success.
TEST_F(UpdateRunTest, ARecordThatCannotBeSavedIsAWriteFailure) {
  const std::vector<std::string> write_failure = {
      "update2.dat:update failed, please close all programs and try again."};
  const auto expect_reported = [&] {
    EXPECT_EQ(engine->outcome(), RunOutcome::kWriteFailed);
    EXPECT_EQ(view.messages, write_failure);
    EXPECT_EQ(view.log, LineList{"cannot write update2.dat: " + engine->write_error()});
    EXPECT_FALSE(engine->write_error().empty());
    view.messages.clear();
    view.log.clear();
  };
  server.Put("a.gz", GzipCompress("A"));
  PublishList({"E a.gz a.txt 1"});
  RunDriver();
  ASSERT_TRUE(view.messages.empty());
  // A record the player made read-only is not replaced, even by root.
  std::filesystem::permissions(dir.path() / "update2.dat", std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::group_read |
                                                               std::filesystem::perms::others_read);

  engine->StartPictureClicked();  // the main pass
  EXPECT_EQ(dir.Read("a.txt"), "A");
  expect_reported();

  engine->StateSaved = false;
  engine->FormClose();  // closing
  expect_reported();

  PublishList({});
  RunDriver();  // nothing to update: the page pass saves
  EXPECT_TRUE(engine->window().Image3Visible);
  expect_reported();
  EXPECT_EQ(Record(), (LineList{"AVWSEN", ""}));
}

TEST_F(UpdateRunTest, AFailedDownloadClosesTheWindowWithoutSaving) {
  server.Put("a.gz", GzipCompress("A"));
  PublishList({"E a.gz a.txt 1", "Z what.gz what.txt 1", "E a.gz never.txt 1"});
  RunDriver();
  dir.Write("update2.dat", "AVWSEN\r\nmarker-from-page-pass\r\n");
  engine->StartPictureClicked();

  EXPECT_EQ(engine->outcome(), RunOutcome::kDownloadFailed);
  EXPECT_EQ(view.messages, (std::vector<std::string>{"Web is busy, try later, please"}));
  EXPECT_EQ(view.closes, 1);
  EXPECT_TRUE(engine->StateSaved);
  EXPECT_FALSE(dir.Exists("never.txt"));
  // Neither the pass nor the closing wrote the record.
  EXPECT_EQ(Record(), (LineList{"AVWSEN", "marker-from-page-pass"}));
  EXPECT_FALSE(engine->ListsExist);
}

TEST_F(UpdateRunTest, AGzipFailureEndsTheMainPassWithoutSaving) {
  server.Put("bad.gz", "\x1f\x8b\x07");  // method 7
  PublishList({"E bad.gz bad.txt 1"});
  RunDriver();
  dir.Write("update2.dat", "AVWSEN\r\nuntouched\r\n");
  EXPECT_THROW(engine->StartPictureClicked(), Error);
  EXPECT_EQ(engine->outcome(), RunOutcome::kExpandFailed);
  EXPECT_EQ(engine->expand_error(), "error zip format");
  EXPECT_FALSE(engine->window().Button1Enabled);
  EXPECT_EQ(Record(), (LineList{"AVWSEN", "untouched"}));
}

TEST_F(UpdateRunTest, OnlyAnExpansionFailureCountsAsOne) {
  server.Put("a.gz", GzipCompress("A"));
  PublishList({"E a.gz a.txt 1"});
  RunDriver();
  ScopedPumpHook failing_pump([&] {
    if (engine->UpdateState == UpdateStage::kMainPassRunning)
      throw std::runtime_error("handler failed");
  });
  EXPECT_THROW(engine->StartPictureClicked(), std::runtime_error);
  EXPECT_NE(engine->outcome(), RunOutcome::kExpandFailed);
  EXPECT_EQ(engine->expand_error(), "");
}

TEST_F(UpdateRunTest, ThePagePassSwallowsItsFailuresAndSkipsItsSave) {
  server.Put("index2.html", "\x1f\x8b\x07");
  PublishList({"E index2.html index2.html 1", "E a.gz a.txt 1"});
  RunDriver();
  EXPECT_EQ(engine->outcome(), RunOutcome::kWaitingForStart);
  EXPECT_TRUE(engine->window().Button1Enabled);
  EXPECT_EQ(dir.Read("update2.dat"), "AVWSEN\r\n");  // as created, not saved by the page pass
}

TEST_F(UpdateRunTest, AFailedPageWithNothingElseToUpdateIsStillNothingToUpdate) {
  server.Put("images.adf", GzipCompress("x").substr(0, 12));  // cut short: "data error"
  PublishList({"C images.adf images.unadf 1"});
  ::testing::internal::CaptureStderr();
  RunDriver();
  const std::string support_log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(engine->outcome(), RunOutcome::kNothingToUpdate);
  EXPECT_TRUE(engine->window().Image3Visible);
  EXPECT_NE(support_log.find("page update failed: data error"), std::string::npos) << support_log;
}

TEST_F(UpdateRunTest, TheMainPassCannotStartInsideThePagePass) {
  server.Put("index2.html", "page");
  server.Put("a.gz", GzipCompress("A"));
  PublishList({"O index2.html index2.html 1", "E a.gz a.txt 1"});
  WriteWeb0({server.base_url()});
  MakeEngine();
  int clicks_during_page_pass = 0;
  ScopedPumpHook pump([&] {
    if (engine->PagePassRunning) {
      ++clicks_during_page_pass;
      engine->StartPictureClicked();
    }
  });
  engine->FormResize();
  EXPECT_GT(clicks_during_page_pass, 0);
  EXPECT_NE(engine->UpdateState, UpdateStage::kMainPassRunning);
  EXPECT_FALSE(dir.Exists("a.txt"));
  EXPECT_TRUE(engine->window().Button1Enabled);
}

TEST_F(UpdateRunTest, ForceUpdateDuringTheMainPassStillEndsWithARecord) {
  server.Put("a.gz", GzipCompress("A"));
  server.Put("b.gz", GzipCompress("B"));
  PublishList({"E a.gz a.txt 1", "E b.gz b.txt 1"});
  RunDriver();
  dir.Write("update3.dat", "stale");
  bool forced = false;
  ScopedPumpHook pump([&] {
    if (engine->UpdateState == UpdateStage::kMainPassRunning && !forced) {
      forced = true;
      engine->ForceUpdateChosen();
      EXPECT_FALSE(dir.Exists("update2.dat"));
    }
  });
  engine->StartPictureClicked();
  EXPECT_TRUE(forced);
  EXPECT_EQ(view.terminations, 1);
  EXPECT_FALSE(engine->KeepState);
  EXPECT_TRUE(dir.Exists("update2.dat"));  // the pass ran to its end and wrote it
  EXPECT_FALSE(dir.Exists("update3.dat"));
  engine->LocalList.push_back("not saved by closing");
  engine->StateSaved = false;
  engine->FormClose();  // KeepState false: closing touches nothing
  EXPECT_EQ(Record(), (LineList{"AVWSEN", "", "a.txt 1", "b.txt 1"}));
}

// The window keeps answering while the installed files are flushed, and the record names them
// only after that.
TEST_F(UpdateRunTest, MessagesRunWhileTheFilesAreFlushedBeforeTheRecord) {
  server.Put("a.gz", GzipCompress("A"));
  PublishList({"E a.gz a.txt 1"});
  RunDriver();
  bool pumped_between = false;
  ScopedPumpHook pump([&] {
    pumped_between |= dir.Read("a.txt") == "A" && Record() == (LineList{"AVWSEN", ""});
  });
  engine->StartPictureClicked();
  EXPECT_TRUE(pumped_between);
  EXPECT_EQ(Record(), (LineList{"AVWSEN", "", "a.txt 1"}));
}

TEST_F(UpdateRunTest, ClosingSavesAnUnsavedRecordAndEndsTheProcessWhileConnected) {
  server.Put("a.gz", GzipCompress("A"));
  PublishList({"E a.gz a.txt 1"});
  RunDriver();
  engine->LocalList.push_back("added x");
  engine->StateSaved = false;
  EXPECT_TRUE(engine->Connected);  // the server keeps the connection open
  engine->FormClose();
  EXPECT_EQ(Record(), (LineList{"AVWSEN", "", "added x"}));
  EXPECT_EQ(view.process_ends, 1);
}

TEST_F(UpdateRunTest, StatusTextsFollowTheDisplayLanguage) {
  server.Put("a.gz", GzipCompress("A"));
  PublishList({"E a.gz a.txt 1"});
  RunDriver("t");
  EXPECT_EQ(engine->window().Label3.text,
            "\xc1\xd9\xa6\xb3"
            "1"
            "\xad\xd3\xc0\xc9\xae\xd7\xbb\xdd\xad\x6e\xa7\xf3\xb7\x73");
  EXPECT_EQ(view.dialog_items.back(), "\xa8\xe4\xa5\xa6");  // 其它
  engine->FormClose();
  RunDriver("s");
  // 还有1个档案需要更新 in GB2312: converted after the count was joined in.
  EXPECT_EQ(engine->window().Label3.text.substr(0, 5),
            "\xbb\xb9\xd3\xd0"
            "1");
  EXPECT_EQ(engine->window().Label3.text.size(), 19u);
  engine->FormClose();
  RunDriver("n");
  EXPECT_EQ(engine->window().Label3.text, "1file remain to be updated");
  EXPECT_EQ(view.dialog_items.back(), "Other");
}

TEST_F(UpdateRunTest, AnUnreadableLineFileStopsBeforeAnyRequest) {
  MakeEngine("n");
  ScopedSleepHook no_wait([](int) {});
  engine->FormResize();
  EXPECT_EQ(engine->outcome(), RunOutcome::kInitFailed);
  EXPECT_EQ(view.messages, (std::vector<std::string>{"Failed to initialize, try later, please"}));
  engine->FormResize();  // the driver runs once
  EXPECT_EQ(view.messages.size(), 1u);
}

TEST_F(UpdateRunTest, ASecondUpdaterOnTheFolderSaysSoInTheDisplayLanguageAndCloses) {
  struct Case {
    const char* language;
    const char* text;  // as shown, in UTF-8
  };
  const Case cases[] = {
      {"n", "another update is running in this game folder"},
      {"t", "另一個更新程式正在此遊戲資料夾中執行"},
      {"s", "另一个更新程式正在此游戏资料夹中执行"},
  };
  PublishList({});
  const FolderLock other_updater(dir.path(), 0);
  ASSERT_TRUE(other_updater.held());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    view.messages.clear();
    view.closes = 0;
    RunDriver(c.language);
    EXPECT_EQ(engine->outcome(), RunOutcome::kFolderBusy);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(DecodeForDisplay(c.language, view.messages[0]), c.text);
    EXPECT_EQ(view.closes, 1);
  }
  EXPECT_TRUE(server.paths().empty());
  EXPECT_FALSE(dir.Exists("isp1.dat"));
  EXPECT_FALSE(dir.Exists("update2.dat"));
}

TEST_F(UpdateRunTest, TheFolderIsHeldForTheWholeRunAndTheNextRunClearsLeftovers) {
  PublishList({});
  dir.Write("Data/.veyra-new-99-1", "left by a killed run");
  RunDriver();
  EXPECT_EQ(engine->outcome(), RunOutcome::kNothingToUpdate);
  EXPECT_FALSE(dir.Exists("Data/.veyra-new-99-1"));
  EXPECT_TRUE(FolderLock(dir.path(), 0).busy());
  engine.reset();
  EXPECT_TRUE(FolderLock(dir.path(), 0).held());
}

}  // namespace
}  // namespace veyra::testing
