#include "updater/headless/headless_options.h"

#include "platform/decimal.h"
#include "platform/error.h"

namespace veyra {
namespace {

constexpr int64_t kLongestTimeoutSeconds = 86400;
constexpr int64_t kMostConnections = 16;

int ParseSeconds(const std::string& option, const std::string& text, int64_t least, int64_t most) {
  const std::optional<int64_t> seconds = ParseDecimal(text);
  if (!seconds || *seconds < least || *seconds > most) {
    throw Error(option + " needs seconds from " + std::to_string(least) + " to " +
                std::to_string(most) + ", not " + text);
  }
  return static_cast<int>(*seconds);
}

}  // namespace

HeadlessOptions ParseHeadlessOptions(const std::vector<std::string>& arguments) {
  HeadlessOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= arguments.size()) throw Error("option " + argument + " needs a value");
      return arguments[++i];
    };
    if (argument == "--") {
      options.game_parameters.assign(arguments.begin() + static_cast<ptrdiff_t>(i) + 1,
                                     arguments.end());
      break;
    } else if (argument == "--folder") {
      options.folder = value();
    } else if (argument == "--line") {
      const std::string& text = value();
      std::optional<int64_t> line = ParseDecimal(text);
      if (!line || *line < 0 || *line > 100000) throw Error("--line needs a position, not " + text);
      options.line = static_cast<int>(*line);
    } else if (argument == "--timeout") {
      options.timeout_seconds = ParseSeconds("--timeout", value(), 1, kLongestTimeoutSeconds);
    } else if (argument == "--wait") {
      options.wait_seconds = ParseSeconds("--wait", value(), 0, 86400);
    } else if (argument == "--connections") {
      const std::string& text = value();
      std::optional<int64_t> count = ParseDecimal(text);
      if (!count || *count < 1 || *count > kMostConnections) {
        throw Error("--connections needs a count from 1 to " + std::to_string(kMostConnections) +
                    ", not " + text);
      }
      options.connections = static_cast<int>(*count);
    } else if (argument == "--no-patches") {
      options.patches = false;
    } else if (argument == "--no-resume") {
      options.resume = false;
    } else if (argument == "--force-complete") {
      options.force_complete = true;
    } else if (argument == "--lang") {
      const std::string& code = value();
      if (code != "t" && code != "s" && code != "n") throw Error("--lang takes t, s or n");
      options.language = code;
    } else if (argument == "--start-game") {
      options.start_game = true;
    } else if (argument == "--help" || argument == "-h") {
      options.show_help = true;
    } else {
      throw Error("unknown option " + argument);
    }
  }
  return options;
}

std::string HeadlessUsage() {
  return "usage: veyra-update [--folder DIR] [--line N] [--force-complete] [--lang t|s|n]\n"
         "                    [--start-game] [--timeout SECONDS] [--wait SECONDS]\n"
         "                    [--connections N] [--no-patches] [--no-resume]\n"
         "                    [-- PARAM1 PARAM2 PARAM3]\n"
         "Updates the game folder DIR (default: the folder of this program) from the update\n"
         "server of network line N of web0.dat (default: the line saved in isp1.dat).\n"
         "--timeout: the stall limit of every request (default: the line's time-out).\n"
         "--wait: how long to wait while another update runs in DIR (default 0).\n"
         "--connections: downloads the next files on up to N connections while one is\n"
         "installed (1 to 16, default 6); files are still installed in list order.\n"
         "--no-patches: changed files travel whole even where a signed set offers patches.\n"
         "--no-resume: a download cut short starts again from its first byte, and nothing\n"
         "is kept for the next run.\n"
         "exit status: 0 up to date, 1 other failure, 2 web0.dat unreadable, 3 no server\n"
         "delivered the update list, 4 a download failed, 5 a file or the record update2.dat\n"
         "could not be written, 6 a downloaded file failed to expand, 7 another update is\n"
         "running in DIR\n";
}

}  // namespace veyra
