#include "startup/launcher_options.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/paths.h"

namespace veyra {
namespace {

using Words = std::vector<std::string>;

// A folder as this system writes it absolutely ("/games/veyra/" on Windows: "C:\games\veyra\").
std::string Absolute(const std::string& folder) {
  std::string absolute = Utf8FromPath(std::filesystem::absolute(PathFromUtf8(folder)));
  if (absolute.back() != '/' && absolute.back() != kFolderSeparator) absolute += kFolderSeparator;
  return absolute;
}

TEST(LauncherOptions, ReadsTheFolderTheAddressesAndUpToThreeParameters) {
  struct Case {
    Words arguments;
    std::string folder;
    Words parameters;
    std::optional<std::string> home_url;
  };
  const Case cases[] = {
      {{}, "/games/veyra/", {}, std::nullopt},
      {{"A", "B", "C"}, "/games/veyra/", {"A", "B", "C"}, std::nullopt},
      {{"A", "B", "C", "D", "E"}, "/games/veyra/", {"A", "B", "C"}, std::nullopt},
      {{"--folder", "/srv/game"}, "/srv/game/", {}, std::nullopt},
      {{"--folder", "/srv/game/", "A", "B"}, "/srv/game/", {"A", "B"}, std::nullopt},
      {{"--home-url", "http://h/", "A"}, "/games/veyra/", {"A"}, "http://h/"},
      // Options stop at the first parameter; "--" lets a parameter start with "--".
      {{"A", "--folder", "/x"}, "/games/veyra/", {"A", "--folder", "/x"}, std::nullopt},
      {{"--", "--folder", "B"}, "/games/veyra/", {"--folder", "B"}, std::nullopt},
      {{"--folder", "/a", "--folder", "/b"}, "/b/", {}, std::nullopt},
      // Every other word, whatever it starts with, is a parameter in its place.
      {{"--user=A", "B", "C"}, "/games/veyra/", {"--user=A", "B", "C"}, std::nullopt},
      {{"--folder", "/f", "-platform", "x", "--lang"},
       "/f/",
       {"-platform", "x", "--lang"},
       std::nullopt},
  };
  for (const Case& c : cases) {
    const LauncherOptions options = ParseLauncherOptions(c.arguments, "/games/veyra/");
    const std::string args = ::testing::PrintToString(c.arguments);
    EXPECT_EQ(options.program_folder, Absolute(c.folder)) << args;
    EXPECT_EQ(options.game_parameters, c.parameters) << args;
    EXPECT_EQ(options.home_url, c.home_url) << args;
  }
  EXPECT_EQ(ParseLauncherOptions({"--account-url", "http://acc/"}, "/g/").account_url,
            "http://acc/");
}

TEST(LauncherOptions, ARelativeFolderIsTakenFromTheCurrentFolder) {
  const std::string expected =
      Utf8FromPath(std::filesystem::current_path() / "game") + kFolderSeparator;
  EXPECT_EQ(ParseLauncherOptions({"--folder", "game"}, "/g/").program_folder, expected);
}

TEST(LauncherOptions, TheLoginProgramGetsTheParametersHandedOn) {
  EXPECT_EQ(ParseLauncherOptions({"A", "B", "C", "D"}, "/g/").login_params,
            (LoginParams{"A", "B", "C"}));
  EXPECT_EQ(ParseLauncherOptions({"--folder", "/f", "A"}, "/g/").login_params,
            (LoginParams{"", "", ""}));  // one parameter alone is not handed on
}

TEST(LauncherOptions, ABadOptionIsRefusedWithItsName) {
  struct Case {
    Words arguments;
    std::string message_part;
  };
  const Case cases[] = {
      {{"--folder"}, "--folder needs a value"},
      {{"--folder", ""}, "--folder needs a value"},
      {{"--home-url"}, "--home-url needs a value"},
      {{"--account-url"}, "--account-url needs a value"},
  };
  for (const Case& c : cases) {
    try {
      ParseLauncherOptions(c.arguments, "/g/");
      ADD_FAILURE() << "accepted " << ::testing::PrintToString(c.arguments);
    } catch (const Error& error) {
      EXPECT_NE(std::string(error.what()).find(c.message_part), std::string::npos) << error.what();
    }
  }
}

}  // namespace
}  // namespace veyra
