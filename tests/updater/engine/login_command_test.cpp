#include "updater/engine/login_command.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/support_log.h"
#include "support/temp_folder.h"

namespace veyra {
namespace {

TEST(LoginCommand, HandsOnParametersOnlyWhenThereAreAtLeastTwo) {
  const std::string folder = "/games/veyra/";
  const auto line = [&](std::vector<std::string> arguments) {
    return BuildLoginCommand(folder, LoginParamsFrom(arguments)).Line();
  };
  EXPECT_EQ(line({"A", "B", "C"}), "/games/veyra/alogin.exe A B C");
  EXPECT_EQ(line({"A", "B"}), "/games/veyra/alogin.exe A B ");
  EXPECT_EQ(line({"A"}), "/games/veyra/alogin.exe");
  EXPECT_EQ(line({}), "/games/veyra/alogin.exe");
  EXPECT_EQ(BuildLoginCommand(folder, LoginParamsFrom({"A", "B"})).program,
            "/games/veyra/alogin.exe");
  EXPECT_EQ(LoginParamsFrom({"A", "B", "C", "D"})[2], "C");  // a fourth is dropped
}

#ifndef _WIN32  // the login program stand-in is a shell script; TMPDIR moves the support log
// A game folder whose path holds a blank: the program's path is never split, and its parameters
// arrive as a Windows program would read them.
TEST(LoginCommand, StartsTheProgramInAFolderWithBlanks) {
  testing::TempFolder dir;
  dir.Write("my game/alogin.exe", "#!/bin/sh\necho \"$# $1 $2\" > s.tmp && mv s.tmp started.txt\n");
  ::chmod((dir.path() / "my game/alogin.exe").c_str(), 0755);
  ASSERT_TRUE(StartLoginProgram(dir.folder() + "my game/", {"A", "B", ""}));
  for (int i = 0; i < 500 && !dir.Exists("my game/started.txt"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(dir.Read("my game/started.txt"), "2 A B\n");
}

TEST(LoginCommand, AProgramThatCannotStartIsReportedInTheSupportLog) {
  testing::TempFolder dir;
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old != nullptr ? old : "";
  setenv("TMPDIR", dir.path().c_str(), 1);
  const bool started = StartLoginProgram(dir.folder() + "my game/", {"A", "B", "C"});
  std::ifstream log(SupportLogPath());
  std::string line;
  std::getline(log, line);
  old != nullptr ? setenv("TMPDIR", saved.c_str(), 1) : unsetenv("TMPDIR");

  EXPECT_FALSE(started);
  EXPECT_NE(line.find("cannot start " + dir.folder() + "my game/alogin.exe A B C: "),
            std::string::npos)
      << line;
}
#endif

}  // namespace
}  // namespace veyra
