#include "platform/process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/temp_folder.h"

namespace veyra {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

#ifndef _WIN32  // the program started is a shell script, and the reasons are POSIX's
TEST(StartDetachedProcess, RunsTheProgramInTheWorkingFolderInASessionOfItsOwn) {
  TempFolder dir;
  // Writes its current folder, its process id and its session id; the rename makes the file
  // appear whole.
  dir.Write(
      "report.sh",
      "#!/bin/sh\n"
      "{ pwd; echo $$; cut -d' ' -f6 /proc/$$/stat; } > \"$1.part\" && mv \"$1.part\" \"$1\"\n");
  fs::permissions(dir.path() / "report.sh", fs::perms::owner_exec, fs::perm_options::add);
  fs::create_directories(dir.path() / "work");
  const std::string report = (dir.path() / "report").string();

  ASSERT_TRUE(
      StartDetachedProcess({(dir.path() / "report.sh").string(), report}, dir.path() / "work")
          .ok());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!dir.Exists("report") && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(dir.Exists("report")) << "the script did not run within 10 s";
  const std::string text = dir.Read("report");
  const size_t first = text.find('\n');
  const size_t second = text.find('\n', first + 1);
  ASSERT_NE(second, std::string::npos) << text;
  EXPECT_EQ(text.substr(0, first), fs::canonical(dir.path() / "work").string());
  EXPECT_EQ(text.substr(first + 1, second - first - 1) + "\n", text.substr(second + 1))
      << "the process leads a session of its own";
}
#endif

#ifndef _WIN32  // the program started is a shell script
TEST(StartCommandLine, NeverSplitsTheProgramsPathAtABlank) {
  TempFolder dir;
  fs::create_directories(dir.path() / "Program Files");
  dir.Write("Program Files/report.sh",
            "#!/bin/sh\necho \"$#:$1:$2\" > args.part && mv args.part args\n");
  fs::permissions(dir.path() / "Program Files/report.sh", fs::perms::owner_exec,
                  fs::perm_options::add);
  const std::string program = (dir.path() / "Program Files/report.sh").string();
  ASSERT_TRUE(StartCommandLine(program, program + " A  B", dir.path()).ok());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!dir.Exists("args") && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(dir.Read("args"), "2:A:B\n");
  EXPECT_EQ(StartCommandLine(program, "/elsewhere/report.sh A", dir.path()).error, EINVAL);
}
#endif

#ifndef _WIN32  // the program started is a shell script, and the reasons are POSIX's
TEST(StartDetachedProcess, ReportsWhyItCouldNotStart) {
  TempFolder dir;
  dir.Write("plain.txt", "not a program");
  const std::string shell = "/bin/sh";
  const struct {
    const char* what;
    std::vector<std::string> arguments;
    fs::path folder;
    int error;
  } cases[] = {
      {"no arguments", {}, dir.path(), EINVAL},
      {"missing program", {(dir.path() / "none").string()}, dir.path(), ENOENT},
      {"not executable", {(dir.path() / "plain.txt").string()}, dir.path(), EACCES},
      {"missing working folder", {shell, "-c", "true"}, dir.path() / "none", ENOENT},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StartDetachedProcess(c.arguments, c.folder).error, c.error) << c.what;
  }
}
#endif

}  // namespace
}  // namespace veyra
