#include "platform/support_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "support/temp_folder.h"

namespace veyra {
namespace {

#ifndef _WIN32  // the temporary folder is chosen by TMPDIR only on POSIX
TEST(SupportLog, AppendsStampedLinesInTheTemporaryFolder) {
  testing::TempFolder dir;
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old != nullptr ? old : "";
  setenv("TMPDIR", dir.path().c_str(), 1);
  WriteSupportLog("first: could not start alogin.exe");
  WriteSupportLog("second");
  const auto path = SupportLogPath();
  if (old != nullptr)
    setenv("TMPDIR", saved.c_str(), 1);
  else
    unsetenv("TMPDIR");

  EXPECT_EQ(path, dir.path() / "VeyraOnline-support.log");
  std::ifstream file(path);
  std::string first, second, third;
  ASSERT_TRUE(std::getline(file, first));
  ASSERT_TRUE(std::getline(file, second));
  EXPECT_FALSE(std::getline(file, third));
  // "YYYY-MM-DD HH:MM:SS " then the line as given.
  EXPECT_EQ(first.substr(20), "first: could not start alogin.exe");
  EXPECT_EQ(second.substr(20), "second");
  EXPECT_EQ(first[4], '-');
}
#endif

}  // namespace
}  // namespace veyra
