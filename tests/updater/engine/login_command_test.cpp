#include "updater/engine/login_command.h"

#include <gtest/gtest.h>

namespace veyra {
namespace {

TEST(LoginCommand, HandsOnParametersOnlyWhenThereAreAtLeastTwo) {
  const std::string folder = "/games/veyra/";
  EXPECT_EQ(BuildLoginCommandLine(folder, LoginParamsFrom({"A", "B", "C"})),
            "/games/veyra/alogin.exe A B C");
  EXPECT_EQ(BuildLoginCommandLine(folder, LoginParamsFrom({"A", "B"})),
            "/games/veyra/alogin.exe A B ");
  EXPECT_EQ(BuildLoginCommandLine(folder, LoginParamsFrom({"A"})), "/games/veyra/alogin.exe");
  EXPECT_EQ(BuildLoginCommandLine(folder, LoginParamsFrom({})), "/games/veyra/alogin.exe");
  EXPECT_EQ(LoginParamsFrom({"A", "B", "C", "D"})[2], "C");  // a fourth is dropped
}

TEST(LoginCommand, AMissingProgramIsNotStarted) {
  const std::string program = "/nonexistent/folder/alogin.exe";
  EXPECT_FALSE(StartDetached(program, program + " a b", "/tmp/"));
  EXPECT_FALSE(StartDetached("", "", "/tmp/"));
  EXPECT_FALSE(StartDetached(program, "/other/alogin.exe a", "/tmp/"));  // not its line
}

}  // namespace
}  // namespace veyra
