#include "updater/headless/headless_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <sstream>
#include <system_error>
#include <thread>

#include "platform/error.h"
#include "support/fault_server.h"
#include "support/scoped_hooks.h"
#include "support/static_files.h"
#include "support/temp_folder.h"
#include "updater/gzip/gzip_writer.h"
#include "updater/records/files.h"
#include "updater/records/lines.h"

namespace veyra::testing {
namespace {

class HeadlessRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("web0.dat", "Main " + server.base_url() + " 80 30000\r\nend\r\n");
  }
  void Publish(const std::vector<std::string>& entries) {
    LineList lines{"header"};
    lines.insert(lines.end(), entries.begin(), entries.end());
    server.Put("update3.dat", JoinLines(lines));
  }
  int Run(std::vector<std::string> arguments = {}) {
    arguments.insert(arguments.begin(), {"--folder", dir.path().string()});
    output.str("");
    return RunHeadlessUpdate(ParseHeadlessOptions(arguments), output, false);
  }

  TempFolder dir;
  StaticFiles server;
  std::ostringstream output;
};

TEST_F(HeadlessRunTest, UpdatesEverythingAndPrintsWhatTheWindowWouldShow) {
  server.Put("a.gz", GzipCompress("A"));
  server.Put("b.bin", std::string(70000, 'b'));
  Publish({"E a.gz a.txt 1", "O b.bin Data\\b.bin 1"});
  EXPECT_EQ(Run({"--lang", "n"}), kExitUpToDate);
  const std::string text = output.str();
  EXPECT_NE(text.find("line: Main\n"), std::string::npos) << text;
  EXPECT_NE(text.find("connecting...\n"), std::string::npos);
  EXPECT_NE(text.find("2files remain to be updated\n"), std::string::npos);
  EXPECT_NE(text.find("Data\\b.bin 70000 of 70000 (100%)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("0files remain to be updated\n"), std::string::npos);
  EXPECT_EQ(dir.Read("Data/b.bin").size(), 70000u);
  EXPECT_EQ(dir.Read("isp1.dat"), "0\r\n");

  EXPECT_EQ(Run({"--lang", "n"}), kExitUpToDate);
  EXPECT_NE(output.str().find("No files updateing needed"), std::string::npos);
}

// Control bytes other than the line end, left after taking out the progress line's own
// "return, erase line" prefix.
std::string ControlBytesOf(std::string text) {
  for (size_t at; (at = text.find("\r\x1b[K")) != std::string::npos;) text.erase(at, 4);
  std::string controls;
  for (unsigned char c : text) {
    if ((c < 0x20 && c != '\n') || c == 0x7F) controls += static_cast<char>(c);
  }
  return controls;
}

TEST_F(HeadlessRunTest, NamesFromTheServerOrFilesCannotSteerTheTerminal) {
  dir.Write("web0.dat", "Main\x1b]0;owned\x07 " + server.base_url() + " 80 30000\r\nend\r\n");
  server.Put("a.bin", "A");
  Publish({"O a.bin a\x1b[2J\x7f.txt 1", "O a.bin held\x1b[H.txt 1"});
  dir.Write("held\x1b[H.txt/inside", "");  // a folder where the file should go
  for (bool terminal : {false, true}) {
    SCOPED_TRACE(terminal ? "terminal" : "pipe");
    output.str("");
    const HeadlessOptions options =
        ParseHeadlessOptions({"--folder", dir.path().string(), "--lang", "n"});
    EXPECT_EQ(RunHeadlessUpdate(options, output, terminal), kExitWriteFailed);
    const std::string text = output.str();
    EXPECT_EQ(ControlBytesOf(text), "") << text;
    EXPECT_NE(text.find("line: Main\\x1b]0;owned\\x07\n"), std::string::npos) << text;
    EXPECT_NE(text.find("a\\x1b[2J\\x7f.txt 1 of 1"), std::string::npos) << text;
    EXPECT_NE(text.find("held\\x1b[H.txt:update failed"), std::string::npos) << text;
    std::filesystem::remove(dir.path() / "update2.dat");
  }
}

TEST_F(HeadlessRunTest, TextsAreShownInTheDisplayLanguageAsUtf8) {
  Publish({});
  EXPECT_EQ(Run({"--lang", "t"}), kExitUpToDate);
  EXPECT_NE(output.str().find("目前沒有需要更新的檔案"), std::string::npos) << output.str();
  EXPECT_EQ(Run({"--lang", "s"}), kExitUpToDate);
  EXPECT_NE(output.str().find("目前没有需要更新的档案"), std::string::npos) << output.str();
}

TEST_F(HeadlessRunTest, EachFailureHasItsExitStatus) {
  server.Put("ok.gz", GzipCompress("ok"));
  server.Put("bad.gz", "\x1f\x8b\x08\x00");  // a header cut short
  Publish({"E ok.gz ok.txt 1", "E missing.gz missing.txt 1"});
  EXPECT_EQ(Run(), kExitDownloadFailed);
  EXPECT_NE(output.str().find("Web is busy, try later, please"), std::string::npos);

  Publish({"E bad.gz bad.txt 1"});
  EXPECT_EQ(Run(), kExitExpandFailed);
  EXPECT_NE(output.str().find("error zip format"), std::string::npos) << output.str();

  Publish({"E ok.gz held.txt 1"});
  dir.Write("held.txt/inside", "");
  EXPECT_EQ(Run(), kExitWriteFailed);
  EXPECT_NE(output.str().find("held.txt:update failed"), std::string::npos);

  server.Remove("update3.dat");
  EXPECT_EQ(Run(), kExitNoServer);

  std::filesystem::remove(dir.path() / "web0.dat");
  ScopedSleepHook no_wait([](int) {});
  EXPECT_EQ(Run(), kExitInitFailed);
  EXPECT_NE(output.str().find("Failed to initialize, try later, please"), std::string::npos);
}

TEST_F(HeadlessRunTest, ARecordThatCannotBeSavedEndsWithTheWriteFailureStatusAndItsReason) {
  Publish({});
  dir.Write("update2.dat", "AVWSEN\r\n");
  std::filesystem::permissions(dir.path() / "update2.dat", std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::group_read |
                                                               std::filesystem::perms::others_read);
  EXPECT_EQ(Run({"--lang", "n"}), kExitWriteFailed);
  const std::string text = output.str();
  EXPECT_NE(text.find("update2.dat:update failed, please close all programs"), std::string::npos)
      << text;
  EXPECT_NE(text.find("cannot write update2.dat: " + std::generic_category().message(EACCES)),
            std::string::npos)
      << text;
}

TEST_F(HeadlessRunTest, AnyOtherFailureIsStatusOneNotACrash) {
  Publish({});
  ScopedPumpHook failing_pump([] { throw std::runtime_error("window system gone"); });
  EXPECT_EQ(Run(), kExitOtherFailure);
  EXPECT_NE(output.str().find("window system gone"), std::string::npos);
}

TEST_F(HeadlessRunTest, ForceCompleteInstallsEverythingAgain) {
  server.Put("a.gz", GzipCompress("A"));
  Publish({"E a.gz a.txt 1"});
  ASSERT_EQ(Run(), kExitUpToDate);
  dir.Write("a.txt", "damaged");
  dir.Write("update3.dat", "stale");
  EXPECT_EQ(Run(), kExitUpToDate);
  EXPECT_EQ(dir.Read("a.txt"), "damaged");  // the record says it is current
  EXPECT_EQ(Run({"--force-complete"}), kExitUpToDate);
  EXPECT_EQ(dir.Read("a.txt"), "A");
  EXPECT_FALSE(dir.Exists("update3.dat"));
  EXPECT_EQ(SplitLines(dir.Read("update2.dat")), (LineList{"AVWSEN", "", "a.txt 1"}));
}

TEST_F(HeadlessRunTest, StartsTheLoginProgramWithTheParameters) {
  Publish({});
  dir.Write("alogin.exe", "#!/bin/sh\necho \"$# $1 $2 $3\" > \"$(pwd)/started.txt\"\n");
  ::chmod((dir.path() / "alogin.exe").c_str(), 0755);
  EXPECT_EQ(Run({"--start-game", "--", "user", "key"}), kExitUpToDate);
  for (int i = 0; i < 200 && !dir.Exists("started.txt"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // "alogin.exe user key " split at blanks: two words, started in the game folder.
  EXPECT_EQ(dir.Read("started.txt"), "2 user key \n");
}

TEST_F(HeadlessRunTest, TimeoutOptionOverridesTheLineTimeOut) {
  FaultServer late([](FaultConnection& connection, const std::string&) {
    connection.Sleep(4000);  // the line's own 30 s would wait for this list
    connection.Send(FaultServer::Reply(200, "header\r\n"));
  });
  dir.Write("web0.dat", "Slow " + late.base_url() + " 80 30000\r\nend\r\n");
  EXPECT_EQ(Run({"--timeout", "1"}), kExitNoServer);
  EXPECT_EQ(late.requests().size(), 3u);
}

TEST(HeadlessOptions, RefusesWhatItDoesNotKnow) {
  EXPECT_THROW(ParseHeadlessOptions({"--line", "x"}), Error);
  EXPECT_THROW(ParseHeadlessOptions({"--lang", "de"}), Error);
  EXPECT_THROW(ParseHeadlessOptions({"--folder"}), Error);
  EXPECT_THROW(ParseHeadlessOptions({"--bogus"}), Error);
  for (const char* seconds : {"0", "-1", "x", "86401", ""}) {
    EXPECT_THROW(ParseHeadlessOptions({"--timeout", seconds}), Error) << seconds;
  }
  EXPECT_EQ(ParseHeadlessOptions({"--timeout", "90"}).timeout_seconds, 90);
  EXPECT_THROW(ParseHeadlessOptions({"--wait", "-1"}), Error);
  EXPECT_THROW(ParseHeadlessOptions({"--wait", "86401"}), Error);
  EXPECT_EQ(ParseHeadlessOptions({}).wait_seconds, 0);
  const HeadlessOptions options =
      ParseHeadlessOptions({"--line", "2", "--wait", "30", "--start-game", "--", "a", "--line"});
  EXPECT_EQ(options.line, 2);
  EXPECT_EQ(options.wait_seconds, 30);
  EXPECT_TRUE(options.start_game);
  EXPECT_EQ(options.game_parameters, (std::vector<std::string>{"a", "--line"}));
}

}  // namespace
}  // namespace veyra::testing
