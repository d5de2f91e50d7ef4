#include "startup/launcher_options.h"

#include <filesystem>

#include "platform/error.h"
#include "platform/paths.h"

namespace veyra {
namespace {

constexpr size_t kMostGameParameters = 3;

std::string AsProgramFolder(const std::string& folder) {
  std::string absolute =
      Utf8FromPath(folder.empty() ? std::filesystem::current_path()
                                  : std::filesystem::absolute(PathFromUtf8(folder)));
  if (absolute.back() != '/' && absolute.back() != kFolderSeparator) absolute += kFolderSeparator;
  return absolute;
}

}  // namespace

LauncherOptions ParseLauncherOptions(const std::vector<std::string>& arguments,
                                     const std::string& executable_folder) {
  LauncherOptions options;
  std::optional<std::string> folder;
  size_t i = 0;
  for (; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--") {
      ++i;
      break;
    }
    if (argument != "--folder" && argument != "--home-url" && argument != "--account-url") break;
    auto value = [&]() -> const std::string& {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        throw Error("option " + argument + " needs a value");
      }
      return arguments[++i];
    };
    if (argument == "--folder") {
      folder = value();
    } else if (argument == "--home-url") {
      options.home_url = value();
    } else {
      options.account_url = value();
    }
  }
  for (; i < arguments.size() && options.game_parameters.size() < kMostGameParameters; ++i) {
    options.game_parameters.push_back(arguments[i]);
  }
  options.login_params = LoginParamsFrom(options.game_parameters);
  options.program_folder = AsProgramFolder(folder ? *folder : executable_folder);
  return options;
}

}  // namespace veyra
